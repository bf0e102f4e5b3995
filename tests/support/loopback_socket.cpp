#include "loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace quorvel::testing {

int BindLoopback(int port, int backlog, int* bound_port) {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  const int one = 1;
  ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      (backlog > 0 && ::listen(s, backlog) != 0)) {
    ::close(s);
    return -1;
  }
  socklen_t length = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  *bound_port = ntohs(address.sin_port);
  return s;
}

int FreeLoopbackPort() {
  int port = 0;
  const int s = BindLoopback(0, 0, &port);
  if (s < 0) return -1;
  ::close(s);
  return port;
}

int ConnectLoopback(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(s);
    return -1;
  }
  return s;
}

bool ReadRequestTarget(int s, const std::atomic<bool>& stop, std::chrono::milliseconds limit,
                       std::string* target) {
  std::string head;
  char buffer[4096];
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!stop && std::chrono::steady_clock::now() < until) {
    pollfd p{s, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    head.append(buffer, static_cast<std::size_t>(n));
    if (head.find("\r\n\r\n") != std::string::npos) {
      const std::size_t first = head.find(' ');
      const std::size_t second = head.find(' ', first + 1);
      if (first == std::string::npos || second == std::string::npos) return false;
      *target = head.substr(first + 1, second - first - 1);
      return true;
    }
    if (head.size() > 65536) return false;
  }
  return false;
}

}  // namespace quorvel::testing
