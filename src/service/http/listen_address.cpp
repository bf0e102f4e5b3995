#include "service/http/listen_address.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

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

ListeningSocket OpenListeningSocket(const std::string& address, int port) {
  int fd = -1;
  TakeListenAddress(address, port, [&fd](const addrinfo& a) {
    fd = ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a.ai_protocol);
    if (fd < 0) return false;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, a.ai_addr, a.ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
      ::close(fd);
      fd = -1;
    }
    return fd >= 0;
  });
  if (fd < 0) return {};
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  char service[NI_MAXSERV] = {};
  ::getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, nullptr, 0, service, sizeof service,
                NI_NUMERICSERV);
  return {fd, std::atoi(service)};
}

}  // namespace quorvel::service
