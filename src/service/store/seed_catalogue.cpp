#include "service/store/seed_catalogue.h"

#include <cstdio>
#include <string>

#include "protocol/site_pages.h"
#include "protocol/wire_format.h"

namespace quorvel::service {
namespace {

// splitmix64: tiny, and unlike the standard distributions its output is the
// same with every compiler and library.
class SeedRandom {
 public:
  explicit SeedRandom(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // A value from 0 to bound - 1.
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }

 private:
  std::uint64_t state_;
};

// The game's own name as it appears in titles: its category term, but where
// the term is not what the game's players write (the first button's term has
// a typo, and the ninth's leaves out the name's "QQ").
std::string_view GameName(std::size_t term) {
  if (term == 0) return "跑跑卡丁车";
  if (term == 8) return "QQ逆战";
  return kCategoryTerms[term];
}

constexpr std::array<std::string_view, 18> kFeatures = {
    "透视自瞄辅助", "自动挂机助手",      "一键连招脚本",   "多开器",       "内存修改器",
    "加速器",       "刷分工具",          "C++ 源码版辅助", "按键精灵脚本", "防封补丁",
    "全图透视",     "无限道具修改",      "自动答题器",     "练级助手",     "免费刷钻工具",
    "秒杀辅助",     "谁是卧底?问答助手", "C++ 内核驱动版"};

constexpr std::array<std::string_view, 6> kLicenceModes = {"免费",    "免费注册", "收费",
                                                           "试用7天", "VIP会员",  "共享"};

constexpr std::array<std::string_view, 5> kLinkNames = {"本地下载", "电信下载", "网通下载",
                                                        "百度网盘", "迅雷下载"};

// "YYYY-MM-DD HH:MM:SS" for a count of seconds since 1970-01-01 00:00:00.
std::string FormatTime(std::int64_t seconds) {
  const std::int64_t days = seconds / 86400;
  const std::int64_t in_day = seconds % 86400;
  // Civil date from a day count (proleptic Gregorian calendar).
  const std::int64_t z = days + 719468;
  const std::int64_t era = z / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(year),
                static_cast<int>(month), static_cast<int>(day), static_cast<int>(in_day / 3600),
                static_cast<int>(in_day / 60 % 60), static_cast<int>(in_day % 60));
  return text;
}

std::string MakeLinks(const std::string& id, SeedRandom& random) {
  const std::uint64_t count = 1 + random.Below(4);
  const std::uint64_t first_name = random.Below(kLinkNames.size());
  std::string links;
  for (std::uint64_t k = 0; k < count; ++k) {
    links.append(kLinkNames[(first_name + k) % kLinkNames.size()]);
    links.append(protocol::kLinkNameSeparator).append(protocol::kDownloadPrefix).append(id);
    if (k > 0) links.append("?mirror=").append(std::to_string(k + 1));
    links.append(protocol::kLinkSeparator);
  }
  return links;
}

}  // namespace

std::vector<CatalogueEntry> FictionalCatalogue(std::span<const int, 18> count_per_term,
                                               std::uint64_t seed) {
  SeedRandom random(seed);
  std::vector<std::size_t> term_of_entry;
  for (std::size_t term = 0; term < count_per_term.size(); ++term) {
    term_of_entry.insert(term_of_entry.end(),
                         static_cast<std::size_t>(std::max(0, count_per_term[term])), term);
  }
  for (std::size_t i = term_of_entry.size(); i > 1; --i) {
    std::swap(term_of_entry[i - 1], term_of_entry[random.Below(i)]);
  }

  constexpr std::int64_t kFirstUpdate = 1325376000;  // 2012-01-01 00:00:00
  constexpr std::uint64_t kUpdateSpan = 912 * 86400ULL;
  std::vector<CatalogueEntry> entries;
  entries.reserve(term_of_entry.size());
  for (std::size_t i = 0; i < term_of_entry.size(); ++i) {
    const std::size_t term = term_of_entry[i];
    CatalogueEntry entry;
    entry.entry_id = std::to_string(i + 1);
    entry.category = std::string(kCategoryTerms[term]);
    // One draw a statement: the order in which the operands of one expression
    // are evaluated differs between compilers, and the seed must not.
    const std::uint64_t feature = random.Below(kFeatures.size());
    const std::uint64_t major = 1 + random.Below(4);
    const std::uint64_t minor = random.Below(20);
    const std::uint64_t licence = random.Below(kLicenceModes.size());
    const std::uint64_t update = random.Below(kUpdateSpan);
    entry.title = std::string(GameName(term)) + " " + std::string(kFeatures[feature]) + " v" +
                  std::to_string(major) + "." + std::to_string(minor);
    entry.licence_mode = std::string(kLicenceModes[licence]);
    entry.update_time = FormatTime(kFirstUpdate + static_cast<std::int64_t>(update));
    entry.download_links = MakeLinks(entry.entry_id, random);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<CatalogueEntry> SeedCatalogue() {
  return FictionalCatalogue(kSeedCountPerTerm, kSeedRandomSeed);
}

}  // namespace quorvel::service
