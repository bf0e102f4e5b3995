// Resident memory of catalogue-service under requests that are never asked
// twice: each comes with a Host of its own, which the download addresses of
// every page carry, so each reply is built, compressed and kept anew, and the
// reply cache turns over many times.  The codings asked for take turns (br,
// gzip, none).  Run at page size 20 and at page size 1000 (replies of about
// 5 and 250 KB before compression), each held against the bound the service
// keeps: its resident memory once the catalogue is loaded, plus the memory
// its serving threads work in (--working-mib), plus 1.25 times the reply
// cache's limit.  With --baseline, another build (an older one, say) gets the
// same requests in the same run.
//
//   service_memory_bench [--requests N] [--large-requests N] [--connections N]
//                        [--entries N] [--cache-mib N] [--working-mib N]
//                        [--service PATH] [--baseline PATH]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_catalogue.h"
#include "bench_options.h"
#include "load_client.h"
#include "loopback_connection.h"
#include "loopback_socket.h"
#include "process_usage.h"
#include "service_process.h"

namespace {

using quorvel::service::bench::LoadAverage;
using quorvel::service::bench::ResidentKib;
using quorvel::service::bench::RunLoad;
using quorvel::service::bench::StatusKib;
using quorvel::testing::HttpReply;
using quorvel::testing::LoopbackConnection;
using quorvel::testing::ServiceProcess;
using quorvel::testing::TempDir;

constexpr double kCacheShare = 1.25;
constexpr int kSamples = 20;

struct Settings {
  int requests = 400000;
  int large_requests = 20000;
  int connections = 32;
  int entries = 100000;
  int cache_mib = 64;
  int working_mib = 16;
  std::string service = CATALOGUE_SERVICE_PATH;
  std::string baseline;
};

// A value of the service's metrics, or -1.
double Metric(int metrics_port, const std::string& name) {
  LoopbackConnection connection(metrics_port);
  connection.Send("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  const HttpReply reply = connection.Read().value_or(HttpReply{});
  const std::size_t at = reply.body.find("\n" + name + " ");
  return at == std::string::npos ? -1 : std::atof(reply.body.c_str() + at + name.size() + 2);
}

double Mib(double kib) { return kib / 1024; }

// Drives `requests` requests, each asked once, at `page_size` through the
// build at `service`, and prints how its memory went against the bound.
// False when the service did not come up or a request failed.
bool Measure(const Settings& settings, const std::string& service, const std::string& db,
             int page_size, int requests, TempDir& dir) {
  std::string error;
  const int metrics_port = quorvel::testing::FreeLoopbackPort();
  auto process = ServiceProcess::Start(service,
                                       {"--db", db, "--page-size", std::to_string(page_size),
                                        "--reply-cache-mib", std::to_string(settings.cache_mib),
                                        "--metrics", "127.0.0.1:" + std::to_string(metrics_port)},
                                       dir.File("memory.log"), &error);
  if (!process) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  static constexpr const char* kCodings[] = {"Accept-Encoding: gzip, br\r\n",
                                             "Accept-Encoding: gzip\r\n", ""};
  const long start = ResidentKib(process->pid());
  long peak = start;
  double most_counted = 0;
  std::vector<long> trail;
  int errors = 0;
  const int chunk = std::max(1, requests / kSamples);
  for (int from = 0; from < requests; from += chunk) {
    std::vector<std::string> targets;
    std::vector<std::string> heads;
    for (int i = from; i < std::min(requests, from + chunk); ++i) {
      targets.emplace_back("/adminphp/admin_upload.php?page=1");
      heads.push_back("Host: r" + std::to_string(i) + ".example.org\r\n" + kCodings[i % 3]);
    }
    const auto load = RunLoad(
        process->port(), settings.connections, targets,
        [](const std::string& body) { return !body.empty(); }, 600, "", &heads);
    errors += load.errors;
    for (const std::string& what : load.first_errors) std::printf("    error: %s\n", what.c_str());
    trail.push_back(ResidentKib(process->pid()));
    peak = std::max(peak, trail.back());
    most_counted =
        std::max(most_counted, Metric(metrics_port, "quorvel_catalogue_reply_cache_bytes"));
  }
  peak = std::max(peak, StatusKib(process->pid(), "VmHWM"));
  const double entries = Metric(metrics_port, "quorvel_catalogue_reply_cache_entries");
  const double limit_kib = settings.cache_mib * 1024.0;
  const double bound = start + settings.working_mib * 1024.0 + kCacheShare * limit_kib;
  std::printf("  %s\n", service.c_str());
  std::printf("    resident at start %.1f MiB; after each twentieth of the requests:", Mib(start));
  for (std::size_t i = 0; i < trail.size(); ++i) {
    std::printf("%s%.0f", i % 10 == 0 ? "\n     " : " ", Mib(trail[i]));
  }
  std::printf(
      "\n    cache counted at most %.2f of %d MiB (%.0f replies at the end); resident at most "
      "%.1f MiB, %.1f over the start (%.2fx the cache's limit); bound %.1f MiB (start + %d MiB "
      "+ %.2fx the limit): %s\n",
      most_counted / 1048576, settings.cache_mib, entries, Mib(peak), Mib(peak - start),
      (peak - start) / limit_kib, Mib(bound), settings.working_mib, kCacheShare,
      peak <= bound ? "within" : "BEYOND");
  std::fflush(stdout);
  if (errors != 0) std::printf("    %d requests failed\n", errors);
  return errors == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel::service::bench;
  Settings settings;
  if (!ReadLoadSettings(argc, argv, &settings.requests, &settings.connections,
                        {{"--large-requests", &settings.large_requests},
                         {"--entries", &settings.entries},
                         {"--cache-mib", &settings.cache_mib, 0},
                         {"--working-mib", &settings.working_mib, 0},
                         {"--service", &settings.service},
                         {"--baseline", &settings.baseline}})) {
    return 2;
  }
  TempDir dir;
  std::string error;
  const std::string db = dir.File("catalogue.sqlite3");
  if (!ImportFictionalCatalogue(settings.service, db, dir.File("catalogue.tsv"), settings.entries,
                                &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::vector<std::string> builds = {settings.service};
  if (!settings.baseline.empty()) builds.push_back(settings.baseline);
  bool ok = true;
  for (const auto& [page_size, requests] :
       {std::pair{20, settings.requests}, std::pair{1000, settings.large_requests}}) {
    std::printf(
        "page size %d, %d requests each asked once, %d connections, %d-entry catalogue, reply "
        "cache %d MiB (load average before: %s)\n",
        page_size, requests, settings.connections, settings.entries, settings.cache_mib,
        LoadAverage().c_str());
    for (const std::string& build : builds) {
      ok = Measure(settings, build, db, page_size, requests, dir) && ok;
    }
  }
  return ok ? 0 : 1;
}
