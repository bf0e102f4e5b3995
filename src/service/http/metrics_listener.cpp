#include "service/http/metrics_listener.h"

#include <microhttpd.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "service/http/listen_address.h"
#include "service/http/owned_response.h"

namespace quorvel::service {
namespace {

constexpr const char* kMetricsType = "text/plain; version=0.0.4; charset=utf-8";
constexpr unsigned kMaxConnections = 16;
constexpr unsigned kTimeoutSeconds = 10;

MHD_Result Reply(MHD_Connection* connection, unsigned status, std::string body, const char* type) {
  MHD_Response* response = ResponseOwning(std::move(body));
  if (response == nullptr) return MHD_NO;
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
  const MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return queued;
}

MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char*, const char*, std::size_t* upload_size, void** con_cls) {
  // The first call only announces the head; answering then would close the
  // connection.
  if (*con_cls == nullptr) {
    *con_cls = connection;
    return MHD_YES;
  }
  *upload_size = 0;
  const std::string_view verb(method);
  if (verb != "GET" && verb != "HEAD") {
    return Reply(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "only GET and HEAD are served\n",
                 "text/plain; charset=utf-8");
  }
  if (std::string_view(url) != "/metrics") {
    return Reply(connection, MHD_HTTP_NOT_FOUND, "metrics are at /metrics\n",
                 "text/plain; charset=utf-8");
  }
  const auto& render = *static_cast<const std::function<std::string()>*>(cls);
  return Reply(connection, MHD_HTTP_OK, render(), kMetricsType);
}

}  // namespace

MetricsListener::MetricsListener(std::function<std::string()> render)
    : render_(std::move(render)) {}

MetricsListener::~MetricsListener() {
  if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
}

int MetricsListener::Start(const std::string& address, int port) {
  if (daemon_ != nullptr) return -1;
  TakeListenAddress(address, port, [&](const addrinfo& a) {
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO;
    if (a.ai_family == AF_INET6) flags |= MHD_USE_IPv6;
    daemon_ = MHD_start_daemon(flags, static_cast<std::uint16_t>(port), nullptr, nullptr, &Answer,
                               &render_,                                        //
                               MHD_OPTION_SOCK_ADDR, a.ai_addr,                 //
                               MHD_OPTION_CONNECTION_LIMIT, kMaxConnections,    //
                               MHD_OPTION_CONNECTION_TIMEOUT, kTimeoutSeconds,  //
                               MHD_OPTION_END);
    return daemon_ != nullptr;
  });
  if (daemon_ == nullptr) return -1;
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  return info != nullptr ? info->port : port;
}

}  // namespace quorvel::service
