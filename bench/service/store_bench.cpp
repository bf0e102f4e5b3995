// Time of the service's own work for one listing request, without HTTP: the
// store lookup on a 100,000-entry catalogue and the reply built from it.
#include <benchmark/benchmark.h>

#include <fstream>

#include "service/store/catalogue_store.h"
#include "service/store/catalogue_writer.h"
#include "service/store/page_reply.h"
#include "service/store/row_store.h"
#include "service/store/seed_catalogue.h"
#include "service_process.h"

namespace {

using quorvel::service::CatalogueStore;

struct Catalogue {
  Catalogue() {
    std::array<int, 18> counts{};
    for (std::size_t t = 0; t < counts.size(); ++t) {
      counts[t] = quorvel::service::kSeedCountPerTerm[t] * 303;
    }
    quorvel::service::CatalogueWriter::Import(dir.File("c.sqlite3"),
                                              quorvel::service::FictionalCatalogue(counts, 7));
    store = std::make_unique<CatalogueStore>(dir.File("c.sqlite3"));
    store->WarmUp(64);
  }
  quorvel::service::testing::TempDir dir;
  std::unique_ptr<CatalogueStore> store;
};

Catalogue& Shared() {
  static Catalogue catalogue;
  return catalogue;
}

void BM_WholeCataloguePage(benchmark::State& state) {
  CatalogueStore& store = *Shared().store;
  std::int32_t page = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.Rows("", page, 20));
    page = page % 4900 + 37;
  }
}
BENCHMARK(BM_WholeCataloguePage);

void BM_KnownSearchPage(benchmark::State& state) {
  CatalogueStore& store = *Shared().store;
  std::int32_t page = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.Rows("加速器", page, 20));
    page = page % 200 + 1;
  }
}
BENCHMARK(BM_KnownSearchPage);

void BM_NewSearchTerm(benchmark::State& state) {
  CatalogueStore& store = *Shared().store;
  int n = 0;
  for (auto _ : state) {
    // Each term is new, so every iteration walks the whole catalogue.
    benchmark::DoNotOptimize(store.Page("v" + std::to_string(n++ % 1000) + ".", 1, 20));
  }
}
BENCHMARK(BM_NewSearchTerm)->Iterations(200);

void BM_FindEntry(benchmark::State& state) {
  CatalogueStore& store = *Shared().store;
  int id = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.FindEntry(std::to_string(id)));
    id = id % 99000 + 977;
  }
}
BENCHMARK(BM_FindEntry);

void BM_BuildReply(benchmark::State& state) {
  const quorvel::service::ListingRows page = Shared().store->Rows("", 3, 20);
  for (auto _ : state) {
    benchmark::DoNotOptimize(quorvel::service::BuildListingReply(
        *page.store, page.rows, page.matches, 5000, "http://127.0.0.1:8731"));
  }
}
BENCHMARK(BM_BuildReply);

}  // namespace

BENCHMARK_MAIN();
