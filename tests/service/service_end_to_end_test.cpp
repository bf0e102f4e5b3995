// Starts the real catalogue-service on a free loopback port and checks what
// a client receives, byte for byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "listing_helpers.h"
#include "loopback_socket.h"
#include "running_service.h"
#include "service/store/catalogue_writer.h"

namespace quorvel::service {
namespace {

using Reply = HttpReply;

// Sends the target exactly as written.
Reply Fetch(int port, const std::string& target, const std::string& host = "") {
  return testing::Get(port, target, host);
}

// The reply the service must send for `page` of `matches`, written out here
// without the service's own reply code.
std::string ExpectedReply(const std::vector<CatalogueEntry>& matches, int page, int page_size,
                          int port) {
  const std::string origin = "/*/http://127.0.0.1:" + std::to_string(port) + "/download/";
  std::string out;
  const std::size_t first = static_cast<std::size_t>(page - 1) * page_size;
  for (std::size_t i = first; i < matches.size() && i < first + page_size; ++i) {
    const CatalogueEntry& e = matches[i];
    std::string links = e.download_links;
    for (std::size_t at = links.find("/*//download/"); at != std::string::npos;
         at = links.find("/*//download/", at + origin.size())) {
      links.replace(at, 13, origin);
    }
    out += e.category + "\x02" + e.title + "\x02" + e.licence_mode + "\x02" + e.update_time +
           "\x02" + links + "\x02" + e.entry_id + "\x01";
  }
  const std::size_t pages = (matches.size() + page_size - 1) / page_size;
  return out + "?TtbBa?" + std::to_string(matches.size()) + "?" + std::to_string(pages);
}

class ServiceEndToEndTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    signal(SIGPIPE, SIG_IGN);
    dir_ = new TempDir;
    std::string error;
    service_ = ServiceProcess::Start(kService, {"--db", dir_->File("catalogue.sqlite3")},
                                     dir_->File("service.log"), &error)
                   .release();
    ASSERT_NE(service_, nullptr) << error;
  }

  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
    delete dir_;
    dir_ = nullptr;
  }

  void SetUp() override { ASSERT_NE(service_, nullptr); }

  static int port() { return service_->port(); }
  static Reply Listing(const std::string& query) { return Fetch(port(), kListing + query); }

  static inline TempDir* dir_ = nullptr;
  static inline ServiceProcess* service_ = nullptr;
};

TEST_F(ServiceEndToEndTest, WholeCataloguePagesAreExact) {
  const std::vector<CatalogueEntry> all = SeedInListingOrder();
  for (const int page : {1, 2, 16, 17}) {
    const Reply reply = Listing("page=" + std::to_string(page));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.Header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(reply.body, ExpectedReply(all, page, 20, port())) << "page " << page;
  }
  EXPECT_EQ(Listing("page=1&q=").body, Listing("page=1").body);
}

TEST_F(ServiceEndToEndTest, PastTheEndGivesTheTrailerAlone) {
  EXPECT_EQ(Listing("page=18").body, "?TtbBa?330?17");
  EXPECT_EQ(Listing("page=2147483647").body, "?TtbBa?330?17");
  // 穿越火线 has 64 entries: 4 pages, the last with 4.
  const std::string term = "%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF";
  EXPECT_EQ(Listing("page=5&q=" + term).body, "?TtbBa?64?4");
}

TEST_F(ServiceEndToEndTest, EveryCategoryTermGivesItsEntriesAndPageCount) {
  for (std::size_t t = 0; t < kCategoryTerms.size(); ++t) {
    const std::string term(kCategoryTerms[t]);
    const std::vector<CatalogueEntry> matches = SeedMatching(term);
    ASSERT_EQ(matches.size(), static_cast<std::size_t>(kSeedCountPerTerm[t])) << term;
    std::string encoded;
    for (const unsigned char c : term) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      encoded += c < 0x80 ? std::string(1, static_cast<char>(c))
                          : std::string{'%', kHex[c >> 4], kHex[c & 15]};
    }
    const int pages = static_cast<int>((matches.size() + 19) / 20);
    for (int page = 1; page <= std::max(pages, 1); ++page) {
      EXPECT_EQ(Listing("page=" + std::to_string(page) + "&q=" + encoded).body,
                ExpectedReply(matches, page, 20, port()))
          << term << " page " << page;
    }
  }
  EXPECT_EQ(Listing("page=1&q=%E6%96%A9%E9%AD%82").body, "?TtbBa?0?0");  // 斩魂: none
}

