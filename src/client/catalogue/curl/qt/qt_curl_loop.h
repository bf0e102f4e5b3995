#pragma once

#include <QTimer>

#include <map>
#include <memory>
#include <vector>

#include "client/catalogue/curl/curl_loop.h"

class QSocketNotifier;

namespace quorvel::catalogue {

// The calling thread's Qt event loop as a libcurl transfer's loop: socket
// notifiers watch what libcurl asks, a single-shot timer wakes it.
class QtCurlLoop final : public CurlLoop {
 public:
  QtCurlLoop();
  ~QtCurlLoop() override;
  QtCurlLoop(const QtCurlLoop&) = delete;
  QtCurlLoop& operator=(const QtCurlLoop&) = delete;

  void SetAction(Action action) override;
  void Watch(curl_socket_t socket, int what) override;
  void WakeAfter(long timeout_ms) override;

 private:
  struct Notifiers {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
  };

  void Act(curl_socket_t socket, int events);

  Action action_;
  QTimer wake_;
  std::map<curl_socket_t, Notifiers> watches_;
  // Notifiers libcurl is done with; kept until this object goes, because one
  // may be the sender whose signal is still being delivered.
  std::vector<Notifiers> retired_;
};

}  // namespace quorvel::catalogue
