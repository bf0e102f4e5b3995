// The running catalogue-service when things around it go wrong: a log
// nobody reads, memory running out, requests framed as the protocol forbids.
// Each fails at most the one request and the service goes on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include <microhttpd.h>

#include "address_sanitizer.h"
#include "loopback_socket.h"
#include "running_service.h"

namespace quorvel::service {
namespace {

using namespace std::string_literals;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Sends `count` requests for `target` one after another; how many were
// answered, each within a few seconds.
int Answered(int port, const std::string& target, int count) {
  LoopbackConnection connection(port);
  for (int i = 0; i < count; ++i) {
    if (!connection.Send(Request(target)) || !connection.Read(false, seconds(5))) return i;
  }
  return count;
}

TEST(ServiceResilienceTest, ALogNobodyReadsNeverHoldsServingUp) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  // Standard error is a pipe the test reads only when it chooses to.
  const std::string pipe = dir.File("stderr");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int log = open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(log, 0);
  std::string error;
  const int metrics_port = testing::FreeLoopbackPort();
  auto service = ServiceProcess::Start(
      kService,
      {"--db", dir.File("c.sqlite3"), "--metrics", "127.0.0.1:" + std::to_string(metrics_port)},
      pipe, &error);
  ASSERT_NE(service, nullptr) << error;
  // Long addresses fill the pipe after a few dozen lines.
  const std::string target = "/nothing/" + std::string(4000, 'x');
  ASSERT_EQ(Answered(service->port(), target, 2000), 2000);

