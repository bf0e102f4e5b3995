// The running catalogue-service against clients that misbehave: slow or idle
// connections, oversized heads, pipelined and refused methods, a --db that is
// not a file, and imports killed part-way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "loopback_socket.h"
#include "running_service.h"
#include "service/store/catalogue_store.h"

namespace quorvel::service {
namespace {

using std::chrono::milliseconds;

constexpr char kSeedTrailer[] = "?TtbBa?330?17";

// A service with a one-second request timeout, so slow clients meet it soon.
class ServiceLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    signal(SIGPIPE, SIG_IGN);
    std::string error;
    service_ = ServiceProcess::Start(kService,
                                     {"--db", dir_.File("c.sqlite3"), "--request-timeout", "1",
                                      "--max-connections-per-address", "12"},
                                     dir_.File("log"), &error);
    ASSERT_NE(service_, nullptr) << error;
  }

  int port() const { return service_->port(); }

  // The service still answers a plain request (once it has seen connections
  // the test just closed go).
  void ExpectServing() {
    std::string body;
    for (int attempt = 0; attempt < 100 && body != kSeedTrailer; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(milliseconds(20));
      body = testing::Get(port(), kListing + "page=18").body;
    }
    EXPECT_EQ(body, kSeedTrailer);
  }

  TempDir dir_;
  std::unique_ptr<ServiceProcess> service_;
};

struct SlowCase {
  std::string name;
  std::string opening;  // sent at once
  bool trickles;        // then one more header byte every 100 ms
};

TEST_F(ServiceLimitsTest, SlowAndIdleConnectionsAreClosedAfterTheTimeout) {
  const std::vector<SlowCase> cases = {
      {"idle", "", false},
      {"half a request line", "GET /adminphp/admin_up", false},
      {"headers never ended", "GET / HTTP/1.1\r\nHost: x\r\n", false},
      {"trickling headers", "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: ", true},
      {"idle after a reply", Request("/"), false},
  };
  std::vector<std::unique_ptr<LoopbackConnection>> connections;
  for (const SlowCase& c : cases) {
    connections.push_back(std::make_unique<LoopbackConnection>(port()));
    ASSERT_TRUE(connections.back()->connected());
    connections.back()->Send(c.opening);
  }
  // Well past the timeout, but the trickling one keeps sending all the while.
  std::vector<bool> closed(cases.size(), false);
  for (int tick = 0; tick < 40; ++tick) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
      if (closed[i]) continue;
      if (cases[i].trickles) connections[i]->Send("a");
      closed[i] = connections[i]->ClosedWithin(milliseconds(100 / static_cast<int>(cases.size())));
    }
  }
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_TRUE(closed[i]) << cases[i].name;
  ExpectServing();
}

struct HeadCase {
  std::string name;
  std::string request;
  int status;
};

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// Whatever takes up a connection's memory (the address's arguments, many
// headers, many cookies, sheer size), a head is answered at once: a refusal
// ends the connection, anything else is served.
TEST(ServiceHeadTest, EveryHeadIsAnsweredAtOnce) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  std::string error;
  // A request timeout far beyond the patience below: a head left unanswered
  // shows as no reply, not as a late close.
  auto service =
      ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3"), "--request-timeout", "60"},
                            dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const std::string head = "GET / HTTP/1.1\r\nHost: x\r\n";
  std::string many_headers = head;
  for (int i = 0; i < 100; ++i) many_headers += "X-" + std::to_string(i) + ": v\r\n";
  const std::vector<HeadCase> cases = {
      {"400 arguments", Request("/?" + Repeated("a&", 400)), 200},
      {"a listing with 400 arguments", Request(kListing + "page=18&" + Repeated("a&", 400)), 200},
      {"16,000 empty arguments", Request("/?" + Repeated("&", 16000)), 200},
      {"20,000 empty arguments", Request("/?" + Repeated("&", 20000)), 414},
      {"100 KiB request line", Request(kListing + "page=1&q=" + std::string(100 << 10, 'x')), 414},
      {"100 headers", many_headers.substr(0, many_headers.rfind("X-99")) + "\r\n", 200},
      {"101 headers", many_headers + "\r\n", 431},
      {"3,000 empty headers", head + Repeated("a:\r\n", 3000) + "\r\n", 431},
      {"2,000 cookies", head + "Cookie: " + Repeated("a=b; ", 2000) + "\r\n\r\n", 431},
      {"17 KiB of headers", head + "X-Big: " + std::string(17 * 1024, 'b') + "\r\n\r\n", 431},
  };
  for (const HeadCase& c : cases) {
    LoopbackConnection connection(service->port());
    connection.Send(c.request);
    const auto reply = connection.Read(false, std::chrono::seconds(5));
    ASSERT_TRUE(reply.has_value()) << c.name;
    EXPECT_EQ(reply->status, c.status) << c.name;
    if (c.status >= 400) {
      EXPECT_TRUE(connection.ClosedWithin(std::chrono::seconds(5))) << c.name;
    }
  }
  EXPECT_EQ(testing::Get(service->port(), kListing + "page=18").body, kSeedTrailer);
}

