#include "service/store/scratch_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kInfix = ".quorvel-scratch-";
constexpr std::size_t kRandomCharacters = 6;  // as mkdtemp() makes them
constexpr const char* kMarkerName = "built-by-catalogue-service";
constexpr std::string_view kMarkerText =
    "catalogue-service builds a new catalogue in this folder and removes the folder when it is "
    "done, or at its next import if it was stopped.\n";
constexpr const char* kDatabaseName = "catalogue.sqlite3";
// Everything of ours a folder can hold; the marker goes last.
constexpr const char* kOwnFiles[] = {"catalogue.sqlite3", "catalogue.sqlite3-journal",
                                     "catalogue.sqlite3-wal", "catalogue.sqlite3-shm", kMarkerName};

std::string ParentOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? "." : parent.string();
}

std::string NameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

bool HasMarker(int folder) {
  const int fd = ::openat(folder, kMarkerName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  char text[kMarkerText.size() + 1];
  const bool marked = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      ::read(fd, text, sizeof text) == static_cast<ssize_t>(kMarkerText.size()) &&
                      std::string_view(text, kMarkerText.size()) == kMarkerText;
  ::close(fd);
  return marked;
}

// Clears the folder `name` in the open folder `parent` of our files and
// removes it when nothing else is left; does nothing unless it is marked as
// ours.  Works on descriptors, so a folder swapped for a link meanwhile leads
// nowhere else.
void Clear(int parent, const std::string& name) {
  const int folder =
      ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return;
  if (HasMarker(folder)) {
    for (const char* own : kOwnFiles) ::unlinkat(folder, own, 0);
    ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
  }
  ::close(folder);
}

bool IsScratchName(std::string_view name, std::string_view catalogue_name) {
  if (name.size() != catalogue_name.size() + kInfix.size() + kRandomCharacters ||
      !name.starts_with(catalogue_name) ||
      name.substr(catalogue_name.size(), kInfix.size()) != kInfix) {
    return false;
  }
  const std::string_view random = name.substr(name.size() - kRandomCharacters);
  return std::all_of(random.begin(), random.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& catalogue_path) {
  std::string pattern = catalogue_path + std::string(kInfix) + std::string(kRandomCharacters, 'X');
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw StoreError("cannot create a folder beside " + catalogue_path + ": " +
                     std::strerror(errno));
  }
  folder_ = pattern;
  database_ = folder_ + "/" + kDatabaseName;
  const std::string marker = folder_ + "/" + kMarkerName;
  const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  const bool written = fd >= 0 && ::write(fd, kMarkerText.data(), kMarkerText.size()) ==
                                      static_cast<ssize_t>(kMarkerText.size());
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!written) {
    ::unlink(marker.c_str());
    ::rmdir(folder_.c_str());
    throw StoreError("cannot write in " + folder_ + ": " + std::strerror(error));
  }
}

ScratchFolder::~ScratchFolder() {
  const int parent = ::open(ParentOf(folder_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  Clear(parent, NameOf(folder_));
  ::close(parent);
}

void ScratchFolder::RemoveLeftovers(const std::string& catalogue_path) {
  const int parent = ::open(ParentOf(catalogue_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  const std::string catalogue_name = NameOf(catalogue_path);
  std::vector<std::string> leftovers;
  if (DIR* listing = ::fdopendir(::fcntl(parent, F_DUPFD_CLOEXEC, 0))) {
    while (const dirent* item = ::readdir(listing)) {
      if (IsScratchName(item->d_name, catalogue_name)) leftovers.emplace_back(item->d_name);
    }
    ::closedir(listing);
  }
  for (const std::string& name : leftovers) Clear(parent, name);
  ::close(parent);
}

}  // namespace quorvel::service
