#pragma once

// What the tests of the running catalogue-service share: the executable they
// start, where the listing is, a request as written, an import of a few lines,
// and the names of the helpers they use.

#include <fstream>
#include <string>

#include "loopback_connection.h"
#include "service_process.h"

namespace quorvel::service {

using testing::HttpReply;
using testing::LoopbackConnection;
using testing::ProgramResult;
using testing::RunProgram;
using testing::ServiceProcess;
using testing::TempDir;

inline const std::string kService = CATALOGUE_SERVICE_PATH;
inline const std::string kListing = "/adminphp/admin_upload.php?";

// "`method` `target` HTTP/1.1" with Host 127.0.0.1, the whole request.
inline std::string Request(const std::string& target, const std::string& method = "GET") {
  return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

// Imports `lines` (one entry a line, tab-separated) into `db` with the
// service, by way of the file `name` in `dir`.
inline ProgramResult ImportLines(const TempDir& dir, const std::string& db,
                                 const std::string& lines, const std::string& name = "import.tsv") {
  const std::string tsv = dir.File(name);
  {
    std::ofstream out(tsv, std::ios::binary | std::ios::trunc);
    out << lines;
  }
  return RunProgram(kService, {"--db", db, "--import", tsv});
}

}  // namespace quorvel::service
