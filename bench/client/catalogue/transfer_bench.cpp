// One OpenURL of a large listing from a loopback server, as sent and
// compressed: what the transfer itself costs on top of the network.

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "client/catalogue/curl/qt/qt_transfer.h"
#include "scripted_http_server.h"

namespace quorvel::catalogue {
namespace {

using quorvel::testing::HttpResponse;
using quorvel::testing::ScriptedHttpServer;

// Listing-like text: records of six fields.
QByteArray Listing(std::int64_t bytes) {
  const QByteArray record =
      "\xE7\xA9\xBF\xE8\xB6\x8A\xE7\x81\xAB\xE7\xBA\xBF\x02Title of an entry\x02"
      "free\x02"
      "2024-06-11\x02name/*/http://example.org/x/**/\x02"
      "12345\x01";
  QByteArray text;
  text.reserve(bytes);
  while (text.size() + record.size() <= bytes) text += record;
  return text;
}

void BM_OpenURL(benchmark::State& state, bool compressed) {
  const QByteArray body = Listing(state.range(0) << 20);
  const std::string response = compressed ? HttpResponse(200, qCompress(body).mid(4).toStdString(),
                                                         "Content-Encoding: deflate\r\n")
                                          : HttpResponse(200, body.toStdString());
  ScriptedHttpServer server(
      [&](ScriptedHttpServer::Connection& c, const std::string&) { c.Send(response); },
      std::chrono::minutes(10));
  QtTransfer transfer;
  const std::u16string address = server.Url("/adminphp/admin_upload.php?page=1").toStdU16String();
  for (auto _ : state) {
    const TransferResult result = transfer.OpenURL(address);
    if (!result.ok() || result.body.size() != static_cast<std::size_t>(body.size())) {
      state.SkipWithError(QString::fromStdU16String(result.reason).toStdString().c_str());
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * body.size());
  state.counters["wire_MiB"] = static_cast<double>(response.size()) / (1 << 20);
}

BENCHMARK_CAPTURE(BM_OpenURL, as_sent, false)
    ->Arg(1)
    ->Arg(16)
    ->Arg(63)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_OpenURL, deflated, true)
    ->Arg(1)
    ->Arg(16)
    ->Arg(63)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quorvel::catalogue

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
