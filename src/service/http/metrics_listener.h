#pragma once

#include <functional>
#include <string>

struct MHD_Daemon;

namespace quorvel::service {

// A listener of its own for the metrics, apart from the public port, so that
// only whoever can reach its address (loopback, a monitoring network) reads
// them.  Answers GET /metrics with what `render` gives, in the Prometheus text
// format; 404 for any other path, 405 for any other method.  One thread.
class MetricsListener {
 public:
  explicit MetricsListener(std::function<std::string()> render);
  ~MetricsListener();
  MetricsListener(const MetricsListener&) = delete;
  MetricsListener& operator=(const MetricsListener&) = delete;

  // Listens on `address`:`port` (0: a free port) and answers from now on.
  // Returns the port, or -1 when the address cannot be used.
  int Start(const std::string& address, int port);

 private:
  std::function<std::string()> render_;
  MHD_Daemon* daemon_ = nullptr;
};

}  // namespace quorvel::service