TEST_F(ServiceEndToEndTest, SearchMatchesTitlesAndDecodesSpaces) {
  const std::vector<CatalogueEntry> cpp = SeedMatching("C++");
  ASSERT_GT(cpp.size(), 20u);
  EXPECT_EQ(Listing("page=1&q=C%2B%2B").body, ExpectedReply(cpp, 1, 20, port()));
  EXPECT_EQ(Listing("page=2&q=c%2b%2b").body, ExpectedReply(cpp, 2, 20, port()));
  // "+" is a space, as is %20: "C++ 源码" either way, while a bare "C++" is "C  ".
  const std::string with_space = ExpectedReply(SeedMatching("C++ 源码"), 1, 20, port());
  EXPECT_EQ(Listing("page=1&q=C%2B%2B+%E6%BA%90%E7%A0%81").body, with_space);
  EXPECT_EQ(Listing("page=1&q=C%2B%2B%20%E6%BA%90%E7%A0%81").body, with_space);
  EXPECT_EQ(Listing("page=1&q=C++").body, "?TtbBa?0?0");
  EXPECT_EQ(Listing("page=1&q=%E4%B8%8D%E5%AD%98%E5%9C%A8").body, "?TtbBa?0?0");
}

TEST_F(ServiceEndToEndTest, PageSizeSetsThePageArithmetic) {
  TempDir dir;
  std::string error;
  auto small = ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3"), "--page-size", "7"},
                                     dir.File("log"), &error);
  ASSERT_NE(small, nullptr) << error;
  const std::vector<CatalogueEntry> all = SeedInListingOrder();
  for (const int page : {1, 47, 48}) {  // 330 = 47 * 7 + 1
    EXPECT_EQ(Fetch(small->port(), kListing + ("page=" + std::to_string(page))).body,
              ExpectedReply(all, page, 7, small->port()));
  }
  EXPECT_EQ(Fetch(small->port(), std::string(kListing) + "page=49").body, "?TtbBa?330?48");
  EXPECT_EQ(small->Stop(), 0);
}

struct HostileCase {
  std::string target;
  int status;
};

TEST_F(ServiceEndToEndTest, HostileRequestsAreRefusedAndTheServiceCarriesOn) {
  const std::string listing = kListing;
  const std::vector<HostileCase> cases = {
      {listing + "page=0", 400},
      {listing + "page=-1", 400},
      {listing + "page=abc", 400},
      {listing + "page=", 400},
      {listing + "page=2147483648", 400},
      {listing + "page=999999999999999999999999999999", 400},
      {listing + "q=abc", 400},
      {"/adminphp/admin_upload.php", 400},
      {listing + "page=1&page=2", 400},
      {listing + "page=1&q=%", 400},
      {listing + "page=1&q=%ZZ", 400},
      {listing + "page=1&q=abc%2", 400},
      {listing + "page=1&q=%E7%A9", 400},
      {listing + "page=1&q=%FF%FE", 400},
      {listing + "page=1&q=%C0%AF", 400},
      {listing + "page=1&q=%ED%A0%80", 400},
      {listing + "page=1&q=%00", 400},
      {listing + "page=1&q=" + std::string(2000, 'x'), 400},
      {listing + "page=1&q=" + std::string(18 * 1024, 'x'), 414},
      {"/nothing/here", 404},
      {"/adminphp/", 404},
      {"/download/", 404},
      {"/download/999999", 404},
      {"/tishi1.8.html/..", 404},
  };
  for (const HostileCase& c : cases) {
    const Reply reply = Fetch(port(), c.target);
    EXPECT_EQ(reply.status, c.status) << c.target.substr(0, 80);
    EXPECT_EQ(reply.Header("Content-Type").rfind("text/", 0), 0u) << c.target.substr(0, 80);
    if (c.status == 400) {
      // One plain line saying why.
      EXPECT_GT(reply.body.size(), 1u);
      EXPECT_EQ(reply.body.find('\n'), reply.body.size() - 1) << reply.body;
    }
  }
  // SQL in a term is only ever a term.
  for (const std::string term : {"%27%20OR%201%3D1%20--", "%27%3B%20DROP%20TABLE%20entries%3B--",
                                 "%25", "_", "%22", "%5C"}) {
    EXPECT_EQ(Listing("page=1&q=" + term).body, "?TtbBa?0?0") << term;
  }
  LoopbackConnection post(port());
  post.Send(
      "POST /adminphp/admin_upload.php?page=1 HTTP/1.1\r\nHost: x\r\n"
      "Content-Length: 1\r\n\r\nx");
  const auto refused = post.Read();
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->status, 405);
  EXPECT_EQ(refused->Header("Allow"), "GET, HEAD");
  EXPECT_EQ(Listing("page=17").body, ExpectedReply(SeedInListingOrder(), 17, 20, port()));
}

