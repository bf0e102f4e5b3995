#include "catalogue-service/http_service.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <mutex>

#include "catalogue-service/catalogue_store.h"
#include "catalogue-service/listing_protocol.h"
#include "catalogue-service/listing_query.h"
#include "catalogue-service/listing_reply.h"
#include "catalogue-service/service_pages.h"
#include "catalogue-service/sqlite_handle.h"

namespace quorvel::service {
namespace {

// One worker per open connection: keep-alive connections hold their worker,
// so this bounds how many clients are served at once.
constexpr std::size_t kWorkerThreads = 64;
constexpr std::size_t kRequestsPerConnection = 100000;
constexpr std::string_view kTextType = "text/plain; charset=utf-8";
constexpr std::string_view kHtmlType = "text/html; charset=utf-8";
constexpr std::string_view kDownloadPrefix = "/download/";

// When the current request of this thread started; the logger runs on the
// same thread once the response is written.
thread_local std::chrono::steady_clock::time_point request_start;
thread_local bool request_timed = false;
// Size of the body this thread's current response carries.
thread_local std::size_t response_bytes = 0;

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == ':' || c == '[' || c == ']';
}

bool IsPlausibleHost(std::string_view host) {
  if (host.empty() || host.size() > 255) return false;
  for (const char c : host) {
    if (!IsHostCharacter(c)) return false;
  }
  return true;
}

// The request target as sent, with every byte that could break a log line or
// mislead a reader shown as %XX.
std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

// For errors httplib raises itself, before any handler of ours has run.
std::string_view StatusReason(int status) {
  switch (status) {
    case 400:
      return "bad request";
    case 404:
      return "not found";
    case 413:
      return "request body too large";
    case 414:
      return "request address too long";
    case 416:
      return "range not satisfiable";
    case 431:
      return "request headers too large";
    case 500:
      return "internal error";
    case 503:
      return "service unavailable";
    default:
      return status < 500 ? "request refused" : "server error";
  }
}

// Sends `body` as it is.  httplib would compress a text body for any client
// that accepts it, brotli at its slowest setting, which costs milliseconds a
// page; these replies are small and mostly go over loopback, so they travel
// uncompressed (a body given through a sized provider is never compressed) and
// cost the same whoever asks.
void SetBody(httplib::Response& res, int status, std::string body, std::string_view type) {
  res.status = status;
  response_bytes = body.size();
  if (body.empty()) {
    res.set_content(body, std::string(type));
    return;
  }
  const std::size_t size = body.size();
  auto shared = std::make_shared<const std::string>(std::move(body));
  res.set_content_provider(
      size, std::string(type),
      [shared](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        return offset <= shared->size() && length <= shared->size() - offset &&
               sink.write(shared->data() + offset, length);
      });
}

void SetText(httplib::Response& res, int status, std::string_view line) {
  std::string body(line);
  body.push_back('\n');
  SetBody(res, status, std::move(body), kTextType);
}

// httplib listens with a backlog of 5, fixed when the library was built: a
// burst of clients connecting at once overflows it and some wait a second or
// more for the kernel to retry, or are dropped.  listen() on a socket that is
// already listening only changes its backlog.
class Server : public httplib::Server {
 public:
  bool WidenBacklog() { return ::listen(svr_sock_, SOMAXCONN) == 0; }
};

}  // namespace

