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

}  // namespace quorvel::service
