#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "service/http/content_coding.h"
#include "service/http/http_date.h"

struct MHD_Response;

namespace quorvel::service {

// What a cacheable reply is sent with besides its body.
struct ReplyHeaders {
  const char* content_type;
  std::string entity_tag;                   // quoted; empty: none
  std::optional<SystemTime> last_modified;  // none for content built into the program
  std::string cache_control;
  const char* vary;
};

// One reply as the server sends it: body, coding and headers, ready to be
// queued on any number of connections, at once or one after another.  Owns
// one reference to the server's response, which owns the body, so a reply
// still being sent outlives this.
//
// The same response answers a conditional request that matches, with status
// 304: the library then sends its headers and no body.  Content-Length is
// then the length of the body a 200 carries, the one value a 304 may give;
// a response of its own would have to say 0, or send a chunked end.
class ReadyReply {
 public:
  // A reply with `body` in `coding`.  Null when the server cannot make one.
  static std::unique_ptr<ReadyReply> Make(std::string body, ContentCoding coding,
                                          ReplyHeaders headers);
  ~ReadyReply();
  ReadyReply(const ReadyReply&) = delete;
  ReadyReply& operator=(const ReadyReply&) = delete;

  MHD_Response* response() const { return response_; }
  std::size_t body_bytes() const { return body_bytes_; }
  ContentCoding coding() const { return coding_; }
  const ReplyHeaders& headers() const { return headers_; }
  // Memory held, for the reply cache's account.
  std::size_t Bytes() const;

 private:
  ReadyReply(MHD_Response* response, std::size_t body_bytes, std::size_t held_bytes,
             ContentCoding coding, ReplyHeaders headers)
      : response_(response),
        body_bytes_(body_bytes),
        held_bytes_(held_bytes),
        coding_(coding),
        headers_(std::move(headers)) {}

  MHD_Response* response_;
  std::size_t body_bytes_;
  std::size_t held_bytes_;  // what the body's buffer takes
  ContentCoding coding_;
  ReplyHeaders headers_;
};

}  // namespace quorvel::service