TEST_F(ServiceEndToEndTest, LinksUseTheHostTheClientNamedWhenItIsPlausible) {
  const std::string body =
      Fetch(port(), std::string(kListing) + "page=1", "catalogue.test:81").body;
  EXPECT_NE(body.find("/*/http://catalogue.test:81/download/"), std::string::npos);
  const std::string hostile = Fetch(port(), std::string(kListing) + "page=1", "a?TtbBa?/**/b").body;
  EXPECT_EQ(hostile, ExpectedReply(SeedInListingOrder(), 1, 20, port()));
  // Kept ready for each Host apart: asked again, each still gets its own.
  for (const std::string host : {"other.test", "catalogue.test:81", "other.test"}) {
    const std::string again = Fetch(port(), std::string(kListing) + "page=1", host).body;
    EXPECT_NE(again.find("/*/http://" + host + "/download/"), std::string::npos) << host;
  }
}

TEST_F(ServiceEndToEndTest, ServesThePages) {
  for (const std::string path : {"/", "/tishi1.8.html", "/gonggao.html"}) {
    const Reply reply = Fetch(port(), path);
    EXPECT_EQ(reply.status, 200) << path;
    EXPECT_EQ(reply.Header("Content-Type"), "text/html; charset=utf-8") << path;
    EXPECT_EQ(reply.body.rfind("<!DOCTYPE html>", 0), 0u) << path;
  }
  EXPECT_NE(Fetch(port(), "/gonggao.html").body.find("公告"), std::string::npos);
  const CatalogueEntry first = SeedCatalogue()[0];
  const Reply download = Fetch(port(), "/download/1");
  EXPECT_EQ(download.status, 200);
  EXPECT_NE(download.body.find("<h1>" + first.title + "</h1>"), std::string::npos);
  // Every link address of a listing leads to a page of this service.
  const Reply mirror = Fetch(port(), "/download/1?mirror=2");
  EXPECT_EQ(mirror.body, download.body);
}

