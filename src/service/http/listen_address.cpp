#include "service/http/listen_address.h"

#include <sys/socket.h>

namespace quorvel::service {

bool TakeListenAddress(const std::string& address, int port,
                       const std::function<bool(const addrinfo&)>& listen) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  if (::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
    return false;
  }
  bool taken = false;
  for (const addrinfo* a = found; a != nullptr && !taken; a = a->ai_next) taken = listen(*a);
  ::freeaddrinfo(found);
  return taken;
}

}  // namespace quorvel::service
