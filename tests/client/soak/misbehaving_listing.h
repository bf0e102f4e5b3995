#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "scripted_http_server.h"

namespace quorvel::soak {

// What the listing service does with one request.
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

// A listing service on the scripted loopback server that misbehaves on
// request: the test sets the answer before each click.
class MisbehavingListing {
 public:
  // What the service answered last and to which request target.
  struct Served {
    Answer answer = Answer::kGood;
    std::string target;
    int page = 0;  // from the target's "page=" key
  };

  explicit MisbehavingListing(std::chrono::milliseconds lifetime);

  bool ok() const { return server_.ok(); }
  int port() const { return server_.port(); }
  // The listing service's base address, ending in "/adminphp/".
  QString BaseUrl() const { return server_.Url("/adminphp/"); }

  // How the next request is answered; kRefuse closes the listening socket
  // and any other answer opens it again.  False when that could not be done.
  bool AnswerNextWith(Answer answer);
  Answer next_answer() const { return next_.load(); }

  // Requests read so far (refused connections never make one).
  std::int64_t requests() const { return requests_.load(); }
  Served last() const;

 private:
  using Connection = quorvel::testing::ScriptedHttpServer::Connection;
  void Respond(Connection& connection, const std::string& target);

  std::atomic<Answer> next_{Answer::kGood};
  std::atomic<std::int64_t> requests_{0};
  mutable std::mutex mutex_;
  Served last_;
  // Last, so that its thread, which answers with the members above, ends first.
  quorvel::testing::ScriptedHttpServer server_;
};

}  // namespace quorvel::soak