// A GET that asks for "100 Continue" before a body it may not have is
// answered at once, without it, whatever follows; the log says what was sent.
TEST_F(ServiceLimitsTest, AnExpectationOfContinueIsAnsweredAtOnce) {
  LoopbackConnection connection(port());
  connection.Send("GET /download/1 HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\n\r\nx");
  const auto reply = connection.Read(false, std::chrono::seconds(5));
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(reply->Header("Content-Length"), std::to_string(reply->body.size()));
  EXPECT_NE(reply->body.find("</html>"), std::string::npos);
  ASSERT_EQ(service_->Stop(), 0);
  std::ifstream log(dir_.File("log"));
  const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(logged.find("GET /download/1 200 " + std::to_string(reply->body.size()) + "B"),
            std::string::npos)
      << logged;
}

// The metrics listener keeps the public port's deadline: clients trickling
// their heads byte by byte lose their connections, and the metrics can be
// read again.
TEST(ServiceMetricsListenerTest, TricklingClientsCannotHoldIt) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  std::string error;
  const int metrics_port = testing::FreeLoopbackPort();
  auto service = ServiceProcess::Start(kService,
                                       {"--db", dir.File("c.sqlite3"), "--request-timeout", "1",
                                        "--metrics", "127.0.0.1:" + std::to_string(metrics_port)},
                                       dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  // As many as the listener takes, each sending a byte well within its idle
  // timeout, for eight seconds at most or until the metrics have been read.
  std::vector<std::unique_ptr<LoopbackConnection>> tricklers;
  for (int i = 0; i < 16; ++i) {
    tricklers.push_back(std::make_unique<LoopbackConnection>(metrics_port));
    tricklers.back()->Send("GET /metrics HTTP/1.1\r\nHost: x\r\nX-Slow: ");
  }
  std::atomic<bool> done{false};
  std::atomic<bool> trickling{true};
  std::thread trickle([&] {
    for (int tick = 0; tick < 80 && !done; ++tick) {
      for (auto& trickler : tricklers) trickler->Send("a");
      std::this_thread::sleep_for(milliseconds(100));
    }
    trickling = false;
  });
  const bool read = testing::Get(metrics_port, "/metrics").status == 200;
  const bool read_while_trickling = trickling;
  done = true;
  trickle.join();
  EXPECT_TRUE(read);
  EXPECT_TRUE(read_while_trickling) << "the metrics were read only once the clients stopped";
  for (auto& trickler : tricklers) EXPECT_TRUE(trickler->ClosedWithin(std::chrono::seconds(2)));
}

TEST_F(ServiceLimitsTest, AHeaderFloodIsCutOffEarly) {
  LoopbackConnection connection(port());
  connection.Send("GET / HTTP/1.1\r\nHost: x\r\nX-Flood: ");
  const std::string chunk(64 * 1024, 'f');
  std::size_t sent = 0;
  while (sent < (std::size_t{4} << 20) && connection.Send(chunk)) sent += chunk.size();
  // Whatever of the flood the socket buffers took, the service answers and
  // hangs up instead of reading on.
  const auto reply = connection.Read(false, std::chrono::seconds(10));
  if (reply) {
    EXPECT_EQ(reply->status, 431);
  }
  EXPECT_TRUE(connection.ClosedWithin(std::chrono::seconds(10)));
  ExpectServing();
}

