#include "scripted_http_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "loopback_socket.h"

namespace quorvel::testing {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

bool ScriptedHttpServer::Connection::Send(std::string_view bytes) {
  while (!bytes.empty() && !client_gone_) {
    const ssize_t n = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) {
      client_gone_ = true;
      break;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return !client_gone_;
}

void ScriptedHttpServer::Connection::Pause(milliseconds wait) {
  const auto until = Clock::now() + wait;
  char buffer[4096];
  for (auto now = Clock::now(); !stop_ && !client_gone_ && now < until; now = Clock::now()) {
    const auto left = std::chrono::duration_cast<milliseconds>(until - now).count();
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

ScriptedHttpServer::ScriptedHttpServer(Script script, milliseconds lifetime)
    : script_(std::move(script)) {
  listener_ = BindLoopback(0, 16, &port_);
  if (listener_ < 0) {
    port_ = 0;
    return;
  }
  listening_ = true;
  thread_ = std::thread([this, lifetime] { Serve(lifetime); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

bool ScriptedHttpServer::SetRefusing(bool refusing) {
  want_listening_ = !refusing;
  // The server thread owns the socket; wait until it has done as asked.
  for (int i = 0; i < 2000; ++i) {
    if (listening_ != refusing) return true;
    if (!refusing && listen_failed_) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return false;
}

// Closes or opens the listening socket as asked; true while it listens.
bool ScriptedHttpServer::FollowListening() {
  if (want_listening_ == listening_) return listening_;
  if (listening_) {
    ::close(listener_);
    listener_ = -1;
    listening_ = false;
    return false;
  }
  // Back on the same port; another socket may hold it for a moment.
  for (int attempt = 0; attempt < 100 && !stop_; ++attempt) {
    int bound = 0;
    listener_ = BindLoopback(port_, 16, &bound);
    if (listener_ >= 0) {
      listening_ = true;
      return true;
    }
    std::this_thread::sleep_for(milliseconds(10));
  }
  listen_failed_ = true;
  return false;
}

void ScriptedHttpServer::Serve(milliseconds lifetime) {
  const auto until = Clock::now() + lifetime;
  while (!stop_ && Clock::now() < until) {
    if (!FollowListening()) {
      std::this_thread::sleep_for(milliseconds(1));
      continue;
    }
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 5) <= 0) continue;
    const int s = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (s >= 0) Answer(s);
  }
}

void ScriptedHttpServer::Answer(int s) {
  // A client that stops reading must not hold the server for long.
  const timeval send_limit{2, 0};
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &send_limit, sizeof send_limit);
  std::string target;
  Connection connection(s, stop_);
  if (ReadRequestTarget(s, stop_, std::chrono::seconds(10), &target)) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      targets_.push_back(target);
    }
    script_(connection, target);
  }
  if (!connection.closed()) {
    // An orderly end: let the client read everything before the socket goes.
    ::shutdown(s, SHUT_WR);
    connection.Pause(milliseconds(200));
    ::close(s);
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
  const int s = BindLoopback(0, 0, &port);
  if (s >= 0) ::close(s);
  return QStringLiteral("http://127.0.0.1:%1/adminphp/admin_upload.php?page=1").arg(port);
}

std::string HttpHead(int status, std::string_view headers) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\n";
  head += "Content-Type: text/plain; charset=utf-8\r\n";
  head += headers;
  head += "Connection: close\r\n\r\n";
  return head;
}

std::string HttpResponse(int status, std::string_view body, std::string_view extra_headers) {
  return HttpHead(status, "Content-Length: " + std::to_string(body.size()) + "\r\n" +
                              std::string(extra_headers)) +
         std::string(body);
}

std::string HttpChunk(std::string_view data) {
  char size[32];
  std::snprintf(size, sizeof size, "%zx\r\n", data.size());
  return size + std::string(data) + "\r\n";
}

}  // namespace quorvel::testing
