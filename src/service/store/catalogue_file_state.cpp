#include "service/store/catalogue_file_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace quorvel::service {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;

std::uint64_t Mix(std::uint64_t hash, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * kFnvPrime;
  return hash;
}

// Up to `size` bytes from the start of `path`, and the file's size (-1 when
// it cannot be opened).  What is not read reads as zeros: the bytes go into
// identities, which every process that reads the same file must agree on.
std::int64_t ReadHead(const std::string& path, char* buffer, std::size_t size) {
  std::memset(buffer, 0, size);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat info {};
  const std::int64_t file_size = ::fstat(fd, &info) == 0 ? info.st_size : -1;
  // A short read leaves the rest zero.
  if (::pread(fd, buffer, size, 0) < 0) std::memset(buffer, 0, size);
  ::close(fd);
  return file_size;
}

}  // namespace

std::int64_t CatalogueFileState::LatestWriteNs() const {
  return std::max(modified_ns, log_size >= 0 ? log_modified_ns : modified_ns);
}

CatalogueFileState CatalogueFileState::Observe(const std::string& path, bool with_log) {
  CatalogueFileState state;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    state.device = static_cast<std::uint64_t>(info.st_dev);
    state.inode = static_cast<std::uint64_t>(info.st_ino);
    state.size = static_cast<std::int64_t>(info.st_size);
    state.modified_ns =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    state.changed_ns =
        static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
  }
  if (with_log && ::stat((path + "-wal").c_str(), &info) == 0) {
    state.log_size = static_cast<std::int64_t>(info.st_size);
    state.log_modified_ns =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
  }
  return state;
}

bool CatalogueFileState::KeepsLog(const std::string& path) {
  // Bytes 18 and 19 of the header are 2 in WAL mode, 1 otherwise.
  char header[20];
  ReadHead(path, header, sizeof header);
  return header[18] == 2;
}

std::uint64_t CatalogueFileState::CommitMarks(const std::string& path) {
  // Bytes 24 to 27 of the database header count its commits; bytes 16 to 23
  // of the log header are the salts a restarted log gets anew.
  char database[28];
  char log[24];
  ReadHead(path, database, sizeof database);
  const std::int64_t log_size = ReadHead(path + "-wal", log, sizeof log);
  std::uint64_t hash = Mix(kFnvOffset, database + 24, 4);
  hash = Mix(hash, log + 16, 8);
  return Mix(hash, &log_size, sizeof log_size);
}

}  // namespace quorvel::service
