#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "service/http/caching_options.h"
#include "service/http/compressed_reply_cache.h"
#include "service/http/compression.h"
#include "service/http/ready_reply.h"

struct MHD_Connection;

namespace quorvel::service {

// What one cacheable reply is: where its body comes from and everything it
// depends on, so that equal subjects get equal bytes and equal tags.
struct ReplySubject {
  // The catalogue the body was read from; empty for content built into the
  // program, whose tag is then made from the body itself.
  std::string_view identity_tag;
  std::optional<SystemTime> last_modified;
  // Everything else the body depends on, in a form no other request shares:
  // the page, the term, the page size, the origin where links carry it.
  std::string key;
  bool varies_by_host = false;
  const char* content_type = nullptr;
  // The catalogue is being replaced by the one its file holds now: caches
  // must not keep the reply, which stands only until that one takes over.
  bool catalogue_replaced = false;
  // What the reply is kept ready under, when not `key`: something known
  // before the body's content is, that tells apart every request `key` does.
  std::string_view kept_as;
};

// Replies that caches and proxies can hold: each carries an entity tag,
// Last-Modified where it comes from the catalogue, Cache-Control and Vary,
// and a conditional request that matches gets 304.  The body goes out in the
// coding the client prefers (gzip or br), or as it is when the client asked
// for none or when it is too small to gain from it.  Every reply but the
// smallest is kept ready in a bounded cache under the catalogue's identity,
// the subject and the coding asked for, so a hot page is built and
// compressed once, or twice: a body is first compressed quickly, under a
// weak tag, as most terms are asked once; when it is asked again it is
// compressed thoroughly, under the strong tag, and kept so.  The quick body
// is for the client alone (Cache-Control: private): a shared cache that kept
// it would keep it for good, since revalidating it gets 304 (either tag
// matches the other), and its clients would never get the smaller body.
//
// Safe from any thread.
class CacheableReplies {
 public:
  using Cache = CompressedReplyCache<ReadyReply>;
  using BodyBuilder = std::function<std::string()>;

  // Replies smaller than this go out as they are: the coding's own framing
  // would eat most of what compressing saves.
  static constexpr std::size_t kSmallestCompressed = 256;

  explicit CacheableReplies(const CachingOptions& options);

  struct Prepared {
    std::shared_ptr<const ReadyReply> reply;  // null when the server cannot make one
    int status = 200;                         // or 304: the reply's headers only
  };

  // The reply to a GET or HEAD of `subject` from `connection`, with the body
  // `build` makes (called only when no ready reply fits).
  Prepared Prepare(MHD_Connection* connection, const ReplySubject& subject,
                   const BodyBuilder& build);

  // The reply kept ready under `kept_as` for the catalogue `identity_tag`
  // (being replaced: `catalogue_replaced`), in the coding `connection` asks
  // for, when there is one that need not be built again; reply null otherwise,
  // and then Prepare() gives it.
  Prepared Ready(MHD_Connection* connection, std::string_view identity_tag, bool catalogue_replaced,
                 std::string_view kept_as);

  // The catalogue `identity_tag` names has taken over: the replies of every
  // other catalogue go, as none of them can be asked for again.  Empty: no
  // catalogue answers, so none of their replies is kept.
  void KeepOnlyCatalogue(std::string_view identity_tag) {
    cache_.KeepOnlyScope(std::string(identity_tag));
  }

  const Cache& cache() const { return cache_; }
  const std::string& cache_control() const { return cache_control_; }

 private:
  // The cache's key of a reply.
  static std::string KeyOf(std::string_view identity_tag, bool catalogue_replaced,
                           std::string_view kept_as, ContentCoding wanted);
  // The reply as the client asked: 304 when the conditional headers match.
  static Prepared Answer(MHD_Connection* connection, std::shared_ptr<const ReadyReply> reply);
  std::shared_ptr<const ReadyReply> Build(const ReplySubject& subject, ContentCoding wanted,
                                          const BodyBuilder& build, CompressionEffort effort) const;

  const std::string cache_control_;
  const std::string quick_cache_control_;     // of a quickly compressed body
  const std::string cache_control_replaced_;  // for replies of a catalogue being replaced
  const bool caching_;
  Cache cache_;
};

}  // namespace quorvel::service
