#include "service/http/http_service.h"

#include <microhttpd.h>
#include <netdb.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <thread>
#include <vector>

#include "protocol/listing_query_parser.h"
#include "protocol/listing_reply_writer.h"
#include "protocol/wire_format.h"
#include "service/http/cacheable_replies.h"
#include "service/http/connection_deadlines.h"
#include "service/http/listen_address.h"
#include "service/http/owned_response.h"
#include "service/http/request_framing.h"
#include "service/http/request_log.h"
#include "service/http/service_metrics.h"
#include "service/http/service_pages.h"
#include "service/store/catalogue_store.h"
#include "service/store/page_reply.h"
#include "service/store/row_store.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kTextType = "text/plain; charset=utf-8";
constexpr const char* kHtmlType = "text/html; charset=utf-8";
constexpr std::string_view kDownloadPrefix = "/download/";
// How long a stop may take in all, once asked for: replies under way get most
// of it to finish, and the log what is left to write out what it holds.
constexpr auto kStopGrace = std::chrono::seconds(2);
constexpr auto kLogShareOfStop = std::chrono::milliseconds(300);
// How often overdue connections are looked for: the request timeout holds to
// within this much.
constexpr auto kDeadlineSweep = std::chrono::milliseconds(200);
// Descriptors kept back from the connection limit for the catalogue's own files.
constexpr rlim_t kReservedDescriptors = 64;

// Serving threads: each runs its own event loop over its share of the
// connections and answers their requests itself.  More than the cores, so a
// request that has to work out a new search on a large catalogue holds up only
// the connections of its thread.
unsigned ServingThreads() { return std::clamp(2 * std::thread::hardware_concurrency(), 4u, 16u); }

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == ':' || c == '[' || c == ']';
}

bool IsPlausibleHost(std::string_view host) {
  if (host.empty() || host.size() > 255) return false;
  return std::all_of(host.begin(), host.end(), IsHostCharacter);
}

// Descriptors this process may open; the connection limit must stay below it,
// or accepting would fail for the catalogue's files too.
unsigned DescriptorBudget(unsigned wanted) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return wanted;
  if (limit.rlim_cur <= 2 * kReservedDescriptors) return std::min<unsigned>(wanted, 16);
  return static_cast<unsigned>(std::min<rlim_t>(wanted, limit.rlim_cur - kReservedDescriptors));
}

}  // namespace

class CatalogueHttpService::Impl {
 public:
  Impl(CatalogueStore& store, int page_size, HttpLimits limits, const CachingOptions& caching)
      : store_(store),
        page_size_(page_size),
        limits_(limits),
        origin_(caching.origin),
        replies_(caching),
        deadlines_(std::chrono::seconds(limits.request_timeout_seconds)) {
    store_.SetNotices([this](std::string_view line) { log_.Note(line); });
  }

  ~Impl() {
    if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
    if (listen_fd_ >= 0) ::close(listen_fd_);
    store_.SetNotices(nullptr);
  }