TEST_F(ServiceEndToEndTest, ConcurrentClientsGetTheirOwnPages) {
  const std::vector<CatalogueEntry> all = SeedInListingOrder();
  std::vector<std::thread> clients;
  std::vector<int> wrong(8, 0);
  for (int c = 0; c < 8; ++c) {
    clients.emplace_back([&, c] {
      LoopbackConnection connection(port());  // kept alive for all its requests
      for (int i = 0; i < 25; ++i) {
        const int page = 1 + (c * 25 + i) % 17;
        connection.Send(std::string("GET ") + kListing + "page=" + std::to_string(page) +
                        " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port()) + "\r\n\r\n");
        const auto reply = connection.Read();
        if (!reply || reply->body != ExpectedReply(all, page, 20, port())) ++wrong[c];
      }
    });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

// Many clients connecting in the same instant all get served: none is dropped
// by a full accept queue.
TEST_F(ServiceEndToEndTest, ABurstOfNewConnectionsIsServed) {
  constexpr int kClients = 48;
  std::vector<int> sockets;
  for (int i = 0; i < kClients; ++i) {
    const int fd = testing::ConnectLoopback(port());
    ASSERT_GE(fd, 0);
    timeval patience{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockets.push_back(fd);
  }
  const std::string request =
      std::string("GET ") + kListing + "page=18 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
  for (const int fd : sockets) {
    ASSERT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
  }
  int answered = 0;
  for (const int fd : sockets) {
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, n);
    if (reply.starts_with("HTTP/1.1 200") && reply.ends_with("?TtbBa?330?17")) ++answered;
    close(fd);
  }
  EXPECT_EQ(answered, kClients);
}

TEST(ServiceProgramTest, LogsOneLinePerRequestAndStopsOnSigterm) {
  TempDir dir;
  std::string error;
  auto service =
      ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3")}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const Reply found = Fetch(service->port(), std::string(kListing) + "page=1&q=C%2B%2B");
  Fetch(service->port(), "/missing");
  Fetch(service->port(), std::string(kListing) + "page=1&q=" + std::string(100 * 1024, 'x'));
  EXPECT_EQ(service->Stop(), 0);

  std::ifstream in(dir.File("log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("catalogue-service:", 0) != 0) lines.push_back(line);
  }
  // A line is written once its response is out, so lines of requests that
  // follow each other closely may come in either order.
  ASSERT_EQ(lines.size(), 3u);
  std::sort(lines.begin(), lines.end());
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(- - 414 \d+B -us)"))) << lines[0];
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      lines[1], m,
      std::regex(R"(GET /adminphp/admin_upload\.php\?page=1&q=C%2B%2B 200 (\d+)B (\d+)us)")))
      << lines[1];
  EXPECT_EQ(m[1].str(), std::to_string(found.body.size()));
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(GET /missing 404 \d+B \d+us)"))) << lines[2];
}

TEST(ServiceProgramTest, ImportCleansReplacesAndAdds) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  ASSERT_TRUE(
      CatalogueWriter::EnsureCatalogue(db));  // the starter catalogue, as a service makes it
  const std::string tsv = dir.File("in.tsv");
  std::ofstream(tsv, std::ios::binary)
      << "传奇\t传奇 新\x01工具?TtbBa?\t免费\t2099-12-31 23:59:59\t本地/*//download/n1/**/\tn1\n"
      << "CSOL\tCSOL 替换\t收费\t2000-01-01 00:00:00\t\t5\n"
      << "only\ttwo\n";
  const ProgramResult import =
      RunProgram(kService, {"--db", db, "--import", tsv, "--max-skipped", "1"});
  EXPECT_EQ(import.exit_code, 0) << import.err;
  EXPECT_NE(import.out.find("imported 2 entries"), std::string::npos) << import.out;
  EXPECT_NE(import.out.find("1 added, 1 replaced; 1 fields cleaned"), std::string::npos)
      << import.out;
  EXPECT_NE(import.out.find("1 lines skipped"), std::string::npos) << import.out;
  EXPECT_NE(import.err.find(":3: skipped"), std::string::npos) << import.err;

  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const std::string origin = "http://127.0.0.1:" + std::to_string(service->port());
  EXPECT_EQ(Fetch(service->port(), std::string(kListing) + "page=1&q=%E6%96%B0%E5%B7%A5").body,
            "传奇\x02传奇 新工具\x02免费\x02"
            "2099-12-31 23:59:59\x02本地/*/" +
                origin + "/download/n1/**/\x02n1\x01?TtbBa?1?1");
  // Entry 5 moved from 穿越火线 to CSOL and became the oldest entry.
  EXPECT_EQ(Fetch(service->port(), std::string(kListing) + "page=2&q=CSOL").body,
            "CSOL\x02"
            "CSOL 替换\x02收费\x02"
            "2000-01-01 00:00:00\x02\x02"
            "5\x01?TtbBa?21?2");
  EXPECT_EQ(Fetch(service->port(),
                  std::string(kListing) + "page=9&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF")
                .body,
            "?TtbBa?63?4");
}

TEST(ServiceProgramTest, StartsWithoutArgumentsOnTheDefaultDatabase) {
  TempDir dir;
  ASSERT_EQ(setenv("XDG_DATA_HOME", dir.path().c_str(), 1), 0);
  std::string error;
  // Only the port is chosen, so that a service already on 8731 does not interfere.
  auto service = ServiceProcess::Start(kService, {}, dir.File("log"), &error);
  unsetenv("XDG_DATA_HOME");
  ASSERT_NE(service, nullptr) << error;
  EXPECT_EQ(Fetch(service->port(), std::string(kListing) + "page=18").body, "?TtbBa?330?17");
  EXPECT_TRUE(std::ifstream(dir.File("quorvel/catalogue.sqlite3")).good());
}

TEST(ServiceProgramTest, ExplainsItsCommandLine) {
  const ProgramResult help = RunProgram(kService, {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--page-size"), std::string::npos);
  const ProgramResult wrong = RunProgram(kService, {"--frobnicate"});
  EXPECT_EQ(wrong.exit_code, 2);
  EXPECT_NE(wrong.err.find("unknown option --frobnicate"), std::string::npos);
  TempDir dir;
  const std::string not_db = dir.File("x");
  std::ofstream(not_db) << "this is a text file, not a catalogue database; long enough\n";
  const ProgramResult refused = RunProgram(kService, {"--db", not_db, "--port", "0"});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_FALSE(refused.err.empty());
}

}  // namespace
}  // namespace quorvel::service
