// The running catalogue-service as caches, proxies and clients that ask for
// compression see it: entity tags, 304s, HEAD, gzip and br that decode to the
// very bytes of the plain reply, Vary, Cache-Control, a fixed origin and the
// metrics listener.
#include <gtest/gtest.h>
#include <signal.h>

#include <optional>
#include <string>

#include "decoded_body.h"
#include "loopback_socket.h"
#include "running_service.h"

namespace quorvel::service {
namespace {

const std::string kPageOne = kListing + "page=1";

// One request on `connection`, its header lines (each ending in "\r\n") as given.
HttpReply Exchange(LoopbackConnection& connection, int port, const std::string& method,
                   const std::string& target, const std::string& headers, bool no_body) {
  connection.Send(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                  "\r\n" + headers + "\r\n");
  return connection.Read(no_body).value_or(HttpReply{});
}

TEST(ServiceCachingTest, ConditionalAndCompressedRequests) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3"), "--max-age", "7"},
                                       dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const int port = service->port();
  // Every request of the table on one connection: a body sent where none
  // belongs would spoil the replies after it.
  LoopbackConnection connection(port);
  const auto get = [&](const std::string& target, const std::string& headers,
                       const std::string& method = "GET", bool no_body = false) {
    return Exchange(connection, port, method, target, headers, no_body);
  };
  const HttpReply plain = get(kPageOne, "");
  ASSERT_EQ(plain.status, 200);
  const std::string tag = plain.Header("ETag");
  const std::string modified = plain.Header("Last-Modified");
  ASSERT_TRUE(tag.size() > 2 && tag.front() == '"' && tag.back() == '"') << plain.head;
  ASSERT_FALSE(modified.empty());
  // Compressed quickly the first time, under the weak form of the tag the
  // thoroughly compressed body has from the second time on.
  const HttpReply quick = get(kPageOne, "Accept-Encoding: gzip\r\n");
  const HttpReply thorough = get(kPageOne, "Accept-Encoding: gzip\r\n");
  const std::string gzip_tag = thorough.Header("ETag");
  EXPECT_EQ(quick.Header("ETag"), "W/" + gzip_tag);
  // Only the thorough body is for shared caches: one that kept the quick one
  // would keep it through every revalidation.
  EXPECT_EQ(quick.Header("Cache-Control"), "private, max-age=7");
  EXPECT_EQ(thorough.Header("Cache-Control"), "public, max-age=7");
  EXPECT_EQ(Decoded(quick), plain.body);
  EXPECT_EQ(Decoded(thorough), plain.body);

