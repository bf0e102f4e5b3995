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

namespace quorvel::testing {

// A misbehaving HTTP server on 127.0.0.1 for the transfer's and the window's
// tests.  It serves one connection at a time on its own thread, hands each
// request to the script, and stops by itself: at destruction, or at the
// latest after `lifetime`.
class ScriptedHttpServer {
 public:
  // One accepted connection, its request already read.
  class Connection {
   public:
    Connection(int socket, const std::atomic<bool>& stop) : socket_(socket), stop_(stop) {}
    // False once the client has gone.
    bool Send(std::string_view bytes);
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

  bool ok() const { return port_ > 0; }
  int port() const { return port_; }
  QString Url(const std::string& target) const;
  // Request targets in the order they came.
  std::vector<std::string> targets() const;

  // Closes the listening socket, so that connections are refused, or opens it
  // again on the same port; returns once the server thread has done so.
  // False when the port could not be had again.
  bool SetRefusing(bool refusing);

  // A loopback address on which nobody listens.
  static QString RefusingUrl();

 private:
  void Serve(std::chrono::milliseconds lifetime);
  bool FollowListening();
  void Answer(int socket);

  Script script_;
  int port_ = 0;
  int listener_ = -1;  // touched by the server thread only, once started
  std::atomic<bool> stop_{false};
  std::atomic<bool> want_listening_{true};
  std::atomic<bool> listening_{false};
  std::atomic<bool> listen_failed_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
  std::thread thread_;
};

// A head with "Connection: close" and `headers`, each ending in CRLF.
std::string HttpHead(int status, std::string_view headers = std::string_view());
// A complete response with Content-Length.
std::string HttpResponse(int status, std::string_view body,
                         std::string_view extra_headers = std::string_view());
// One chunk of a chunked body.
std::string HttpChunk(std::string_view data);

}  // namespace quorvel::testing
