#include "service/http/ready_reply.h"

#include <microhttpd.h>

#include "service/http/owned_response.h"

namespace quorvel::service {
namespace {

// The server's response object, its list of up to six headers with their
// own copies of names and values, the body's string object, the shared
// pointer's control block and the allocator's share of each, which comes to
// about 1 KiB; and as much again for the memory that replies evicted and
// replaced leave scattered (measured by service_nginx_bench against the
// resident memory of a service without the cache).
constexpr std::size_t kResponseOverhead = 1536;

bool AddHeaders(MHD_Response* response, const ReplyHeaders& headers, ContentCoding coding) {
  bool ok = MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, headers.content_type) ==
                MHD_YES &&
            MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL,
                                    headers.cache_control.c_str()) == MHD_YES &&
            MHD_add_response_header(response, MHD_HTTP_HEADER_VARY, headers.vary) == MHD_YES;
  if (ok && !headers.entity_tag.empty()) {
    ok = MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, headers.entity_tag.c_str()) ==
         MHD_YES;
  }
  if (ok && headers.last_modified) {
    ok = MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED,
                                 FormatHttpDate(*headers.last_modified).c_str()) == MHD_YES;
  }
  if (ok && coding != ContentCoding::kIdentity) {
    ok = MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_ENCODING,
                                 std::string(CodingName(coding)).c_str()) == MHD_YES;
  }
  return ok;
}

}  // namespace

std::unique_ptr<ReadyReply> ReadyReply::Make(std::string body, ContentCoding coding,
                                             ReplyHeaders headers) {
  // A compressed body is written into a buffer sized for the worst case.
  body.shrink_to_fit();
  const std::size_t size = body.size();
  const std::size_t held = body.capacity();
  MHD_Response* response = ResponseOwning(std::move(body));
  if (response == nullptr) return nullptr;
  if (!AddHeaders(response, headers, coding)) {
    MHD_destroy_response(response);
    return nullptr;
  }
  return std::unique_ptr<ReadyReply>(
      new ReadyReply(response, size, held, coding, std::move(headers)));
}

ReadyReply::~ReadyReply() { MHD_destroy_response(response_); }

std::size_t ReadyReply::Bytes() const {
  // The tag and Cache-Control are held here and once more by the server.
  return sizeof(ReadyReply) + held_bytes_ + 2 * headers_.entity_tag.capacity() +
         2 * headers_.cache_control.capacity() + kResponseOverhead;
}

}  // namespace quorvel::service
