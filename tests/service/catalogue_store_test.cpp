#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <regex>
#include <thread>

#include "entry_printer.h"
#include "listing_helpers.h"
#include "service/store/catalogue_store.h"
#include "service/store/catalogue_writer.h"
#include "service/store/seed_catalogue.h"
#include "service/store/sqlite_handle.h"
#include "service_process.h"

namespace quorvel::service {
namespace {

using quorvel::testing::TempDir;

std::vector<CatalogueEntry> Values(const ListingPage& page) {
  std::vector<CatalogueEntry> values;
  for (const EntryPointer& entry : page.entries) values.push_back(*entry);
  return values;
}

class CatalogueStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CatalogueWriter::EnsureCatalogue(db_));
    store_ = std::make_unique<CatalogueStore>(db_);
  }

  ListingPage Page(std::string_view term, std::int32_t page, int page_size) {
    return StorePage(*store_, term, page, page_size);
  }

  TempDir dir_;
  std::string db_ = dir_.File("sub/folder/catalogue.sqlite3");
  std::unique_ptr<CatalogueStore> store_;
};

TEST_F(CatalogueStoreTest, ServesTheSeedNewestFirst) {
  const std::vector<CatalogueEntry> expected = SeedInListingOrder();
  EXPECT_EQ(store_->EntryCount(), kSeedEntryCount);
  const ListingPage first = Page("", 1, 20);
  EXPECT_EQ(first.matches, kSeedEntryCount);
  EXPECT_EQ(Values(first), std::vector<CatalogueEntry>(expected.begin(), expected.begin() + 20));
  const ListingPage last = Page("", 17, 20);
  EXPECT_EQ(Values(last), std::vector<CatalogueEntry>(expected.begin() + 320, expected.end()));
  EXPECT_TRUE(Page("", 18, 20).entries.empty());
  EXPECT_TRUE(Page("", 2147483647, 1000).entries.empty());
}

TEST_F(CatalogueStoreTest, MatchesCategoryOrTitleIgnoringAsciiCase) {
  for (std::size_t t = 0; t < kCategoryTerms.size(); ++t) {
    const std::string term(kCategoryTerms[t]);
    EXPECT_EQ(Page(term, 1, 20).matches, kSeedCountPerTerm[t]) << term;
  }
  const std::vector<CatalogueEntry> cpp = SeedMatching("C++");
  ASSERT_GT(cpp.size(), 1u);
  const ListingPage found = Page("c++", 1, 1000);
  EXPECT_EQ(Values(found), cpp);
  EXPECT_EQ(Page("csol", 1, 20).matches, Page("CSOL", 1, 20).matches);
  // Non-ASCII letters are compared exactly.
  EXPECT_EQ(Page("ＣＳＯＬ", 1, 20).matches, 0);
}

TEST_F(CatalogueStoreTest, ATermAskedByManyAtOnceGivesEachTheSameMatches) {
  constexpr int kAskers = 8;
  for (const std::string term : {"C++", "v2.", "no such add-on"}) {
    std::vector<std::future<std::vector<CatalogueEntry>>> answers;
    std::promise<void> go;
    const std::shared_future<void> started = go.get_future().share();
    for (int asker = 0; asker < kAskers; ++asker) {
      answers.push_back(std::async(std::launch::async, [&, started] {
        started.wait();
        return Values(Page(term, 1, 1000));
      }));
    }
    go.set_value();
    const std::vector<CatalogueEntry> expected = SeedMatching(term);
    for (auto& answer : answers) EXPECT_EQ(answer.get(), expected) << term;
  }
}

TEST_F(CatalogueStoreTest, TermsAreValuesNotSql) {
  for (const std::string term :
       {"' OR 1=1 --", "%", "_", "\"; DROP TABLE entries; --", "*", "?TtbBa?", "\\"}) {
    EXPECT_EQ(Page(term, 1, 20).matches, 0) << term;
  }
  EXPECT_EQ(store_->EntryCount(), kSeedEntryCount);
}

TEST_F(CatalogueStoreTest, FindsEntriesById) {
  const std::vector<CatalogueEntry> seed = SeedCatalogue();
  EXPECT_EQ(store_->FindEntry("1"), seed[0]);
  EXPECT_EQ(store_->FindEntry("330"), seed[329]);
  EXPECT_EQ(store_->FindEntry("0"), std::nullopt);
  EXPECT_EQ(store_->FindEntry("1' OR '1'='1"), std::nullopt);
}