  struct Case {
    const char* name;
    std::string method;
    std::string target;
    std::string headers;
    int status;
    const char* coding;  // Content-Encoding sent
    const char* vary;
  };
  const char* kVaryHost = "Accept-Encoding, Host";
  const Case cases[] = {
      {"not asked to compress", "GET", kPageOne, "", 200, "", kVaryHost},
      {"gzip", "GET", kPageOne, "Accept-Encoding: gzip\r\n", 200, "gzip", kVaryHost},
      {"br preferred", "GET", kPageOne, "Accept-Encoding: gzip, deflate, br\r\n", 200, "br",
       kVaryHost},
      {"gzip refused", "GET", kPageOne, "Accept-Encoding: gzip;q=0\r\n", 200, "", kVaryHost},
      {"br declined on a second line", "GET", kPageOne,
       "Accept-Encoding: br\r\nAccept-Encoding: br;q=0\r\n", 200, "", kVaryHost},
      {"too small to gain", "GET", kPageOne + "&q=nothing%20is%20called%20this",
       "Accept-Encoding: gzip, br\r\n", 200, "", "Accept-Encoding"},
      {"a page", "GET", "/tishi1.8.html", "Accept-Encoding: gzip\r\n", 200, "gzip",
       "Accept-Encoding"},
      {"a download page", "GET", "/download/1", "Accept-Encoding: br\r\n", 200, "br",
       "Accept-Encoding"},
      {"HEAD", "HEAD", kPageOne, "Accept-Encoding: gzip\r\n", 200, "gzip", kVaryHost},
      {"its own tag", "GET", kPageOne, "If-None-Match: " + tag + "\r\n", 304, "", kVaryHost},
      {"its own tag, HEAD", "HEAD", kPageOne, "If-None-Match: W/" + tag + "\r\n", 304, "",
       kVaryHost},
      {"the gzip body's tag", "GET", kPageOne,
       "Accept-Encoding: gzip\r\nIf-None-Match: \"x\", " + gzip_tag + "\r\n", 304, "gzip",
       kVaryHost},
      {"the quick gzip body's tag", "GET", kPageOne,
       "Accept-Encoding: gzip\r\nIf-None-Match: " + quick.Header("ETag") + "\r\n", 304, "gzip",
       kVaryHost},
      {"the gzip body's tag, asking for none", "GET", kPageOne,
       "If-None-Match: " + gzip_tag + "\r\n", 200, "", kVaryHost},
      {"another tag", "GET", kPageOne, "If-None-Match: \"x\"\r\n", 200, "", kVaryHost},
      {"its own tag on a second line", "GET", kPageOne,
       "If-None-Match: \"x\"\r\nIf-None-Match: " + tag + "\r\n", 304, "", kVaryHost},
      {"not modified since", "GET", kPageOne, "If-Modified-Since: " + modified + "\r\n", 304, "",
       kVaryHost},
      {"modified since", "GET", kPageOne, "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n",
       200, "", kVaryHost},
  };
  for (const Case& c : cases) {
    const bool no_body = c.method == "HEAD" || c.status == 304;
    const HttpReply reply = get(c.target, c.headers, c.method, no_body);
    ASSERT_EQ(reply.status, c.status) << c.name << "\n" << reply.head;
    EXPECT_EQ(reply.Header("Content-Encoding"), c.coding) << c.name;
    EXPECT_EQ(reply.Header("Vary"), c.vary) << c.name;
    // A body compressed the first time, quickly, is for the client alone.
    EXPECT_EQ(reply.Header("Cache-Control"),
              reply.Header("ETag").starts_with("W/") ? "private, max-age=7" : "public, max-age=7")
        << c.name;
    EXPECT_FALSE(reply.Header("ETag").empty()) << c.name;
    if (no_body) {
      // The headers GET would send, length included; not a byte of body.
      const HttpReply full = get(c.target, c.headers.substr(0, c.headers.find("If-")));
      EXPECT_EQ(reply.Header("ETag"), full.Header("ETag")) << c.name;
      EXPECT_EQ(reply.Header("Content-Length"), std::to_string(full.body.size())) << c.name;
      EXPECT_EQ(reply.Header("Last-Modified"), full.Header("Last-Modified")) << c.name;
      continue;
    }
    const HttpReply identity = get(c.target, "");
    EXPECT_EQ(Decoded(reply), identity.body) << c.name;
    EXPECT_EQ(reply.Header("ETag") == identity.Header("ETag"), *c.coding == '\0') << c.name;
  }
}

TEST(ServiceCachingTest, NoCacheAFixedOriginAndMetricsOfTheirOwn) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  std::string error;
  const int metrics_port = testing::FreeLoopbackPort();
  auto service = ServiceProcess::Start(
      kService,
      {"--db", dir.File("c.sqlite3"), "--max-age", "0", "--origin", "https://catalogue.example.org",
       "--metrics", "127.0.0.1:" + std::to_string(metrics_port)},
      dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const HttpReply a = testing::Get(service->port(), kPageOne, "a.example");
  const HttpReply b = testing::Get(service->port(), kPageOne, "b.example");
  ASSERT_EQ(a.status, 200);
  EXPECT_EQ(a.Header("Cache-Control"), "no-cache");
  EXPECT_NE(a.body.find("https://catalogue.example.org/download/"), std::string::npos);
  EXPECT_EQ(a.Header("Vary"), "Accept-Encoding") << "the Host no longer matters";
  EXPECT_EQ(a.Header("ETag"), b.Header("ETag"));
  EXPECT_EQ(a.body, b.body);
  EXPECT_EQ(testing::Get(service->port(), "/metrics").status, 404) << "not on the public port";
  EXPECT_EQ(testing::Get(service->port(), "/download/no-such-entry").status, 404);

  // A request is counted once its reply is out, which its client may see first.
  const HttpReply metrics = testing::GetUntil(metrics_port, "/metrics", [](const HttpReply& r) {
    return r.body.find("quorvel_catalogue_request_duration_seconds_count 4\n") != r.body.npos;
  });
  ASSERT_EQ(metrics.status, 200);
  for (const char* line : {"quorvel_catalogue_requests_total{kind=\"listing\",status=\"2xx\"} 2\n",
                           "quorvel_catalogue_requests_total{kind=\"other\",status=\"4xx\"} 1\n",
                           "quorvel_catalogue_requests_total{kind=\"download\",status=\"4xx\"} 1\n",
                           "quorvel_catalogue_request_duration_seconds_count 4\n",
                           "quorvel_catalogue_rows 330\n", "quorvel_catalogue_loaded 1\n"}) {
    EXPECT_NE(metrics.body.find(line), std::string::npos) << line << metrics.body;
  }
  const std::string tag = a.Header("ETag");
  const std::string identity = tag.substr(1, tag.find('.') - 1);
  EXPECT_NE(metrics.body.find("quorvel_catalogue_identity_info{identity=\"" + identity + "\"} 1"),
            std::string::npos)
      << metrics.body;
  EXPECT_EQ(testing::Get(metrics_port, "/other").status, 404);
}

}  // namespace
}  // namespace quorvel::service
