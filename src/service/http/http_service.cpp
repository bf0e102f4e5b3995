#include "service/http/http_service.h"

#include <microhttpd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <thread>
#include <vector>

#include "service/http/connection_deadlines.h"
#include "service/http/listen_address.h"
#include "service/http/query_arguments.h"
#include "service/http/request_framing.h"
#include "service/http/request_log.h"
#include "service/http/served_request.h"
#include "service/http/service_metrics.h"
#include "service/http/service_routes.h"
#include "service/http/tracked_connection.h"
#include "service/store/catalogue_store.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

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
        limits_(limits),
        deadlines_(std::chrono::seconds(limits.request_timeout_seconds)),
        routes_(store, page_size, caching, log_) {
    store_.SetNotices([this](std::string_view line) { log_.Note(line); });
  }

  ~Impl() {
    if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
    if (listen_fd_ >= 0) ::close(listen_fd_);
    store_.SetNotices(nullptr);
  }

  int Bind(const std::string& address, int port) {
    const ListeningSocket socket = OpenListeningSocket(address, port);
    if (socket.fd < 0) return -1;
    listen_fd_ = socket.fd;
    routes_.SetListenAddress(address, socket.port);
    return socket.port;
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
#if MHD_VERSION < 0x01000000
                         MHD_OPTION_UNESCAPE_CALLBACK, &QueryArguments::Unescape,  //
                         &deadlines_,                                              //
#endif
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
    const CacheableReplies::Cache& cache = routes_.replies().cache();
    holdings.cache_bytes = cache.bytes();
    holdings.cache_limit_bytes = cache.limit_bytes();
    holdings.cache_entries = cache.entries();
    holdings.cache_hits = cache.hits();
    holdings.cache_misses = cache.misses();
    return metrics_.Render(holdings);
  }

 private:
  // The callbacks below are called by the library, which knows nothing of
  // exceptions: none may leave them.  Running out of memory costs the request
  // at hand its answer or its log line, never the service.

  static void* Begin(void*, const char* uri, MHD_Connection* connection) {
    void* request = nullptr;
    try {
      auto made = std::make_unique<ServedRequest>();
      made->target = uri != nullptr ? uri : "";
      request = made.release();
    } catch (const std::exception&) {
      // Answer() makes do without the address.
    }
    QueryArguments::LeaveUnsplit(uri, connection);
    return request;
  }

  static void ConnectionEvent(void* self, MHD_Connection* connection, void** socket_context,
                              MHD_ConnectionNotificationCode code) {
    auto& metrics = static_cast<Impl*>(self)->metrics_;
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      metrics.ConnectionOpened();
    } else {
      metrics.ConnectionClosed();
    }
    TrackConnection(static_cast<Impl*>(self)->deadlines_, connection, socket_context, code);
  }

  static void Completed(void* cls, MHD_Connection* connection, void** con_cls,
                        MHD_RequestTerminationCode ending) {
    auto* self = static_cast<Impl*>(cls);
    auto* request = static_cast<ServedRequest*>(*con_cls);
    *con_cls = nullptr;
    self->deadlines_.ReplyDone(TrackedConnection(connection));
    if (request == nullptr) return;
    // A reply queued is not a reply sent: when the connection ended first
    // (the client went, the library gave up on it), the log and the counters
    // say so rather than the status that was meant.
    if (request->status != 0 && ending != MHD_REQUEST_TERMINATED_COMPLETED_OK) {
      request->status = kUnsent;
      request->body_bytes = 0;
    }
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
    std::size_t body_bytes = body != nullptr ? std::strlen(body) : 0;
    int sent = static_cast<int>(status);
#if MHD_VERSION < 0x01000000
    // Memory used up by the arguments of a query given up on: the library's
    // refusal is never sent, and the connection is ended instead.
    if (QueryArguments::GivenUp()) {
      sent = kUnsent;
      body_bytes = 0;
    }
#endif
    try {
      static_cast<Impl*>(cls)->log_.Write("", "", sent, body_bytes, -1);
    } catch (const std::exception&) {
    }
    static_cast<Impl*>(cls)->metrics_.RequestDone(RequestKind::kOther, sent,
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
      return AnswerUnavailable(connection, static_cast<ServedRequest*>(*con_cls), "out of memory",
                               self->log_);
    } catch (const std::exception& error) {
      *upload_size = 0;
      return AnswerUnavailable(connection, static_cast<ServedRequest*>(*con_cls), error.what(),
                               self->log_);
    }
  }

  MHD_Result Handle(MHD_Connection* connection, const char* url, const char* method,
                    const char* version, const char*, std::size_t* upload_size, void** con_cls) {
    // A connection given up on is served no more: the library ends it.
    if (ConnectionDeadlines::Closing(TrackedConnection(connection))) return MHD_NO;
    auto* request = static_cast<ServedRequest*>(*con_cls);
    if (request == nullptr) *con_cls = request = new ServedRequest;  // Begin() had no memory
    if (request->status != 0) {
      // Answered already; a body that follows is not read.
      *upload_size = 0;
      return MHD_YES;
    }
    if (!request->head_seen) {
      request->head_seen = true;
      request->method = method;
      deadlines_.HeadReceived(TrackedConnection(connection));
      // Refusals that end the connection go out at once, before any body is read.
      const FramingVerdict verdict = Framing(connection, *request, url, version, limits_);
      if (!verdict.answerable()) {
        return AnswerText(connection, *request, verdict.status, verdict.reason, verdict.allow);
      }
      // A client that expects "100 Continue" before it sends a body (which
      // these requests may not have) is answered at once instead; the
      // library would otherwise send that interim reply, then read what
      // follows as a body and end the connection without the answer.
      if (MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_EXPECT) ==
          nullptr) {
        return MHD_YES;
      }
    }
    *upload_size = 0;
    return routes_.Route(connection, *request, OriginForm(url != nullptr ? url : ""));
  }

  // The request's head as the framing rules read it.  libmicrohttpd 0.9
  // splits the request line where it lies, so the address runs from `url` to
  // the space before `version`; when that is longer than the address it
  // passed on, a NUL cut the address short.  (1.0 ends the connection itself
  // on a NUL in the request line, without a reply.)  Some framing faults the
  // library refuses by itself before this sees the request (a Content-Length
  // that is not a number, a request line without a version); those get its
  // 400.
  static FramingVerdict Framing(MHD_Connection* connection, const ServedRequest& request,
                                const char* url, const char* version, const HttpLimits& limits) {
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
    const MHD_ConnectionInfo* head_size =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
    return CheckFraming(
        {request.method, request.target, version != nullptr ? version : "", address_bytes,
         list.fields.first(list.filled), head_size != nullptr ? head_size->header_size : 0},
        limits);
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

  CatalogueStore& store_;
  const HttpLimits limits_;
  ServiceMetrics metrics_;
  ConnectionDeadlines deadlines_;
  RequestLog log_;
  ServiceRoutes routes_;
  MHD_Daemon* daemon_ = nullptr;
  int listen_fd_ = -1;
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