TEST_F(CatalogueStoreTest, SeesAnImportMadeWhileOpen) {
  store_->WarmUp(64);
  ASSERT_EQ(Page("风暴战区", 1, 20).matches, 1);
  // Read entry 1 once, so that its old form is held in memory.
  const std::vector<CatalogueEntry> order = SeedInListingOrder();
  const auto position = std::find_if(order.begin(), order.end(),
                                     [](const CatalogueEntry& e) { return e.entry_id == "1"; }) -
                        order.begin();
  const std::int32_t page_of_first = static_cast<std::int32_t>(position / 20 + 1);
  ASSERT_EQ(Page("", page_of_first, 20).entries.at(position % 20)->entry_id, "1");
  const CatalogueIdentity seeded = *store_->Identity();

  const CatalogueEntry added{
      "风暴战区", "风暴战区 新工具", "免费", "2099-01-01 00:00:00", "x/*//download/9001/**/",
      "9001"};
  CatalogueEntry replaced = SeedCatalogue()[0];
  replaced.title = "替换后的标题";
  const ImportCounts counts = CatalogueWriter::Import(db_, {added, replaced});
  EXPECT_EQ(counts.added, 1);
  EXPECT_EQ(counts.replaced, 1);

  ASSERT_NE(NextCatalogue(*store_, seeded), seeded);
  const ListingPage page = Page("风暴战区", 1, 20);
  EXPECT_EQ(page.matches, 2);
  EXPECT_EQ(*page.entries.front(), added);  // newest first
  EXPECT_EQ(Page("", 1, 20).matches, kSeedEntryCount + 1);
  EXPECT_EQ(store_->FindEntry("1"), replaced);
  // Entry 1 shows its new title, one place further down behind the new entry.
  const std::int32_t page_now = static_cast<std::int32_t>((position + 1) / 20 + 1);
  EXPECT_EQ(*Page("", page_now, 20).entries.at((position + 1) % 20), replaced);
}

TEST_F(CatalogueStoreTest, RowsEditedInPlaceCannotBreakTheFraming) {
  ASSERT_EQ(store_->FindEntry("1"), SeedCatalogue()[0]);
  const CatalogueIdentity seeded = *store_->Identity();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "UPDATE entries SET title = 'a' || char(1) || 'b?TtbBa?c', "
                         "download_links = char(2) WHERE entry_id = '1'",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  ASSERT_NE(NextCatalogue(*store_, seeded), seeded);
  const std::optional<CatalogueEntry> edited = store_->FindEntry("1");
  ASSERT_TRUE(edited.has_value());
  EXPECT_EQ(edited->title, "abc");
  EXPECT_EQ(edited->download_links, "");
}

TEST_F(CatalogueStoreTest, IdentityNamesTheContentLoaded) {
  const std::shared_ptr<const CatalogueIdentity> seeded = store_->Identity();
  ASSERT_TRUE(std::regex_match(seeded->tag, std::regex("[0-9a-f]{32}-[0-9a-f]{16}")))
      << seeded->tag;
  EXPECT_NE(seeded->tag.substr(0, 32), std::string(32, '0'));  // the starter catalogue is stamped
  // The same file gives the same identity to anyone who loads it.
  EXPECT_EQ(*CatalogueStore(db_).Identity(), *seeded);
  EXPECT_EQ(*store_->Identity(), *seeded);

  CatalogueWriter::Import(db_, {CatalogueEntry{"c", "t", "l", "u", "", "new"}});
  const CatalogueIdentity imported = NextCatalogue(*store_, *seeded);
  EXPECT_NE(imported.tag.substr(0, 32), seeded->tag.substr(0, 32));
  EXPECT_GE(imported.modified, seeded->modified);
}

