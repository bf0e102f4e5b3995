#include "service/remove_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "service/store/catalogue_writer.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kUnchanged = "; the catalogue was not changed\n";

}  // namespace

int RunRemove(const std::string& db_path, const std::vector<std::string>& entry_ids,
              std::ostream& out, std::ostream& err) {
  struct stat info {};
  if (::stat(db_path.c_str(), &info) != 0) {
    err << "catalogue-service: cannot remove entries from " << db_path << ": "
        << std::strerror(errno) << kUnchanged;
    return 1;
  }
  RemoveCounts counts;
  try {
    counts = CatalogueWriter::Remove(db_path, entry_ids);
  } catch (const StoreError& error) {
    err << "catalogue-service: " << error.what() << kUnchanged;
    return 1;
  }
  if (!counts.missing.empty()) {
    err << "catalogue-service: --remove " << counts.missing.front() << ": " << db_path
        << " has no entry with this EntryId";
    if (counts.missing.size() > 1) {
      err << " (nor with " << counts.missing.size() - 1 << " more of those given)";
    }
    err << kUnchanged;
    return 1;
  }
  out << "removed " << counts.removed << (counts.removed == 1 ? " entry" : " entries") << " from "
      << db_path << "; " << counts.left << " left\n";
  return 0;
}

}  // namespace quorvel::service
