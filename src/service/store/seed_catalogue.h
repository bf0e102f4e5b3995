#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "protocol/category_terms.h"
#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// The category terms, in button order; written once for client and service.
using protocol::kCategoryTerms;

// How many seed entries each term of kCategoryTerms gets.  The spread is uneven
// on purpose so that, at 20 entries a page, the client meets every case:
//
//   跑炮卡丁车 41 (3 pages)   穿越火线 64 (4)   QQ飞车 40 (2, exactly full)
//   QQ炫舞 21 (2, one over)   CSOL 20 (1, exactly full)   洛克王国 13 (1)
//   造梦西游 9 (1)   机甲旋风 1 (1)   逆战 27 (2)   西游大战僵尸2 0 (0)
//   传奇 33 (2)   斩魂 0 (0)   英雄联盟 48 (3)   QQ游戏 6 (1)   QQ活动 2 (1)
//   梦三国 4 (1)   反恐行动 0 (0)   风暴战区 1 (1)
//
// 330 entries in all, 17 pages.  Titles never contain another category's term,
// so a request for a term matches exactly the entries counted here.
inline constexpr std::array<int, 18> kSeedCountPerTerm = {41, 64, 40, 21, 20, 13, 9, 1, 27,
                                                          0,  33, 0,  48, 6,  2,  4, 0, 1};
inline constexpr int kSeedEntryCount = 330;

// Fixed so that every run, and every test that starts the service on a fresh
// database, sees the same catalogue.
inline constexpr std::uint64_t kSeedRandomSeed = 0x51756F7276656CULL;

// The bundled starter catalogue: made-up entries with EntryId "1" to "330",
// Chinese titles with some ASCII (several contain "C++"), one to four download
// links each pointing at this service's own /download/<id> page.  The same on
// every call.
std::vector<CatalogueEntry> SeedCatalogue();

// A made-up catalogue of the same kind with count_per_term[i] entries in
// kCategoryTerms[i], EntryIds counting from "1", deterministic in `seed`.
std::vector<CatalogueEntry> FictionalCatalogue(std::span<const int, 18> count_per_term,
                                               std::uint64_t seed);

}  // namespace quorvel::service
