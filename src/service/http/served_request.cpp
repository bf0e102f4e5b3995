#include "service/http/served_request.h"

#include <exception>

#include "service/http/owned_response.h"
#include "service/http/request_log.h"

namespace quorvel::service {

MHD_Result AnswerText(MHD_Connection* connection, ServedRequest& request, int status,
                      std::string_view line, const char* allow) {
  std::string body(line);
  body.push_back('\n');
  return AnswerBody(connection, request, status, std::move(body), kTextType, allow);
}

MHD_Result AnswerBody(MHD_Connection* connection, ServedRequest& request, int status,
                      std::string body, const char* type, const char* allow) {
  const std::size_t body_bytes = body.size();
  MHD_Response* response = ResponseOwning(std::move(body));
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
  if (allow != nullptr) MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
  request.status = status;
  request.body_bytes = body_bytes;
  const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(status), response);
  MHD_destroy_response(response);
  return queued;
}

MHD_Result AnswerReady(MHD_Connection* connection, ServedRequest& request,
                       const CacheableReplies::Prepared& prepared) {
  if (prepared.reply == nullptr) return MHD_NO;
  request.status = prepared.status;
  request.body_bytes = prepared.status == 200 ? prepared.reply->body_bytes() : 0;
  request.coding = prepared.reply->coding();
  return MHD_queue_response(connection, static_cast<unsigned>(prepared.status),
                            prepared.reply->response());
}

MHD_Result AnswerUnavailable(MHD_Connection* connection, ServedRequest* request, const char* detail,
                             RequestLog& log) {
  static constexpr std::string_view kBody = "catalogue unavailable\n";
  try {
    log.Note(std::string("catalogue unavailable: ") + detail);
  } catch (const std::exception&) {
  }
  if (request != nullptr && request->status != 0) return MHD_YES;  // answered already
  MHD_Response* response = MHD_create_response_from_buffer(
      kBody.size(), const_cast<char*>(kBody.data()), MHD_RESPMEM_PERSISTENT);
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, kTextType);
  if (request != nullptr) {
    request->status = 503;
    request->body_bytes = kBody.size();
  }
  const MHD_Result queued = MHD_queue_response(connection, 503, response);
  MHD_destroy_response(response);
  return queued;
}

}  // namespace quorvel::service
