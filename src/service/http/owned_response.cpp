#include "service/http/owned_response.h"

#include <microhttpd.h>

namespace quorvel::service {
namespace {

void DeleteBody(void* body) { delete static_cast<std::string*>(body); }

}  // namespace

MHD_Response* ResponseOwning(std::string body) {
  const std::size_t size = body.size();
  auto* owned = new std::string(std::move(body));
  MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
      size, owned->data(), &DeleteBody, owned);
  if (response == nullptr) delete owned;
  return response;
}

}  // namespace quorvel::service
