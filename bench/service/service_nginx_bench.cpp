// catalogue-service against nginx serving the same bytes as static files, in
// one run: page 1 as it is (nginx static), page 1 gzip-compressed (nginx
// gzip_static with the very bytes the service sends), and a mix of pages and
// terms with one request in five a term never asked before, asked with
// "Accept-Encoding: gzip, br" (against nginx's gzip_static figure, taken
// again in slices beside it; the mix without fresh terms is shown too, and
// from the two what a term never asked costs the service, against the cost
// at which the mix would use no more CPU a request than nginx).  Both
// servers are driven alike over loopback from keep-alive connections (one
// epoll thread, see load_client.h).  The machine is shared, so each figure is
// taken in slices that alternate between the two servers, and the goals are
// judged on the median of the rounds' ratios; CPU time a request of each
// server is shown too, being less moved by other work than throughput.  Last,
// the reply cache's memory under 200,000 distinct terms: a service with a
// small limit and one with none get the same requests, and both what the
// cache counts and the difference in resident memory are held against the
// limit.  Needs nginx (Debian package nginx).
//
//   service_nginx_bench [--requests N] [--connections N] [--entries N] [--rounds N]
//                       [--terms N] [--memory-entries N] [--cache-mib N] [--service PATH]
//
// --service runs another build of catalogue-service (an older one, say), so
// that two builds compare with nginx in the same conditions.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_catalogue.h"
#include "bench_options.h"
#include "load_client.h"
#include "loopback_connection.h"
#include "loopback_socket.h"
#include "nginx_process.h"
#include "process_usage.h"
#include "service/store/seed_catalogue.h"
#include "service_process.h"

namespace {

using quorvel::service::bench::PercentEncode;
using quorvel::service::bench::ProcessCpuSeconds;
using quorvel::service::bench::ResidentKib;
using quorvel::service::bench::RunLoad;
using quorvel::testing::HttpReply;
using quorvel::testing::LoopbackConnection;
using quorvel::testing::NginxProcess;
using quorvel::testing::ServiceProcess;
using quorvel::testing::TempDir;

constexpr const char* kListing = "/adminphp/admin_upload.php?";
constexpr double kGoalGzip = 1.0;
constexpr double kGoalMixed = 1.0;
constexpr double kGoalIdentity = 1.0;
// One request in this many of the mix is a term never asked before.
constexpr int kFreshEvery = 5;

struct Settings {
  int requests = 20000;
  int connections = 32;
  int entries = 100000;
  int rounds = 5;
  int terms = 200000;
  int memory_entries = 10000;
  int cache_mib = 8;
  std::string service = CATALOGUE_SERVICE_PATH;
};

std::string Query(int page, std::string_view term) {
  std::string target = kListing + std::string("page=") + std::to_string(page);
  if (!term.empty()) target += "&q=" + PercentEncode(term);
  return target;
}

// The `n`th term never asked before: each title, then each without its first
// character, then without its first two, and so on.
std::string FreshTerm(const std::vector<std::string>& titles, std::size_t n) {
  std::string_view term = titles[n % titles.size()];
  for (std::size_t cut = n / titles.size(); cut > 0 && term.size() > 1; --cut) {
    std::size_t next = 1;
    while (next < term.size() && (static_cast<unsigned char>(term[next]) & 0xC0) == 0x80) ++next;
    term.remove_prefix(next);
  }
  return std::string(term);
}

// Four requests in five from a hot set of pages (whole catalogue, each
// category, common searches), one in five a term not asked before: `fresh`
// counts them across rounds.  Without `titles`, all from the hot set.
std::vector<std::string> MixedTargets(int count, const std::vector<std::string>& titles,
                                      std::size_t& fresh) {
  std::vector<std::string> hot;
  for (int page = 1; page <= 20; ++page) hot.push_back(Query(page, ""));
  for (const std::string_view term : quorvel::service::kCategoryTerms) {
    for (int page = 1; page <= 3; ++page) hot.push_back(Query(page, term));
  }
  for (const std::string_view term : {"C++", "加速器", "透视", "v2.1", "多开"}) {
    for (int page = 1; page <= 3; ++page) hot.push_back(Query(page, term));
  }
  std::vector<std::string> targets;
  std::uint64_t state = 424242;
  for (int i = 0; i < count; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    if (i % kFreshEvery == kFreshEvery - 1 && !titles.empty()) {
      targets.push_back(Query(1, FreshTerm(titles, fresh++)));
    } else {
      targets.push_back(hot[(state >> 33) % hot.size()]);
    }
  }
  return targets;
}

// One reply to a GET of `target` with `headers`, over a connection of its own.
HttpReply Fetch(int port, const std::string& target, const std::string& headers) {
  LoopbackConnection connection(port);
  connection.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                  "\r\n" + headers + "Connection: close\r\n\r\n");
  return connection.Read().value_or(HttpReply{});
}

