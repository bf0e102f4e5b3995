#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "client/catalogue/components.h"
#include "client/catalogue/curl/curl_event_driver.h"
#include "client/catalogue/curl/curl_loop.h"
#include "client/catalogue/transfer_failure.h"

namespace quorvel::catalogue {

// One HTTP GET by libcurl, without following redirects, run on the caller's
// event loop (see CurlLoop), so a stall, the overall timeout or the program
// quitting ends it at once, and the size check runs on the thread that owns
// the body.  The protocol (framing, TLS, proxies from the
// environment, decompression) is libcurl's; what this class adds is the
// policy: which replies count, how big a decoded body may grow, and which
// fault each failure is.
class CurlExchange {
 public:
  // `url` must be an absolute http or https address; `loop` must outlive
  // the exchange.
  CurlExchange(std::string url, std::int64_t max_body_bytes, CurlLoop& loop);
  ~CurlExchange();
  CurlExchange(const CurlExchange&) = delete;
  CurlExchange& operator=(const CurlExchange&) = delete;

  // Called when bytes came in or the connection was made, and once when
  // the exchange has ended; set them before Start.
  void SetProgressHandler(std::function<void()> handler) { on_progress_ = std::move(handler); }
  void SetFinishedHandler(std::function<void()> handler) { on_finished_ = std::move(handler); }

  void Start();
  // Ends the exchange at once, failed for `why`, unless it has ended already.
  void Abort(const TransferFault& why);

  bool finished() const { return result_.has_value(); }
  int status() const { return status_; }
  // Once finished: the whole decoded body with a 2xx status, or the failure.
  // A redirect to follow is an ok result with no body, and redirected() says so.
  TransferResult TakeResult() { return std::move(result_).value_or(TransferResult{}); }
  bool redirected() const { return redirected_; }
  // The Location of a redirect resolved against this request's address, or
  // empty when libcurl could not make an address of it.
  const std::string& redirect_url() const { return redirect_url_; }

 private:
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static int OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                        curl_off_t ulnow);
  static int OnConnected(void* self, char* primary_ip, char* local_ip, int primary_port,
                         int local_port);

  void SetOptions();
  bool HeadersDone();
  std::string ResolveLocation() const;
  void Progress() const;
  void Conclude(CURLcode code);
  TransferFault FaultOf(CURLcode code) const;
  TransferFault Fault(TransferFault::Kind kind) const;
  TransferResult Succeeded(std::string body) const;
  void Finish(TransferResult result);

  std::string url_;
  std::int64_t max_body_bytes_;
  std::function<void()> on_progress_;
  std::function<void()> on_finished_;
  CurlEventDriver driver_;
  char error_buffer_[CURL_ERROR_SIZE] = {};

  std::optional<TransferResult> result_;  // set once the exchange has ended
  std::optional<TransferFault> stop_;     // set inside a libcurl callback, acted on after it
  bool redirected_ = false;
  int status_ = 0;
  bool head_done_ = false;
  std::size_t head_bytes_ = 0;
  curl_off_t last_received_ = 0;
  std::string location_;
  std::optional<std::int64_t> content_length_;
  bool bad_length_ = false;
  bool chunked_ = false;
  bool until_close_ = false;  // the body ends only where the connection does
  bool tls_closing_message_ = false;
  std::string redirect_url_;
  std::string body_;
};

}  // namespace quorvel::catalogue
