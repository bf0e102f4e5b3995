#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorvel::service::bench {

struct LoadResult {
  int ok = 0;
  int errors = 0;
  double seconds = 0;
  std::vector<double> latencies_ms;       // per request, in the order they completed
  std::vector<std::size_t> targets;       // index of the target of each latency
  std::vector<std::string> first_errors;  // what went wrong, for the first few
};

// Sends every target once, as HTTP/1.1 GETs over `connections` keep-alive
// connections to 127.0.0.1:`port`, each connection with one request in flight.
// All connections are driven from one thread with epoll, so the load itself
// costs little and adds few threads for the scheduler to juggle.  A request
// counts as ok when the answer is 200 and `body_ok` accepts its body.  Gives up
// (counting what is left as errors) after `timeout_seconds`.  `headers`, each
// line ending in "\r\n", go with every request.  `heads`, when given, holds
// the header lines of each target in turn, its Host among them, in place of
// the Host and `headers` every request gets otherwise.
LoadResult RunLoad(int port, int connections, const std::vector<std::string>& targets,
                   const std::function<bool(const std::string&)>& body_ok,
                   int timeout_seconds = 120, const std::string& headers = "",
                   const std::vector<std::string>* heads = nullptr);

}  // namespace quorvel::service::bench
