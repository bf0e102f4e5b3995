// nginx, started by the test from the Debian package with the configuration
// in deploy/nginx (ports and paths filled in), terminates TLS with a CA made
// here and fronts three replicas of the service on loopback.  Ten seconds of
// bounded load over keep-alive TLS connections; part-way one replica is
// killed with SIGKILL and a catalogue is pushed (imported into a new file and
// renamed over the live one).  No request may fail, and afterwards nginx
// serves the pushed catalogue.  Then the client's own transfer and browsing
// session list page 1 through nginx over TLS, trusting only the test's CA.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "catalogue/browsing_session.h"
#include "catalogue/qt/qt_transfer.h"
#include "catalogue/testing/fake_list_view.h"
#include "catalogue/testing/recording_shell_open.h"
#include "loopback_socket.h"
#include "nginx_process.h"
#include "service_process.h"
#include "shell/addresses.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using quorvel::testing::NginxProcess;
using quorvel::testing::RunProgram;
using quorvel::testing::ServiceProcess;
using quorvel::testing::TempDir;
using Clock = std::chrono::steady_clock;

const std::string kService = CATALOGUE_SERVICE_PATH;
const std::string kListing = "/adminphp/admin_upload.php?";
constexpr int kReplicas = 3;

// A CA and a certificate for 127.0.0.1 signed by it, made by the openssl
// command in `dir`: ca.pem, server.pem, server.key.
bool MakeCertificates(const TempDir& dir, std::string* error) {
  std::ofstream(dir.File("server.ext")) << "subjectAltName=IP:127.0.0.1\n"
                                           "basicConstraints=CA:FALSE\n"
                                           "extendedKeyUsage=serverAuth\n";
  const std::vector<std::string> key = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                        "-nodes"};
  std::vector<std::string> ca = {"req", "-x509"};
  ca.insert(ca.end(), key.begin(), key.end());
  ca.insert(ca.end(),
            {"-keyout", dir.File("ca.key"), "-out", dir.File("ca.pem"), "-days", "2", "-subj",
             "/CN=Quorvel scale test CA", "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
             "keyUsage=critical,keyCertSign,cRLSign"});
  std::vector<std::string> request = {"req"};
  request.insert(request.end(), key.begin(), key.end());
  request.insert(request.end(), {"-keyout", dir.File("server.key"), "-out", dir.File("server.csr"),
                                 "-subj", "/CN=127.0.0.1"});
  const std::vector<std::string> sign = {"x509",
                                         "-req",
                                         "-in",
                                         dir.File("server.csr"),
                                         "-CA",
                                         dir.File("ca.pem"),
                                         "-CAkey",
                                         dir.File("ca.key"),
                                         "-CAcreateserial",
                                         "-out",
                                         dir.File("server.pem"),
                                         "-days",
                                         "2",
                                         "-extfile",
                                         dir.File("server.ext")};
  for (const auto& arguments : {ca, request, sign}) {
    const auto run = RunProgram("/usr/bin/openssl", arguments);
    if (run.exit_code != 0) {
      *error = "openssl " + arguments[0] + ": " + run.err;
      return false;
    }
  }
  return true;
}

// Replaces every `from` in `text`; false when there is none, so the test
// notices when the configuration it fills in has changed.
bool Fill(std::string& text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at == std::string::npos) return false;
  for (; at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return true;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Import(const TempDir& dir, const std::string& db, const std::string& title) {
  const std::string tsv = dir.File(title + ".tsv");
  std::ofstream(tsv, std::ios::binary)
      << "CSOL\tscale " << title << "\tfree\t2090-01-01 00:00:00\t\tscale-" << title << "\n";
  const auto run = RunProgram(kService, {"--db", db, "--import", tsv});
  ASSERT_EQ(run.exit_code, 0) << run.err;
}

// One keep-alive HTTPS client of the load, on libcurl as the client is.
class LoadClient {
 public:
  explicit LoadClient(const std::string& ca_file) : easy_(curl_easy_init()) {
    curl_easy_setopt(easy_, CURLOPT_CAINFO, ca_file.c_str());
    curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");  // gzip and br, decoded here
    curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &LoadClient::Append);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &body_);
  }
  ~LoadClient() { curl_easy_cleanup(easy_); }
  LoadClient(const LoadClient&) = delete;
  LoadClient& operator=(const LoadClient&) = delete;

  // The body of a 200 for `url`; empty with the reason in `error` otherwise.
  std::string Get(const std::string& url, std::string* error) {
    body_.clear();
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    const CURLcode code = curl_easy_perform(easy_);
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    if (code != CURLE_OK || status != 200) {
      *error = url + ": " + curl_easy_strerror(code) + ", status " + std::to_string(status);
      return {};
    }
    return body_;
  }

 private:
  static std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
  }

  CURL* easy_;
  std::string body_;
};

