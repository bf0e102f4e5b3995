#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "service/http/caching_options.h"
#include "service/http/http_limits.h"

namespace quorvel::service {

class CatalogueStore;

// The HTTP face of the catalogue: the listing script, the three web pages and
// the per-entry download pages, one log line per request on standard error.
// A small fixed pool of event-driven threads serves every connection, so idle
// or slow clients hold no worker.  Anything that is not a well-formed GET or
// HEAD of a known page, or that breaks a limit, gets a 4xx.
class CatalogueHttpService {
 public:
  CatalogueHttpService(CatalogueStore& store, int page_size, HttpLimits limits = {},
                       CachingOptions caching = {});
  ~CatalogueHttpService();
  CatalogueHttpService(const CatalogueHttpService&) = delete;
  CatalogueHttpService& operator=(const CatalogueHttpService&) = delete;

  // Starts listening on `address`:`port` (0: a free port chosen by the
  // system).  Returns the port, or -1 when the address cannot be bound.
  int Bind(const std::string& address, int port);

  // How many requests may be worked on at once: one per serving thread.
  static std::size_t MaxParallelRequests();

  // Serves until Stop(); returns false when serving could not start.  On
  // Stop() it accepts no more connections at once, lets replies under way
  // finish and the log write out what it holds, then closes every
  // connection: within two seconds in all, whatever the clients or the
  // log's reader do.
  bool Run();

  // Safe from any thread.
  void Stop();

  // The service's counters and holdings in the Prometheus text format.  Safe
  // from any thread.
  std::string MetricsText();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel::service