struct PipelineCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> requests;  // method, target
  std::vector<std::string> bodies;                            // expected, in order
};

TEST_F(ServiceLimitsTest, PipelinedRequestsAreAnsweredInOrder) {
  const std::vector<PipelineCase> cases = {
      {"three GETs",
       {{"GET", kListing + "page=18"}, {"GET", kListing + "page=0"}, {"GET", kListing + "page=19"}},
       {kSeedTrailer, "page must be a whole number from 1 to 2147483647\n", kSeedTrailer}},
      {"HEAD then GET",
       {{"HEAD", "/gonggao.html"}, {"GET", kListing + "page=18"}},
       {"", kSeedTrailer}},
      {"a miss between",
       {{"GET", "/nothing"}, {"GET", kListing + "page=18"}},
       {"no such page\n", kSeedTrailer}},
  };
  for (const PipelineCase& c : cases) {
    std::string packet;
    for (const auto& [method, target] : c.requests) packet += Request(target, method);
    LoopbackConnection connection(port());
    ASSERT_TRUE(connection.Send(packet)) << c.name;
    for (std::size_t i = 0; i < c.requests.size(); ++i) {
      const auto reply = connection.Read(c.requests[i].first == "HEAD");
      ASSERT_TRUE(reply.has_value()) << c.name << " reply " << i;
      EXPECT_EQ(reply->body, c.bodies[i]) << c.name << " reply " << i;
    }
  }
}

TEST_F(ServiceLimitsTest, OnlyGetAndHeadAreServed) {
  for (const std::string method : {"POST", "PUT", "DELETE", "OPTIONS", "PATCH", "TRACE", "BREW"}) {
    LoopbackConnection connection(port());
    connection.Send(Request("/", method));
    const auto reply = connection.Read();
    ASSERT_TRUE(reply.has_value()) << method;
    EXPECT_EQ(reply->status, 405) << method;
    EXPECT_EQ(reply->Header("Allow"), "GET, HEAD") << method;
  }
  LoopbackConnection head(port());
  head.Send(Request("/tishi1.8.html", "HEAD"));
  const auto reply = head.Read(true);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(reply->Header("Content-Length"),
            std::to_string(testing::Get(port(), "/tishi1.8.html").body.size()));
}

TEST_F(ServiceLimitsTest, OneAddressCannotTakeEveryConnection) {
  std::vector<std::unique_ptr<LoopbackConnection>> held;
  for (int i = 0; i < 12; ++i) held.push_back(std::make_unique<LoopbackConnection>(port()));
  LoopbackConnection one_too_many(port());
  EXPECT_TRUE(one_too_many.ClosedWithin(std::chrono::seconds(5)));
  held.clear();
  ExpectServing();
}

TEST_F(ServiceLimitsTest, StopsAtOnceOnSigtermWhileSlowClientsWait) {
  LoopbackConnection idle(port());
  LoopbackConnection half_sent(port());
  half_sent.Send("GET / HTTP/1.1\r\nHost:");
  ExpectServing();
  EXPECT_EQ(service_->Stop(), 0);
  EXPECT_TRUE(idle.ClosedWithin(milliseconds(100)));
}

