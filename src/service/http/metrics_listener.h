#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "service/http/connection_deadlines.h"

struct MHD_Daemon;

namespace quorvel::service {

struct MetricsListenerHooks;

// A listener of its own for the metrics, apart from the public port, so that
// only whoever can reach its address (loopback, a monitoring network) reads
// them.  Answers GET /metrics with what `render` gives, in the Prometheus text
// format; 404 for any other path, 405 for any other method.  One thread, and
// one more that holds every connection to the public port's rule: a whole
// head within `allowance` of opening or of the previous reply, so that
// clients trickling their heads cannot keep its few connections for ever.
class MetricsListener {
 public:
  MetricsListener(std::function<std::string()> render, std::chrono::seconds allowance);
  ~MetricsListener();
  MetricsListener(const MetricsListener&) = delete;
  MetricsListener& operator=(const MetricsListener&) = delete;

  // Listens on `address`:`port` (0: a free port) and answers from now on.
  // Returns the port, or -1 when the address cannot be used.
  int Start(const std::string& address, int port);

 private:
  void SweepUntilStopped();

  std::function<std::string()> render_;
  ConnectionDeadlines deadlines_;
  std::unique_ptr<MetricsListenerHooks> hooks_;  // what the server's callbacks are given
  MHD_Daemon* daemon_ = nullptr;
  std::mutex mutex_;
  std::condition_variable stop_wanted_;
  bool stopping_ = false;
  std::thread sweeper_;
};

}  // namespace quorvel::service
