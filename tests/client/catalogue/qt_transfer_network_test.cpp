// The transfer over TLS and through a proxy, both set up the way the user's
// environment sets them: a CA file and the proxy variables.

#include <QUrl>
#include <QtGlobal>

#include <gtest/gtest.h>

#include "reply_builder.h"
#include "text_checks.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/catalogue/curl/qt/qt_transfer.h"
#include "loopback_socket.h"
#include "scripted_http_server.h"
#include "tls_test_server.h"

namespace quorvel::catalogue {
namespace {

using quorvel::testing::Contains;
using quorvel::testing::Utf8;

TransferResult Open(QtTransfer& transfer, const QString& address) {
  return transfer.OpenURL(address.toStdU16String());
}

using namespace std::chrono_literals;
using quorvel::testing::HttpResponse;
using quorvel::testing::ScriptedHttpServer;
using testing::TlsTestServer;
using Connection = ScriptedHttpServer::Connection;
using Failure = TransferResult::Failure;

// Sets environment variables (nullopt: unsets) and puts them back at the end.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(
      std::vector<std::pair<const char*, std::optional<QByteArray>>> values) {
    for (auto& [name, value] : values) {
      saved_.emplace_back(name, qEnvironmentVariableIsSet(name)
                                    ? std::optional<QByteArray>(qgetenv(name))
                                    : std::nullopt);
      Set(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) Set(name, value);
  }

 private:
  static void Set(const char* name, const std::optional<QByteArray>& value) {
    if (value) {
      qputenv(name, *value);
    } else {
      qunsetenv(name);
    }
  }
  std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

QtTransfer::Limits ShortLimits() {
  QtTransfer::Limits limits;
  limits.stall = 5s;
  limits.total = 10s;
  return limits;
}

struct TlsCase {
  const char* name;
  const char* host;
  bool ca_trusted;
  std::string response;
  TlsTestServer::Ending ending;
  Failure failure;
  const char* reason_part;  // in the sentence the user reads
};

class TransferTlsTest : public ::testing::TestWithParam<TlsCase> {};

TEST_P(TransferTlsTest, TrustsOnlyTheNamedCa) {
  const TlsCase& c = GetParam();
  TlsTestServer server(c.response, c.ending);
  ASSERT_TRUE(server.error().isEmpty()) << server.error().toStdString();
  const std::optional<QByteArray> ca_file =
      c.ca_trusted ? std::optional<QByteArray>(server.CaFile().toLocal8Bit()) : std::nullopt;
  ScopedEnvironment environment({{"SSL_CERT_FILE", ca_file},
                                 {"CURL_CA_BUNDLE", std::nullopt},
                                 {"https_proxy", std::nullopt},
                                 {"HTTPS_PROXY", std::nullopt},
                                 {"all_proxy", std::nullopt},
                                 {"ALL_PROXY", std::nullopt}});
  QtTransfer transfer(ShortLimits());
  const TransferResult result =
      Open(transfer, server.Url(QString::fromLatin1(c.host), "/adminphp/admin_upload.php?page=1"));
  EXPECT_EQ(result.failure, c.failure) << Utf8(result.reason);
  if (c.failure == Failure::kNone) {
    EXPECT_EQ(result.body, "secret listing");
    EXPECT_EQ(server.targets(), std::vector<std::string>{"/adminphp/admin_upload.php?page=1"});
  } else {
    EXPECT_TRUE(Contains(result.reason, quorvel::catalogue::testing::U(c.reason_part)))
        << Utf8(result.reason);
    EXPECT_TRUE(result.body.empty());
  }
}

const std::string kListing = HttpResponse(200, "secret listing");

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferTlsTest,
    ::testing::Values(
        TlsCase{"trusted", "127.0.0.1", true, kListing, TlsTestServer::Ending::kOrderly,
                Failure::kNone, ""},
        TlsCase{"untrusted_ca", "127.0.0.1", false, kListing, TlsTestServer::Ending::kOrderly,
                Failure::kOther, "不是受信任的机构签发的"},
        TlsCase{"wrong_name", "localhost", true, kListing, TlsTestServer::Ending::kOrderly,
                Failure::kOther, "不属于“localhost”"},
        TlsCase{"body_until_the_closing_message", "127.0.0.1", true,
                "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nsecret listing",
                TlsTestServer::Ending::kOrderly, Failure::kNone, ""},
        TlsCase{"body_ends_without_closing_message", "127.0.0.1", true,
                "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\npart of a listing",
                TlsTestServer::Ending::kWithoutClosingMessage, Failure::kTruncated, "断开"},
        TlsCase{"redirect_down_to_http", "127.0.0.1", true,
                HttpResponse(302, "", "Location: http://127.0.0.1:9/\r\n"),
                TlsTestServer::Ending::kOrderly, Failure::kOther, "不能跟随"}),
    [](const ::testing::TestParamInfo<TlsCase>& info) { return std::string(info.param.name); });

// A forwarding proxy's one job: the absolute address in, the origin's reply out.
void Forward(Connection& client, const std::string& absolute_target) {
  const QUrl url(QString::fromStdString(absolute_target));
  const int origin = quorvel::testing::ConnectLoopback(url.port());
  if (origin < 0) return (void)client.Send(HttpResponse(502, ""));
  const std::string request =
      "GET " + url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority).toStdString() +
      " HTTP/1.1\r\nHost: " + url.authority().toStdString() + "\r\nConnection: close\r\n\r\n";
  ::send(origin, request.data(), request.size(), MSG_NOSIGNAL);
  char buffer[4096];
  for (int waits = 0; waits < 250;) {
    pollfd p{origin, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) {
      ++waits;
      continue;
    }
    const ssize_t n = ::recv(origin, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    client.Send(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
  ::close(origin);
}

struct ProxyCase {
  const char* name;
  std::optional<QByteArray> no_proxy;
  bool through_proxy;
};

class TransferProxyTest : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(TransferProxyTest, FollowsTheEnvironment) {
  ScriptedHttpServer origin(
      [](Connection& c, const std::string&) { c.Send(HttpResponse(200, "listed")); });
  ScriptedHttpServer proxy([](Connection& c, const std::string& target) { Forward(c, target); });
  const QString address = origin.Url("/adminphp/admin_upload.php?page=2");
  ScopedEnvironment environment(
      {{"http_proxy",
        QStringLiteral("http://127.0.0.1:%1").arg(QUrl(proxy.Url("/")).port()).toLatin1()},
       {"all_proxy", std::nullopt},
       {"ALL_PROXY", std::nullopt},
       {"no_proxy", GetParam().no_proxy},
       {"NO_PROXY", std::nullopt}});
  QtTransfer transfer(ShortLimits());
  const TransferResult result = Open(transfer, address);
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(result.body, "listed");
  EXPECT_EQ(origin.targets(), std::vector<std::string>{"/adminphp/admin_upload.php?page=2"});
  const std::vector<std::string> via_proxy = GetParam().through_proxy
                                                 ? std::vector<std::string>{address.toStdString()}
                                                 : std::vector<std::string>{};
  EXPECT_EQ(proxy.targets(), via_proxy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferProxyTest,
    ::testing::Values(ProxyCase{"http_proxy", std::nullopt, true},
                      ProxyCase{"excluded_by_no_proxy", QByteArray("127.0.0.1"), false}),
    [](const ::testing::TestParamInfo<ProxyCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvel::catalogue
