#include "service/export_command.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "service/store/sqlite_handle.h"
#include "service/store/tsv_export.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kNothing = "; nothing was exported\n";

bool WriteAll(int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error = written < 0 ? errno : EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The mode a file made now gets from the usual 0666, less the umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

int RunExport(const std::string& db_path, const std::string& file, std::ostream& out,
              std::ostream& err) {
  struct stat info {};
  if (::stat(db_path.c_str(), &info) != 0) {
    err << "catalogue-service: cannot export " << db_path << ": " << std::strerror(errno)
        << kNothing;
    return 1;
  }
  const bool to_standard_output = file == "-";
  const std::string shown = to_standard_output ? "standard output" : file;
  // Written beside its place first, so a failure leaves what was there.
  std::string temporary;
  int fd = STDOUT_FILENO;
  if (!to_standard_output) {
    temporary = file + ".quorvel-export-XXXXXX";
    fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
      err << "catalogue-service: cannot write " << shown << ": " << std::strerror(errno)
          << kNothing;
      return 1;
    }
  }
  int write_error = 0;
  TsvExportResult result;
  std::string failure;
  try {
    result = ExportTsv(db_path,
                       [&](std::string_view bytes) { return WriteAll(fd, bytes, write_error); });
  } catch (const StoreError& error) {
    failure = error.what();
  }
  if (failure.empty() && !result.problem.empty()) failure = db_path + ": " + result.problem;
  if (failure.empty() && result.write_failed) {
    failure = "cannot write " + shown + ": " + std::strerror(write_error);
  }
  if (!to_standard_output) {
    if (failure.empty() && (::fchmod(fd, NewFileMode()) != 0 || ::fsync(fd) != 0)) {
      failure = "cannot write " + shown + ": " + std::strerror(errno);
    }
    ::close(fd);
    if (failure.empty() && ::rename(temporary.c_str(), file.c_str()) != 0) {
      failure = "cannot write " + shown + ": " + std::strerror(errno);
    }
    if (!failure.empty()) ::unlink(temporary.c_str());
  }
  if (!failure.empty()) {
    // What went to standard output before a write failed cannot be taken back.
    err << "catalogue-service: " << failure
        << (to_standard_output && result.write_failed ? "; the export is incomplete\n"
                                                      : std::string(kNothing));
    return 1;
  }
  (to_standard_output ? err : out)
      << "exported " << result.entries << (result.entries == 1 ? " entry" : " entries") << " from "
      << db_path << " to " << shown << "\n";
  return 0;
}

}  // namespace quorvel::service
