#include "service/database_path.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

std::string Owner(uid_t uid) {
  if (const passwd* user = ::getpwuid(uid)) {
    return "user " + std::string(user->pw_name) + " (" + std::to_string(uid) + ")";
  }
  return "user " + std::to_string(uid);
}

std::string Group(gid_t gid) {
  if (const group* found = ::getgrgid(gid)) return "group " + std::string(found->gr_name);
  return "group " + std::to_string(gid);
}

// Who besides `uid` and root may change `folder`; empty when nobody.
std::string OthersWhoMayChange(const std::string& folder, uid_t uid, bool holds_file) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return std::string();
  if (info.st_uid != uid && info.st_uid != 0) return Owner(info.st_uid);
  const bool guarded = (info.st_mode & S_ISVTX) != 0 && !holds_file;
  if ((info.st_mode & S_IWOTH) != 0 && !guarded) return "everyone";
  if ((info.st_mode & S_IWGRP) != 0 && !guarded) return Group(info.st_gid);
  return std::string();
}

// The first folder that holds `file` or one of its folders, as the file
// system resolves it, that someone besides `uid` may change.
std::string ChangeableFolder(const std::filesystem::path& file, uid_t uid) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(file, error).parent_path();
  // A name yet to be made, perhaps in folders yet to be made: those will be
  // the caller's own.
  while (!std::filesystem::exists(folder, error) && folder.has_relative_path()) {
    folder = folder.parent_path();
  }
  folder = std::filesystem::canonical(folder, error);
  if (error) return std::string();
  for (bool holds_file = true;; holds_file = false) {
    const std::string others = OthersWhoMayChange(folder.string(), uid, holds_file);
    if (!others.empty()) return folder.string() + " can be changed by " + others;
    if (!folder.has_relative_path()) return std::string();
    folder = folder.parent_path();
  }
}

}  // namespace

std::string FolderOthersCanChange(const std::string& path, unsigned uid) {
  // Where the name lies, and where what it links to lies, if it links.
  std::string found = ChangeableFolder(path, uid);
  std::error_code error;
  if (found.empty() && std::filesystem::is_symlink(path, error)) {
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (!error) found = ChangeableFolder(target, uid);
  }
  return found;
}

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
