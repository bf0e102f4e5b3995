// How the cost of a new search term grows with the catalogue.  Starts
// catalogue-service on a small and on a large catalogue (5,000 and 500,000
// entries) and drives each over loopback from 16 keep-alive connections with
// terms nobody sent before, so that neither the match cache nor the single
// flight can help: two characters of an entry's name (found in a few
// entries), two characters found nowhere, mixed-case ASCII words, and longer
// terms.  Prints throughput and latency for each size and the ratio of the
// two.  Then, in this process, on the large catalogue: memory and build time
// of the search index against those of the rows it indexes (the time the
// index adds to a load, and the time its second thread works beside the
// reading of the rows), and the cost of a term that matches half the
// catalogue, and of a one-byte term that matches all of it, against the plain
// scan the index replaced.
//
// The catalogue is the fictional one the other benchmarks use, each title
// given a made-up name of two to four characters, as real titles carry, and
// every other one the words "免费版", the term that matches half.
//
// With --baseline PATH the same requests go, in the same run, to another
// catalogue-service (say one built from an earlier commit) for before figures.
// Exits non-zero on any failed request.  Other work on the machine's cores
// shows up in every figure: compare ratios taken in one run.
//
//   search_scale_bench [--requests N] [--connections N] [--small N] [--large N]
//                      [--baseline PATH] [--baseline-requests N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench_catalogue.h"
#include "bench_options.h"
#include "load_client.h"
#include "plain_scan.h"
#include "service/store/catalogue_store.h"
#include "service/store/catalogue_writer.h"
#include "service/store/seed_catalogue.h"
#include "service/store/sqlite_handle.h"
#include "service_process.h"

namespace {

using quorvel::service::CatalogueEntry;
using quorvel::service::CatalogueStore;
using quorvel::service::bench::Percentile;
using quorvel::testing::ServiceProcess;
using quorvel::testing::TempDir;
using Clock = std::chrono::steady_clock;

constexpr double kGoalThroughputRatio = 0.5;
constexpr double kGoalP99Millis = 5;
constexpr double kGoalMemoryRatio = 1.5;
constexpr double kGoalBuildRatio = 1.0;
constexpr std::string_view kHalfTerm = "免费版";

struct Settings {
  int requests = 20000;
  int baseline_requests = 2000;
  int connections = 16;
  int small = 5000;
  int large = 500000;
  std::string baseline;
};

// A made-up name: two to four characters from the first 3,000 of the CJK block.
std::string Name(std::mt19937_64& random) {
  std::string name;
  const int characters = 2 + static_cast<int>(random() % 3);
  for (int i = 0; i < characters; ++i) {
    const unsigned code = 0x4E00 + static_cast<unsigned>(random() % 3000);
    name += {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 63)),
             static_cast<char>(0x80 | (code & 63))};
  }
  return name;
}

struct Catalogue {
  std::string path;
  std::vector<std::string> names;  // of each entry
};

Catalogue MakeCatalogue(const TempDir& dir, int entries) {
  std::vector<CatalogueEntry> catalogue = quorvel::service::FictionalCatalogue(
      quorvel::service::bench::ScaledCounts(entries), 20240601);
  std::mt19937_64 random(static_cast<std::uint64_t>(entries));
  Catalogue made{dir.File("catalogue-" + std::to_string(entries) + ".sqlite3"), {}};
  for (CatalogueEntry& entry : catalogue) {
    made.names.push_back(Name(random));
    entry.title += " " + made.names.back();
    if (random() % 2 == 0) entry.title += " " + std::string(kHalfTerm);
  }
  quorvel::service::CatalogueWriter::Import(made.path, catalogue);
  return made;
}