// A server under load: where it listens and the processes whose CPU time it uses.
struct Server {
  int port;
  std::vector<pid_t> pids;
};

// Requests, wall time and CPU time summed over the slices of one figure.
struct Figure {
  double requests = 0;
  double seconds = 0;
  double cpu_seconds = 0;
  double Rate() const { return seconds > 0 ? requests / seconds : 0; }
  double CpuMicros() const { return requests > 0 ? cpu_seconds / requests * 1e6 : 0; }
};

void Drive(const Server& server, const Settings& settings, const std::vector<std::string>& targets,
           const std::string& headers, const std::function<bool(const std::string&)>& body_ok,
           Figure& figure, int* errors) {
  const double cpu_before = ProcessCpuSeconds(server.pids);
  const auto load = RunLoad(server.port, settings.connections, targets, body_ok,
                            /*timeout_seconds=*/300, headers);
  figure.cpu_seconds += ProcessCpuSeconds(server.pids) - cpu_before;
  figure.requests += load.ok + load.errors;
  figure.seconds += load.seconds;
  *errors += load.errors;
  for (const std::string& error : load.first_errors) std::printf("    error: %s\n", error.c_str());
}

// What one server is driven with: the targets, in order, the request
// headers, and what a good reply's body is.
struct Load {
  const Server& server;
  std::vector<std::string> targets;
  std::string headers;
  std::function<bool(const std::string&)> body_ok;
};

// The service and nginx in slices taking turns, each slice with the next
// part of the server's targets.
std::pair<Figure, Figure> Alternate(const Load& service, const Load& nginx,
                                    const Settings& settings, int* errors) {
  constexpr std::size_t kSlices = 4;
  const auto slice_of = [](const Load& load, std::size_t slice) {
    const std::size_t size = load.targets.size();
    return std::vector<std::string>(load.targets.begin() + size * slice / kSlices,
                                    load.targets.begin() + size * (slice + 1) / kSlices);
  };
  Figure ours;
  Figure theirs;
  for (std::size_t slice = 0; slice < kSlices; ++slice) {
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (slice % 2 == 0)) {
        Drive(service.server, settings, slice_of(service, slice), service.headers, service.body_ok,
              ours, errors);
      } else {
        Drive(nginx.server, settings, slice_of(nginx, slice), nginx.headers, nginx.body_ok, theirs,
              errors);
      }
    }
  }
  return {ours, theirs};
}

// `target` asked `settings.requests` times, every reply `expected`.
Load Same(const Server& server, const std::string& target, const std::string& headers,
          const std::string& expected, const Settings& settings) {
  return Load{server, std::vector<std::string>(settings.requests, target), headers,
              [expected](const std::string& body) { return body == expected; }};
}

