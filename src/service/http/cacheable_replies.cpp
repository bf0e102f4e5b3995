#include "service/http/cacheable_replies.h"

#include <microhttpd.h>
#include <strings.h>

#include <string>

#include "service/http/conditional_reply.h"

namespace quorvel::service {
namespace {

constexpr const char* kVaryCoding = "Accept-Encoding";
constexpr const char* kVaryCodingAndHost = "Accept-Encoding, Host";

// Every line of the list header `name` as one list, as the lines of a list
// combine (RFC 9110, 5.3): "br" and "br;q=0" on two lines decline br.  A
// single line is passed on as the server holds it.
class ListHeader {
 public:
  ListHeader(MHD_Connection* connection, const char* name) : name_(name) {
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &ListHeader::Gather, this);
  }
  ListHeader(const ListHeader&) = delete;
  ListHeader& operator=(const ListHeader&) = delete;

  // Null when no line names the header.
  const char* value() const { return joined_.empty() ? first_ : joined_.c_str(); }

 private:
  static MHD_Result Gather(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto& self = *static_cast<ListHeader*>(cls);
    if (key == nullptr || value == nullptr || strcasecmp(key, self.name_) != 0) return MHD_YES;
    if (self.first_ == nullptr) {
      self.first_ = value;
    } else {
      if (self.joined_.empty()) self.joined_.assign(self.first_);
      self.joined_.append(", ").append(value);
    }
    return MHD_YES;
  }

  const char* name_;
  const char* first_ = nullptr;
  std::string joined_;
};

bool CompressedQuickly(const ReadyReply& reply) {
  return reply.headers().entity_tag.starts_with("W/");
}

}  // namespace

CacheableReplies::CacheableReplies(const CachingOptions& options)
    : cache_control_(ConditionalReply::CacheControl(options.max_age_seconds)),
      quick_cache_control_(ConditionalReply::CacheControl(options.max_age_seconds, false)),
      cache_control_replaced_(ConditionalReply::CacheControl(0)),
      caching_(options.reply_cache_bytes > 0),
      cache_(options.reply_cache_bytes) {}

std::string CacheableReplies::KeyOf(std::string_view identity_tag, bool catalogue_replaced,
                                    std::string_view kept_as, ContentCoding wanted) {
  std::string key;
  key.reserve(identity_tag.size() + kept_as.size() + 3);
  key.append(identity_tag).append(1, '\n').append(kept_as);
  key.push_back(static_cast<char>('0' + static_cast<int>(wanted)));
  // Sent with other headers; dropped with the rest of its catalogue's.
  if (catalogue_replaced) key.push_back('-');
  return key;
}

CacheableReplies::Prepared CacheableReplies::Ready(MHD_Connection* connection,
                                                   std::string_view identity_tag,
                                                   bool catalogue_replaced,
                                                   std::string_view kept_as) {
  if (!caching_) return {};
  const ContentCoding wanted =
      ChooseCoding(ListHeader(connection, MHD_HTTP_HEADER_ACCEPT_ENCODING).value());
  // Counted by Prepare() when it is not used here.
  std::shared_ptr<const ReadyReply> reply =
      cache_.Find(KeyOf(identity_tag, catalogue_replaced, kept_as, wanted), false);
  // A quickly compressed body is compressed again, thoroughly, by Prepare().
  if (reply == nullptr || CompressedQuickly(*reply)) return {};
  cache_.CountHit();
  return Answer(connection, std::move(reply));
}

CacheableReplies::Prepared CacheableReplies::Answer(MHD_Connection* connection,
                                                    std::shared_ptr<const ReadyReply> reply) {
  const bool not_modified = ConditionalReply::NotModified(
      ListHeader(connection, MHD_HTTP_HEADER_IF_NONE_MATCH).value(),
      MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_MODIFIED_SINCE),
      reply->headers().entity_tag, reply->headers().last_modified);
  return Prepared{std::move(reply), not_modified ? 304 : 200};
}

CacheableReplies::Prepared CacheableReplies::Prepare(MHD_Connection* connection,
                                                     const ReplySubject& subject,
                                                     const BodyBuilder& build) {
  const ContentCoding wanted =
      ChooseCoding(ListHeader(connection, MHD_HTTP_HEADER_ACCEPT_ENCODING).value());
  std::shared_ptr<const ReadyReply> reply;
  std::string key;
  if (caching_) {
    key = KeyOf(subject.identity_tag, subject.catalogue_replaced,
                subject.kept_as.empty() ? std::string_view(subject.key) : subject.kept_as, wanted);
    reply = cache_.Find(key);
  }
  if (reply == nullptr || CompressedQuickly(*reply)) {
    // Without the cache a reply is made anew each time it is asked, so there
    // is no second asking to wait for: it is compressed thoroughly at once.
    const CompressionEffort effort =
        caching_ && reply == nullptr ? CompressionEffort::kQuick : CompressionEffort::kThorough;
    reply = Build(subject, wanted, build, effort);
    if (reply == nullptr) return {};
    // A small reply is cheap to build again, and would cost more to hold
    // than its body: such as the empty pages of terms nobody else asks for,
    // which anyone can send by the thousand to push out the hot pages.
    if (caching_ && (reply->coding() != ContentCoding::kIdentity ||
                     reply->body_bytes() >= kSmallestCompressed)) {
      cache_.Insert(std::move(key), reply);
    }
  }
  return Answer(connection, std::move(reply));
}

std::shared_ptr<const ReadyReply> CacheableReplies::Build(const ReplySubject& subject,
                                                          ContentCoding wanted,
                                                          const BodyBuilder& build,
                                                          CompressionEffort effort) const {
  std::string body = build();
  // Content built into the program is named by itself: another build with
  // other pages gets other tags.
  const std::string tagged =
      subject.identity_tag.empty() ? subject.key + '\n' + body : std::string(subject.key);
  ContentCoding coding = body.size() < kSmallestCompressed ? ContentCoding::kIdentity : wanted;
  if (coding != ContentCoding::kIdentity) {
    std::string compressed = Compress(coding, body, effort);
    // Text that does not shrink goes out as it is.
    if (compressed.size() < body.size()) {
      body.swap(compressed);
    } else {
      coding = ContentCoding::kIdentity;
    }
  }
  ReplyHeaders headers;
  headers.content_type = subject.content_type;
  // Only a compressed body has another form: the one of the other effort.
  const bool weak = coding != ContentCoding::kIdentity && effort == CompressionEffort::kQuick;
  headers.entity_tag = ConditionalReply::EntityTag(subject.identity_tag, tagged, coding, weak);
  headers.last_modified = subject.last_modified;
  headers.cache_control = subject.catalogue_replaced ? cache_control_replaced_
                          : weak                     ? quick_cache_control_
                                                     : cache_control_;
  headers.vary = subject.varies_by_host ? kVaryCodingAndHost : kVaryCoding;
  return ReadyReply::Make(std::move(body), coding, std::move(headers));
}

}  // namespace quorvel::service
