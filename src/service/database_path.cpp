#include "service/database_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace quorvel::service {
namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "of another kind";
}

}  // namespace

DatabasePath CheckDatabasePath(const std::string& path) {
  struct stat link_info {};
  if (::lstat(path.c_str(), &link_info) != 0) {
    if (errno == ENOENT) return {path, ""};
    return {path, path + ": " + std::strerror(errno)};
  }
  if (S_ISREG(link_info.st_mode)) return {path, ""};
  if (!S_ISLNK(link_info.st_mode)) {
    return {path, path + " is " + KindOf(link_info.st_mode) + ", not a regular file"};
  }
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) {
    return {path, path + " is a symbolic link to nothing usable: " + std::strerror(errno)};
  }
  if (!S_ISREG(target.st_mode)) {
    return {path,
            path + " is a symbolic link to " + KindOf(target.st_mode) + ", not to a regular file"};
  }
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) {
    return {path, path + ": " + std::strerror(errno)};
  }
  return {resolved, ""};
}

}  // namespace quorvel::service