// What one fresh request of the mix costs, from the mix's cost a request and
// that of the same mix without fresh terms: where the mix falls short, it
// says by how much the fresh term must get cheaper.
double OneInMix(double mix_micros, double others_micros) {
  return mix_micros * kFreshEvery - others_micros * (kFreshEvery - 1);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// A value of the service's metrics, or -1.
double Metric(int metrics_port, const std::string& name) {
  const HttpReply reply = Fetch(metrics_port, "/metrics", "");
  const std::size_t at = reply.body.find("\n" + name + " ");
  return at == std::string::npos ? -1 : std::atof(reply.body.c_str() + at + name.size() + 2);
}

// Throughput against nginx's, and CPU time a request against nginx's, by round.
struct Comparison {
  std::vector<double> identity;
  std::vector<double> gzip;
  std::vector<double> mixed;
  std::vector<double> identity_cpu;
  std::vector<double> gzip_cpu;
  std::vector<double> mixed_cpu;
};

int CompareWithNginx(const Settings& settings, TempDir& dir, int* errors) {
  std::string error;
  const std::string db = dir.File("catalogue.sqlite3");
  std::vector<std::string> titles;
  if (!quorvel::service::bench::ImportFictionalCatalogue(
          settings.service, db, dir.File("catalogue.tsv"), settings.entries, &error, &titles)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  auto service =
      ServiceProcess::Start(settings.service, {"--db", db}, dir.File("service.log"), &error);
  if (!service) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string page_one = Query(1, "");
  const HttpReply identity = Fetch(service->port(), page_one, "");
  // Asked twice: the first time a reply is compressed quickly, from the
  // second on thoroughly, and those are the bytes served under load.
  Fetch(service->port(), page_one, "Accept-Encoding: gzip\r\n");
  const HttpReply gzip = Fetch(service->port(), page_one, "Accept-Encoding: gzip\r\n");
  if (identity.status != 200 || gzip.Header("Content-Encoding") != "gzip") {
    std::fprintf(stderr, "page 1 did not come as expected: %d, %s\n", gzip.status,
                 gzip.head.c_str());
    return 1;
  }
  const std::string www = dir.File("www");
  std::filesystem::create_directory(www);
  std::ofstream(www + "/page1", std::ios::binary) << identity.body;
  std::ofstream(www + "/page1.gz", std::ios::binary) << gzip.body;
  const int nginx_port = quorvel::testing::FreeLoopbackPort();
  const std::string site = "server {\n  listen 127.0.0.1:" + std::to_string(nginx_port) +
                           ";\n  root " + www +
                           ";\n  default_type text/plain;\n  gzip_static on;\n  gzip_vary on;\n"
                           "  keepalive_requests 1000000;\n  location / {}\n}\n";
  const std::string nginx_folder = dir.File("nginx");
  std::filesystem::create_directory(nginx_folder);
  auto nginx = NginxProcess::Start(nginx_folder, site, nginx_port, &error);
  if (!nginx) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("page 1: %zu bytes, %zu gzip-compressed (the bytes nginx serves as page1.gz)\n",
              identity.body.size(), gzip.body.size());

  const Server ours{service->port(), {service->pid()}};
  const Server theirs{nginx_port, quorvel::service::bench::WithChildren(nginx->pid())};
  const auto is_listing = [](const std::string& body) { return !body.empty(); };
  const std::string both_header = "Accept-Encoding: gzip, br\r\n";
  Comparison ratios;
  std::size_t fresh = 0;
  const std::string gzip_header = "Accept-Encoding: gzip\r\n";
  for (int round = 0; round < settings.rounds; ++round) {
    const auto [identity_ours, identity_theirs] =
        Alternate(Same(ours, page_one, "", identity.body, settings),
                  Same(theirs, "/page1", "", identity.body, settings), settings, errors);
    const Load gzip_static = Same(theirs, "/page1", gzip_header, gzip.body, settings);
    const auto [gzip_ours, gzip_theirs] = Alternate(
        Same(ours, page_one, gzip_header, gzip.body, settings), gzip_static, settings, errors);
    // The mix against nginx's gzip_static figure taken beside it.
    const auto [mixed, mixed_theirs] = Alternate(
        Load{ours, MixedTargets(settings.requests, titles, fresh), both_header, is_listing},
        gzip_static, settings, errors);
    Figure hot;
    std::size_t none = 0;
    Drive(ours, settings, MixedTargets(settings.requests, {}, none), both_header, is_listing, hot,
          errors);
    ratios.identity.push_back(identity_ours.Rate() / identity_theirs.Rate());
    ratios.gzip.push_back(gzip_ours.Rate() / gzip_theirs.Rate());
    ratios.mixed.push_back(mixed.Rate() / mixed_theirs.Rate());
    ratios.identity_cpu.push_back(identity_ours.CpuMicros() / identity_theirs.CpuMicros());
    ratios.gzip_cpu.push_back(gzip_ours.CpuMicros() / gzip_theirs.CpuMicros());
    ratios.mixed_cpu.push_back(mixed.CpuMicros() / mixed_theirs.CpuMicros());
    std::printf(
        "round %d (req/s, CPU us a request; load average %s):\n"
        "  identity %6.0f %3.0f us; nginx static      %6.0f %3.0f us: %.2fx\n"
        "  gzip     %6.0f %3.0f us; nginx gzip_static %6.0f %3.0f us: %.2fx\n"
        "  mixed, 1 in %d fresh  %6.0f %3.0f us; nginx gzip_static %6.0f %3.0f us: %.2fx\n"
        "  mixed, no fresh term %6.0f %3.0f us: %.2fx\n"
        "  so a term never asked costs the service %3.0f us, where %3.0f us would match "
        "nginx's CPU a request\n",
        round + 1, quorvel::service::bench::LoadAverage().c_str(), identity_ours.Rate(),
        identity_ours.CpuMicros(), identity_theirs.Rate(), identity_theirs.CpuMicros(),
        ratios.identity.back(), gzip_ours.Rate(), gzip_ours.CpuMicros(), gzip_theirs.Rate(),
        gzip_theirs.CpuMicros(), ratios.gzip.back(), kFreshEvery, mixed.Rate(), mixed.CpuMicros(),
        mixed_theirs.Rate(), mixed_theirs.CpuMicros(), ratios.mixed.back(), hot.Rate(),
        hot.CpuMicros(), hot.Rate() / mixed_theirs.Rate(),
        OneInMix(mixed.CpuMicros(), hot.CpuMicros()),
        OneInMix(mixed_theirs.CpuMicros(), hot.CpuMicros()));
    std::fflush(stdout);
  }
  const auto goal = [](const char* what, const std::vector<double>& rates,
                       const std::vector<double>& cpu, double wanted) {
    std::printf(
        "goal %s >= %.1fx nginx's throughput: median %.2fx, %s (CPU a request: median %.2fx "
        "nginx's)\n",
        what, wanted, Median(rates), Median(rates) >= wanted ? "met" : "NOT met", Median(cpu));
  };
  goal("gzip page 1", ratios.gzip, ratios.gzip_cpu, kGoalGzip);
  const std::string mixed_goal =
      "mixed pages and terms (1 in " + std::to_string(kFreshEvery) + " fresh), gzip, br";
  goal(mixed_goal.c_str(), ratios.mixed, ratios.mixed_cpu, kGoalMixed);
  goal("identity page 1", ratios.identity, ratios.identity_cpu, kGoalIdentity);
  return 0;
}

// Sends `settings.terms` distinct terms to a service with the reply cache at
// `cache_mib` and to one without, and compares.
int ReplyCacheMemory(const Settings& settings, TempDir& dir, int* errors) {
  std::string error;
  const std::string db = dir.File("small.sqlite3");
  std::vector<std::string> titles;
  if (!quorvel::service::bench::ImportFictionalCatalogue(
          settings.service, db, dir.File("small.tsv"), settings.memory_entries, &error, &titles)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::vector<std::string> targets;
  for (int i = 0; i < settings.terms; ++i) {
    // The titles first, whose replies are large enough to compress; then
    // terms that find nothing, as anyone can send by the thousand.
    targets.push_back(static_cast<std::size_t>(i) < titles.size()
                          ? Query(1, titles[static_cast<std::size_t>(i)])
                          : Query(1, "no such add-on " + std::to_string(i)));
  }
  long growth[2] = {};
  double counted = 0;
  double most_counted = 0;
  double entries = 0;
  for (const int mib : {settings.cache_mib, 0}) {
    const int metrics_port = quorvel::testing::FreeLoopbackPort();
    auto service = ServiceProcess::Start(settings.service,
                                         {"--db", db, "--reply-cache-mib", std::to_string(mib),
                                          "--metrics", "127.0.0.1:" + std::to_string(metrics_port)},
                                         dir.File("memory.log"), &error);
    if (!service) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    const long before = ResidentKib(service->pid());
    const std::size_t chunk = 20000;
    for (std::size_t from = 0; from < targets.size(); from += chunk) {
      const std::vector<std::string> part(
          targets.begin() + static_cast<std::ptrdiff_t>(from),
          targets.begin() + static_cast<std::ptrdiff_t>(std::min(from + chunk, targets.size())));
      Figure ignored;
      Drive(
          Server{service->port(), {service->pid()}}, settings, part,
          "Accept-Encoding: gzip, br\r\n", [](const std::string& body) { return !body.empty(); },
          ignored, errors);
      if (mib > 0) {
        counted = Metric(metrics_port, "quorvel_catalogue_reply_cache_bytes");
        most_counted = std::max(most_counted, counted);
        entries = Metric(metrics_port, "quorvel_catalogue_reply_cache_entries");
      }
    }
    growth[mib > 0 ? 0 : 1] = ResidentKib(service->pid()) - before;
  }
  const double limit = settings.cache_mib * 1048576.0;
  const double resident = (growth[0] - growth[1]) * 1024.0;
  std::printf(
      "reply cache, %d distinct terms on a %d-entry catalogue: counted at most %.2f MiB (%.2f "
      "at the end, %.0f replies) of a %d MiB limit; resident memory grew %.2f MiB more than "
      "without the cache\n",
      settings.terms, settings.memory_entries, most_counted / 1048576, counted / 1048576, entries,
      settings.cache_mib, resident / 1048576);
  std::printf("goal reply cache within its limit: %s\n",
              most_counted <= limit && resident <= limit ? "met" : "NOT met");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel::service::bench;
  Settings settings;
  if (!ReadLoadSettings(argc, argv, &settings.requests, &settings.connections,
                        {{"--entries", &settings.entries},
                         {"--rounds", &settings.rounds},
                         {"--terms", &settings.terms, 0},
                         {"--memory-entries", &settings.memory_entries},
                         {"--cache-mib", &settings.cache_mib},
                         {"--service", &settings.service}})) {
    return 2;
  }
  std::printf(
      "catalogue-service against nginx, %d-entry catalogue, %d keep-alive connections, %d "
      "requests a run, %d rounds (load average before: %s)\n",
      settings.entries, settings.connections, settings.requests, settings.rounds,
      LoadAverage().c_str());
  TempDir dir;
  int errors = 0;
  if (CompareWithNginx(settings, dir, &errors) != 0) return 1;
  if (ReplyCacheMemory(settings, dir, &errors) != 0) return 1;
  if (errors != 0) std::printf("%d requests failed\n", errors);
  return errors == 0 ? 0 : 1;
}
