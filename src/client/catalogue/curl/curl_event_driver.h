#pragma once

#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <curl/curl.h>

class QSocketNotifier;

namespace quorvel::catalogue {

// One libcurl transfer driven by the calling thread's Qt event loop.
//
// libcurl's multi interface tells us which sockets to watch and when to wake
// it; Qt socket notifiers and a timer do the watching.  So a transfer stays
// on the user-interface thread with no worker to stop or join, and whoever
// owns this object can end it at once.
class CurlEventDriver {
 public:
  using DoneHandler = std::function<void(CURLcode code)>;

  // Makes the handles; easy() is null when libcurl could not.
  CurlEventDriver();
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
  struct Watch {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
  };

  static int OnSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* socket_data);
  static int OnTimer(CURLM* multi, long timeout_ms, void* self);
  void SetWatch(curl_socket_t socket, int what);
  void Drive(curl_socket_t socket, int events);

  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  bool attached_ = false;
  DoneHandler done_;
  QTimer wake_;
  std::map<curl_socket_t, Watch> watches_;
  // Notifiers libcurl is done with; kept until this object goes, because one
  // may be the sender whose signal is still being delivered.
  std::vector<Watch> retired_;
};

}  // namespace quorvel::catalogue
