#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::testing {

// One HTTP reply as it came over the wire.
struct HttpReply {
  int status = 0;
  std::string head;  // status line and headers, without the blank line
  std::string body;
  // The value of header `name` (any letter case), or empty.
  std::string Header(std::string_view name) const;
};

// A plain TCP connection to 127.0.0.1:`port`, for sending requests exactly as
// written, whole or in pieces, pipelined or broken on purpose.
class LoopbackConnection {
 public:
  explicit LoopbackConnection(int port);
  ~LoopbackConnection();
  LoopbackConnection(const LoopbackConnection&) = delete;
  LoopbackConnection& operator=(const LoopbackConnection&) = delete;

  bool connected() const { return fd_ >= 0; }
  // False when the peer has gone.
  bool Send(std::string_view bytes);
  // The next reply, waiting at most `patience`; a reply to HEAD has no body.
  // Nothing when the connection ends or the time runs out first.
  std::optional<HttpReply> Read(bool head_request = false,
                                std::chrono::milliseconds patience = std::chrono::seconds(30));
  // True once the peer has closed the connection, within `patience`; what it
  // sends meanwhile is kept for Read().
  bool ClosedWithin(std::chrono::milliseconds patience);

 private:
  // Reads what is there, waiting up to `patience`; false at end or error.
  bool Fill(std::chrono::milliseconds patience);

  int fd_ = -1;
  std::string buffer_;
};

// "GET `target` HTTP/1.1" with Host `host` (127.0.0.1:port when empty) on a
// new connection, and its reply; status -1 when none came.
HttpReply Get(int port, const std::string& target, const std::string& host = "");

// Get() again and again until `done` holds for the reply, ten seconds at
// most; the last reply.  For what a service does a moment after a change: it
// loads a changed catalogue in the background, answering from the one it
// holds meanwhile.
HttpReply GetUntil(int port, const std::string& target,
                   const std::function<bool(const HttpReply&)>& done);

}  // namespace quorvel::testing
