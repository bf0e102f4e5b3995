// One repaint of a 300 x 24 progress bar into the widget's back buffer, and a
// full restore of its sixteen saved properties (sixteen repaints and more),
// against the rival: a QProgressBar of the same size painted by the Fusion
// style into a QImage. Offscreen; after the runs it prints the ratios.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QProgressBar>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "progressbar/memory_property_store.h"
#include "progressbar/property_table.h"
#include "progressbar/widget/progress_bar_widget.h"
#include "ratio_reporter.h"

namespace {

namespace pb = quorvel::progressbar;

constexpr int kWidth = 300;
constexpr int kHeight = 24;

// A bar as a host would have saved it: every key present, none at its default.
pb::MemoryPropertyStore& SavedBar() {
  static pb::MemoryPropertyStore store = [] {
    namespace key = pb::property_name;
    pb::MemoryPropertyStore saved;
    saved.Set(key::kMax, 200);
    saved.Set(key::kMin, 10);
    saved.Set(key::kValue, 117);
    saved.Set(key::kRoundedValue, 7);
    saved.Set(key::kEnabled, true);
    saved.Set(key::kTheme, 8);
    saved.Set(key::kTextStyle, 2);
    saved.Set(key::kOrientations, 1);
    saved.Set(key::kText, QStringLiteral("Downloading"));
    saved.Set(key::kTextEffectColor, 0x00FFFFFFu);
    saved.Set(key::kTextEffect, 5);
    saved.Set(key::kTextAlignment, 5);
    QFont font;
    font.setBold(true);
    saved.Set(key::kTextFont, QVariant::fromValue(std::make_shared<QFont>(font)));
    saved.Set(key::kTextForeColor, 0x00202020u);
    saved.Set(key::kPBSCustomeColor2, 0x00505050u);
    saved.Set(key::kPBSCustomeColor1, 0x00E07010u);
    return saved;
  }();
  return store;
}

void BM_RedrawBar(benchmark::State& state) {
  pb::ProgressBarWidget widget;
  widget.resize(kWidth, kHeight);
  // The creation look: shadowed caption, gold theme, half full.
  for (auto _ : state) {
    widget.Bar().Resize();  // the resize notice repaints and does nothing else
    benchmark::DoNotOptimize(widget.BackBuffer().constBits());
  }
}

void BM_ReadProperties(benchmark::State& state) {
  pb::ProgressBarWidget widget;
  widget.resize(kWidth, kHeight);
  pb::MemoryPropertyStore& saved = SavedBar();
  for (auto _ : state) {
    widget.ReadProperties(saved);
    benchmark::DoNotOptimize(widget.BackBuffer().constBits());
  }
}

void BM_QProgressBarFusion(benchmark::State& state) {
  std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  QProgressBar bar;
  bar.setStyle(fusion.get());
  bar.setRange(0, 100);
  bar.setValue(50);
  bar.setTextVisible(true);
  bar.resize(kWidth, kHeight);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    bar.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

#define QUORVEL_PAINT_BENCHMARK(name) \
  BENCHMARK(name)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true)

QUORVEL_PAINT_BENCHMARK(BM_RedrawBar);
QUORVEL_PAINT_BENCHMARK(BM_ReadProperties);
QUORVEL_PAINT_BENCHMARK(BM_QProgressBarFusion);

// The median time of each, so the ratios come out of one run.
void PrintRatios(const quorvel::bench::RatioReporter& micros) {
  const double redraw = micros("BM_RedrawBar");
  const double restore = micros("BM_ReadProperties");
  const double rival = micros("BM_QProgressBarFusion");
  std::printf("\n300 x 24, offscreen                    median us   / rival\n");
  std::printf("RedrawBar into the back buffer        %9.2f %7.2f  (goal <= 1)\n", redraw,
              rival > 0 ? redraw / rival : 0.0);
  std::printf("QProgressBar, Fusion, into a QImage   %9.2f %7.2f\n", rival, 1.0);
  std::printf("ReadProperties, sixteen keys          %9.2f %7.2f  (goal < 1000 us)\n", restore,
              rival > 0 ? restore / rival : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  // Repetitions of the bar and its rival take turns.
  quorvel::bench::RatioReporter reporter("", PrintRatios);
  return quorvel::bench::RunBenchmarks(argc, argv, reporter, /*interleaved=*/true);
}