// A load holds up no request while there is a catalogue to answer from.  The
// load of the imported catalogue is held back where it says it has loaded,
// just before it takes over: until it is let go, every request is answered
// from the old catalogue, whole, and told that it is being replaced.
TEST_F(CatalogueStoreTest, AnswersFromTheCatalogueHeldWhileTheNextOneLoads) {
  const CatalogueIdentity seeded = *store_->Identity();
  std::promise<void> loaded;
  std::promise<void> let_go;
  const std::shared_future<void> going = let_go.get_future().share();
  bool first = true;
  store_->SetNotices([&](std::string_view line) {
    if (!first || !line.starts_with("loaded ")) return;
    first = false;
    loaded.set_value();
    // Were the request that started the load held up by it, the wait would end
    // here after a while and the test fail, rather than hang.
    going.wait_for(std::chrono::seconds(10));
  });
  CatalogueWriter::Import(db_, {CatalogueEntry{"c", "t", "l", "u", "", "new"}});
  EXPECT_EQ(store_->Identity()->tag, seeded.tag);
  loaded.get_future().wait();
  EXPECT_EQ(store_->Identity()->tag, seeded.tag);
  EXPECT_EQ(Page("", 1, 20).matches, kSeedEntryCount);
  EXPECT_TRUE(store_->Rows("", 1, 20).replaced);
  AnswerSource looked_up_in;
  EXPECT_EQ(store_->FindEntry("new", &looked_up_in), std::nullopt);
  EXPECT_EQ(looked_up_in.identity->tag, seeded.tag);
  EXPECT_TRUE(looked_up_in.replaced);

  let_go.set_value();
  const CatalogueIdentity imported = NextCatalogue(*store_, seeded);
  EXPECT_NE(imported.tag, seeded.tag);
  EXPECT_EQ(Page("", 1, 20).matches, kSeedEntryCount + 1);
  EXPECT_FALSE(store_->Rows("", 1, 20).replaced);
  EXPECT_EQ(store_->FindEntry("new", &looked_up_in).value_or(CatalogueEntry{}).title, "t");
  EXPECT_EQ(looked_up_in.identity->tag, imported.tag);
  EXPECT_FALSE(looked_up_in.replaced);
  store_->SetNotices(nullptr);
}

// A push made while the one before it loads is loaded next, with nobody asking.
TEST_F(CatalogueStoreTest, APushMadeDuringALoadIsLoadedNext) {
  std::promise<void> first_loaded;
  std::promise<void> second_loaded;
  std::promise<void> let_go;
  const std::shared_future<void> going = let_go.get_future().share();
  int loads = 0;
  store_->SetNotices([&](std::string_view line) {
    if (!line.starts_with("loaded ")) return;
    if (++loads == 1) {
      first_loaded.set_value();
      going.wait_for(std::chrono::seconds(10));
    } else if (loads == 2) {
      second_loaded.set_value();
    }
  });
  CatalogueWriter::Import(db_, {CatalogueEntry{"c", "t", "l", "u", "", "first"}});
  first_loaded.get_future().wait();
  CatalogueWriter::Import(db_, {CatalogueEntry{"c", "t", "l", "u", "", "second"}});
  let_go.set_value();
  EXPECT_EQ(second_loaded.get_future().wait_for(std::chrono::seconds(10)),
            std::future_status::ready);
  // The notice comes just before the takeover, which a busy machine may delay.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!store_->FindEntry("second") && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(store_->FindEntry("second").has_value());
  store_->SetNotices(nullptr);
}

TEST(CatalogueWriterTest, SeedsAnEmptyFileAndKeepsAnExistingCatalogue) {
  TempDir dir;
  const std::string db = dir.File("empty.sqlite3");
  std::ofstream(db).close();
  EXPECT_TRUE(CatalogueWriter::EnsureCatalogue(db));
  EXPECT_FALSE(CatalogueWriter::EnsureCatalogue(db));
  CatalogueStore store(db);
  EXPECT_EQ(store.EntryCount(), kSeedEntryCount);
}

// The starter catalogue is for a service's first start: an import that makes a
// new catalogue, to be pushed to running services, holds its own entries alone.
TEST(CatalogueWriterTest, ImportsIntoANewCatalogueWithoutTheStarterEntries) {
  TempDir dir;
  const std::string empty = dir.File("empty.sqlite3");
  std::ofstream(empty).close();
  for (const std::string& db : {dir.File("new/folder/catalogue.sqlite3"), empty}) {
    const ImportCounts counts =
        CatalogueWriter::Import(db, {CatalogueEntry{"c", "t", "l", "u", "", "only"}});
    EXPECT_EQ(counts.added, 1) << db;
    CatalogueStore store(db);
    EXPECT_EQ(store.EntryCount(), 1) << db;
    EXPECT_EQ(store.FindEntry("only").value_or(CatalogueEntry{}).title, "t") << db;
  }
}

TEST(CatalogueWriterTest, RefusesFilesThatAreNotCatalogues) {
  TempDir dir;
  const std::string text = dir.File("notes.txt");
  std::ofstream(text) << "not a database at all, but long enough to look like a header\n";
  EXPECT_THROW(CatalogueWriter::EnsureCatalogue(text), StoreError);
  EXPECT_THROW(CatalogueStore store(text), StoreError);

  const std::string other = dir.File("other.sqlite3");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t (x)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_THROW(CatalogueWriter::EnsureCatalogue(other), StoreError);
  EXPECT_THROW(CatalogueWriter::Import(other, {}), StoreError);
  EXPECT_THROW(CatalogueStore store(other), StoreError);
}

}  // namespace
}  // namespace quorvel::service
