#include "misbehaving_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "listing_bodies.h"
#include "loopback_socket.h"

namespace quorvel::soak {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr int kRowsPerPage = 20;
constexpr int kManyRows = 40000;
constexpr std::int64_t kHugeBytes = std::int64_t{70} << 20;

int PageOf(const std::string& target) {
  const std::size_t at = target.find("page=");
  if (at == std::string::npos) return 0;
  return std::atoi(target.c_str() + at + 5);
}

// Sends everything unless the client goes; false once it has gone.
bool SendAll(int s, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Waits until the client hangs up, at most `wait`.
void AwaitHangUp(int s, const std::atomic<bool>& stop, milliseconds wait) {
  char buffer[4096];
  const auto until = Clock::now() + wait;
  while (!stop && Clock::now() < until) {
    pollfd p{s, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0 && ::recv(s, buffer, sizeof buffer, 0) <= 0) return;
  }
}

bool SendChunk(int s, std::string_view data);

std::string Head(int status, const char* reason, std::string_view framing) {
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  head += "Content-Type: text/html; charset=utf-8\r\n";
  head += framing;
  head += "Connection: close\r\n\r\n";
  return head;
}

std::string LengthHead(std::int64_t length) {
  return Head(200, "OK", "Content-Length: " + std::to_string(length) + "\r\n");
}

bool SendChunked(int s, std::string_view body) {
  if (!SendAll(s, Head(200, "OK", "Transfer-Encoding: chunked\r\n"))) return false;
  constexpr std::size_t kChunk = 64 * 1024;
  for (std::size_t at = 0; at < body.size(); at += kChunk) {
    if (!SendChunk(s, body.substr(at, std::min(kChunk, body.size() - at)))) return false;
  }
  return SendAll(s, "0\r\n\r\n");
}

bool SendChunk(int s, std::string_view data) {
  char size_line[32];
  const int length = std::snprintf(size_line, sizeof size_line, "%zx\r\n", data.size());
  return SendAll(s, std::string_view(size_line, static_cast<std::size_t>(length))) &&
         SendAll(s, data) && SendAll(s, "\r\n");
}

// Made a block at a time as it goes out, as a service streaming from its
// store would: the client hears something long before the last record.
bool SendManyRecords(int s, int page) {
  if (!SendAll(s, Head(200, "OK", "Transfer-Encoding: chunked\r\n"))) return false;
  constexpr int kBlock = 500;
  std::string block;
  for (int first = 0; first < kManyRows; first += kBlock) {
    block.clear();
    AppendRecords(block, page, first, std::min(first + kBlock, kManyRows),
                  BodyFlavour::kWellFormed);
    if (first + kBlock >= kManyRows) AppendTrailer(block, kManyRows);
    if (!SendChunk(s, block)) return false;
  }
  return SendAll(s, "0\r\n\r\n");
}

void Reset(int s) {
  const linger hard{1, 0};
  ::setsockopt(s, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

}  // namespace

bool ToldAsFailure(Answer answer) {
  switch (answer) {
    case Answer::kGood:
    case Answer::kInvalidUtf8:
    case Answer::kManyRecords:
      return false;
    default:
      return true;
  }
}

bool ReplacesList(Answer answer) {
  return answer == Answer::kGood || answer == Answer::kInvalidUtf8 ||
         answer == Answer::kNoTrailer || answer == Answer::kManyRecords;
}

const char* AnswerName(Answer answer) {
  switch (answer) {
    case Answer::kGood:
      return "good";
    case Answer::kRefuse:
      return "refused";
    case Answer::kResetMidBody:
      return "reset mid-body";
    case Answer::kStall:
      return "stalled";
    case Answer::kServerError:
      return "status 500";
    case Answer::kHuge:
      return "70 MiB";
    case Answer::kInvalidUtf8:
      return "invalid UTF-8";
    case Answer::kNoTrailer:
      return "no trailer";
    case Answer::kManyRecords:
      return "40,000 records";
  }
  return "?";
}

MisbehavingServer::MisbehavingServer(milliseconds lifetime) {
  listener_ = quorvel::testing::BindLoopback(0, 16, &port_);
  if (listener_ < 0) {
    port_ = 0;
    return;
  }
  listening_ = true;
  thread_ = std::thread([this, lifetime] { Serve(lifetime); });
}

MisbehavingServer::~MisbehavingServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

QString MisbehavingServer::BaseUrl() const {
  return QStringLiteral("http://127.0.0.1:%1/adminphp/").arg(port_);
}

bool MisbehavingServer::AnswerNextWith(Answer answer) {
  next_ = answer;
  const bool listen = answer != Answer::kRefuse;
  want_listening_ = listen;
  // The server thread owns the socket; wait until it has done as asked.
  for (int i = 0; i < 2000; ++i) {
    if (listening_ == listen) return true;
    if (listen && listen_failed_) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return false;
}

MisbehavingServer::Served MisbehavingServer::last() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_;
}

bool MisbehavingServer::OpenListener() {
  // Back on the same port; another socket may hold it for a moment.
  for (int attempt = 0; attempt < 100 && !stop_; ++attempt) {
    int bound = 0;
    listener_ = quorvel::testing::BindLoopback(port_, 16, &bound);
    if (listener_ >= 0) return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return false;
}

void MisbehavingServer::Serve(milliseconds lifetime) {
  const auto until = Clock::now() + lifetime;
  while (!stop_ && Clock::now() < until) {
    if (want_listening_ != listening_) {
      if (listening_) {
        ::close(listener_);
        listener_ = -1;
        listening_ = false;
      } else if (OpenListener()) {
        listening_ = true;
      } else {
        listen_failed_ = true;
      }
    }
    if (!listening_) {
      std::this_thread::sleep_for(milliseconds(1));
      continue;
    }
    pollfd p{listener_, POLLIN, 0};
    if (::poll(&p, 1, 5) <= 0) continue;
    const int s = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (s < 0) continue;
    std::string target;
    if (quorvel::testing::ReadRequestTarget(s, stop_, milliseconds(2000), &target)) {
      const Answer answer = next_;
      const int page = PageOf(target);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        last_ = Served{answer, target, page};
      }
      ++requests_;
      Respond(s, answer, page);
    }
    ::close(s);
  }
}

void MisbehavingServer::Respond(int s, Answer answer, int page) {
  // A client that stops reading must not hold the server for long.
  const timeval send_limit{2, 0};
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &send_limit, sizeof send_limit);
  // Whole replies alternate between the two framings.
  const bool chunked = requests_ % 2 == 0;
  bool orderly = true;
  switch (answer) {
    case Answer::kGood:
    case Answer::kInvalidUtf8:
    case Answer::kNoTrailer: {
      const BodyFlavour flavour = answer == Answer::kGood          ? BodyFlavour::kWellFormed
                                  : answer == Answer::kInvalidUtf8 ? BodyFlavour::kInvalidUtf8
                                                                   : BodyFlavour::kNoTrailer;
      const std::string body = ListingBody(page, kRowsPerPage, flavour);
      if (chunked) {
        SendChunked(s, body);
      } else {
        SendAll(s, LengthHead(static_cast<std::int64_t>(body.size())) + body);
      }
      break;
    }
    case Answer::kManyRecords:
      SendManyRecords(s, page);
      break;
    case Answer::kResetMidBody: {
      const std::string body = ListingBody(page, kRowsPerPage, BodyFlavour::kWellFormed);
      SendAll(s,
              LengthHead(static_cast<std::int64_t>(body.size())) + body.substr(0, body.size() / 2));
      // Let the half arrive before the reset throws it away.
      std::this_thread::sleep_for(milliseconds(5));
      Reset(s);
      orderly = false;
      break;
    }
    case Answer::kStall: {
      const std::string body = ListingBody(page, kRowsPerPage, BodyFlavour::kWellFormed);
      SendAll(s, LengthHead(static_cast<std::int64_t>(body.size())) + body.substr(0, 64));
      AwaitHangUp(s, stop_, milliseconds(10000));
      orderly = false;
      break;
    }
    case Answer::kServerError:
      SendAll(s, Head(500, "Internal Server Error", "Content-Length: 21\r\n") +
                     "Internal Server Error");
      break;
    case Answer::kHuge: {
      const std::string block(256 * 1024, 'x');
      if (!SendAll(s, LengthHead(kHugeBytes))) break;
      for (std::int64_t sent = 0; sent < kHugeBytes && !stop_;
           sent += static_cast<std::int64_t>(block.size())) {
        if (!SendAll(s, block)) break;
      }
      orderly = false;
      break;
    }
    case Answer::kRefuse:
      // Only reached if a connection slipped in before the listener closed.
      Reset(s);
      orderly = false;
      break;
  }
  if (orderly) {
    // Let the client read everything before the socket goes.
    ::shutdown(s, SHUT_WR);
    AwaitHangUp(s, stop_, milliseconds(2000));
  }
}

}  // namespace quorvel::soak
