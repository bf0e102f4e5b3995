#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace quorvel::service {

class CatalogueStore;

// The HTTP face of the catalogue: the listing script, the three web pages and
// the per-entry download pages, one log line per request on standard error.
// Requests are served in parallel by a pool of threads, one per open
// connection; anything that is not a well-formed GET or HEAD of a known page
// gets a 4xx with a one-line plain-text reason.
class CatalogueHttpService {
 public:
  CatalogueHttpService(CatalogueStore& store, int page_size);
  ~CatalogueHttpService();
  CatalogueHttpService(const CatalogueHttpService&) = delete;
  CatalogueHttpService& operator=(const CatalogueHttpService&) = delete;

  // Starts listening on `address`:`port` (0: a free port chosen by the
  // system).  Returns the port, or -1 when the address cannot be bound.
  int Bind(const std::string& address, int port);

  // How many requests may be in progress at once, one per open connection.
  static std::size_t MaxParallelRequests();

  // Serves until Stop(); returns false when serving could not start.
  bool Run();

  // Safe from any thread.
  void Stop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel::service