  int Bind(const std::string& address, int port) {
    int fd = -1;
    TakeListenAddress(address, port, [&fd](const addrinfo& a) {
      // Non-blocking: every serving thread watches it, and only one of them
      // gets each new connection.
      fd = ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a.ai_protocol);
      if (fd < 0) return false;
      const int one = 1;
      ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
      // A burst of clients connecting at once must not overflow the queue.
      if (::bind(fd, a.ai_addr, a.ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        fd = -1;
      }
      return fd >= 0;
    });
    if (fd < 0) return -1;
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    char service[NI_MAXSERV] = {};
    ::getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, nullptr, 0, service, sizeof service,
                  NI_NUMERICSERV);
    listen_fd_ = fd;
    address_ = address;
    port_ = std::atoi(service);
    return port_;
  }

  bool Run() {
    if (listen_fd_ < 0) return false;
    const unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC | MHD_USE_ERROR_LOG;
    // A connection's memory: the request head as read plus the reply's
    // headers.  Heads somewhat over the limit still fit and get our own reply;
    // larger ones the library refuses by itself.
    const std::size_t pool_bytes = limits_.max_head_bytes + 8192;
    daemon_ =
        MHD_start_daemon(flags, 0, nullptr, nullptr, &Impl::Answer, this,                         //
                         MHD_OPTION_LISTEN_SOCKET, listen_fd_,                                    //
                         MHD_OPTION_THREAD_POOL_SIZE, ServingThreads(),                           //
                         MHD_OPTION_CONNECTION_LIMIT, DescriptorBudget(limits_.max_connections),  //
                         MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.max_connections_per_address,
                         MHD_OPTION_CONNECTION_TIMEOUT, limits_.request_timeout_seconds,  //
                         MHD_OPTION_CONNECTION_MEMORY_LIMIT, pool_bytes,                  //
                         MHD_OPTION_URI_LOG_CALLBACK, &Impl::Begin, this,                 //
                         MHD_OPTION_NOTIFY_COMPLETED, &Impl::Completed, this,             //
                         MHD_OPTION_NOTIFY_CONNECTION, &Impl::ConnectionEvent, this,      //
                         MHD_OPTION_EXTERNAL_LOGGER, &Impl::LibraryMessage, this,         //
#if MHD_VERSION >= 0x00097701
                         // By default 1.0 answers white space in the address
                         // with a redirect to a guessed encoding of it; this
                         // service never guesses at framing.
                         MHD_OPTION_CLIENT_DISCIPLINE_LVL, 1,
#endif
                         MHD_OPTION_END);
    if (daemon_ == nullptr) return false;

    {
      std::unique_lock lock(stop_mutex_);
      while (!stop_requested_) {
        stop_wanted_.wait_for(lock, kDeadlineSweep);
        deadlines_.CloseOverdue(Clock::now());
      }
    }
    const auto stopped_by = Clock::now() + kStopGrace;
    // No new connections from here on; whoever is still in the queue is refused.
    const MHD_socket listening = MHD_quiesce_daemon(daemon_);
    if (listening != MHD_INVALID_SOCKET) ::close(listening);
    listen_fd_ = -1;
    while (deadlines_.RepliesUnderWay() > 0 && Clock::now() < stopped_by - kLogShareOfStop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
    // Serving threads never wait for the log, so they are gone by now, and a
    // log nobody reads cannot hold the stop up either.
    log_.Close(stopped_by - std::chrono::milliseconds(150));
    return true;
  }

  void Stop() {
    std::lock_guard lock(stop_mutex_);
    stop_requested_ = true;
    stop_wanted_.notify_all();
  }

  std::string MetricsText() {
    ServiceMetrics::Holdings holdings;
    try {
      std::shared_ptr<const CatalogueIdentity> identity;
      holdings.rows = store_.EntryCount(&identity);
      holdings.identity = identity->tag;
      holdings.catalogue_loaded = true;
    } catch (const StoreError&) {
      // Shown as no catalogue loaded; the reason is in the log.
    }
    holdings.dropped_log_lines = log_.DroppedLines();
    const CacheableReplies::Cache& cache = replies_.cache();
    holdings.cache_bytes = cache.bytes();
    holdings.cache_limit_bytes = cache.limit_bytes();
    holdings.cache_entries = cache.entries();
    holdings.cache_hits = cache.hits();
    holdings.cache_misses = cache.misses();
    return metrics_.Render(holdings);
  }

 private:
  // One request, from its request line to its log line.
  struct Request {
    std::string target;  // as sent
    std::string method;
    bool head_seen = false;
    Clock::time_point start = Clock::now();
    int status = 0;  // 0 until answered here
    std::size_t body_bytes = 0;
    RequestKind kind = RequestKind::kOther;
    ContentCoding coding = ContentCoding::kIdentity;
  };

  // The callbacks below are called by the library, which knows nothing of
  // exceptions: none may leave them.  Running out of memory costs the request
  // at hand its answer or its log line, never the service.

  static void* Begin(void*, const char* uri, MHD_Connection*) {
    try {
      auto request = std::make_unique<Request>();
      request->target = uri != nullptr ? uri : "";
      return request.release();
    } catch (const std::exception&) {
      return nullptr;  // Answer() makes do without the address
    }
  }

  static void ConnectionEvent(void* self, MHD_Connection* connection, void** socket_context,
                              MHD_ConnectionNotificationCode code) {
    auto& deadlines = static_cast<Impl*>(self)->deadlines_;
    auto& metrics = static_cast<Impl*>(self)->metrics_;
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const MHD_ConnectionInfo* info =
          MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      try {
        *socket_context = info != nullptr ? deadlines.Opened(info->connect_fd) : nullptr;
      } catch (const std::exception&) {
        *socket_context = nullptr;  // served, but not held to the request timeout
      }
      metrics.ConnectionOpened();
    } else {
      metrics.ConnectionClosed();
      deadlines.Closed(static_cast<ConnectionDeadlines::Connection*>(*socket_context));
      *socket_context = nullptr;
    }
  }

  static ConnectionDeadlines::Connection* Tracked(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info != nullptr ? static_cast<ConnectionDeadlines::Connection*>(info->socket_context)
                           : nullptr;
  }

  static void Completed(void* cls, MHD_Connection* connection, void** con_cls,
                        MHD_RequestTerminationCode) {
    auto* self = static_cast<Impl*>(cls);
    auto* request = static_cast<Request*>(*con_cls);
    *con_cls = nullptr;
    self->deadlines_.ReplyDone(Tracked(connection));
    if (request == nullptr) return;
    // A request the library refused by itself was logged when it said so.
    if (request->status != 0) {
      const auto micros =
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - request->start);
      try {
        self->log_.Write(request->method, request->target, request->status, request->body_bytes,
                         micros.count());
      } catch (const std::exception&) {
        // No memory for the line: the request was served all the same.
      }
      self->metrics_.RequestDone(request->kind, request->status, micros, request->body_bytes,
                                 request->coding);
    }
    delete request;
  }

  // The library explains in its messages why it refused a request it could not
  // pass on, such as a head too large for the connection's memory; that is
  // the one message worth a log line.
  static void LibraryMessage(void* cls, const char* format, va_list arguments) {
    static constexpr std::string_view kRefusal = "Error processing request (HTTP response code is";
    if (format == nullptr || std::string_view(format).substr(0, kRefusal.size()) != kRefusal) {
      return;
    }
    va_list copy;
    va_copy(copy, arguments);
    const unsigned status = va_arg(copy, unsigned);
    const char* body = va_arg(copy, const char*);
    va_end(copy);
    const std::size_t body_bytes = body != nullptr ? std::strlen(body) : 0;
    try {
      static_cast<Impl*>(cls)->log_.Write("", "", static_cast<int>(status), body_bytes, -1);
    } catch (const std::exception&) {
    }
    static_cast<Impl*>(cls)->metrics_.RequestDone(RequestKind::kOther, static_cast<int>(status),
                                                  std::chrono::microseconds(0), body_bytes,
                                                  ContentCoding::kIdentity);
  }

  // Called once the head is in, and again once the (absent) body is: a reply
  // queued on the first call would make the library close the connection, so
  // requests that may stay open are answered on the second.
  static MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url,
                           const char* method, const char* version, const char* upload,
                           std::size_t* upload_size, void** con_cls) {
    auto* self = static_cast<Impl*>(cls);
    try {
      return self->Handle(connection, url, method, version, upload, upload_size, con_cls);
    } catch (const std::bad_alloc&) {
      *upload_size = 0;
      return self->Unavailable(connection, static_cast<Request*>(*con_cls), "out of memory");
    } catch (const std::exception& error) {
      *upload_size = 0;
      return self->Unavailable(connection, static_cast<Request*>(*con_cls), error.what());
    }
  }

  // Answers with 503 and a fixed body, which says nothing of the store and
  // needs next to no memory; the detail goes to the log, if there is memory
  // for that.
  MHD_Result Unavailable(MHD_Connection* connection, Request* request, const char* detail) {
    static constexpr std::string_view kBody = "catalogue unavailable\n";
    try {
      log_.Note(std::string("catalogue unavailable: ") + detail);
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

  MHD_Result Handle(MHD_Connection* connection, const char* url, const char* method,
                    const char* version, const char*, std::size_t* upload_size, void** con_cls) {
    auto* request = static_cast<Request*>(*con_cls);
    if (request == nullptr) *con_cls = request = new Request;  // Begin() had no memory
    if (request->status != 0) {
      // Answered already; a body that follows is not read.
      *upload_size = 0;
      return MHD_YES;
    }
    if (!request->head_seen) {
      request->head_seen = true;
      request->method = method;
      deadlines_.HeadReceived(Tracked(connection));
      // Refusals that end the connection go out at once, before any body is read.
      const FramingVerdict verdict = Framing(connection, *request, url, version);
      if (!verdict.answerable()) {
        return Text(connection, *request, verdict.status, verdict.reason, verdict.allow);
      }
      return MHD_YES;
    }
    *upload_size = 0;
    return Route(connection, *request, url);
  }

  // The request's head as the framing rules read it.  libmicrohttpd 0.9
  // splits the request line where it lies, so the address runs from `url` to
  // the space before `version`; when that is longer than the address it
  // passed on, a NUL cut the address short.  (1.0 ends the connection itself
  // on a NUL in the request line, without a reply.)  Some framing faults the
  // library refuses by itself before this sees the request (a Content-Length
  // that is not a number, a request line without a version); those get its
  // 400.
  static FramingVerdict Framing(MHD_Connection* connection, const Request& request, const char* url,
                                const char* version) {
    std::size_t address_bytes = 0;
    if (url != nullptr && version != nullptr) {
      const auto gap =
          reinterpret_cast<std::uintptr_t>(version) - reinterpret_cast<std::uintptr_t>(url);
      if (gap >= 1 && gap <= 1 + (std::size_t{1} << 20)) address_bytes = gap - 1;
    }
    // The usual few headers are gathered without taking memory.
    std::array<HeaderField, 32> few;
    std::vector<HeaderField> many;
    HeaderList list{std::span<HeaderField>(few.data(), 0), 0};
    const int count = MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr);
    if (count > 0 && static_cast<std::size_t>(count) <= few.size()) {
      list.fields = std::span<HeaderField>(few.data(), static_cast<std::size_t>(count));
    } else if (count > 0) {
      many.resize(static_cast<std::size_t>(count));
      list.fields = many;
    }
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &ListHeader, &list);
    return CheckFraming({request.method, request.target, version != nullptr ? version : "",
                         address_bytes, list.fields.first(list.filled)});
  }

  struct HeaderList {
    std::span<HeaderField> fields;
    std::size_t filled;
  };

  static MHD_Result ListHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto& list = *static_cast<HeaderList*>(cls);
    if (list.filled == list.fields.size()) return MHD_NO;
    list.fields[list.filled++] = {key != nullptr ? key : "", value != nullptr ? value : ""};
    return MHD_YES;
  }

  MHD_Result Route(MHD_Connection* connection, Request& request, std::string_view path) {
    if (request.target.size() > limits_.max_head_bytes) {
      return Text(connection, request, 414, "request address too long");
    }
    const MHD_ConnectionInfo* head =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
    if (head != nullptr && head->header_size > limits_.max_head_bytes) {
      return Text(connection, request, 431, "request headers too large");
    }
    const int headers = MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr);
    if (headers < 0 || static_cast<std::size_t>(headers) > limits_.max_headers) {
      return Text(connection, request, 431, "too many request headers");
    }
    if (path == protocol::kListingPath) return ServeListing(connection, request);
    if (path == "/") return Page(connection, request, path, PartnerHomePage());
    if (path == "/tishi1.8.html") return Page(connection, request, path, TipPage());
    if (path == "/gonggao.html") return Page(connection, request, path, NoticePage());
    if (path.starts_with(kDownloadPrefix) && path.size() > kDownloadPrefix.size()) {
      return ServeDownload(connection, request, path.substr(kDownloadPrefix.size()));
    }
    return Text(connection, request, 404, "no such page");
  }

  MHD_Result ServeListing(MHD_Connection* connection, Request& request) {
    const std::size_t mark = request.target.find('?');
    const std::string_view raw_query = mark == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(request.target).substr(mark + 1);
    const auto parsed = protocol::ParseListingQuery(raw_query);
    if (const auto* error = std::get_if<protocol::QueryError>(&parsed)) {
      return Text(connection, request, 400, error->reason);
    }
    const protocol::ListingQuery& query = std::get<protocol::ListingQuery>(parsed);
    request.kind = RequestKind::kListing;
    try {
      const ListingRows page = store_.Rows(query.term, query.page, page_size_);
      const bool takes_origin =
          std::any_of(page.rows.begin(), page.rows.end(),
                      [&](std::size_t row) { return page.store->TakesOrigin(row); });
      const std::string origin = takes_origin ? Origin(connection) : std::string();
      ReplySubject subject{page.identity->tag, page.identity->modified,
                           ListingSubject(query, page_size_, origin),
                           takes_origin && origin_.empty(), kTextType};
      return Ready(connection, request, replies_.Prepare(connection, subject, [&] {
        return BuildListingReply(*page.store, page.rows, page.matches,
                                 protocol::PageCount(page.matches, page_size_), origin);
      }));
    } catch (const StoreError& error) {
      return Unavailable(connection, &request, error.what());
    }
  }

  MHD_Result ServeDownload(MHD_Connection* connection, Request& request,
                           std::string_view entry_id) {
    request.kind = RequestKind::kDownload;
    try {
      // The entry and its tag come from the one catalogue it was looked up in.
      std::shared_ptr<const CatalogueIdentity> identity;
      const std::optional<CatalogueEntry> entry = store_.FindEntry(entry_id, &identity);
      if (!entry) return Send(connection, request, 404, DownloadPage(entry, entry_id), kHtmlType);
      ReplySubject subject{identity->tag, identity->modified, "download\n" + std::string(entry_id),
                           false, kHtmlType};
      return Ready(connection, request, replies_.Prepare(connection, subject, [&] {
        return DownloadPage(entry, entry_id);
      }));
    } catch (const StoreError& error) {
      return Unavailable(connection, &request, error.what());
    }
  }

  static MHD_Result Text(MHD_Connection* connection, Request& request, int status,
                         std::string_view line, const char* allow = nullptr) {
    std::string body(line);
    body.push_back('\n');
    return Send(connection, request, status, std::move(body), kTextType, allow);
  }

  // The body is handed over, not copied: the response owns it until sent.
  static MHD_Result Send(MHD_Connection* connection, Request& request, int status, std::string body,
                         const char* type, const char* allow = nullptr) {
    const std::size_t size = body.size();
    return Queue(connection, request, status, ResponseOwning(std::move(body)), size, type, allow);
  }

  MHD_Result Page(MHD_Connection* connection, Request& request, std::string_view path,
                  std::string_view html) {
    request.kind = RequestKind::kPage;
    ReplySubject subject{{}, std::nullopt, std::string(path), false, kHtmlType};
    return Ready(connection, request,
                 replies_.Prepare(connection, subject, [html] { return std::string(html); }));
  }

  // Page, term, page size and the origin where the links carry it: all a
  // listing reply depends on besides the catalogue.
  static std::string ListingSubject(const protocol::ListingQuery& query, int page_size,
                                    std::string_view origin) {
    std::string subject = "listing\n";
    subject.append(std::to_string(query.page)).append("\n").append(std::to_string(page_size));
    subject.append("\n").append(origin).append("\n").append(query.term);
    return subject;
  }

  static MHD_Result Ready(MHD_Connection* connection, Request& request,
                          const CacheableReplies::Prepared& prepared) {
    if (prepared.reply == nullptr) return MHD_NO;
    request.status = prepared.status;
    request.body_bytes = prepared.status == 200 ? prepared.reply->body_bytes() : 0;
    request.coding = prepared.reply->coding();
    return MHD_queue_response(connection, static_cast<unsigned>(prepared.status),
                              prepared.reply->response());
  }

  static MHD_Result Queue(MHD_Connection* connection, Request& request, int status,
                          MHD_Response* response, std::size_t body_bytes, const char* type,
                          const char* allow) {
    if (response == nullptr) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    if (allow != nullptr) MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
    request.status = status;
    request.body_bytes = body_bytes;
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    return queued;
  }

  // "http://host[:port]" of this service as the client reached it, so links
  // work through whatever name or forwarded port it used.  A Host header that
  // is not a plain host name or address is not trusted into a reply.
  std::string Origin(MHD_Connection* connection) const {
    if (!origin_.empty()) return origin_;
    const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
    if (host != nullptr && IsPlausibleHost(host)) return "http://" + std::string(host);
    std::string address = address_;
    if (address == "0.0.0.0" || address == "::" || address.empty()) address = "127.0.0.1";
    if (address.find(':') != std::string::npos) address = "[" + address + "]";
    return "http://" + address + ":" + std::to_string(port_);
  }

  CatalogueStore& store_;
  const int page_size_;
  const HttpLimits limits_;
  const std::string origin_;  // empty: from the Host header
  CacheableReplies replies_;
  ServiceMetrics metrics_;
  ConnectionDeadlines deadlines_;
  RequestLog log_;
  MHD_Daemon* daemon_ = nullptr;
  int listen_fd_ = -1;
  std::string address_;
  int port_ = -1;
  std::mutex stop_mutex_;
  std::condition_variable stop_wanted_;
  bool stop_requested_ = false;
};

CatalogueHttpService::CatalogueHttpService(CatalogueStore& store, int page_size, HttpLimits limits,
                                           CachingOptions caching)
    : impl_(std::make_unique<Impl>(store, page_size, limits, caching)) {}

CatalogueHttpService::~CatalogueHttpService() = default;

int CatalogueHttpService::Bind(const std::string& address, int port) {
  return impl_->Bind(address, port);
}

std::size_t CatalogueHttpService::MaxParallelRequests() { return ServingThreads(); }

bool CatalogueHttpService::Run() { return impl_->Run(); }

void CatalogueHttpService::Stop() { impl_->Stop(); }

std::string CatalogueHttpService::MetricsText() { return impl_->MetricsText(); }

}  // namespace quorvel::service
