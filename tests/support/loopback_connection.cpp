#include "loopback_connection.h"

#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "loopback_socket.h"

namespace quorvel::testing {

using Clock = std::chrono::steady_clock;

std::string HttpReply::Header(std::string_view name) const {
  for (std::size_t at = head.find("\r\n"); at != std::string::npos;
       at = head.find("\r\n", at + 2)) {
    const std::size_t end = head.find("\r\n", at + 2);
    const std::string_view line = std::string_view(head).substr(
        at + 2, end == std::string::npos ? std::string_view::npos : end - at - 2);
    if (line.size() > name.size() && line[name.size()] == ':' &&
        strncasecmp(line.data(), name.data(), name.size()) == 0) {
      std::string_view value = line.substr(name.size() + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      return std::string(value);
    }
  }
  return "";
}

LoopbackConnection::LoopbackConnection(int port) : fd_(ConnectLoopback(port)) {}

LoopbackConnection::~LoopbackConnection() {
  if (fd_ >= 0) ::close(fd_);
}

bool LoopbackConnection::Send(std::string_view bytes) {
  while (fd_ >= 0 && !bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return fd_ >= 0;
}

bool LoopbackConnection::Fill(std::chrono::milliseconds patience) {
  pollfd ready{fd_, POLLIN, 0};
  if (fd_ < 0 || ::poll(&ready, 1, static_cast<int>(patience.count())) <= 0) return false;
  char chunk[65536];
  const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
  if (n <= 0) return false;
  buffer_.append(chunk, static_cast<std::size_t>(n));
  return true;
}

std::optional<HttpReply> LoopbackConnection::Read(bool head_request,
                                                  std::chrono::milliseconds patience) {
  const auto until = Clock::now() + patience;
  const auto left = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
  };
  std::size_t head_end = std::string::npos;
  while ((head_end = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (left().count() <= 0 || !Fill(left())) return std::nullopt;
  }
  HttpReply reply;
  reply.head = buffer_.substr(0, head_end);
  reply.status = std::atoi(reply.head.c_str() + std::min(reply.head.find(' ') + 1, head_end));
  const std::size_t length =
      head_request ? 0 : std::strtoul(reply.Header("Content-Length").c_str(), nullptr, 10);
  while (buffer_.size() < head_end + 4 + length) {
    if (left().count() <= 0 || !Fill(left())) return std::nullopt;
  }
  reply.body = buffer_.substr(head_end + 4, length);
  buffer_.erase(0, head_end + 4 + length);
  return reply;
}

bool LoopbackConnection::ClosedWithin(std::chrono::milliseconds patience) {
  const auto until = Clock::now() + patience;
  while (Clock::now() < until) {
    pollfd ready{fd_, POLLIN, 0};
    if (::poll(&ready, 1, 20) <= 0) continue;
    char chunk[65536];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0) return true;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
  return false;
}

HttpReply Get(int port, const std::string& target, const std::string& host) {
  LoopbackConnection connection(port);
  const std::string request = "GET " + target + " HTTP/1.1\r\nHost: " +
                              (host.empty() ? "127.0.0.1:" + std::to_string(port) : host) +
                              "\r\n\r\n";
  if (!connection.Send(request)) return HttpReply{-1, "", "cannot send"};
  std::optional<HttpReply> reply = connection.Read();
  return reply ? *reply : HttpReply{-1, "", "no reply"};
}

HttpReply GetUntil(int port, const std::string& target,
                   const std::function<bool(const HttpReply&)>& done) {
  const auto until = Clock::now() + std::chrono::seconds(10);
  HttpReply reply = Get(port, target);
  while (!done(reply) && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    reply = Get(port, target);
  }
  return reply;
}

}  // namespace quorvel::testing
