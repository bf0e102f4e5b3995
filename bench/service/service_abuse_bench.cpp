// Abuse benchmark of catalogue-service: starts it as a second process and
// tries it as a hostile client would, over loopback only, every phase bounded
// in count and time:
//   1. 200 slow connections (idle, half-sent, trickling a byte a second) held
//      open while normal requests are timed; then how many the service closed
//      once its request timeout had passed;
//   2. a header flood, 1 GiB in all by default, on connections the service
//      keeps cutting off, with the service's peak memory;
//   3. kill -9 at random points of a large import (20 trials by default),
//      asking the running service all the while and restarting it after each.
// Prints each figure beside its goal and exits non-zero when one is missed.
//
//   service_abuse_bench [--slow N] [--flood-mib N] [--import-rows N] [--trials N]
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_catalogue.h"
#include "bench_options.h"
#include "loopback_connection.h"
#include "process_usage.h"
#include "service_process.h"

namespace {

using quorvel::service::bench::Percentile;
using quorvel::service::bench::StatusKib;
using quorvel::testing::LoopbackConnection;
using quorvel::testing::ServiceProcess;
using quorvel::testing::TempDir;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kService = CATALOGUE_SERVICE_PATH;
const std::string kListing = "/adminphp/admin_upload.php?";
constexpr double kGoalSlowP99Millis = 100;
constexpr double kGoalPeakRssMiB = 100;

struct Settings {
  int slow = 200;
  int flood_mib = 1024;
  int import_rows = 1'500'000;
  int trials = 20;
};

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The entry count in the trailer of the whole catalogue's first page, or
// empty when the answer was not a listing.
std::string EntryCount(int port) {
  const auto reply = quorvel::testing::Get(port, kListing + "page=1");
  const std::size_t marker = reply.body.find("?TtbBa?");
  if (reply.status != 200 || marker == std::string::npos) return "";
  return reply.body.substr(marker + 7, reply.body.find('?', marker + 7) - marker - 7);
}

bool SlowConnections(const Settings& settings) {
  TempDir dir;
  std::string error;
  auto service =
      ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3")}, dir.File("log"), &error);
  if (!service) return std::fprintf(stderr, "%s\n", error.c_str()), false;
  std::vector<std::unique_ptr<LoopbackConnection>> slow;
  for (int i = 0; i < settings.slow; ++i) {
    slow.push_back(std::make_unique<LoopbackConnection>(service->port()));
    if (i % 3 == 1) slow.back()->Send("GET /adminphp/admin_upload.php?page=1 HTTP/1.1\r\nHo");
    if (i % 3 == 2) slow.back()->Send("GET / HTTP/1.1\r\nHost: x\r\nX-Trickle: ");
  }
  const auto opened = Clock::now();
  std::atomic<bool> done{false};
  std::thread trickler([&] {
    while (!done) {
      for (int i = 2; i < settings.slow; i += 3) slow[i]->Send("t");
      for (int tick = 0; tick < 10 && !done; ++tick) std::this_thread::sleep_for(milliseconds(100));
    }
  });
  // Normal requests, each on a new connection as the client makes them, for
  // as long as the slow ones certainly still hold their connections.
  std::vector<double> latencies;
  int failed = 0;
  while (Clock::now() - opened < std::chrono::seconds(6)) {
    const auto start = Clock::now();
    const auto reply = quorvel::testing::Get(service->port(), kListing + "page=1");
    latencies.push_back(Millis(Clock::now() - start));
    if (reply.status != 200) ++failed;
    std::this_thread::sleep_for(milliseconds(5));
  }
  // Past the request timeout (10 s by default), however they trickle.
  std::this_thread::sleep_for(std::chrono::seconds(10) + milliseconds(1500) -
                              (Clock::now() - opened));
  int closed = 0;
  for (auto& connection : slow) closed += connection->ClosedWithin(milliseconds(1)) ? 1 : 0;
  done = true;
  trickler.join();
  std::sort(latencies.begin(), latencies.end());
  const double p99 = Percentile(latencies, 99);
  std::printf(
      "%d slow connections (idle, half-sent, trickling) open: %zu normal requests, %d failed, "
      "p50 %.2f ms, p99 %.2f ms, max %.2f ms (goal p99 <= %.0f ms: %s)\n",
      settings.slow, latencies.size(), failed, Percentile(latencies, 50), p99,
      Percentile(latencies, 100), kGoalSlowP99Millis,
      p99 <= kGoalSlowP99Millis && failed == 0 ? "met" : "NOT met");
  std::printf("    slow connections closed by the service 11.5 s after they opened: %d of %d\n",
              closed, settings.slow);
  return p99 <= kGoalSlowP99Millis && failed == 0 && closed == settings.slow;
}

bool HeaderFlood(const Settings& settings) {
  TempDir dir;
  std::string error;
  auto service =
      ServiceProcess::Start(kService, {"--db", dir.File("c.sqlite3")}, dir.File("log"), &error);
  if (!service) return std::fprintf(stderr, "%s\n", error.c_str()), false;
  const double rss_before = StatusKib(service->pid(), "VmRSS") / 1024.0;
  const std::size_t total = static_cast<std::size_t>(settings.flood_mib) << 20;
  const std::string chunk(256 * 1024, 'f');
  std::atomic<std::size_t> sent{0};
  std::atomic<int> connections{0};
  std::atomic<int> refused_with_431{0};
  const auto give_up = Clock::now() + std::chrono::seconds(60);
  // Four floods at once; each connection floods until the service cuts it off.
  std::vector<std::thread> flooders;
  for (int f = 0; f < 4; ++f) {
    flooders.emplace_back([&] {
      while (sent < total && Clock::now() < give_up) {
        LoopbackConnection connection(service->port());
        ++connections;
        if (!connection.Send("GET / HTTP/1.1\r\nHost: x\r\nX-Flood: ")) continue;
        while (sent < total && connection.Send(chunk)) sent += chunk.size();
        const auto reply = connection.Read(false, std::chrono::seconds(2));
        if (reply && reply->status == 431) ++refused_with_431;
      }
    });
  }
  for (std::thread& t : flooders) t.join();
  const double peak = StatusKib(service->pid(), "VmHWM") / 1024.0;
  const double after = StatusKib(service->pid(), "VmRSS") / 1024.0;
  const bool serving = EntryCount(service->port()) == "330";
  std::printf(
      "header flood: %.0f MiB sent on %d connections, each cut off (431 seen on %d); service RSS "
      "%.1f MiB before, peak %.1f MiB, %.1f MiB after; still serving: %s (goal peak < %.0f MiB: "
      "%s)\n",
      static_cast<double>(sent) / (1 << 20), connections.load(), refused_with_431.load(),
      rss_before, peak, after, serving ? "yes" : "NO", kGoalPeakRssMiB,
      peak < kGoalPeakRssMiB && serving ? "met" : "NOT met");
  return peak < kGoalPeakRssMiB && serving;
}

bool KilledImports(const Settings& settings) {
  TempDir dir;
  const std::string db = dir.File("c.sqlite3");
  const std::string tsv = dir.File("new.tsv");
  {
    std::ofstream out(tsv, std::ios::binary);
    for (int i = 0; i < settings.import_rows; ++i) {
      out << "CSOL\tnew entry " << i << "\tfree\t2001-01-01 00:00:00\tmirror/*//download/k" << i
          << "/**/\tk" << i << "\n";
    }
  }
  const std::string old_count = "330";
  const std::string new_count = std::to_string(330 + settings.import_rows);
  auto start = Clock::now();
  const auto scratch = quorvel::testing::RunProgram(
      kService, {"--db", dir.File("scratch.sqlite3"), "--import", tsv}, 1200);
  const auto whole = Clock::now() - start;
  if (scratch.exit_code != 0) return std::fprintf(stderr, "%s\n", scratch.err.c_str()), false;
  std::remove(dir.File("scratch.sqlite3").c_str());

  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
  if (!service) return std::fprintf(stderr, "%s\n", error.c_str()), false;
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> point(0.0, 1.0);
  int wrong_answers = 0;
  int answers = 0;
  int finished_before_kill = 0;
  int wrong_after_restart = 0;
  for (int trial = 0; trial < settings.trials; ++trial) {
    const pid_t import = quorvel::testing::StartProgram(kService, {"--db", db, "--import", tsv},
                                                        dir.File("import.log"));
    const auto kill_at =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(whole * point(random));
    // The service is asked all through the import and after the kill.
    while (Clock::now() < kill_at) {
      const std::string count = EntryCount(service->port());
      ++answers;
      if (count != old_count && count != new_count) ++wrong_answers;
      std::this_thread::sleep_for(milliseconds(20));
    }
    kill(import, SIGKILL);
    if (quorvel::testing::WaitForProgram(import, 60) == 0) ++finished_before_kill;
    const std::string during = EntryCount(service->port());
    ++answers;
    if (during != old_count && during != new_count) ++wrong_answers;
    service->Stop();
    service = ServiceProcess::Start(kService, {"--db", db}, dir.File("log"), &error);
    if (!service) return std::fprintf(stderr, "restart failed: %s\n", error.c_str()), false;
    const std::string restarted = EntryCount(service->port());
    if (restarted != old_count && restarted != new_count) ++wrong_after_restart;
  }
  const bool met = wrong_answers == 0 && wrong_after_restart == 0;
  std::printf(
      "kill -9 during a %d-row import (%.1f s whole), %d trials: %d answers while importing, %d "
      "not the old or the whole new catalogue; after restart %d of %d wrong; %d imports had "
      "finished before the kill (goal: none wrong: %s)\n",
      settings.import_rows, Millis(whole) / 1000, settings.trials, answers, wrong_answers,
      wrong_after_restart, settings.trials, finished_before_kill, met ? "met" : "NOT met");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvel::service::bench;
  Settings settings;
  if (!ReadSettings(argc, argv,
                    {{"--slow", &settings.slow, 3, 900},
                     {"--flood-mib", &settings.flood_mib, 1, 8192},
                     {"--import-rows", &settings.import_rows},
                     {"--trials", &settings.trials, 0, 100}})) {
    return 2;
  }
  PrepareForLoad();
  std::printf("catalogue-service under abuse (load average before: %s)\n", LoadAverage().c_str());
  std::fflush(stdout);
  bool met = SlowConnections(settings);
  std::fflush(stdout);
  met = HeaderFlood(settings) && met;
  std::fflush(stdout);
  met = KilledImports(settings) && met;
  return met ? 0 : 1;
}
