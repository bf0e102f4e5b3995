#pragma once

#include <cstddef>

namespace quorvel::service {

// What one client, or all of them together, may hold of the service.
struct HttpLimits {
  unsigned max_connections = 4096;
  // Loopback clients all come from one address, and the client, the browser
  // pages and any local tool share it, so this stays generous.
  unsigned max_connections_per_address = 1024;
  // A connection must deliver a whole request line and headers within this
  // many seconds of opening or of its previous reply, however it trickles.
  unsigned request_timeout_seconds = 10;
  std::size_t max_head_bytes = 16 * 1024;  // request line and headers together
  std::size_t max_headers = 100;
};

}  // namespace quorvel::service
