#include "service/import_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "service/store/catalogue_writer.h"
#include "service/store/tsv_import.h"

namespace quorvel::service {
namespace {

// Rejected lines listed one by one before the rest are only counted.
constexpr std::size_t kListedRejections = 20;

constexpr std::string_view kUnchanged = "; the catalogue was not changed\n";

const char* Refused(mode_t mode) {
  if (S_ISREG(mode) || S_ISFIFO(mode) || S_ISCHR(mode)) return nullptr;
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISBLK(mode)) return "a block device";
  return "neither a file nor a stream";
}

// The lines counted in English: "1 line", "3 lines".
std::string Lines(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " line" : " lines");
}

}  // namespace

int RunImport(const std::string& given, const std::string& db_path, std::int64_t max_skipped,
              std::ostream& out, std::ostream& err) {
  // "-" is standard input, which is how a file the importing user may not
  // open itself is handed over.
  const bool from_standard_input = given == "-";
  const std::string file = from_standard_input ? "standard input" : given;
  const int fd = from_standard_input ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                                     : ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    err << "catalogue-service: cannot read " << file << ": " << std::strerror(errno) << kUnchanged;
    return 1;
  }
  struct stat info {};
  const char* refused =
      ::fstat(fd, &info) != 0 ? "of a kind that cannot be told" : Refused(info.st_mode);
  if (refused != nullptr) {
    ::close(fd);
    err << "catalogue-service: " << file << " is " << refused << ", not a file to import"
        << kUnchanged;
    return 1;
  }
  const TsvReadResult read = ReadTsv(
      [fd](char* buffer, std::size_t size) -> long {
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, size)) < 0 && errno == EINTR) {
        }
        return static_cast<long>(got);
      },
      max_skipped);
  ::close(fd);

  for (std::size_t i = 0; i < read.rejected.size() && i < kListedRejections; ++i) {
    err << file << ":" << read.rejected[i].line << ": skipped, " << read.rejected[i].reason << "\n";
  }
  if (read.rejected.size() > kListedRejections) {
    err << "... and " << read.rejected.size() - kListedRejections << " more lines skipped\n";
  }
  const auto skipped = static_cast<std::int64_t>(read.rejected.size());
  if (read.failure) {
    err << "catalogue-service: " << file << ":" << read.failure->line << ": "
        << read.failure->reason << kUnchanged;
    return 1;
  }
  if (skipped > max_skipped) {
    err << "catalogue-service: " << file << ":" << read.rejected.back().line << ": "
        << Lines(skipped) << " skipped, more than --max-skipped " << max_skipped << " allows"
        << kUnchanged;
    return 1;
  }
  if (read.entries.empty()) {
    err << "catalogue-service: " << file << ":" << read.lines << ": no valid entry in "
        << Lines(read.lines) << kUnchanged;
    return 1;
  }

  const ImportCounts counts = CatalogueWriter::Import(db_path, read.entries);
  out << "imported " << read.entries.size() << " entries into " << db_path << ": " << counts.added
      << " added, " << counts.replaced << " replaced; " << read.cleaned_fields
      << " fields cleaned of separator characters or the reply marker; " << skipped
      << " lines skipped\n";
  return 0;
}

}  // namespace quorvel::service
