// nginx, started by the test from the Debian package with the configuration
// in deploy/nginx (ports and paths filled in), terminates TLS with a CA made
// here and fronts three replicas of the service on loopback.  Ten seconds of
// bounded load over keep-alive TLS connections; part-way one replica is
// killed with SIGKILL and a catalogue is pushed (imported into a new file and
// renamed over the live one).  No request may fail, and every reply is one
// catalogue's whole: body, ETag and Last-Modified.  The replicas take the new
// catalogue over once they have loaded it, and nginx serves it once its own
// copies (max-age 1) have expired; from then on every reply through nginx is
// the new catalogue's, and the old ETag gets no 304.  Then the client's own
// transfer and browsing session list page 1 through nginx over TLS, trusting
// only the test's CA.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/curl/qt/qt_transfer.h"
#include "client/catalogue/text16.h"
#include "client/shell/addresses.h"
#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "loopback_connection.h"
#include "loopback_socket.h"
#include "nginx_process.h"
#include "service_process.h"
#include "text_checks.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using quorvel::testing::NginxProcess;
using quorvel::testing::RunProgram;
using quorvel::testing::ServiceProcess;
using quorvel::testing::TagIdentity;
using quorvel::testing::TempDir;
using Clock = std::chrono::steady_clock;

const std::string kService = CATALOGUE_SERVICE_PATH;
const std::string kListing = "/adminphp/admin_upload.php?";
constexpr int kReplicas = 3;
// Entries of the catalogue before and after the push: every listing of the
// load names its catalogue in the count of its trailer.
constexpr int kOldEntries = 25;
constexpr int kNewEntries = 45;

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

// A new catalogue of `entries` entries named "scale `name` N", each with a
// download address on the service itself.
void Import(const TempDir& dir, const std::string& db, const std::string& name, int entries) {
  const std::string tsv = dir.File(name + ".tsv");
  {
    std::ofstream out(tsv, std::ios::binary);
    for (int i = 1; i <= entries; ++i) {
      const std::string id = "scale-" + name + "-" + std::to_string(i);
      out << "CSOL\tscale " << name << " " << i
          << "\tfree\t2090-01-01 00:00:00\tmirror/*//download/" << id << "/**/\t" << id << "\n";
    }
  }
  const auto run = RunProgram(kService, {"--db", db, "--import", tsv});
  ASSERT_EQ(run.exit_code, 0) << run.err;
}

// Which catalogue a listing reply is from, by the count in its trailer; empty
// when neither.
std::string CatalogueOf(const std::string& body) {
  if (body.find("?TtbBa?" + std::to_string(kOldEntries) + "?") != std::string::npos) return "old";
  if (body.find("?TtbBa?" + std::to_string(kNewEntries) + "?") != std::string::npos) return "new";
  return {};
}

// What one reply showed of itself.
struct Seen {
  std::string catalogue;  // CatalogueOf() its body
  std::string identity;   // TagIdentity() of its ETag
  std::string modified;   // its Last-Modified
};

// One keep-alive HTTPS client of the load, on libcurl as the client is.
class LoadClient {
 public:
  struct Reply {
    long status = 0;  // 0: no reply, `error` says why
    std::string error;
    std::string body;  // decoded
    std::string etag;
    std::string last_modified;
  };

  explicit LoadClient(const std::string& ca_file) : easy_(curl_easy_init()) {
    curl_easy_setopt(easy_, CURLOPT_CAINFO, ca_file.c_str());
    curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");  // gzip and br, decoded here
    curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &LoadClient::Append);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &reply_.body);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &LoadClient::Header);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, &reply_);
  }
  ~LoadClient() { curl_easy_cleanup(easy_); }
  LoadClient(const LoadClient&) = delete;
  LoadClient& operator=(const LoadClient&) = delete;

  // GET `url`, with the header line `header` when one is given.
  Reply Get(const std::string& url, const std::string& header = "") {
    reply_ = Reply{};
    curl_slist* headers = header.empty() ? nullptr : curl_slist_append(nullptr, header.c_str());
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    const CURLcode code = curl_easy_perform(easy_);
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &reply_.status);
    if (code != CURLE_OK) {
      reply_.status = 0;
      reply_.error = url + ": " + curl_easy_strerror(code);
    }
    return reply_;
  }

 private:
  static std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
  }
  static std::size_t Header(char* data, std::size_t size, std::size_t count, void* reply) {
    const std::string line(data, size * count);
    const auto value = [&line](const char* name) -> std::optional<std::string> {
      const std::size_t length = std::strlen(name);
      if (line.size() < length || strncasecmp(line.c_str(), name, length) != 0) return {};
      std::string text = line.substr(length);
      text.erase(0, text.find_first_not_of(' '));
      text.erase(text.find_last_not_of("\r\n") + 1);
      return text;
    };
    auto& r = *static_cast<Reply*>(reply);
    if (auto etag = value("ETag:")) r.etag = *etag;
    if (auto modified = value("Last-Modified:")) r.last_modified = *modified;
    return size * count;
  }

  CURL* easy_;
  Reply reply_;
};

