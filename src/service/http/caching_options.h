#pragma once

#include <cstddef>
#include <string>

namespace quorvel::service {

// How replies are offered to caches and proxies, and how many are kept ready.
struct CachingOptions {
  // How long caches may serve a reply without asking again; 0: they must
  // ask every time.  Short, so that a pushed catalogue shows within seconds.
  int max_age_seconds = 10;
  // Replies kept built and compressed; 0 keeps none.
  std::size_t reply_cache_bytes = std::size_t{64} << 20;
  // "scheme://host[:port]" put in front of download addresses that start with
  // "/"; empty: "http://" and the Host the client asked for.  Behind a proxy
  // that terminates TLS, the public https origin.
  std::string origin;
};

}  // namespace quorvel::service