TEST(ScaleOutTest, ThreeReplicasBehindNginxWithTls) {
  signal(SIGPIPE, SIG_IGN);
  if (NginxProcess::Executable().empty()) GTEST_SKIP() << "nginx is not installed";
  TempDir dir;
  std::string error;
  ASSERT_TRUE(MakeCertificates(dir, &error)) << error;
  const std::string live = dir.File("catalogue.sqlite3");
  Import(dir, live, "old");
  const int tls_port = quorvel::testing::FreeLoopbackPort();
  const int http_port = quorvel::testing::FreeLoopbackPort();
  const std::string origin = "https://127.0.0.1:" + std::to_string(tls_port);

  std::vector<std::unique_ptr<ServiceProcess>> replicas;
  for (int i = 0; i < kReplicas; ++i) {
    replicas.push_back(ServiceProcess::Start(kService,
                                             {"--db", live, "--max-age", "1", "--origin", origin},
                                             dir.File("replica" + std::to_string(i)), &error));
    ASSERT_NE(replicas.back(), nullptr) << error;
  }
  std::string site = ReadFile(QUORVEL_SOURCE_DIR "/deploy/nginx/quorvel-catalogue.conf");
  const std::string folder = dir.File("nginx");
  std::filesystem::create_directory(folder);
  for (int i = 0; i < kReplicas; ++i) {
    ASSERT_TRUE(Fill(site, "server 127.0.0.1:874" + std::to_string(i + 1) + " ",
                     "server 127.0.0.1:" + std::to_string(replicas[i]->port()) + " "));
  }
  // Loopback only, on the ports picked here; no IPv6, which a test machine may lack.
  ASSERT_TRUE(Fill(site, "listen 80;", "listen 127.0.0.1:" + std::to_string(http_port) + ";"));
  ASSERT_TRUE(Fill(site, "listen [::]:80;", ""));
  ASSERT_TRUE(
      Fill(site, "listen 443 ssl;", "listen 127.0.0.1:" + std::to_string(tls_port) + " ssl;"));
  ASSERT_TRUE(Fill(site, "listen [::]:443 ssl;", ""));
  ASSERT_TRUE(Fill(site, "/var/cache/nginx/quorvel-catalogue", folder + "/cache"));
  ASSERT_TRUE(Fill(site, "/etc/ssl/certs/catalogue.example.org.pem", dir.File("server.pem")));
  ASSERT_TRUE(Fill(site, "/etc/ssl/private/catalogue.example.org.key", dir.File("server.key")));
  auto nginx = NginxProcess::Start(folder, site, tls_port, &error);
  ASSERT_NE(nginx, nullptr) << error;

  // Bounded load: four clients, each at most one request every 10 ms.
  std::atomic<bool> stop{false};
  std::atomic<int> served{0};
  std::mutex mutex;
  std::vector<std::string> failures;
  std::vector<std::thread> clients;
  const std::vector<std::string> queries = {"page=1", "page=2", "page=1&q=scale", "page=1&q=CSOL",
                                            "page=3"};
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&, c] {
      LoadClient client(dir.File("ca.pem"));
      for (std::size_t i = static_cast<std::size_t>(c); !stop; ++i) {
        std::string why;
        const std::string body = client.Get(origin + kListing + queries[i % queries.size()], &why);
        if (body.find("?TtbBa?") == std::string::npos) {
          std::lock_guard lock(mutex);
          failures.push_back(why.empty() ? "not a listing: " + body.substr(0, 200) : why);
        } else {
          ++served;
        }
        std::this_thread::sleep_for(10ms);
      }
    });
  }
  const auto start = Clock::now();
  std::this_thread::sleep_until(start + 3s);
  ::kill(replicas[1]->pid(), SIGKILL);
  std::this_thread::sleep_until(start + 5s);
  const std::string next = dir.File("catalogue.next.sqlite3");
  Import(dir, next, "new");
  ASSERT_EQ(std::rename(next.c_str(), live.c_str()), 0);
  std::this_thread::sleep_until(start + 10s);
  stop = true;
  for (std::thread& client : clients) client.join();

  EXPECT_TRUE(failures.empty()) << failures.size() << " failed, the first: " << failures.front()
                                << "\n"
                                << nginx->ErrorLog();
  EXPECT_GT(served.load(), 400) << "the load ran";
  EXPECT_NE(nginx->ErrorLog().find("127.0.0.1:" + std::to_string(replicas[1]->port())),
            std::string::npos)
      << "nginx found the killed replica gone and passed over it";
  // The pushed catalogue through nginx, once the copies it holds (max-age 1) are stale.
  LoadClient check(dir.File("ca.pem"));
  std::string pushed;
  for (int attempt = 0; attempt < 50; ++attempt) {
    pushed = check.Get(origin + kListing + "page=1&q=scale", &error);
    if (pushed.find("scale new") != std::string::npos) break;
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_NE(pushed.find("scale new"), std::string::npos) << pushed;
  EXPECT_EQ(pushed.find("scale old"), std::string::npos) << pushed;
  EXPECT_NE(ReadFile(folder + "/access.log").find(" 200 "), std::string::npos);

  // The client, built for https, lists page 1 through nginx.
  qputenv("SSL_CERT_FILE", QByteArray::fromStdString(dir.File("ca.pem")));
  qunsetenv("CURL_CA_BUNDLE");
  const QString tls_origin = QString::fromStdString(origin);
  const shell::ShellAddresses addresses =
      shell::AddressesForOrigins(tls_origin, tls_origin, tls_origin);
  catalogue::QtTransfer transfer;
  catalogue::testing::FakeListView list;
  catalogue::testing::RecordingShellOpen shell_open;
  catalogue::BrowsingSession session(transfer, list, shell_open, QString());
  session.SetServerUrl(addresses.listing_base);
  session.StartUpLoad();
  EXPECT_TRUE(session.Notice().isEmpty()) << session.Notice().toStdString();
  EXPECT_EQ(list.rows().size(), 20u);
  EXPECT_EQ(session.CounterText(), QString::fromUtf16(u"Quorvel共有 331 个外挂"));
  // The starter entries' links, on the public https origin the replicas were given.
  EXPECT_TRUE(std::any_of(session.List3().begin(), session.List3().end(),
                          [&](const QString& links) {
                            return links.contains(tls_origin + QStringLiteral("/download/"));
                          }))
      << session.List3().join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace quorvel
