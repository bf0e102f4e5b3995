#include "service/store/catalogue_identity.h"

#include <algorithm>

namespace quorvel::service {
namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr std::size_t kStampBytes = 16;

void AppendHex(std::uint64_t value, std::string& out) {
  for (int shift = 60; shift >= 0; shift -= 4) out.push_back(kHex[(value >> shift) & 15]);
}

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    hash = (hash ^ ((value >> (8 * i)) & 0xFF)) * 1099511628211ULL;
  }
  return hash;
}

}  // namespace

CatalogueIdentity CatalogueIdentity::Of(std::string_view stamp, const CatalogueFileState& file,
                                        std::uint64_t commit_marks) {
  CatalogueIdentity identity;
  identity.tag.reserve(2 * kStampBytes + 1 + 16);
  for (std::size_t i = 0; i < kStampBytes; ++i) {
    const auto byte = i < stamp.size() ? static_cast<unsigned char>(stamp[i]) : 0;
    identity.tag.push_back(kHex[byte >> 4]);
    identity.tag.push_back(kHex[byte & 15]);
  }
  identity.tag.push_back('-');
  std::uint64_t hash = 14695981039346656037ULL;
  for (const std::uint64_t part :
       {file.device, file.inode, static_cast<std::uint64_t>(file.size),
        static_cast<std::uint64_t>(file.modified_ns), static_cast<std::uint64_t>(file.log_size),
        static_cast<std::uint64_t>(file.log_modified_ns), commit_marks}) {
    hash = Mix(hash, part);
  }
  AppendHex(hash, identity.tag);
  identity.modified = std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(
          std::chrono::nanoseconds(std::max(file.LatestWriteNs(), file.changed_ns))));
  return identity;
}

}  // namespace quorvel::service