// Three replicas of the service on `db`, each with `arguments` besides its
// catalogue and --origin, behind nginx with the configuration in deploy/,
// its ports and paths filled in.  The server that refuses other host names
// listens on ports of its own here: the test's clients name no host (an
// address sends none in TLS), so they meet the catalogue's server.
struct Fronted {
  std::vector<std::unique_ptr<ServiceProcess>> replicas;
  std::unique_ptr<NginxProcess> nginx;
  std::string origin;  // https://127.0.0.1:PORT
  std::string folder;  // nginx's
};

void StartFronted(const TempDir& dir, const std::string& db,
                  const std::vector<std::string>& arguments, Fronted* fronted) {
  std::string error;
  ASSERT_TRUE(MakeCertificates(dir, &error)) << error;
  const int tls_port = quorvel::testing::FreeLoopbackPort();
  const int http_port = quorvel::testing::FreeLoopbackPort();
  fronted->origin = "https://127.0.0.1:" + std::to_string(tls_port);
  for (int i = 0; i < kReplicas; ++i) {
    std::vector<std::string> replica = {"--db", db, "--origin", fronted->origin};
    replica.insert(replica.end(), arguments.begin(), arguments.end());
    fronted->replicas.push_back(
        ServiceProcess::Start(kService, replica, dir.File("replica" + std::to_string(i)), &error));
    ASSERT_NE(fronted->replicas.back(), nullptr) << error;
  }
  std::string site = ReadFile(QUORVEL_SOURCE_DIR "/deploy/nginx/quorvel-catalogue.conf");
  fronted->folder = dir.File("nginx");
  std::filesystem::create_directory(fronted->folder);
  for (int i = 0; i < kReplicas; ++i) {
    ASSERT_TRUE(Fill(site, "server 127.0.0.1:874" + std::to_string(i + 1) + " ",
                     "server 127.0.0.1:" + std::to_string(fronted->replicas[i]->port()) + " "));
  }
  // Loopback only, on the ports picked here; no IPv6, which a test machine may lack.
  ASSERT_TRUE(Fill(site, "listen 80;", "listen 127.0.0.1:" + std::to_string(http_port) + ";"));
  ASSERT_TRUE(
      Fill(site, "listen 443 ssl;", "listen 127.0.0.1:" + std::to_string(tls_port) + " ssl;"));
  for (const std::string other : {"80 default_server;", "443 ssl default_server;"}) {
    ASSERT_TRUE(Fill(site, "listen " + other,
                     "listen 127.0.0.1:" + std::to_string(quorvel::testing::FreeLoopbackPort()) +
                         other.substr(other.find(' '))));
    ASSERT_TRUE(Fill(site, "listen [::]:" + other, ""));
  }
  ASSERT_TRUE(Fill(site, "listen [::]:80;", ""));
  ASSERT_TRUE(Fill(site, "listen [::]:443 ssl;", ""));
  // nginx must give up an idle connection to a replica before the replica
  // does, or a request it sends as the replica closes it fails, and counts
  // against the replica: as deployed, 5 s against the replicas' 10 s.
  const auto timeout = std::find(arguments.begin(), arguments.end(), "--request-timeout");
  if (timeout != arguments.end() && timeout + 1 != arguments.end()) {
    ASSERT_TRUE(
        Fill(site, "keepalive_timeout 5s;",
             "keepalive_timeout " + std::to_string(std::stoi(*(timeout + 1)) * 500) + "ms;"));
  }
  // Every client of the test comes from 127.0.0.1.
  ASSERT_TRUE(Fill(site, "rate=20r/s", "rate=100000r/s"));
  ASSERT_TRUE(Fill(site, "/var/cache/nginx/quorvel-catalogue", fronted->folder + "/cache"));
  ASSERT_TRUE(Fill(site, "/etc/ssl/certs/catalogue.example.org.pem", dir.File("server.pem")));
  ASSERT_TRUE(Fill(site, "/etc/ssl/private/catalogue.example.org.key", dir.File("server.key")));
  fronted->nginx = NginxProcess::Start(fronted->folder, site, tls_port, &error);
  ASSERT_NE(fronted->nginx, nullptr) << error;
}

// Each test starts with the old catalogue in its own folder.
class ScaleOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    signal(SIGPIPE, SIG_IGN);
    if (NginxProcess::Executable().empty()) GTEST_SKIP() << "nginx is not installed";
    Import(dir, live, "old", kOldEntries);
  }

  TempDir dir;
  const std::string live = dir.File("catalogue.sqlite3");
};

