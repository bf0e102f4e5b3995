#include "misbehaving_listing.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "listing_bodies.h"

namespace quorvel::soak {
namespace {

using Connection = quorvel::testing::ScriptedHttpServer::Connection;
using quorvel::testing::HttpChunk;
using quorvel::testing::HttpHead;
using std::chrono::milliseconds;

constexpr std::int64_t kHugeBytes = std::int64_t{70} << 20;
constexpr char kChunked[] = "Transfer-Encoding: chunked\r\n";

int PageOf(const std::string& target) {
  const std::size_t at = target.find("page=");
  if (at == std::string::npos) return 0;
  return std::atoi(target.c_str() + at + 5);
}

std::string LengthHead(std::int64_t length) {
  return HttpHead(200, "Content-Length: " + std::to_string(length) + "\r\n");
}

void SendChunked(Connection& c, std::string_view body) {
  if (!c.Send(HttpHead(200, kChunked))) return;
  constexpr std::size_t kChunk = 64 * 1024;
  for (std::size_t at = 0; at < body.size(); at += kChunk) {
    if (!c.Send(HttpChunk(body.substr(at, std::min(kChunk, body.size() - at))))) return;
  }
  c.Send("0\r\n\r\n");
}

// Made a block at a time as it goes out, as a service streaming from its
// store would: the client hears something long before the last record.
void SendManyRecords(Connection& c, int page) {
  if (!c.Send(HttpHead(200, kChunked))) return;
  constexpr int kBlock = 500;
  std::string block;
  for (int first = 0; first < kManyRows; first += kBlock) {
    block.clear();
    AppendRecords(block, page, first, std::min(first + kBlock, kManyRows),
                  BodyFlavour::kWellFormed);
    if (first + kBlock >= kManyRows) AppendTrailer(block, kManyRows);
    if (!c.Send(HttpChunk(block))) return;
  }
  c.Send("0\r\n\r\n");
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

MisbehavingListing::MisbehavingListing(milliseconds lifetime)
    : server_([this](Connection& c, const std::string& target) { Respond(c, target); }, lifetime) {}

bool MisbehavingListing::AnswerNextWith(Answer answer) {
  next_ = answer;
  return server_.SetRefusing(answer == Answer::kRefuse);
}

MisbehavingListing::Served MisbehavingListing::last() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_;
}

void MisbehavingListing::Respond(Connection& c, const std::string& target) {
  const Answer answer = next_;
  const int page = PageOf(target);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    last_ = Served{answer, target, page};
  }
  // Whole replies alternate between the two framings.
  const bool chunked = ++requests_ % 2 == 0;
  switch (answer) {
    case Answer::kGood:
    case Answer::kInvalidUtf8:
    case Answer::kNoTrailer: {
      const BodyFlavour flavour = answer == Answer::kGood          ? BodyFlavour::kWellFormed
                                  : answer == Answer::kInvalidUtf8 ? BodyFlavour::kInvalidUtf8
                                                                   : BodyFlavour::kNoTrailer;
      const std::string body = ListingBody(page, kRowsPerPage, flavour);
      if (chunked) {
        SendChunked(c, body);
      } else {
        c.Send(LengthHead(static_cast<std::int64_t>(body.size())) + body);
      }
      break;
    }
    case Answer::kManyRecords:
      SendManyRecords(c, page);
      break;
    case Answer::kResetMidBody: {
      const std::string body = ListingBody(page, kRowsPerPage, BodyFlavour::kWellFormed);
      c.Send(LengthHead(static_cast<std::int64_t>(body.size())) + body.substr(0, body.size() / 2));
      // Let the half arrive before the reset throws it away.
      std::this_thread::sleep_for(milliseconds(5));
      c.Reset();
      break;
    }
    case Answer::kStall: {
      const std::string body = ListingBody(page, kRowsPerPage, BodyFlavour::kWellFormed);
      c.Send(LengthHead(static_cast<std::int64_t>(body.size())) + body.substr(0, 64));
      c.Pause(milliseconds(10000));  // until the client gives up
      break;
    }
    case Answer::kServerError:
      c.Send(quorvel::testing::HttpResponse(500, "Internal Server Error"));
      break;
    case Answer::kHuge: {
      const std::string block(256 * 1024, 'x');
      bool sending = c.Send(LengthHead(kHugeBytes));
      for (std::int64_t sent = 0; sending && sent < kHugeBytes;
           sent += static_cast<std::int64_t>(block.size())) {
        sending = c.Send(block);
      }
      break;
    }
    case Answer::kRefuse:
      // Only reached if a connection slipped in before the listener closed.
      c.Reset();
      break;
  }
}

}  // namespace quorvel::soak
