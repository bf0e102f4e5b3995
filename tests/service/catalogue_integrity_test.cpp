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

#include "loopback_connection.h"
#include "service_process.h"

namespace quorvel::service {
namespace {

using testing::ProgramResult;
using testing::RunProgram;
using testing::ServiceProcess;
using testing::TempDir;

const std::string kService = CATALOGUE_SERVICE_PATH;
const std::string kListing = "/adminphp/admin_upload.php?";

// Imports `lines` (one entry a line, tab-separated) into `db`; the exit code.
int Import(const TempDir& dir, const std::string& db, const std::string& lines) {
  const std::string tsv = dir.File("import.tsv");
  std::ofstream(tsv, std::ios::binary | std::ios::trunc) << lines;
  const ProgramResult run = RunProgram(kService, {"--db", db, "--import", tsv});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  return run.exit_code;
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
TEST(CatalogueIntegrityTest, AReplacedCatalogueIsServedAsItselfAtOnce) {
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
    EXPECT_EQ(Listing(port, "page=1&q=aaa"), "?TtbBa?0?0") << c.name;
    const std::string b = Listing(port, "page=1&q=bbb");
    EXPECT_NE(b.find("BBB second"), std::string::npos) << c.name;
    EXPECT_NE(b.find("?TtbBa?2?1"), std::string::npos) << c.name;
    EXPECT_EQ(testing::Get(port, "/download/a1").status, 404) << c.name;
  }
}

}  // namespace
}  // namespace quorvel::service
