#pragma once

#include <netdb.h>

#include <functional>
#include <string>

namespace quorvel::service {

// Offers `listen` each TCP address that `address`:`port` resolves to for
// listening, in the resolver's order, until it takes one (returns true).
// False when the name does not resolve or no address was taken.
bool TakeListenAddress(const std::string& address, int port,
                       const std::function<bool(const addrinfo&)>& listen);

// A socket listening on `address`:`port`, and the port it got (the one asked
// for, or a free one the system chose for port 0).  fd -1 when no address
// `address` resolves to could be bound.
struct ListeningSocket {
  int fd = -1;
  int port = -1;
};

// Non-blocking, so that any number of event loops may watch it and only one
// of them gets each new connection; with a backlog as long as the system
// allows, so that a burst of clients connecting at once does not overflow it.
ListeningSocket OpenListeningSocket(const std::string& address, int port);

}  // namespace quorvel::service
