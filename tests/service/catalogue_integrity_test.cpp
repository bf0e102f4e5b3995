// The running catalogue-service against catalogues that change under it:
// replaced by another file, edited in place by another program, committed to
// in a write-ahead log, swapped for a file of another schema.  Whatever
// happens, it serves committed rows of the catalogue the path names, or the
// catalogue it held before, never a mixture.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "running_service.h"
#include "service/store/seed_catalogue.h"

namespace quorvel::service {
namespace {

void Import(const TempDir& dir, const std::string& db, const std::string& lines) {
  const ProgramResult run = ImportLines(dir, db, lines);
  EXPECT_EQ(run.exit_code, 0) << run.err;
}

std::string Listing(int port, const std::string& query) {
  return testing::Get(port, kListing + query).body;
}

const std::string kRowsA =
    "CSOL\tAAA first\tfree\t2090-01-01 00:00:00\t\ta1\n"
    "CSOL\tAAA second\tfree\t2090-01-02 00:00:00\t\ta2\n";
const std::string kRowsB =
    "CSOL\tBBB first\tfree\t2090-01-01 00:00:00\t\tb1\n"
    "CSOL\tBBB second\tfree\t2090-01-02 00:00:00\t\tb2\n";

struct ReplacementCase {
  std::string name;
  // Before the service starts: leaves `db` with kRowsA imported.
  std::function<void(const TempDir&, const std::string&)> before;
  // While it serves: leaves `db` holding kRowsB and not kRowsA.
  std::function<void(const TempDir&, const std::string&)> replace;
};

// A new file that happens to repeat the old one's counters must never be
// answered from what was worked out for the old one.
TEST(CatalogueIntegrityTest, AReplacedCatalogueIsServedAsItselfOnceLoaded) {
  signal(SIGPIPE, SIG_IGN);
  const std::vector<ReplacementCase> cases = {
      {"removed, then imported anew",
       [](const TempDir& dir, const std::string& db) { Import(dir, db, kRowsA); },
       [](const TempDir& dir, const std::string& db) {
         std::filesystem::remove(db);
         Import(dir, db, kRowsB);
       }},
      {"a backup restored, then imported once",
       [](const TempDir& dir, const std::string& db) {
         Import(dir, db, "CSOL\tCCC zero\tfree\t2000-01-01 00:00:00\t\tc0\n");
         std::filesystem::copy_file(db, dir.File("backup"));
         Import(dir, db, kRowsA);
       },
       [](const TempDir& dir, const std::string& db) {
         std::filesystem::rename(dir.File("backup"), db);
         Import(dir, db, kRowsB);
       }},
  };
  for (const ReplacementCase& c : cases) {
    TempDir dir;
    const std::string db = dir.File("c.sqlite3");
    c.before(dir, db);
    std::string error;
    auto service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
    ASSERT_NE(service, nullptr) << c.name << ": " << error;
    const int port = service->port();
    ASSERT_NE(Listing(port, "page=1&q=aaa").find("?TtbBa?2?1"), std::string::npos) << c.name;
    ASSERT_EQ(testing::Get(port, "/download/a1").status, 200) << c.name;

    c.replace(dir, db);
    // The old catalogue answers, whole, until the new one is loaded.
    const std::string b =
        testing::GetUntil(port, kListing + "page=1&q=bbb", [&](const testing::HttpReply& reply) {
          if (reply.body.find("BBB") != std::string::npos) return true;
          EXPECT_EQ(reply.body, "?TtbBa?0?0") << c.name;
          return false;
        }).body;
    EXPECT_EQ(Listing(port, "page=1&q=aaa"), "?TtbBa?0?0") << c.name;
    EXPECT_NE(b.find("BBB second"), std::string::npos) << c.name;
    EXPECT_NE(b.find("?TtbBa?2?1"), std::string::npos) << c.name;
    EXPECT_EQ(testing::Get(port, "/download/a1").status, 404) << c.name;
  }
}

// Runs SQL on a connection of the test's own, as another program editing the
// live catalogue would.
void Sql(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
      << sql << ": " << (message != nullptr ? message : "");
  sqlite3_free(message);
}

// The title the download page of entry 1 shows, once it shows `wanted` or
// after ten seconds.
std::string TitleOfFirst(int port, const std::string& wanted) {
  std::string title;
  for (int attempt = 0; attempt < 200 && title != wanted; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const testing::HttpReply page = testing::Get(port, "/download/1");
    const std::size_t open = page.body.find("<h1>");
    const std::size_t close = page.body.find("</h1>");
    title = page.status != 200 || open == std::string::npos || close == std::string::npos
                ? "status " + std::to_string(page.status)
                : page.body.substr(open + 4, close - open - 4);
  }
  return title;
}

struct EditCase {
  std::string name;
  // Edits the catalogue at `path` on `db`, a connection opened on it.
  std::function<void(sqlite3* db, const TempDir& dir, const std::string& path)> edit;
  std::string served;  // the title of entry 1 from then on
  std::string never;   // a title never to be served
  std::string logged;  // what the log says of it
};

// Another program edits the live catalogue in place.  Only committed rows are
// ever served; while the editor holds the file, the catalogue loaded before
// goes on serving.
TEST(CatalogueIntegrityTest, EditsInPlaceAreServedOnlyOnceCommitted) {
  signal(SIGPIPE, SIG_IGN);
  const std::string seed_title = SeedCatalogue()[0].title;
  const std::vector<EditCase> cases = {
      {"an edit not committed yet, written into the file",
       [](sqlite3* db, const TempDir&, const std::string&) {
         // A tiny cache makes SQLite write changed pages into the file
         // before the commit, holding it locked meanwhile.
         Sql(db, "PRAGMA cache_size = 1; BEGIN; UPDATE entries SET title = 'HALFWRITTEN'");
       },
       seed_title, "HALFWRITTEN", "database is locked; serving the catalogue loaded before"},
      {"an edit committed in place",
       [](sqlite3* db, const TempDir&, const std::string&) {
         Sql(db, "UPDATE entries SET title = 'INPLACE' WHERE entry_id = '1'");
       },
       "INPLACE", "", ""},
      {"an edit committed in the write-ahead log",
       [](sqlite3* db, const TempDir&, const std::string&) {
         Sql(db, "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0");
         Sql(db, "UPDATE entries SET title = 'INTHELOG' WHERE entry_id = '1'");
       },
       "INTHELOG", "", ""},
      {"a file of another schema version put in its place",
       [](sqlite3*, const TempDir& dir, const std::string& path) {
         const std::string other = dir.File("other.sqlite3");
         std::filesystem::copy_file(path, other);
         sqlite3* copy = nullptr;
         ASSERT_EQ(sqlite3_open(other.c_str(), &copy), SQLITE_OK);
         Sql(copy, "UPDATE entries SET title = 'OTHERSCHEMA'; PRAGMA user_version = 2");
         sqlite3_close(copy);
         std::filesystem::rename(other, path);
       },
       seed_title, "OTHERSCHEMA", "has catalogue schema version 2"},
  };
  for (const EditCase& c : cases) {
    TempDir dir;
    const std::string path = dir.File("c.sqlite3");
    std::string error;
    auto service = ServiceProcess::Start(kService, {"--db", path}, dir.File("log"), &error);
    ASSERT_NE(service, nullptr) << c.name << ": " << error;
    ASSERT_EQ(TitleOfFirst(service->port(), seed_title), seed_title) << c.name;

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    c.edit(db, dir, path);
    EXPECT_EQ(TitleOfFirst(service->port(), c.served), c.served) << c.name;
    if (!c.never.empty()) {
      // Asked again and again for a while, so that every retry is seen too.
      for (int i = 0; i < 10; ++i) {
        const testing::HttpReply listing = testing::Get(service->port(), kListing + "page=1");
        EXPECT_EQ(listing.status, 200) << c.name;
        EXPECT_EQ(listing.body.find(c.never), std::string::npos) << c.name;
        EXPECT_EQ(TitleOfFirst(service->port(), c.served), c.served) << c.name;
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
      }
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(TitleOfFirst(service->port(), c.served), c.served) << c.name << ", at the end";
    // The log is written by a thread of its own: its line may come a little later.
    std::string logged;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      std::ifstream log(dir.File("log"));
      logged.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
      if (logged.find(c.logged) != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < until);
    EXPECT_NE(logged.find(c.logged), std::string::npos) << c.name << ": " << logged;
  }
}

}  // namespace
}  // namespace quorvel::service