// --db must name a regular file, a link to one, or nothing yet.
TEST(ServiceDatabasePathTest, RefusesWhatIsNotARegularFileAndTouchesNothing) {
  TempDir dir;
  const std::string folder = dir.File("folder");
  std::filesystem::create_directory(folder);
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string socket_path = dir.File("socket");
  const int unix_socket = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socket_path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(unix_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::filesystem::create_directory_symlink(folder, dir.File("link-to-folder"));
  std::filesystem::create_symlink(dir.File("missing"), dir.File("dangling"));
  const std::string tsv = dir.File("in.tsv");
  std::ofstream(tsv) << "CSOL\tt\tfree\t2000-01-01\t\tz1\n";

  for (const std::string& path : {folder, fifo, socket_path, std::string("/dev/null"),
                                  dir.File("link-to-folder"), dir.File("dangling")}) {
    struct stat before {};
    ASSERT_EQ(lstat(path.c_str(), &before), 0) << path;
    for (const bool import : {false, true}) {
      std::vector<std::string> arguments = {"--db", path, "--port", "0"};
      if (import) arguments.insert(arguments.end(), {"--import", tsv});
      const ProgramResult run = RunProgram(kService, arguments, 10);
      EXPECT_EQ(run.exit_code, 2) << path;
      EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    struct stat after {};
    ASSERT_EQ(lstat(path.c_str(), &after), 0) << path;
    EXPECT_EQ(after.st_ino, before.st_ino) << path;
    EXPECT_EQ(after.st_mode, before.st_mode) << path;
  }
  close(unix_socket);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

// The trailer count in a reply for the whole catalogue.
std::string CountIn(const std::string& body) {
  const std::size_t marker = body.find("?TtbBa?");
  if (marker == std::string::npos) return "no trailer: " + body.substr(0, 80);
  return body.substr(marker + 7, body.find('?', marker + 7) - marker - 7);
}

// The trailer count a service gives for the whole catalogue.
std::string EntryCount(int port) { return CountIn(testing::Get(port, kListing + "page=1").body); }

// The count once it is `wanted`, or the last one after a few seconds; the
// counts before may only be `before`, of the catalogue the service held.
std::string CountOnceLoaded(int port, const std::string& wanted, const std::string& before) {
  return CountIn(testing::GetUntil(port, kListing + "page=1", [&](const testing::HttpReply& reply) {
                   const std::string count = CountIn(reply.body);
                   if (count != wanted) {
                     EXPECT_EQ(count, before);
                   }
                   return count == wanted;
                 }).body);
}

TEST(ServiceImportTest, AKilledImportLeavesTheOldCatalogueServingAndNothingToMend) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  const std::string tsv = dir.File("new.tsv");
  constexpr int kNewEntries = 60000;
  {
    std::ofstream out(tsv, std::ios::binary);
    for (int i = 0; i < kNewEntries; ++i) {
      out << "CSOL\tnew " << i << "\tfree\t2001-01-01 00:00:00\tm/*//download/k" << i << "/**/\tk"
          << i << "\n";
    }
  }
  const std::string old_count = "330";
  const std::string new_count = std::to_string(330 + kNewEntries);
  // How long a whole import takes here, on a scratch catalogue.
  const auto begin = std::chrono::steady_clock::now();
  ASSERT_EQ(RunProgram(kService, {"--db", dir.File("scratch"), "--import", tsv}).exit_code, 0);
  const auto whole = std::chrono::steady_clock::now() - begin;

  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  std::string held = old_count;  // what the service answers from
  for (const double at : {0.2, 0.5, 0.8}) {
    const pid_t import =
        testing::StartProgram(kService, {"--db", db, "--import", tsv}, dir.File("import.log"));
    ASSERT_GT(import, 0);
    std::this_thread::sleep_for(std::chrono::duration_cast<milliseconds>(whole * at));
    kill(import, SIGKILL);
    testing::WaitForProgram(import, 10);
    // Either the import was cut short and the file holds the old catalogue,
    // or it had already finished; never anything between.  The service
    // answers from the old one until it has loaded what the file holds.
    const std::string during = std::to_string(CatalogueStore(db).EntryCount());
    EXPECT_TRUE(during == old_count || during == new_count) << at << ": " << during;
    EXPECT_EQ(CountOnceLoaded(service->port(), during, held), during) << at;
    ASSERT_EQ(service->Stop(), 0);
    service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
    ASSERT_NE(service, nullptr) << at << ": " << error;
    EXPECT_EQ(EntryCount(service->port()), during) << at;
    held = during;
  }
  // A whole import is seen by the running service, and what killed ones left is gone.
  ASSERT_EQ(RunProgram(kService, {"--db", db, "--import", tsv}).exit_code, 0);
  EXPECT_EQ(CountOnceLoaded(service->port(), new_count, held), new_count);
  for (const auto& item : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(item.path().filename().string().find("c.sqlite3.quorvel-scratch-"), std::string::npos)
        << item.path();
  }
}

}  // namespace
}  // namespace quorvel::service
