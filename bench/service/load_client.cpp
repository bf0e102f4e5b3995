#include "load_client.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "loopback_socket.h"

namespace quorvel::service::bench {
namespace {

using Clock = std::chrono::steady_clock;

int Connect(int port) {
  const int fd = testing::ConnectLoopback(port);
  if (fd < 0) return -1;
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

void Watch(int epoll, int fd, std::size_t connection, std::uint32_t events) {
  epoll_event event{};
  event.events = events;
  event.data.u64 = connection;
  epoll_ctl(epoll, EPOLL_CTL_MOD, fd, &event);
}

void Note(LoadResult& result, std::string what) {
  if (result.first_errors.size() < 5) result.first_errors.push_back(std::move(what));
}

struct Connection {
  int fd = -1;
  std::size_t target = 0;
  std::string out;
  std::size_t sent = 0;
  std::string in;
  Clock::time_point start;
  bool busy = false;
};

// Parses a complete response at the front of `in`: false while incomplete.
bool TakeResponse(std::string& in, int& status, std::string& body) {
  const std::size_t head_end = in.find("\r\n\r\n");
  if (head_end == std::string::npos) return false;
  std::size_t length = 0;
  const std::string_view head(in.data(), head_end);
  for (std::size_t at = head.find("\r\n"); at != std::string_view::npos;
       at = head.find("\r\n", at + 2)) {
    const std::string_view line = head.substr(at + 2, head.find("\r\n", at + 2) - (at + 2));
    if (line.size() > 15 && strncasecmp(line.data(), "content-length:", 15) == 0) {
      length = std::strtoul(std::string(line.substr(15)).c_str(), nullptr, 10);
    }
  }
  if (in.size() < head_end + 4 + length) return false;
  status = std::atoi(in.c_str() + in.find(' ') + 1);
  body.assign(in, head_end + 4, length);
  in.erase(0, head_end + 4 + length);
  return true;
}

}  // namespace

LoadResult RunLoad(int port, int connections, const std::vector<std::string>& targets,
                   const std::function<bool(const std::string&)>& body_ok, int timeout_seconds,
                   const std::string& headers, const std::vector<std::string>* heads) {
  LoadResult result;
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  std::vector<Connection> pool(static_cast<std::size_t>(connections));
  std::size_t next_target = 0;
  std::size_t outstanding = 0;

  const auto issue = [&](std::size_t c) {
    Connection& conn = pool[c];
    if (next_target >= targets.size()) {
      conn.busy = false;
      return;
    }
    conn.target = next_target++;
    conn.out = "GET " + targets[conn.target] + " HTTP/1.1\r\n";
    if (heads != nullptr) {
      conn.out += (*heads)[conn.target];
    } else {
      conn.out += "Host: 127.0.0.1:" + std::to_string(port) + "\r\n" + headers;
    }
    conn.out += "\r\n";
    conn.sent = 0;
    conn.busy = true;
    ++outstanding;
    conn.start = Clock::now();
    const ssize_t n = send(conn.fd, conn.out.data(), conn.out.size(), MSG_NOSIGNAL);
    if (n > 0) conn.sent = static_cast<std::size_t>(n);
    if (conn.sent < conn.out.size()) Watch(epoll, conn.fd, c, EPOLLIN | EPOLLOUT);
  };

  // Connections are opened before the clock starts: set-up is not measured.
  for (std::size_t c = 0; c < pool.size(); ++c) {
    pool[c].fd = Connect(port);
    if (pool[c].fd < 0) {
      result.errors = static_cast<int>(targets.size());
      for (Connection& conn : pool) {
        if (conn.fd >= 0) close(conn.fd);
      }
      close(epoll);
      return result;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = c;
    epoll_ctl(epoll, EPOLL_CTL_ADD, pool[c].fd, &event);
  }

  const Clock::time_point begin = Clock::now();
  const Clock::time_point deadline = begin + std::chrono::seconds(timeout_seconds);
  for (std::size_t c = 0; c < pool.size(); ++c) issue(c);

  std::string body;
  std::vector<epoll_event> events(pool.size());
  char buffer[65536];
  while (outstanding > 0 && Clock::now() < deadline) {
    const int ready = epoll_wait(epoll, events.data(), static_cast<int>(events.size()), 100);
    for (int e = 0; e < ready; ++e) {
      const std::size_t c = events[e].data.u64;
      Connection& conn = pool[c];
      if ((events[e].events & EPOLLOUT) && conn.sent < conn.out.size()) {
        const ssize_t n =
            send(conn.fd, conn.out.data() + conn.sent, conn.out.size() - conn.sent, MSG_NOSIGNAL);
        if (n > 0) conn.sent += static_cast<std::size_t>(n);
        if (conn.sent == conn.out.size()) Watch(epoll, conn.fd, c, EPOLLIN);
      }
      bool closed = false;
      while (true) {
        const ssize_t n = recv(conn.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
          conn.in.append(buffer, static_cast<std::size_t>(n));
          continue;
        }
        closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
      }
      int status = 0;
      if (conn.busy && TakeResponse(conn.in, status, body)) {
        result.latencies_ms.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - conn.start).count());
        result.targets.push_back(conn.target);
        if (status == 200 && body_ok(body)) {
          ++result.ok;
        } else {
          ++result.errors;
          Note(result, targets[conn.target] + ": status " + std::to_string(status) + ", " +
                           body.substr(0, 200));
        }
        --outstanding;
        conn.busy = false;
      }
      if (closed) {
        // The server ended the connection: what was in flight is lost; carry on
        // with a new one.
        if (conn.busy) {
          Note(result, targets[conn.target] + ": connection closed before the reply");
          ++result.errors;
          --outstanding;
          conn.busy = false;
        }
        epoll_ctl(epoll, EPOLL_CTL_DEL, conn.fd, nullptr);
        close(conn.fd);
        conn.in.clear();
        conn.fd = Connect(port);
        if (conn.fd < 0) continue;
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = c;
        epoll_ctl(epoll, EPOLL_CTL_ADD, conn.fd, &event);
      }
      if (!conn.busy && conn.fd >= 0) issue(c);
    }
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  result.errors += static_cast<int>(outstanding + (targets.size() - next_target));
  for (Connection& conn : pool) {
    if (conn.fd >= 0) close(conn.fd);
  }
  close(epoll);
  return result;
}

}  // namespace quorvel::service::bench
