// The two gradient painters on a 1920 x 1080 QImage through the image device
// context, against QImage::fill of the same rectangle (the memory-bandwidth
// limit) and QPainter::fillRect with a QLinearGradient (the rival); and the
// four-colour painter at the control's own size, 300 x 24, once per width of
// its pixel loops. After the runs it prints megapixels per second and the
// ratios.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <string>
#include <vector>

#include "progressbar/colour.h"
#include "progressbar/gradient_painters.h"
#include "progressbar/image_device_context.h"
#include "progressbar/pixel_kernels.h"
#include "ratio_reporter.h"

namespace {

namespace pb = quorvel::progressbar;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

QImage& Target() {
  static QImage image(kWidth, kHeight, QImage::Format_RGB32);
  return image;
}

void CountPixels(benchmark::State& state, int width = kWidth, int height = kHeight) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

// Corners whose channels all change across and down, so that no two rows of
// the four-colour gradient share their end colours for long.
constexpr pb::Colour kTopLeft = pb::Rgb(250, 10, 30);
constexpr pb::Colour kTopRight = pb::Rgb(20, 240, 100);
constexpr pb::Colour kBottomLeft = pb::Rgb(3, 128, 255);
constexpr pb::Colour kBottomRight = pb::Rgb(200, 60, 5);

void BM_FourColour(benchmark::State& state) {
  pb::ImageDeviceContext dc(&Target());
  for (auto _ : state) {
    pb::Status drawn = pb::DrawGradientFourColour(dc, 0, 0, kWidth, kHeight, kTopLeft, kTopRight,
                                                  kBottomLeft, kBottomRight);
    benchmark::DoNotOptimize(drawn);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

// The control's own size, where a row is 300 pixels. range(0) limits the
// pixel loops: 0 portable, 1 AVX2. A processor without AVX2 runs the portable
// loops, which the label names.
void BM_FourColourBarSize(benchmark::State& state) {
  constexpr int kBarWidth = 300;
  constexpr int kBarHeight = 24;
  QImage image(kBarWidth, kBarHeight, QImage::Format_RGB32);
  pb::ImageDeviceContext dc(&image);
  namespace kernels = pb::pixel_kernels;
  kernels::LimitVectorForms(static_cast<kernels::VectorForms>(state.range(0)));
  const kernels::VectorForms used = kernels::ActiveVectorForms();
  for (auto _ : state) {
    pb::Status drawn = pb::DrawGradientFourColour(dc, 0, 0, kBarWidth, kBarHeight, kTopLeft,
                                                  kTopRight, kBottomLeft, kBottomRight);
    benchmark::DoNotOptimize(drawn);
    benchmark::ClobberMemory();
  }
  kernels::LimitVectorForms(kernels::VectorForms::kAvx2);
  CountPixels(state, kBarWidth, kBarHeight);
  state.SetLabel(used == kernels::VectorForms::kAvx2 ? "avx2" : "portable");
}

// range(0): the direction, 0 left to right, 1 top to bottom.
void BM_TwoColour(benchmark::State& state) {
  pb::ImageDeviceContext dc(&Target());
  const auto direction = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    pb::GradientTwoColour(dc, direction, kTopLeft, kBottomRight, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void BM_QImageFill(benchmark::State& state) {
  QImage& image = Target();
  for (auto _ : state) {
    image.fill(0xFF336699u);
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

void BM_QLinearGradient(benchmark::State& state) {
  QImage& image = Target();
  const bool horizontal = state.range(0) == 0;
  QLinearGradient gradient(0, 0, horizontal ? kWidth : 0, horizontal ? 0 : kHeight);
  gradient.setColorAt(0, QColor(250, 10, 30));
  gradient.setColorAt(1, QColor(200, 60, 5));
  for (auto _ : state) {
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), gradient);
    painter.end();
    benchmark::ClobberMemory();
  }
  CountPixels(state);
}

// Wall-clock time, because QPainter may spread a fill over threads; the median
// of five runs, because the machine is shared.
#define QUORVEL_PIXEL_BENCHMARK(name) \
  BENCHMARK(name)                     \
      ->Unit(benchmark::kMillisecond) \
      ->UseRealTime()                 \
      ->Repetitions(5)                \
      ->ReportAggregatesOnly(true)

QUORVEL_PIXEL_BENCHMARK(BM_FourColour);
QUORVEL_PIXEL_BENCHMARK(BM_TwoColour)->Arg(0)->Arg(1);
// One thread and a few microseconds a call: processor time, which load from
// elsewhere on the machine disturbs less than the wall clock.
BENCHMARK(BM_FourColourBarSize)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Arg(0)
    ->Arg(1);
QUORVEL_PIXEL_BENCHMARK(BM_QImageFill);
QUORVEL_PIXEL_BENCHMARK(BM_QLinearGradient)->Arg(0)->Arg(1);

void Line(const char* name, double rate, double fill, double rival) {
  std::printf("%-28s %9.0f %12.2f", name, rate, fill > 0 ? rate / fill : 0.0);
  if (rival > 0) {
    std::printf(" %16.2f", rate / rival);
  }
  std::printf("\n");
}

// Megapixels per second of each, so the ratios come out of one run.
void PrintRatios(const quorvel::bench::RatioReporter& rate) {
  const double fill = rate("BM_QImageFill");
  std::printf("\n1920 x 1080, Format_RGB32    %9s %12s %16s\n", "MP/s", "/ fill", "/ QLinearGrad");
  Line("DrawGradientFourColour", rate("BM_FourColour"), fill, rate("BM_QLinearGradient/0"));
  Line("GradientTwoColour (0, H)", rate("BM_TwoColour/0"), fill, rate("BM_QLinearGradient/0"));
  Line("GradientTwoColour (1, V)", rate("BM_TwoColour/1"), fill, rate("BM_QLinearGradient/1"));
  Line("QImage::fill", fill, fill, 0);
  Line("QLinearGradient (H)", rate("BM_QLinearGradient/0"), fill, 0);
  Line("QLinearGradient (V)", rate("BM_QLinearGradient/1"), fill, 0);
  std::printf("(the four-colour rival is the horizontal QLinearGradient fill)\n");
  const double portable = rate("BM_FourColourBarSize/0");
  std::printf("\n300 x 24, DrawGradientFourColour %9s %12s  runs as\n", "MP/s", "/ portable");
  for (const auto& [arg, form] : {std::pair{"0", "portable"}, {"1", "AVX2"}}) {
    const std::string name = std::string("BM_FourColourBarSize/") + arg;
    std::printf("%-32s %9.0f %12.2f  %s\n", form, rate(name),
                portable > 0 ? rate(name) / portable : 0.0, rate.Label(name).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Repetitions of the painters and their rivals take turns.
  quorvel::bench::RatioReporter reporter("MP/s", PrintRatios);
  return quorvel::bench::RunBenchmarks(argc, argv, reporter, /*interleaved=*/true);
}
