#include "service/http/conditional_reply.h"

#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace quorvel::service {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// The first 128 bits of the SHA-256 of `subject`, in hex.  Anyone may choose
// what a subject holds (the term, the Host), so the tag needs a digest no one
// can find two subjects for: with a 64-bit hash two Hosts with one tag and two
// bodies are a few billion tries away.
void AppendDigest(std::string_view subject, std::string& out) {
  // Fetched once: EVP_sha256() would have the library look the algorithm up
  // among its providers, under a lock, at every digest, which took longer
  // than hashing a subject.
  // And each thread keeps a context to digest in.
  static EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  thread_local const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(),
                                                                                &EVP_MD_CTX_free);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (sha256 == nullptr || context == nullptr ||
      EVP_DigestInit_ex2(context.get(), sha256, nullptr) != 1 ||
      EVP_DigestUpdate(context.get(), subject.data(), subject.size()) != 1 ||
      EVP_DigestFinal_ex(context.get(), digest, &length) != 1 || length < 16) {
    // Never seen: SHA-256 is built into libcrypto and needs no memory of its
    // own.  A tag that cannot be made must not be shared.
    throw std::runtime_error("no digest for an entity tag");
  }
  for (std::size_t i = 0; i < 16; ++i) {
    out.push_back(kHex[digest[i] >> 4]);
    out.push_back(kHex[digest[i] & 15]);
  }
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// The opaque part of a tag as sent, "W/" and quotes taken off; empty when
// `text` holds no tag.
std::string_view Opaque(std::string_view text) {
  if (text.starts_with("W/")) text.remove_prefix(2);
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return {};
  return text.substr(1, text.size() - 2);
}

bool ListHolds(std::string_view list, std::string_view tag) {
  const std::string_view wanted = Opaque(tag);
  while (!list.empty()) {
    while (!list.empty() && (IsSpace(list.front()) || list.front() == ',')) list.remove_prefix(1);
    if (list.empty()) break;
    if (list.front() == '*') return true;
    // A tag runs to its closing quote, which may be followed by a comma.
    std::size_t end = list.starts_with("W/\"") ? 3 : 1;
    end = list.find('"', end);
    if (end == std::string_view::npos) return false;
    const std::string_view candidate = list.substr(0, end + 1);
    if (!Opaque(candidate).empty() && Opaque(candidate) == wanted) return true;
    list.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

std::string ConditionalReply::EntityTag(std::string_view identity_tag, std::string_view subject,
                                        ContentCoding coding, bool weak) {
  std::string tag = weak ? "W/\"" : "\"";
  tag.append(identity_tag.empty() ? std::string_view("built-in") : identity_tag);
  tag.push_back('.');
  AppendDigest(subject, tag);
  if (coding != ContentCoding::kIdentity) tag.append(".").append(CodingName(coding));
  tag.push_back('"');
  return tag;
}

std::string ConditionalReply::CacheControl(int max_age_seconds, bool shared) {
  if (max_age_seconds <= 0) return "no-cache";
  return (shared ? "public, max-age=" : "private, max-age=") + std::to_string(max_age_seconds);
}

bool ConditionalReply::NotModified(const char* if_none_match, const char* if_modified_since,
                                   std::string_view entity_tag,
                                   const std::optional<SystemTime>& last_modified) {
  if (if_none_match != nullptr) return ListHolds(if_none_match, entity_tag);
  if (if_modified_since == nullptr || !last_modified) return false;
  const std::optional<SystemTime> since = ParseHttpDate(if_modified_since);
  // The reply's time is sent in whole seconds, and is compared as sent.
  return since && std::chrono::floor<std::chrono::seconds>(*last_modified) <= *since;
}

}  // namespace quorvel::service
