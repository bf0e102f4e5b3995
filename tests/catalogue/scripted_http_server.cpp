#include "scripted_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "loopback_socket.h"

namespace quorvel::catalogue::testing {

void ScriptedHttpServer::Connection::Send(std::string_view bytes) {
  while (!bytes.empty() && !client_gone_) {
    const ssize_t n = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) {
      client_gone_ = true;
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void ScriptedHttpServer::Connection::Pause(std::chrono::milliseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  char buffer[256];
  for (auto now = std::chrono::steady_clock::now(); !stop_ && !client_gone_ && now < until;
       now = std::chrono::steady_clock::now()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
    pollfd p{socket_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 1, 20))) > 0) {
      // Anything the client sends now is ignored; nothing means it hung up.
      if (::recv(socket_, buffer, sizeof buffer, 0) <= 0) client_gone_ = true;
    }
  }
}

void ScriptedHttpServer::Connection::Reset() {
  const linger hard{1, 0};
  ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  ::close(socket_);
  closed_ = true;
  client_gone_ = true;
}

ScriptedHttpServer::ScriptedHttpServer(Script script, std::chrono::milliseconds lifetime)
    : script_(std::move(script)) {
  listener_ = quorvel::testing::BindLoopback(0, 16, &port_);
  if (listener_ >= 0) {
    thread_ = std::thread([this, lifetime] { Serve(lifetime); });
  }
}

ScriptedHttpServer::~ScriptedHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

void ScriptedHttpServer::Serve(std::chrono::milliseconds lifetime) {
  const auto until = std::chrono::steady_clock::now() + lifetime;
  while (!stop_ && std::chrono::steady_clock::now() < until) {
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const int s = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (s < 0) continue;
    std::string target;
    Connection connection(s, stop_);
    if (quorvel::testing::ReadRequestTarget(s, stop_, std::chrono::seconds(10), &target)) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        targets_.push_back(target);
      }
      script_(connection, target);
    }
    if (!connection.closed()) {
      // An orderly end: let the client read everything before the socket goes.
      ::shutdown(s, SHUT_WR);
      connection.Pause(std::chrono::milliseconds(200));
      ::close(s);
    }
  }
}

QString ScriptedHttpServer::Url(const std::string& target) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QString::fromStdString(target));
}

std::vector<std::string> ScriptedHttpServer::targets() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return targets_;
}

QString ScriptedHttpServer::RefusingUrl() {
  int port = 0;
  const int s = quorvel::testing::BindLoopback(0, 0, &port);
  if (s >= 0) ::close(s);
  return QStringLiteral("http://127.0.0.1:%1/adminphp/admin_upload.php?page=1").arg(port);
}

std::string HttpResponse(int status, std::string_view body, std::string_view extra_headers) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\n";
  response += "Content-Type: text/plain; charset=utf-8\r\n";
  response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  response += extra_headers;
  response += "Connection: close\r\n\r\n";
  response += body;
  return response;
}

}  // namespace quorvel::catalogue::testing