// `count` terms, each different, of the kinds listed at the top.
std::vector<std::string> FreshTerms(const Catalogue& catalogue, int count) {
  std::mt19937_64 random(7);
  std::set<std::string> seen;
  std::vector<std::string> terms;
  while (static_cast<int>(terms.size()) < count) {
    const std::uint64_t kind = random() % 10;
    std::string term;
    if (kind < 4) {
      const std::string& name = catalogue.names[random() % catalogue.names.size()];
      term = name.substr(3 * (random() % (name.size() / 3 - 1)), 6);
    } else if (kind < 7) {
      term = Name(random).substr(0, 6);
    } else if (kind < 9) {
      const int letters = 5 + static_cast<int>(random() % 4);
      for (int i = 0; i < letters; ++i) {
        term.push_back(static_cast<char>((random() % 2 == 0 ? 'a' : 'A') + random() % 26));
      }
    } else {
      term = catalogue.names[random() % catalogue.names.size()] + " " + Name(random);
    }
    if (seen.insert(term).second) terms.push_back(term);
  }
  return terms;
}

struct HttpRun {
  int ok = 0;
  int errors = 0;
  double per_second = 0;
  double p50 = 0;
  double p99 = 0;
  std::vector<std::string> first_errors;
};

HttpRun RunService(const std::string& executable, const Catalogue& catalogue,
                   const std::vector<std::string>& terms, int connections, const TempDir& dir) {
  HttpRun run;
  std::string error;
  auto service =
      ServiceProcess::Start(executable, {"--db", catalogue.path}, dir.File("service.log"), &error);
  if (!service) {
    run.errors = 1;
    run.first_errors.push_back(error);
    return run;
  }
  std::vector<std::string> targets;
  for (const std::string& term : terms) {
    targets.push_back("/adminphp/admin_upload.php?page=1&q=" +
                      quorvel::service::bench::PercentEncode(term));
  }
  const auto load = quorvel::service::bench::RunLoad(
      service->port(), connections, targets,
      [](const std::string& body) { return body.find("?TtbBa?") != std::string::npos; }, 300);
  service->Stop();
  std::vector<double> latencies = load.latencies_ms;
  std::sort(latencies.begin(), latencies.end());
  run.ok = load.ok;
  run.errors = load.errors;
  run.per_second = load.seconds > 0 ? (load.ok + load.errors) / load.seconds : 0;
  run.p50 = Percentile(latencies, 50);
  run.p99 = Percentile(latencies, 99);
  run.first_errors = load.first_errors;
  return run;
}

void Print(const char* what, int entries, const HttpRun& run) {
  std::printf("%s, %d entries: %d ok, %d errors: %.0f new terms/s, p50 %.2f ms, p99 %.2f ms\n",
              what, entries, run.ok, run.errors, run.per_second, run.p50, run.p99);
  for (const std::string& error : run.first_errors) std::printf("    error: %s\n", error.c_str());
}

// The median time of `repeats` calls of f, in milliseconds.
double MedianMillis(int repeats, const std::function<void()>& f) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto start = Clock::now();
    f();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The index against the rows, and against the plain scan it replaced.
