#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "plain_scan.h"
#include "service/store/ascii_fold.h"
#include "service/store/search_index.h"

namespace quorvel::service {
namespace {

// Pieces titles and categories are made of: CJK words, ASCII words in mixed
// case, digits, and the separators that survive cleaning at import.
const std::vector<std::string> kPieces = {
    "穿越火线", "透视", "加速器", "自瞄", "辅助", "QQ飞车",   "脚本", "版",   "传奇", "僵尸2",
    "CSOL",     "Csol", "c++",    "C++",  "v2.1", "V2",       "Free", "FREE", "free", "aBc",
    "x",        "Q",    " ",      "  ",   "?",    "/*/",      "/**/", "-",    "_",    "\t",
    "?TtbBa",   "\x7f", "é",      "É",    "\xE4", "\xBF\xBF", "\xFF"};

const std::vector<std::string> kCategories = {"穿越火线", "QQ飞车", "CSOL", "Csol",
                                              "csol ",    "传奇",   "",     "A"};

struct Catalogue {
  std::vector<std::int64_t> seqs;  // ascending
  std::vector<std::string> categories;
  std::vector<std::string> titles;
  std::vector<std::int64_t> listing_order;
};

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  // The engine's raw output is the same everywhere; its distributions are not.
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(engine_() % bound); }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(from.size())];
  }
  std::mt19937_64& engine() { return engine_; }

 private:
  std::mt19937_64 engine_;
};

Catalogue RandomCatalogue(Random& random) {
  Catalogue catalogue;
  const std::size_t size = random.Below(4) == 0 ? random.Below(3) : random.Below(900);
  std::int64_t seq = static_cast<std::int64_t>(random.Below(5));
  for (std::size_t i = 0; i < size; ++i) {
    // Row numbers mostly follow on, sometimes with gaps, once in a while huge.
    seq += 1 + (random.Below(5) == 0 ? static_cast<std::int64_t>(random.Below(40)) : 0) +
           (random.Below(200) == 0 ? std::int64_t{1} << 40 : 0);
    catalogue.seqs.push_back(seq);
    catalogue.categories.push_back(random.Pick(kCategories));
    std::string title;
    const std::size_t pieces = random.Below(50) == 0 ? 2000 : random.Below(8);
    for (std::size_t p = 0; p < pieces; ++p) title += random.Pick(kPieces);
    catalogue.titles.push_back(std::move(title));
  }
  catalogue.listing_order = catalogue.seqs;
  std::shuffle(catalogue.listing_order.begin(), catalogue.listing_order.end(), random.engine());
  return catalogue;
}

// Terms of every kind a client sends, folded as the store folds them.
std::vector<std::string> RandomTerms(const Catalogue& catalogue, Random& random) {
  std::vector<std::string> terms = {"", "zzz", "穿越火线透视加速", "q", " ", "?", "/", "c++"};
  for (int byte = 0; byte < 256; ++byte) terms.push_back(std::string(1, static_cast<char>(byte)));
  for (const std::string& category : kCategories) terms.push_back(category);
  for (int i = 0; i < 150 && !catalogue.titles.empty(); ++i) {
    const std::string& title = random.Pick(catalogue.titles);
    if (title.empty()) continue;
    // Slices at any byte, so CJK characters are cut too: 1 to 3 bytes mostly,
    // then longer fragments, now and then the whole title.
    const std::size_t from = random.Below(title.size());
    const std::size_t length = random.Below(3) != 0   ? 1 + random.Below(3)
                               : random.Below(8) != 0 ? 4 + random.Below(20)
                                                      : title.size();
    std::string term = title.substr(from, length);
    if (random.Below(4) == 0) term += random.Pick(kPieces);  // found nowhere, most of the time
    terms.push_back(term);
  }
  for (std::string& term : terms) term = AsciiFold(term);
  return terms;
}

TEST(SearchIndexTest, FindsExactlyWhatThePlainScanFinds) {
  for (std::uint64_t seed = 1; seed <= 30; ++seed) {
    Random random(seed);
    const Catalogue catalogue = RandomCatalogue(random);
    SearchIndex index;
    for (std::size_t i = 0; i < catalogue.seqs.size(); ++i) {
      index.Add(catalogue.seqs[i], AsciiFold(catalogue.categories[i]),
                AsciiFold(catalogue.titles[i]));
    }
    index.Finish(catalogue.listing_order);
    testing::PlainScan scan;
    for (const std::int64_t seq : catalogue.listing_order) {
      const std::size_t i = static_cast<std::size_t>(
          std::lower_bound(catalogue.seqs.begin(), catalogue.seqs.end(), seq) -
          catalogue.seqs.begin());
      scan.Add(seq, AsciiFold(catalogue.categories[i]), AsciiFold(catalogue.titles[i]));
    }
    EXPECT_EQ(index.All(), catalogue.listing_order) << "seed " << seed;
    for (const std::string& term : RandomTerms(catalogue, random)) {
      ASSERT_EQ(index.Find(term), scan.Find(term)) << "seed " << seed << ", term \"" << term << '"';
    }
  }
}

}  // namespace
}  // namespace quorvel::service
