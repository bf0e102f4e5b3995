// The catalogue written out as an import file, and read back: what an import
// of it into a new catalogue serves is what the catalogue served.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "protocol/listing_reply_writer.h"
#include "service/http/service_pages.h"
#include "service/store/catalogue_store.h"
#include "service/store/catalogue_writer.h"
#include "service/store/page_reply.h"
#include "service/store/sqlite_handle.h"
#include "service/store/tsv_export.h"
#include "service/store/tsv_import.h"
#include "service_process.h"

namespace quorvel::service {
namespace {

using quorvel::testing::TempDir;

// Every listing page of each term, and every entry's download page, as sent.
std::vector<std::string> Replies(const std::string& db, const std::vector<std::string>& ids) {
  CatalogueStore store(db);
  std::vector<std::string> replies;
  for (const std::string term : {"", "CSOL", "entry", "穿越"}) {
    for (std::int32_t page = 1;; ++page) {
      const ListingRows rows = store.Rows(term, page, 7);
      replies.push_back(BuildListingReply(*rows.store, rows.rows, rows.matches,
                                          protocol::PageCount(rows.matches, 7), "http://h"));
      if (rows.rows.empty()) break;
    }
  }
  for (const std::string& id : ids) replies.push_back(DownloadPage(store.FindEntry(id), id));
  return replies;
}

std::string Export(const std::string& db) {
  std::string text;
  const TsvExportResult result = ExportTsv(db, [&](std::string_view bytes) {
    text.append(bytes);
    return true;
  });
  EXPECT_EQ(result.problem, "");
  return text;
}

TEST(TsvExportTest, ImportedIntoANewCatalogueItServesTheSameReplies) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  // What an import line holds only with care: a Category opening with a byte
  // order mark on the first line, an EntryId ending in "\r"; and one time for
  // many entries, so that only the order of first import orders them.
  std::vector<CatalogueEntry> entries = {
      {"\xEF\xBB\xBF"
       "CSOL",
       "bom first", "free", "2001", "a/*//download/1/**/", "1"},
      {"CSOL", "cr last", "free", "2001", "a/*/http://x/**/", "2\r"},
      {"穿越火线", "穿越 entry", "免费", "2003", "", "3"}};
  for (int i = 4; i < 40; ++i) {
    entries.push_back(
        {"CSOL", "entry " + std::to_string(i), "free", "2002", "", std::to_string(i)});
  }
  CatalogueWriter::Import(db, entries);
  // Later imports: a replaced entry keeps its place in the order of first
  // import, and a removed one leaves a gap.
  CatalogueWriter::Import(db, {{"CSOL", "entry 5 again", "paid", "2004", "", "5"}});
  CatalogueWriter::Remove(db, {"7"});
  std::vector<std::string> ids = {"1", "2\r", "3", "5", "7"};

  const std::string text = Export(db);
  std::istringstream in(text);
  const TsvReadResult read = ReadTsv(in);
  ASSERT_TRUE(read.rejected.empty()) << read.rejected.front().reason;
  const std::string copy = dir.File("copy.sqlite3");
  CatalogueWriter::Import(copy, read.entries);
  EXPECT_EQ(Replies(copy, ids), Replies(db, ids));
  EXPECT_EQ(Export(copy), text);
}

TEST(TsvExportTest, AnEntryNoImportLineCanCarryStopsTheExportBeforeAnyByte) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  CatalogueWriter::Import(db, {{"c", "fine", "l", "u", "", "1"}, {"c", "t", "l", "u", "", "2"}});
  struct Case {
    const char* sql;  // edited in place, as another program may
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"UPDATE entries SET title = 'a' || char(9) || 'b' WHERE entry_id = '2'",
       "the entry '2' has a tab in its Title"},
      {"UPDATE entries SET update_time = 'a' || char(10) WHERE entry_id = '2'",
       "the entry '2' has a line end in its UpdateTime"},
      {"UPDATE entries SET licence_mode = CAST(x'ff' AS TEXT) WHERE entry_id = '2'",
       "the entry '2' has a LicenceMode that is not UTF-8"},
      {"UPDATE entries SET category = printf('%.*c', 1025, 'x') WHERE entry_id = '2'",
       "the entry '2' has a Category of 1025 bytes, more than 1024 an import takes"},
  };
  for (const Case& c : cases) {
    const std::string edited = dir.File("edited.sqlite3");
    std::filesystem::copy_file(db, edited, std::filesystem::copy_options::overwrite_existing);
    SqliteDatabase(edited, SqliteDatabase::Mode::kReadWriteCreate).Execute(c.sql);
    std::string written;
    const TsvExportResult result = ExportTsv(edited, [&](std::string_view bytes) {
      written.append(bytes);
      return true;
    });
    EXPECT_EQ(result.problem, c.problem) << c.sql;
    EXPECT_EQ(written, "") << c.sql;
  }
}

}  // namespace
}  // namespace quorvel::service