  // Read at last: what was queued comes out, then one line for what was not.
  std::string text;
  const auto until = std::chrono::steady_clock::now() + seconds(10);
  while (text.find("log lines dropped") == std::string::npos &&
         std::chrono::steady_clock::now() < until) {
    Answered(service->port(), "/gonggao.html", 1);
    pollfd ready{log, POLLIN, 0};
    poll(&ready, 1, 100);
    char buffer[65536];
    for (ssize_t got; (got = read(log, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  }
  std::smatch dropped;
  EXPECT_TRUE(std::regex_search(
      text, dropped, std::regex("catalogue-service: ([0-9]+) log lines dropped: standard error")))
      << text.size() << " bytes, ending " << text.substr(text.size() > 300 ? text.size() - 300 : 0);
  // The metrics count them too, and every one.
  const std::string metrics = testing::Get(metrics_port, "/metrics").body;
  std::smatch counted;
  ASSERT_TRUE(std::regex_search(
      metrics, counted, std::regex("\nquorvel_catalogue_log_lines_dropped_total ([0-9]+)\n")))
      << metrics;
  EXPECT_GE(std::stoll(counted[1]), std::stoll(dropped[1]));
  std::size_t cut_lines = 0;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    const std::string line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 1100u) << line.substr(0, 100);
    if (line.find(std::string(1000, 'x') + "...[cut:4009]") != std::string::npos) ++cut_lines;
  }
  EXPECT_GT(cut_lines, 100u);

  // Unread again, full again: SIGTERM still ends it at once.
  ASSERT_EQ(Answered(service->port(), target, 2000), 2000);
  const auto stopping = std::chrono::steady_clock::now();
  EXPECT_EQ(service->Stop(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, seconds(3));
  close(log);
}

struct FramingCase {
  std::string name;
  std::string request;
  int status;  // 0: the connection ends without a reply
};

// libmicrohttpd 1.0 ends the connection, without a reply, on a NUL in the
// request line before the service sees the request; 0.9 passes the address
// on cut at the NUL, and the service refuses it with 400.
constexpr int kNulInRequestLine = MHD_VERSION >= 0x01000000 ? 0 : 400;

// Framing that two parties could read differently is refused and the
// connection ends: the service never guesses which reading was meant.
TEST(ServiceResilienceTest, FramingTheProtocolForbidsIsRefused) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  std::string error;
  auto service =
      ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3")}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const std::string get = "GET /download/1 HTTP/1.1\r\nHost: x\r\n";
  const std::vector<FramingCase> cases = {
      {"HTTP/1.1 without Host", "GET /download/1 HTTP/1.1\r\n\r\n", 400},
      {"HTTP/1.0 without Host", "GET /download/1 HTTP/1.0\r\n\r\n", 200},
      {"two Host headers", get + "Host: y\r\n\r\n", 400},
      {"two Content-Lengths that differ", get + "Content-Length: 0\r\nContent-Length: 5\r\n\r\n",
       400},
      {"two Content-Lengths alike", get + "Content-Length: 0\r\nContent-Length: 0\r\n\r\n", 200},
      {"white space before a colon", get + "Transfer-Encoding : chunked\r\n\r\n", 400},
      {"white space in a header name", get + "X Y: z\r\n\r\n", 400},
      {"NUL in the address", "GET /download/1\0abc HTTP/1.1\r\nHost: x\r\n\r\n"s,
       kNulInRequestLine},
      {"NUL in the query", "GET /d?a\0b HTTP/1.1\r\nHost: x\r\n\r\n"s, kNulInRequestLine},
      // The library splits a query the NUL hides from the service and runs
      // out of the connection's memory for its arguments.
      {"NUL before 800 query arguments",
       "GET /\0?"s + std::string(800, '&') + " HTTP/1.1\r\nHost: x\r\n\r\n"s, 0},
      {"a control character in the address", "GET /download/1\x01 HTTP/1.1\r\nHost: x\r\n\r\n",
       400},
      {"a tab in the address", "GET /download/1\tx HTTP/1.1\r\nHost: x\r\n\r\n", 400},
      {"an encoded NUL in the path", "GET /download/1%00xyz HTTP/1.1\r\nHost: x\r\n\r\n", 400},
      {"the absolute form", "GET http://x/download/1 HTTP/1.1\r\nHost: x\r\n\r\n", 200},
      {"the absolute form of another host", "GET http://y/download/1 HTTP/1.1\r\nHost: x\r\n\r\n",
       400},
      // The library refuses this one by itself, before the service sees it
      // (and libmicrohttpd 0.9.75 sends its head twice).
      {"a Content-Length below zero", get + "Content-Length: -1\r\n\r\n", 400},
  };
  for (const FramingCase& c : cases) {
    LoopbackConnection connection(service->port());
    ASSERT_TRUE(connection.Send(c.request)) << c.name;
    const auto reply = connection.Read(false, seconds(5));
    if (c.status == 0) {
      EXPECT_FALSE(reply.has_value()) << c.name << ": " << reply->status;
      EXPECT_TRUE(connection.ClosedWithin(seconds(5))) << c.name;
      continue;
    }
    ASSERT_TRUE(reply.has_value()) << c.name;
    EXPECT_EQ(reply->status, c.status) << c.name;
    if (c.status == 400) {
      EXPECT_TRUE(connection.ClosedWithin(seconds(5))) << c.name;
    }
  }
  EXPECT_EQ(testing::Get(service->port(), kListing + "page=18").body, "?TtbBa?330?17");
}

// A catalogue that cannot be read says only that, to every client; what went
// wrong is for the log.
TEST(ServiceResilienceTest, AnUnreadableCatalogueIsUnavailableAndNothingMore) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  ASSERT_EQ(testing::Get(service->port(), "/download/1").status, 200);
  {
    // A page of rows in the middle of the starter catalogue turns to rubbish,
    // and the header's change counter moves on, as if SQLite had written it;
    // the metadata stays as it was.
    std::fstream file(db, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(9 * 4096);
    file << std::string(4096, '\xFF');
    file.seekp(24);
    file << "\x7F\x7F\x7F\x7F";
  }
  // The catalogue held answers until the load of the changed file fails.
  testing::GetUntil(service->port(), kListing + "page=1",
                    [](const testing::HttpReply& reply) { return reply.status != 200; });
  for (const std::string& target : {kListing + "page=1", std::string("/download/1")}) {
    const testing::HttpReply reply = testing::Get(service->port(), target);
    EXPECT_EQ(reply.status, 503) << target;
    EXPECT_EQ(reply.body, "catalogue unavailable\n") << target;
  }
  EXPECT_EQ(testing::Get(service->port(), "/gonggao.html").status, 200);
  EXPECT_EQ(service->Stop(), 0);
  std::ifstream log(dir.File("log"));
  const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(logged.find("malformed"), std::string::npos) << logged;
}

// Private writable memory the process `pid` has mapped, in bytes: what
// RLIMIT_DATA limits, heaps of every thread included.
std::uint64_t DataSize(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmData:")) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

TEST(ServiceResilienceTest, RunningOutOfMemoryFailsOnlyTheRequest) {
  if (quorvel::testing::kAddressSanitizer) {
    GTEST_SKIP() << "the address sanitizer ends a process whose allocation fails, by design";
  }
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  {
    // A thousand entries of 15 KB each: a page of all of them needs 15 MB.
    std::ofstream tsv(dir.File("big.tsv"), std::ios::binary);
    for (int i = 0; i < 1000; ++i) {
      tsv << "CSOL\tbig " << i << "\tfree\t2090-01-01\t" << std::string(15000, 'l') << "\tb" << i
          << "\n";
    }
  }
  ASSERT_EQ(RunProgram(kService, {"--db", db, "--import", dir.File("big.tsv")}).exit_code, 0);
  std::string error;
  auto service =
      ServiceProcess::Start(kService, {"--db", db, "--page-size", "1000"}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const std::string whole = kListing + "page=1&q=big";
  ASSERT_EQ(testing::Get(service->port(), whole).status, 200);

  // Room for what it holds and a little more, not for the 15 MB of a page.
  rlimit before{};
  ASSERT_EQ(prlimit(service->pid(), RLIMIT_DATA, nullptr, &before), 0);
  const rlimit tight{DataSize(service->pid()) + (8 << 20), before.rlim_max};
  ASSERT_EQ(prlimit(service->pid(), RLIMIT_DATA, &tight, nullptr), 0);
  const testing::HttpReply refused = testing::Get(service->port(), whole);
  EXPECT_EQ(refused.status, 503);
  EXPECT_EQ(refused.body.substr(0, 100), "catalogue unavailable\n");
  // Smaller requests go on meanwhile.
  EXPECT_EQ(testing::Get(service->port(), "/gonggao.html").status, 200);
  EXPECT_EQ(testing::Get(service->port(), kListing + "page=2&q=big").body, "?TtbBa?1000?1");

  ASSERT_EQ(prlimit(service->pid(), RLIMIT_DATA, &before, nullptr), 0);
  const testing::HttpReply served = testing::Get(service->port(), whole);
  EXPECT_EQ(served.status, 200);
  EXPECT_GT(served.body.size(), 15'000'000u);
  EXPECT_EQ(service->Stop(), 0);
}

}  // namespace
}  // namespace quorvel::service
