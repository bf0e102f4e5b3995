#include <gtest/gtest.h>

#include "entry_printer.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <sstream>

#include "protocol/wire_format.h"
#include "service/store/seed_catalogue.h"
#include "service/store/tsv_import.h"

namespace quorvel::service {
namespace {

using protocol::kLinkNameSeparator;
using protocol::kLinkSeparator;
using protocol::kTrailerMarker;

TEST(SeedCatalogueTest, IsTheSameOnEveryCall) { EXPECT_EQ(SeedCatalogue(), SeedCatalogue()); }

// Other tests and the client's end-to-end tests rely on the exact seed, built
// by any compiler: a fingerprint of all of it, and one entry in full.
TEST(SeedCatalogueTest, IsExactlyTheKnownCatalogue) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a over the import form
  for (const CatalogueEntry& e : SeedCatalogue()) {
    for (const unsigned char c : FormatTsvLine(e)) hash = (hash ^ c) * 1099511628211ULL;
  }
  EXPECT_EQ(hash, 17001675798421330624ULL);
  EXPECT_EQ(SeedCatalogue()[0],
            (CatalogueEntry{"传奇", "传奇 谁是卧底?问答助手 v4.5", "试用7天", "2012-01-14 16:29:58",
                            "电信下载/*//download/1/**/", "1"}));
}

TEST(SeedCatalogueTest, HasTheDocumentedCountPerTerm) {
  const std::vector<CatalogueEntry> seed = SeedCatalogue();
  ASSERT_EQ(seed.size(), static_cast<std::size_t>(kSeedEntryCount));
  EXPECT_EQ(std::accumulate(kSeedCountPerTerm.begin(), kSeedCountPerTerm.end(), 0),
            kSeedEntryCount);
  for (std::size_t t = 0; t < kCategoryTerms.size(); ++t) {
    const auto in_term = std::count_if(seed.begin(), seed.end(), [&](const CatalogueEntry& e) {
      return e.category == kCategoryTerms[t];
    });
    EXPECT_EQ(in_term, kSeedCountPerTerm[t]) << kCategoryTerms[t];
  }
}

TEST(SeedCatalogueTest, TitlesNeverNameAnotherCategory) {
  for (const CatalogueEntry& e : SeedCatalogue()) {
    for (const std::string_view term : kCategoryTerms) {
      if (term == e.category) continue;
      std::string lower_title = e.title;
      std::string lower_term(term);
      for (char& c : lower_title)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      for (char& c : lower_term) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(lower_title.find(lower_term), std::string::npos) << e.title << " / " << term;
    }
  }
}

TEST(SeedCatalogueTest, EntriesAreWellFormed) {
  std::set<std::string> ids;
  bool some_title_has_cplusplus = false;
  std::size_t most_links = 0;
  for (const CatalogueEntry& e : SeedCatalogue()) {
    ids.insert(e.entry_id);
    some_title_has_cplusplus |= e.title.find("C++") != std::string::npos;
    for (const std::string* field :
         {&e.category, &e.title, &e.licence_mode, &e.update_time, &e.download_links, &e.entry_id}) {
      EXPECT_FALSE(field->empty());
      EXPECT_EQ(field->find_first_of(std::string("\x01\x02\t\n", 4)), std::string::npos);
      EXPECT_EQ(field->find(kTrailerMarker), std::string::npos);
    }
    EXPECT_EQ(e.update_time.size(), 19u) << e.update_time;
    // Every link is name, "/*/", an address on this service, "/**/".
    std::size_t links = 0;
    std::string_view rest = e.download_links;
    while (!rest.empty()) {
      const std::size_t end = rest.find(kLinkSeparator);
      ASSERT_NE(end, std::string_view::npos) << e.download_links;
      const std::string_view link = rest.substr(0, end);
      const std::size_t name_end = link.find(kLinkNameSeparator);
      ASSERT_NE(name_end, std::string_view::npos);
      EXPECT_TRUE(link.substr(name_end + 3).starts_with("/download/" + e.entry_id)) << link;
      rest.remove_prefix(end + kLinkSeparator.size());
      ++links;
    }
    EXPECT_GE(links, 1u);
    EXPECT_LE(links, 4u);
    most_links = std::max(most_links, links);
  }
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(kSeedEntryCount));
  EXPECT_TRUE(ids.count("1") && ids.count("330"));
  EXPECT_TRUE(some_title_has_cplusplus);
  EXPECT_EQ(most_links, 4u);
}

TEST(FictionalCatalogueTest, FollowsTheCountsAndTheSeed) {
  std::array<int, 18> counts{};
  counts[2] = 3;
  counts[17] = 2;
  const std::vector<CatalogueEntry> a = FictionalCatalogue(counts, 1);
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(std::count_if(a.begin(), a.end(), [](auto& e) { return e.category == "QQ飞车"; }), 3);
  EXPECT_EQ(a, FictionalCatalogue(counts, 1));
  EXPECT_NE(a, FictionalCatalogue(counts, 2));
}

TEST(TsvTest, SeedSurvivesARoundTrip) {
  const std::vector<CatalogueEntry> seed = SeedCatalogue();
  std::string text;
  for (const CatalogueEntry& e : seed) text += FormatTsvLine(e);
  std::istringstream in(text);
  const TsvReadResult read = ReadTsv(in);
  EXPECT_EQ(read.entries, seed);
  EXPECT_EQ(read.cleaned_fields, 0);
  EXPECT_TRUE(read.rejected.empty());
}

TEST(TsvTest, CleansRejectsAndReportsLines) {
  std::istringstream in(
      "\xEF\xBB\xBF"
      "cat\ttitle\tfree\t2013\tn/*//download/1/**/\t1\r\n"
      "\n"
      "too\tfew\tfields\n"
      "c\tbad \xFF utf8\tl\tu\td\t2\n"
      "c\tt\tl\tu\td\t\x01\n"
      "c\x01\tt?TtbBa?\tl\tu\td\t3\n"
      "c\tt\tl\tu\td\t4\textra\n");
  const TsvReadResult read = ReadTsv(in);
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries[0],
            (CatalogueEntry{"cat", "title", "free", "2013", "n/*//download/1/**/", "1"}));
  EXPECT_EQ(read.entries[1], (CatalogueEntry{"c", "t", "l", "u", "d", "3"}));
  EXPECT_EQ(read.cleaned_fields, 2);
  ASSERT_EQ(read.rejected.size(), 4u);
  EXPECT_EQ(read.rejected[0].line, 3);
  EXPECT_EQ(read.rejected[1].line, 4);
  EXPECT_EQ(read.rejected[2].line, 5);  // EntryId empty once cleaned
  EXPECT_EQ(read.rejected[3].line, 7);
}

}  // namespace
}  // namespace quorvel::service
