#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quorvel::catalogue::testing {

// A misbehaving HTTP server on 127.0.0.1 for transfer tests.  It serves one
// connection at a time on its own thread, hands each request to the script,
// and stops by itself: at destruction, or at the latest after `lifetime`.
class ScriptedHttpServer {
 public:
  // One accepted connection, its request already read.
  class Connection {
   public:
    Connection(int socket, const std::atomic<bool>& stop) : socket_(socket), stop_(stop) {}
    void Send(std::string_view bytes);
    // Waits up to `wait`, ending early when the client hangs up or the server stops.
    void Pause(std::chrono::milliseconds wait);
    // Ends the connection with a TCP reset instead of an orderly close.
    void Reset();
    bool client_gone() const { return client_gone_; }
    bool closed() const { return closed_; }

   private:
    int socket_;
    const std::atomic<bool>& stop_;
    bool client_gone_ = false;
    bool closed_ = false;
  };
  using Script = std::function<void(Connection& connection, const std::string& target)>;

  explicit ScriptedHttpServer(Script script,
                              std::chrono::milliseconds lifetime = std::chrono::seconds(20));
  ~ScriptedHttpServer();
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  QString Url(const std::string& target) const;
  // Request targets in the order they came.
  std::vector<std::string> targets() const;

  // A loopback address on which nobody listens.
  static QString RefusingUrl();

 private:
  void Serve(std::chrono::milliseconds lifetime);

  Script script_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
  std::thread thread_;
};

// A complete response with Content-Length and "Connection: close".
std::string HttpResponse(int status, std::string_view body,
                         std::string_view extra_headers = std::string_view());

}  // namespace quorvel::catalogue::testing
