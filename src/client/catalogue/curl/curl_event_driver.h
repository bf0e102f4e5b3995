#pragma once

#include <curl/curl.h>

#include <functional>

#include "client/catalogue/curl/curl_loop.h"

namespace quorvel::catalogue {

// One libcurl transfer driven by the calling thread's event loop: libcurl's
// multi interface tells which sockets to watch and when to wake it, and the
// loop (see CurlLoop) does the watching.
class CurlEventDriver {
 public:
  using DoneHandler = std::function<void(CURLcode code)>;

  // Makes the handles; easy() is null when libcurl could not.  `loop` must
  // outlive this driver.
  explicit CurlEventDriver(CurlLoop& loop);
  ~CurlEventDriver();
  CurlEventDriver(const CurlEventDriver&) = delete;
  CurlEventDriver& operator=(const CurlEventDriver&) = delete;

  // For the caller to set the transfer's options on before Start.
  CURL* easy() const { return easy_; }

  // Starts the transfer; `done` gets libcurl's verdict from the event loop,
  // once.  False when libcurl would not take it.
  bool Start(DoneHandler done);
  // Detaches the transfer and closes its connection; never called from inside
  // a libcurl callback.
  void Stop();

 private:
  static int OnSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* socket_data);
  static int OnTimer(CURLM* multi, long timeout_ms, void* self);
  void Drive(curl_socket_t socket, int events);

  CurlLoop& loop_;
  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  bool attached_ = false;
  DoneHandler done_;
};

}  // namespace quorvel::catalogue
