#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace quorvel::soak {

// What the server does with one request.
enum class Answer {
  kGood,          // twenty records and the trailer
  kRefuse,        // nobody listens while the request is made
  kResetMidBody,  // half the announced body, then a TCP reset
  kStall,         // the head and a few bytes, then silence until the client gives up
  kServerError,   // status 500
  kHuge,          // announces and sends 70 MiB
  kInvalidUtf8,   // twenty records with malformed UTF-8 in their cells
  kNoTrailer,     // twenty records and no trailer marker
  kManyRecords,   // 40,000 records and the trailer
};

// True where the user must be told that the load went wrong.
bool ToldAsFailure(Answer answer);
// True where the reply's rows replace the list.
bool ReplacesList(Answer answer);
const char* AnswerName(Answer answer);

// A listing service on 127.0.0.1 that misbehaves on request.  The test sets
// the answer before each click; one connection is served at a time on the
// server's own thread.  It stops by itself at destruction, or at the latest
// after `lifetime`.
class MisbehavingServer {
 public:
  // What the server answered last and to which request target.
  struct Served {
    Answer answer = Answer::kGood;
    std::string target;
    int page = 0;  // from the target's "page=" key
  };

  explicit MisbehavingServer(std::chrono::milliseconds lifetime);
  ~MisbehavingServer();
  MisbehavingServer(const MisbehavingServer&) = delete;
  MisbehavingServer& operator=(const MisbehavingServer&) = delete;

  bool ok() const { return port_ > 0; }
  int port() const { return port_; }
  // The listing service's base address, ending in "/adminphp/".
  QString BaseUrl() const;

  // How the next request is answered.  kRefuse closes the listening socket
  // (and waits until it is closed); any other answer opens it again on the
  // same port.  False when the socket could not be brought into that state.
  bool AnswerNextWith(Answer answer);

  // Requests read so far (refused connections never make one).
  std::int64_t requests() const { return requests_.load(); }
  Served last() const;

 private:
  void Serve(std::chrono::milliseconds lifetime);
  bool OpenListener();
  void Respond(int connection, Answer answer, int page);

  int port_ = 0;
  int listener_ = -1;  // touched by the server thread only, once started
  std::atomic<bool> stop_{false};
  std::atomic<bool> want_listening_{true};
  std::atomic<bool> listening_{false};
  std::atomic<bool> listen_failed_{false};
  std::atomic<Answer> next_{Answer::kGood};
  std::atomic<std::int64_t> requests_{0};
  mutable std::mutex mutex_;
  Served last_;
  std::thread thread_;
};

}  // namespace quorvel::soak
