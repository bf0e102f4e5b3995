// Reply decoding against Qt's and ICU's UTF-8 decoders on the same 1 MiB
// inputs, with memcpy of the same size as the physical limit.  After the
// runs it prints MB/s per decoder and the ratios ours/Qt and ours/ICU.
#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <QString>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "encoding/query_encoder.h"
#include "encoding/utf8_decoder.h"
#include "ratio_reporter.h"

namespace {

constexpr std::size_t kInputSize = 1 << 20;

std::string ListingText() {
  std::mt19937 rng(1);
  std::string s;
  int id = 0;
  while (s.size() < kInputSize) {
    // Six fields; the category and a few title characters are CJK as in real replies.
    s += "\xE7\xA9\xBF\xE8\xB6\x8A\xE7\x81\xAB\xE7\xBA\xBF\x02";
    s += "Auto aim helper v" + std::to_string(rng() % 100) + "." + std::to_string(rng() % 10);
    s += "\x02free\x02"
         "2026-11-" +
         std::to_string(10 + rng() % 18) + " 12:00:00\x02";
    s += "Mirror/*/http://127.0.0.1:8731/download/" + std::to_string(id) + "/**/\x02";
    s += std::to_string(id++) + "\x01";
  }
  s.resize(kInputSize);
  return s;
}

std::string CjkText() {
  std::mt19937 rng(2);
  std::string s;
  while (s.size() + 3 <= kInputSize) {
    const unsigned c = 0x4E00 + rng() % 0x5000;
    s.push_back(static_cast<char>(0xE0 | (c >> 12)));
    s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  s.resize(kInputSize, 'a');
  return s;
}

std::string MalformedText() {
  std::string s = CjkText();
  std::mt19937 rng(3);
  for (std::size_t i = 0; i < s.size() / 100; ++i)
    s[rng() % s.size()] = static_cast<char>(0x80 | (rng() % 0x80));
  return s;
}

const std::string& Input(int which) {
  static const std::string inputs[] = {ListingText(), CjkText(), MalformedText()};
  return inputs[which];
}

const char* kInputNames[] = {"listing", "cjk", "malformed"};

void Record(benchmark::State& state) {
  const std::string& in = Input(static_cast<int>(state.range(0)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.SetLabel(kInputNames[state.range(0)]);
}

void BM_Ours(benchmark::State& state) {
  const std::string& in = Input(static_cast<int>(state.range(0)));
  std::u16string out(in.size(), u'\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(quorvel::encoding::DecodeUtf8Into(
        reinterpret_cast<const unsigned char*>(in.data()), in.size(), out.data()));
    benchmark::ClobberMemory();
  }
  Record(state);
}

void BM_Qt(benchmark::State& state) {
  const std::string& in = Input(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QString text = QString::fromUtf8(in.data(), static_cast<qsizetype>(in.size()));
    benchmark::DoNotOptimize(text.constData());
  }
  Record(state);
}

void BM_Icu(benchmark::State& state) {
  const std::string& in = Input(static_cast<int>(state.range(0)));
  std::u16string out(in.size() + 1, u'\0');
  for (auto _ : state) {
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                         &length, in.data(), static_cast<int32_t>(in.size()), 0xFFFD, nullptr,
                         &status);
    benchmark::DoNotOptimize(length);
    benchmark::ClobberMemory();
  }
  Record(state);
}

void BM_Memcpy(benchmark::State& state) {
  const std::string& in = Input(static_cast<int>(state.range(0)));
  std::string out(in.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size());
    benchmark::ClobberMemory();
  }
  Record(state);
}

void BM_GBtoUTF8(benchmark::State& state) {
  std::u16string term;
  while (term.size() < 50 * 1024)
    term += u"C++ \u7A7F\u8D8A\u706B\u7EBF mod \xD83D\xDE00 v1.2&x=y ";
  term.resize(50 * 1024);  // 100 KiB of UTF-16
  for (auto _ : state) benchmark::DoNotOptimize(quorvel::encoding::GBtoUTF8(term));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * term.size() * 2));
}

BENCHMARK(BM_Ours)->DenseRange(0, 2);
BENCHMARK(BM_Qt)->DenseRange(0, 2);
BENCHMARK(BM_Icu)->DenseRange(0, 2);
BENCHMARK(BM_Memcpy)->DenseRange(0, 2);
BENCHMARK(BM_GBtoUTF8);

void PrintRatios(const quorvel::bench::RatioReporter& bytes_per_second) {
  const auto mbps = [&](const std::string& name) { return bytes_per_second(name) / 1e6; };
  std::printf("\n%-10s %10s %10s %10s %10s %9s %9s\n", "input", "ours MB/s", "Qt MB/s", "ICU MB/s",
              "memcpy", "ours/Qt", "ours/ICU");
  for (int i = 0; i < 3; ++i) {
    const std::string arg = "/" + std::to_string(i);
    const double ours = mbps("BM_Ours" + arg), qt = mbps("BM_Qt" + arg), icu = mbps("BM_Icu" + arg),
                 copy = mbps("BM_Memcpy" + arg);
    std::printf("%-10s %10.0f %10.0f %10.0f %10.0f %8.2fx %8.2fx\n", kInputNames[i], ours, qt, icu,
                copy, qt > 0 ? ours / qt : 0, icu > 0 ? ours / icu : 0);
  }
  std::printf("GBtoUTF8 on a 100 KiB mixed term: %.0f MB/s\n", mbps("BM_GBtoUTF8"));
}

}  // namespace

int main(int argc, char** argv) {
  quorvel::bench::RatioReporter reporter("bytes_per_second", PrintRatios);
  return quorvel::bench::RunBenchmarks(argc, argv, reporter, /*interleaved=*/false);
}
