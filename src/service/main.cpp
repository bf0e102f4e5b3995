// catalogue-service: the listing service the client browses, on loopback by
// default.  See UsageText() for the options.
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <thread>

#include "service/database_path.h"
#include "service/export_command.h"
#include "service/heap_settings.h"
#include "service/http/http_service.h"
#include "service/http/metrics_listener.h"
#include "service/import_command.h"
#include "service/remove_command.h"
#include "service/service_options.h"
#include "service/store/catalogue_store.h"
#include "service/store/catalogue_writer.h"
#include "service/store/seed_catalogue.h"
#include "service/store/sqlite_handle.h"

namespace {

using quorvel::service::CatalogueWriter;
using quorvel::service::ServiceOptions;

// Categories worked out before the first request; a catalogue with more keeps
// the rest for when they are asked for.
constexpr std::size_t kPreparedCategories = 64;
// Every open connection takes a descriptor; the usual soft limit of 1024 would
// cap the service well below its connection limit.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

int Serve(const ServiceOptions& options, const std::string& db_path) {
  quorvel::service::KeepHeapCompact();
  // SIGINT and SIGTERM are taken by one thread that stops the server, so the
  // server's own threads never run a signal handler.  Blocked before any
  // thread starts (the store's, the metrics listener's), since each thread
  // keeps the mask it was started with, and one that took SIGTERM would end
  // the process on the spot.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  if (CatalogueWriter::EnsureCatalogue(db_path)) {
    std::cerr << "catalogue-service: created " << db_path << " with the "
              << quorvel::service::kSeedEntryCount << "-entry starter catalogue\n";
  }
  quorvel::service::CatalogueStore store(db_path);
  store.WarmUp(kPreparedCategories);

  RaiseDescriptorLimit();
  quorvel::service::CatalogueHttpService service(store, options.page_size, options.limits,
                                                 options.caching);
  const int port = service.Bind(options.bind, options.port);
  if (port < 0) {
    std::cerr << "catalogue-service: cannot listen on " << options.bind << " port " << options.port
              << "\n";
    return 1;
  }
  quorvel::service::MetricsListener metrics(
      [&service] { return service.MetricsText(); },
      std::chrono::seconds(options.limits.request_timeout_seconds));
  const int metrics_port =
      options.metrics_address ? metrics.Start(*options.metrics_address, options.metrics_port) : 0;
  if (metrics_port < 0) {
    std::cerr << "catalogue-service: cannot listen for metrics on " << *options.metrics_address
              << " port " << options.metrics_port << "\n";
    return 1;
  }

  std::atomic<bool> finished{false};
  std::thread stopper([&] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    if (!finished) service.Stop();
  });

  const std::string shown_bind =
      options.bind.find(':') != std::string::npos ? "[" + options.bind + "]" : options.bind;
  // The first line is what launchers wait for.
  std::printf("listening on http://%s:%d/\n", shown_bind.c_str(), port);
  if (options.metrics_address) {
    const std::string& address = *options.metrics_address;
    const bool bracket = address.find(':') != std::string::npos;
    std::printf("metrics on http://%s%s%s:%d/metrics\n", bracket ? "[" : "", address.c_str(),
                bracket ? "]" : "", metrics_port);
  }
  std::fflush(stdout);
  const bool served = service.Run();

  finished = true;
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = quorvel::service::ParseServiceOptions(
      std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
  if (const auto* error = std::get_if<quorvel::service::OptionsError>(&parsed)) {
    std::cerr << "catalogue-service: " << error->message << "\nTry catalogue-service --help.\n";
    return 2;
  }
  const ServiceOptions& options = std::get<ServiceOptions>(parsed);
  if (options.help) {
    std::cout << quorvel::service::UsageText();
    return 0;
  }
  for (const std::string& warning : options.warnings) {
    std::cerr << "catalogue-service: warning: " << warning << "\n";
  }
  const std::string given_path = !options.db_path.empty()
                                     ? options.db_path
                                     : quorvel::service::DefaultDatabasePath(
                                           std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (given_path.empty()) {
    std::cerr << "catalogue-service: neither XDG_DATA_HOME nor HOME is set; give --db PATH\n";
    return 2;
  }
  const quorvel::service::DatabasePath checked = quorvel::service::CheckDatabasePath(given_path);
  if (!checked.problem.empty()) {
    std::cerr << "catalogue-service: " << checked.problem << "; nothing was touched\n";
    return 2;
  }
  const std::string& db_path = checked.path;
  // Root stays out of folders that someone else can change, such as the
  // state folder of the system's service, which its own user owns: a link
  // planted there would send root's writes, or its reads into a catalogue
  // served to anyone, wherever the planter likes.
  if (::geteuid() == 0) {
    for (const std::optional<std::string>& path :
         {std::optional<std::string>(given_path), options.import_file, options.export_file}) {
      if (!path || *path == "-") continue;
      const std::string changeable = quorvel::service::FolderOthersCanChange(*path, 0);
      if (changeable.empty()) continue;
      std::cerr << "catalogue-service: " << changeable
                << ", so root will not use it: a link planted there could make root "
                   "overwrite or reveal any file; run this as the folder's owner instead "
                   "(see quorvel-catalogue-service(1)); nothing was touched\n";
      return 2;
    }
  }
  signal(SIGPIPE, SIG_IGN);

  try {
    if (options.import_file) {
      return quorvel::service::RunImport(*options.import_file, db_path, options.max_skipped,
                                         std::cout, std::cerr);
    }
    if (!options.remove_ids.empty()) {
      return quorvel::service::RunRemove(db_path, options.remove_ids, std::cout, std::cerr);
    }
    if (options.export_file) {
      return quorvel::service::RunExport(db_path, *options.export_file, std::cout, std::cerr);
    }
    return Serve(options, db_path);
  } catch (const quorvel::service::StoreError& error) {
    std::cerr << "catalogue-service: " << error.what() << "\n";
    return 1;
  }
}