void ReportIndex(const Catalogue& catalogue, int entries) {
  // Nothing cached: every request works its term out.
  CatalogueStore store(catalogue.path, CatalogueStore::Limits{0, 0});
  const CatalogueStore::LoadCost cost = store.CurrentLoadCost();
  const double memory_ratio =
      static_cast<double>(cost.index_bytes) / static_cast<double>(cost.rows_bytes);
  const double build_ratio = cost.index_seconds / cost.rows_seconds;
  std::printf("rows of %d entries: %.1f MB, read in %.3f s\n", entries, cost.rows_bytes / 1e6,
              cost.rows_seconds);
  std::printf("search index: %.1f MB (%.2fx the rows), adds %.3f s to the load (%.2fx the rows)\n",
              cost.index_bytes / 1e6, memory_ratio, cost.index_seconds, build_ratio);
  std::printf(
      "    its trigram lists: %.3f s on a second thread while the rows were read; all the "
      "index's work %.3f s (%.2fx the rows)\n",
      cost.gram_thread_seconds, cost.index_seconds + cost.gram_thread_seconds,
      (cost.index_seconds + cost.gram_thread_seconds) / cost.rows_seconds);

  // The plain scan, loaded the way the service loaded it before the index.
  quorvel::service::testing::PlainScan scan;
  const auto started = Clock::now();
  {
    quorvel::service::SqliteDatabase db(catalogue.path,
                                        quorvel::service::SqliteDatabase::Mode::kReadOnly);
    quorvel::service::SqliteStatement keys(db.handle(),
                                           "SELECT seq, category_key, title_key FROM entries "
                                           "NOT INDEXED ORDER BY update_time DESC, seq");
    while (keys.Step()) scan.Add(keys.ColumnInt64(0), keys.ColumnView(1), keys.ColumnView(2));
  }
  const double scan_seconds = std::chrono::duration<double>(Clock::now() - started).count();
  std::printf(
      "plain scan it replaced: %.1f MB (%.2fx the rows), built in %.3f s (%.2fx the rows)\n",
      scan.MemoryBytes() / 1e6,
      static_cast<double>(scan.MemoryBytes()) / static_cast<double>(cost.rows_bytes), scan_seconds,
      scan_seconds / cost.rows_seconds);
  std::printf(
      "goal index memory <= %.1fx the rows: %s; time it adds to the load <= %.1fx the rows: %s\n",
      kGoalMemoryRatio, memory_ratio <= kGoalMemoryRatio ? "met" : "NOT met", kGoalBuildRatio,
      build_ratio <= kGoalBuildRatio ? "met" : "NOT met");

  bool cheaper = true;
  for (const std::string_view term : {kHalfTerm, std::string_view("v")}) {
    std::int64_t matches = 0;
    const double index_ms = MedianMillis(15, [&] { matches = store.Rows(term, 1, 20).matches; });
    std::size_t scanned = 0;
    const double scan_ms = MedianMillis(15, [&] { scanned = scan.Find(term).size(); });
    std::printf("term \"%s\" (%lld of %d entries): index %.2f ms, plain scan %.2f ms (%.2fx)%s\n",
                std::string(term).c_str(), static_cast<long long>(matches), entries, index_ms,
                scan_ms, index_ms / scan_ms,
                static_cast<std::size_t>(matches) == scanned ? "" : " MATCHES DIFFER");
    cheaper = cheaper && index_ms <= scan_ms;
  }
  std::printf("goal broad terms cost no more than the plain scan: %s\n",
              cheaper ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel::service::bench;
  Settings settings;
  if (!ReadLoadSettings(argc, argv, &settings.requests, &settings.connections,
                        {{"--small", &settings.small},
                         {"--large", &settings.large},
                         {"--baseline", &settings.baseline},
                         {"--baseline-requests", &settings.baseline_requests}})) {
    return 2;
  }
  if (settings.large < settings.small) {
    std::fprintf(stderr, "--large is at least --small\n");
    return 2;
  }

  TempDir dir;
  std::printf("building catalogues of %d and %d entries...\n", settings.small, settings.large);
  std::fflush(stdout);
  const Catalogue small = MakeCatalogue(dir, settings.small);
  const Catalogue large = MakeCatalogue(dir, settings.large);
  std::printf("new terms over %d keep-alive connections (load average before: %s)\n",
              settings.connections, LoadAverage().c_str());

  int errors = 0;
  const auto compare = [&](const char* what, const std::string& executable, int requests) {
    const HttpRun on_small =
        RunService(executable, small, FreshTerms(small, requests), settings.connections, dir);
    const HttpRun on_large =
        RunService(executable, large, FreshTerms(large, requests), settings.connections, dir);
    Print(what, settings.small, on_small);
    Print(what, settings.large, on_large);
    const double ratio = on_large.per_second / on_small.per_second;
    std::printf("%s: throughput at %d entries is %.2fx that at %d\n", what, settings.large, ratio,
                settings.small);
    errors += on_small.errors + on_large.errors;
    return std::pair(ratio, on_large.p99);
  };
  const auto [ratio, p99] = compare("this build", CATALOGUE_SERVICE_PATH, settings.requests);
  std::printf("goal throughput ratio >= %.1f and p99 <= %.0f ms at %d entries: %s\n",
              kGoalThroughputRatio, kGoalP99Millis, settings.large,
              ratio >= kGoalThroughputRatio && p99 <= kGoalP99Millis ? "met" : "NOT met");
  if (!settings.baseline.empty()) {
    compare("baseline", settings.baseline, settings.baseline_requests);
  }
  std::fflush(stdout);
  ReportIndex(large, settings.large);
  return errors == 0 ? 0 : 1;
}