class CatalogueHttpService::Impl {
 public:
  Impl(CatalogueStore& store, int page_size) : store_(store), page_size_(page_size) {
    server_.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server_.set_tcp_nodelay(true);
    server_.set_keep_alive_max_count(kRequestsPerConnection);
    server_.set_payload_max_length(64 * 1024);
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      request_start = std::chrono::steady_clock::now();
      request_timed = true;
      response_bytes = 0;
      Route(req, res);
      return httplib::Server::HandlerResponse::Handled;
    });
    server_.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
          if (res.has_header("Content-Type")) return httplib::Server::HandlerResponse::Unhandled;
          SetText(res, res.status,
                  std::to_string(res.status) + " " + std::string(StatusReason(res.status)));
          return httplib::Server::HandlerResponse::Handled;
        }));
    server_.set_exception_handler([](const httplib::Request&, httplib::Response& res,
                                     std::exception_ptr) { SetText(res, 500, "internal error"); });
    server_.set_logger(
        [this](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });
  }

  int Bind(const std::string& address, int port) {
    address_ = address;
    if (port == 0) {
      port_ = server_.bind_to_any_port(address);
    } else {
      port_ = server_.bind_to_port(address, port) ? port : -1;
    }
    if (port_ >= 0 && !server_.WidenBacklog()) port_ = -1;
    return port_;
  }

  bool Run() { return server_.listen_after_bind(); }
  void Stop() { server_.stop(); }

 private:
  void Route(const httplib::Request& req, httplib::Response& res) {
    if (req.method != "GET" && req.method != "HEAD") {
      res.set_header("Allow", "GET, HEAD");
      SetText(res, 405, "only GET and HEAD are served");
      return;
    }
    const std::string& path = req.path;
    if (path == kListingPath) {
      ServeListing(req, res);
    } else if (path == "/") {
      SetPage(res, PartnerHomePage());
    } else if (path == "/tishi1.8.html") {
      SetPage(res, TipPage());
    } else if (path == "/gonggao.html") {
      SetPage(res, NoticePage());
    } else if (path.starts_with(kDownloadPrefix) && path.size() > kDownloadPrefix.size()) {
      ServeDownload(path.substr(kDownloadPrefix.size()), res);
    } else {
      SetText(res, 404, "no such page");
    }
  }

  void ServeListing(const httplib::Request& req, httplib::Response& res) {
    const std::size_t mark = req.target.find('?');
    const std::string_view raw_query = mark == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(req.target).substr(mark + 1);
    const auto parsed = ParseListingQuery(raw_query);
    if (const auto* error = std::get_if<QueryError>(&parsed)) {
      SetText(res, 400, error->reason);
      return;
    }
    const ListingQuery& query = std::get<ListingQuery>(parsed);
    try {
      const ListingPage page = store_.Page(query.term, query.page, page_size_);
      SetBody(res, 200,
              BuildListingReply(page.entries, page.matches, PageCount(page.matches, page_size_),
                                Origin(req)),
              kTextType);
    } catch (const StoreError& error) {
      SetText(res, 503, std::string("catalogue unavailable: ") + error.what());
    }
  }

  void ServeDownload(const std::string& entry_id, httplib::Response& res) {
    try {
      const std::optional<CatalogueEntry> entry = store_.FindEntry(entry_id);
      SetBody(res, entry ? 200 : 404, DownloadPage(entry, entry_id), kHtmlType);
    } catch (const StoreError& error) {
      SetText(res, 503, std::string("catalogue unavailable: ") + error.what());
    }
  }

  // The pages are constants, so they are sent straight from where they lie.
  static void SetPage(httplib::Response& res, std::string_view html) {
    res.status = 200;
    response_bytes = html.size();
    res.set_content_provider(
        html.size(), std::string(kHtmlType),
        [html](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          return offset <= html.size() && length <= html.size() - offset &&
                 sink.write(html.data() + offset, length);
        });
  }

  // "http://host[:port]" of this service as the client reached it, so links
  // work through whatever name or forwarded port it used.  A Host header that
  // is not a plain host name or address is not trusted into a reply.
  std::string Origin(const httplib::Request& req) const {
    const std::string host = req.get_header_value("Host");
    if (IsPlausibleHost(host)) return "http://" + host;
    std::string address = address_;
    if (address == "0.0.0.0" || address == "::" || address.empty()) address = "127.0.0.1";
    if (address.find(':') != std::string::npos) address = "[" + address + "]";
    return "http://" + address + ":" + std::to_string(port_);
  }

  void Log(const httplib::Request& req, const httplib::Response& res) {
    long long micros = -1;
    if (request_timed) {
      micros = std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - request_start)
                   .count();
      request_timed = false;
    }
    std::string line = req.method.empty() ? std::string("-") : Printable(req.method);
    line.append(" ").append(req.target.empty() ? std::string("-") : Printable(req.target));
    line.append(" ").append(std::to_string(res.status));
    line.append(" ").append(std::to_string(response_bytes)).append("B");
    line.append(" ").append(micros < 0 ? std::string("-") : std::to_string(micros)).append("us\n");
    std::lock_guard lock(log_mutex_);
    std::fwrite(line.data(), 1, line.size(), stderr);
  }

  CatalogueStore& store_;
  const int page_size_;
  Server server_;
  std::string address_;
  int port_ = -1;
  std::mutex log_mutex_;
};

CatalogueHttpService::CatalogueHttpService(CatalogueStore& store, int page_size)
    : impl_(std::make_unique<Impl>(store, page_size)) {}

CatalogueHttpService::~CatalogueHttpService() = default;

int CatalogueHttpService::Bind(const std::string& address, int port) {
  return impl_->Bind(address, port);
}

std::size_t CatalogueHttpService::MaxParallelRequests() { return kWorkerThreads; }

bool CatalogueHttpService::Run() { return impl_->Run(); }

void CatalogueHttpService::Stop() { impl_->Stop(); }

}  // namespace quorvel::service