TEST_F(ScaleOutTest, ThreeReplicasBehindNginxWithTls) {
  Fronted fronted;
  ASSERT_NO_FATAL_FAILURE(StartFronted(dir, live, {"--max-age", "1"}, &fronted));
  const auto& replicas = fronted.replicas;
  const auto& nginx = fronted.nginx;
  const std::string& origin = fronted.origin;
  const std::string& folder = fronted.folder;
  const std::string page_one = kListing + "page=1&q=scale";
  const quorvel::testing::HttpReply old_reply =
      quorvel::testing::Get(replicas[0]->port(), page_one);
  ASSERT_EQ(CatalogueOf(old_reply.body), "old") << old_reply.body;
  std::map<std::string, Seen> catalogues;  // what each replies with, by name
  catalogues["old"] = {"old", TagIdentity(old_reply.Header("ETag")),
                       old_reply.Header("Last-Modified")};

  // Bounded load: four clients, each at most one request every 10 ms.
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<std::string> failures;
  std::vector<Seen> seen;
  std::vector<std::thread> clients;
  const std::vector<std::string> queries = {"page=1", "page=2", "page=1&q=scale", "page=1&q=CSOL",
                                            "page=3"};
  for (int c = 0; c < 4; ++c) {
    clients.emplace_back([&, c] {
      LoadClient client(dir.File("ca.pem"));
      for (std::size_t i = static_cast<std::size_t>(c); !stop; ++i) {
        const LoadClient::Reply reply = client.Get(origin + kListing + queries[i % queries.size()]);
        std::lock_guard lock(mutex);
        if (reply.status != 200 || CatalogueOf(reply.body).empty()) {
          failures.push_back(!reply.error.empty()
                                 ? reply.error
                                 : std::to_string(reply.status) + " " + reply.body.substr(0, 200));
        } else {
          seen.push_back({CatalogueOf(reply.body), TagIdentity(reply.etag), reply.last_modified});
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
  Import(dir, next, "new", kNewEntries);
  ASSERT_EQ(std::rename(next.c_str(), live.c_str()), 0);
  // Each replica left takes the new catalogue over once it has loaded it.
  for (int i : {0, 2}) {
    const quorvel::testing::HttpReply taken_over = quorvel::testing::GetUntil(
        replicas[i]->port(), page_one,
        [](const quorvel::testing::HttpReply& r) { return CatalogueOf(r.body) == "new"; });
    ASSERT_EQ(CatalogueOf(taken_over.body), "new") << "replica " << i << " took no catalogue over";
    catalogues["new"] = {"new", TagIdentity(taken_over.Header("ETag")),
                         taken_over.Header("Last-Modified")};
  }
  std::this_thread::sleep_until(start + 10s);
  stop = true;
  for (std::thread& client : clients) client.join();

  EXPECT_TRUE(failures.empty()) << failures.size() << " failed, the first: " << failures.front()
                                << "\n"
                                << nginx->ErrorLog();
  EXPECT_GT(seen.size(), 400u) << "the load ran";
  std::map<std::string, int> counted;
  for (const Seen& reply : seen) {
    const Seen& expected = catalogues[reply.catalogue];
    EXPECT_EQ(reply.identity, expected.identity) << "the " << reply.catalogue << " catalogue's tag";
    EXPECT_EQ(reply.modified, expected.modified)
        << "the " << reply.catalogue << " catalogue's time";
    ++counted[reply.catalogue];
  }
  EXPECT_GT(counted["old"], 0);
  EXPECT_NE(nginx->ErrorLog().find("127.0.0.1:" + std::to_string(replicas[1]->port())),
            std::string::npos)
      << "nginx found the killed replica gone and passed over it";

  // Through nginx, once the copies it holds (max-age 1) have expired: each
  // listing is the new catalogue's, and stays so, and the old tag gets no 304.
  LoadClient check(dir.File("ca.pem"));
  const auto until = Clock::now() + 10s;
  for (const std::string& query : queries) {
    LoadClient::Reply reply = check.Get(origin + kListing + query);
    while (CatalogueOf(reply.body) != "new" && Clock::now() < until) {
      std::this_thread::sleep_for(20ms);
      reply = check.Get(origin + kListing + query);
    }
    EXPECT_EQ(CatalogueOf(reply.body), "new") << query << ": " << reply.body.substr(0, 200);
    const LoadClient::Reply again =
        check.Get(origin + kListing + query, "If-None-Match: " + old_reply.Header("ETag"));
    EXPECT_EQ(again.status, 200) << query;
    EXPECT_EQ(CatalogueOf(again.body), "new") << query;
    EXPECT_EQ(TagIdentity(again.etag), catalogues["new"].identity) << query;
  }
  EXPECT_NE(ReadFile(folder + "/access.log").find(" 200 "), std::string::npos);

  // The client, built for https, lists page 1 through nginx.
  qputenv("SSL_CERT_FILE", QByteArray::fromStdString(dir.File("ca.pem")));
  qunsetenv("CURL_CA_BUNDLE");
  const std::u16string tls_origin = catalogue::FromAscii(origin);
  const shell::ShellAddresses addresses =
      shell::AddressesForOrigins(tls_origin, tls_origin, tls_origin);
  catalogue::QtTransfer transfer;
  catalogue::testing::FakeListView list;
  catalogue::testing::RecordingShellOpen shell_open;
  catalogue::BrowsingSession session(transfer, list, shell_open, u"");
  session.SetServerUrl(addresses.listing_base);
  session.StartUpLoad();
  EXPECT_TRUE(session.Notice().empty()) << testing::Utf8(session.Notice());
  EXPECT_EQ(list.rows().size(), 20u);
  EXPECT_EQ(session.CounterText(), u"Quorvel共有 " + catalogue::Decimal(kNewEntries) + u" 个外挂");
  // The entries' links, on the public https origin the replicas were given.
  std::string all_links;
  for (const std::u16string& links : session.List3()) all_links += testing::Utf8(links) + "\n";
  EXPECT_NE(all_links.find(origin + "/download/"), std::string::npos) << all_links;
}

// Requests with 400 query arguments, three every two seconds, take no replica
// out of service: every request of another client, each for a term no cache
// holds, is answered, and so is every one of those requests.  Then a page
// asked for twice ends up in nginx's cache as its thoroughly compressed copy,
// which is what the clients after get.
TEST_F(ScaleOutTest, BadRequestsTakeNoReplicaOutOfService) {
  Fronted fronted;
  // A replica that gave up on a request would close it within two seconds.
  ASSERT_NO_FATAL_FAILURE(StartFronted(dir, live, {"--request-timeout", "2"}, &fronted));
  std::string arguments;
  for (int i = 0; i < 400; ++i) arguments += "a&";

  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<std::string> unanswered;
  std::thread sender([&] {
    LoadClient client(dir.File("ca.pem"));
    for (int round = 0; !stop; ++round) {
      for (int i = 0; i < 3 && !stop; ++i) {
        const LoadClient::Reply reply = client.Get(fronted.origin + "/?" + arguments);
        if (reply.status == 0 || reply.status >= 500) {
          std::lock_guard lock(mutex);
          unanswered.push_back(reply.error.empty() ? std::to_string(reply.status) : reply.error);
        }
      }
      for (int tick = 0; tick < 20 && !stop; ++tick) std::this_thread::sleep_for(100ms);
    }
  });
  LoadClient client(dir.File("ca.pem"));
  std::vector<std::string> failures;
  int served = 0;
  const auto until = Clock::now() + 8s;
  for (int i = 0; Clock::now() < until; ++i) {
    const LoadClient::Reply reply =
        client.Get(fronted.origin + kListing + "page=1&q=term" + std::to_string(i));
    if (reply.status == 200) {
      ++served;
    } else {
      failures.push_back(reply.error.empty() ? std::to_string(reply.status) : reply.error);
    }
    std::this_thread::sleep_for(20ms);
  }
  stop = true;
  sender.join();
  EXPECT_GT(served, 0);
  EXPECT_TRUE(failures.empty()) << failures.size() << " failed against " << served
                                << " served, the first: " << failures.front()
                                << "\nnginx: " << ReadFile(fronted.folder + "/error.log");
  EXPECT_TRUE(unanswered.empty()) << unanswered.size()
                                  << " unanswered, the first: " << unanswered.front()
                                  << "\nnginx: " << ReadFile(fronted.folder + "/error.log");

  // Each replica compresses a page quickly the first time it is asked for
  // it and thoroughly from then on; nginx passes the quick copies on without
  // keeping them, and keeps the first thorough one.
  const std::string page = fronted.origin + kListing + "page=1";
  std::vector<LoadClient::Reply> replies = {client.Get(page)};
  while (replies.back().etag.starts_with("W/") && replies.size() <= 2 * kReplicas) {
    replies.push_back(client.Get(page));
  }
  EXPECT_TRUE(replies.front().etag.starts_with("W/")) << replies.front().etag;
  ASSERT_FALSE(replies.back().etag.starts_with("W/")) << "no thorough copy in " << replies.size();
  const LoadClient::Reply kept = client.Get(page);
  EXPECT_EQ(kept.etag, replies.back().etag);
  EXPECT_EQ(kept.body, replies.front().body);
}

}  // namespace
}  // namespace quorvel
