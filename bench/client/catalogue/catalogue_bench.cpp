// LoadPage from reply bytes to a filled list: our table model under a tree
// view against a QTreeWidget filled with addTopLevelItems in one batch (its
// best case).  (a) bytes to model filled, (b) layout plus first paint, and
// end to end.  Off screen; prints the ratios at the end.
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/listing_service.h"
#include "client/catalogue/page_fill.h"
#include "client/catalogue/qt/qt_list_view.h"
#include "client/catalogue/reply_text.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "protocol/listing_reply_parser.h"

namespace {

using quorvel::catalogue::BrowsingSession;
using quorvel::catalogue::DecodeReply;
using quorvel::catalogue::kListColumns;
using quorvel::catalogue::PrepareListColumns;
using quorvel::catalogue::QtListView;
using quorvel::protocol::ForEachRecord;
using quorvel::protocol::RecordFields;
namespace testing = quorvel::catalogue::testing;

constexpr int kWidth = 553;
constexpr int kHeight = 357;

QString ToQString(std::u16string_view text) { return QStringView(text).toString(); }

// A page as the service sends it: Chinese categories and titles, two links each.
std::string MakeReply(int records) {
  const QString categories[] = {"穿越火线", "QQ飞车", "英雄联盟", "逆战", "CSOL"};
  QString text;
  text.reserve(static_cast<qsizetype>(records) * 200);
  for (int i = 0; i < records; ++i) {
    const QString n = QString::number(i);
    text += categories[i % 5];
    text += QChar(2);
    text += QStringLiteral("辅助工具第") + n + QStringLiteral("版 自动瞄准 透视 加速");
    text += QChar(2);
    text += i % 3 == 0 ? QStringLiteral("免费") : QStringLiteral("收费");
    text += QChar(2);
    text += QStringLiteral("2024-05-%1 12:%2:00").arg(1 + i % 28).arg(i % 60, 2, 10, QChar('0'));
    text += QChar(2);
    text += QStringLiteral("百度网盘/*/https://pan.example.com/s/1a") + n +
            QStringLiteral("/**/迅雷/*/thunder://QUFodHRwOi8vZXhhbXBsZS5jb20v") + n +
            QStringLiteral("/**/");
    text += QChar(2);
    text += n;
    text += QChar(1);
  }
  text += QStringLiteral("?TtbBa?%1?%2").arg(records).arg(records / 20 + 1);
  return text.toUtf8().toStdString();
}

const std::string& Reply(int records) {
  static std::map<int, std::string> replies;
  auto it = replies.find(records);
  if (it == replies.end()) it = replies.emplace(records, MakeReply(records)).first;
  return it->second;
}

// Ours: the whole paging load through the session into the Qt list.
struct OurList {
  explicit OurList(int records) : session(transfer, view, shell, u"/tmp") {
    view.resize(kWidth, kHeight);
    PrepareListColumns(view);
    session.SetServerUrl(u"http://127.0.0.1:8731/adminphp/");
    transfer.SetStandingReply(Reply(records));
  }
  void Load() {
    session.NextPage();
    view.CommitPendingRows();
  }
  testing::ScriptedTransfer transfer;
  testing::RecordingShellOpen shell;
  QtListView view;
  BrowsingSession session;
};

// The rival: the same decoding and split, one QTreeWidgetItem per record,
// the widget as it comes (rows measured one by one) unless told otherwise.
struct RivalList {
  explicit RivalList(bool uniform_row_heights = false) {
    tree.resize(kWidth, kHeight);
    tree.setColumnCount(6);
    QStringList captions;
    for (const auto& column : kListColumns) captions << ToQString(column.caption);
    tree.setHeaderLabels(captions);
    for (int c = 0; c < 6; ++c) tree.header()->resizeSection(c, kListColumns[c].width);
    tree.setUniformRowHeights(uniform_row_heights);
    tree.setRootIsDecorated(false);
  }
  void Load(const std::string& reply) {
    const std::u16string text = DecodeReply(reply);
    QList<QTreeWidgetItem*> items;
    list3.clear();
    ForEachRecord(text, [&](const RecordFields& record) {
      QStringList cells;
      cells.reserve(6);
      for (const std::u16string_view field : record.field) cells.append(ToQString(field));
      list3.append(cells[4]);
      items.append(new QTreeWidgetItem(cells));
    });
    tree.addTopLevelItems(items);
  }
  QTreeWidget tree;
  QStringList list3;
};

void BM_Fill_Ours(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  OurList list(records);
  for (auto _ : state) {
    state.PauseTiming();
    list.view.ClearRows();
    list.view.CommitPendingRows();
    state.ResumeTiming();
    list.Load();
  }
  if (list.view.table()->rowCount() != records) state.SkipWithError("rows missing");
}

void BM_Fill_Rival(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const std::string& reply = Reply(records);
  RivalList list;
  for (auto _ : state) {
    state.PauseTiming();
    list.tree.clear();
    state.ResumeTiming();
    list.Load(reply);
  }
  if (list.tree.topLevelItemCount() != records) state.SkipWithError("rows missing");
}

void BM_Paint_Ours(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<OurList>(records);
    list->Load();
    state.ResumeTiming();
    const QImage image = list->view.grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

void PaintRival(benchmark::State& state, bool uniform_row_heights) {
  const int records = static_cast<int>(state.range(0));
  const std::string& reply = Reply(records);
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<RivalList>(uniform_row_heights);
    list->Load(reply);
    state.ResumeTiming();
    const QImage image = list->tree.grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

void BM_Paint_Rival(benchmark::State& state) { PaintRival(state, false); }
// The rival given our one setting that matters most for layout.
void BM_Paint_RivalUniform(benchmark::State& state) { PaintRival(state, true); }

void BM_EndToEnd_Ours(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<OurList>(records);
    state.ResumeTiming();
    list->Load();
    const QImage image = list->view.grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

void BM_EndToEnd_Rival(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const std::string& reply = Reply(records);
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<RivalList>();
    state.ResumeTiming();
    list->Load(reply);
    const QImage image = list->tree.grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}

// The list side alone, from text already decoded: the rows and List3.
void BM_Model_Ours(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const std::u16string text = DecodeReply(Reply(records));
  QtListView view;
  PrepareListColumns(view);
  std::vector<std::u16string> list3;
  for (auto _ : state) {
    state.PauseTiming();
    view.ClearRows();
    view.CommitPendingRows();
    state.ResumeTiming();
    quorvel::catalogue::FillRows(text, quorvel::catalogue::LoadKind::kPaging, view, list3);
    view.CommitPendingRows();
  }
}

void BM_Model_Rival(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const std::u16string text = DecodeReply(Reply(records));
  RivalList list;
  for (auto _ : state) {
    state.PauseTiming();
    list.tree.clear();
    state.ResumeTiming();
    QList<QTreeWidgetItem*> items;
    list.list3.clear();
    ForEachRecord(text, [&](const RecordFields& record) {
      QStringList cells;
      cells.reserve(6);
      for (const std::u16string_view field : record.field) cells.append(ToQString(field));
      list.list3.append(cells[4]);
      items.append(new QTreeWidgetItem(cells));
    });
    list.tree.addTopLevelItems(items);
  }
}

void BM_Decode(benchmark::State& state) {
  const std::string& reply = Reply(static_cast<int>(state.range(0)));
  // A fresh buffer each time, as a load of a reply too large to keep one has.
  for (auto _ : state) {
    quorvel::catalogue::ReplyText text;
    benchmark::DoNotOptimize(text.Decode(reply).size());
  }
}

void BM_Split(benchmark::State& state) {
  const std::u16string text = DecodeReply(Reply(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    std::size_t total = 0;
    ForEachRecord(text, [&](const RecordFields& record) { total += record.field[5].size(); });
    benchmark::DoNotOptimize(total);
  }
}

#define QUORVEL_SIZES Arg(20)->Arg(1000)->Arg(10000)->Arg(100000)
BENCHMARK(BM_Decode)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Split)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Model_Ours)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Model_Rival)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Fill_Ours)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Fill_Rival)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Paint_Ours)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Paint_Rival)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Paint_RivalUniform)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EndToEnd_Ours)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EndToEnd_Rival)->QUORVEL_SIZES->Unit(benchmark::kMillisecond)->UseRealTime();

// A run that stopped with an error or was skipped has no time worth keeping.
// Google Benchmark 1.8 says so in `skipped`; 1.7 (Debian 12) only has
// `error_occurred`, which 1.8 removed.
template <typename R>
bool Measured(const R& run) {
  if constexpr (requires { run.skipped; }) {
    return !run.skipped;
  } else {
    return !run.error_occurred;
  }
}

// Keeps each run's real and CPU time per iteration, in milliseconds, by name.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (Measured(run) && run.run_type == Run::RT_Iteration) {
        real[run.benchmark_name()] = run.GetAdjustedRealTime();
        cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> real;
  std::map<std::string, double> cpu;
};

void PrintRatios(const std::map<std::string, double>& times, const char* clock) {
  std::printf("\n%s time, ms per load; ratio = ours / rival\n", clock);
  std::printf("%-8s %8s %8s %6s  %8s %8s %6s  %8s %8s %6s  %8s %8s %6s\n", "records", "fill",
              "rival", "ratio", "model", "rival", "ratio", "paint", "rival", "ratio", "e2e",
              "rival", "ratio");
  for (const int n : {20, 1000, 10000, 100000}) {
    const auto get = [&](const char* name) {
      const auto it = times.find(std::string(name) + "/" + std::to_string(n) + "/real_time");
      return it == times.end() ? 0.0 : it->second;
    };
    const auto ratio = [](double ours, double rival) { return rival > 0 ? ours / rival : 0.0; };
    std::printf("%-8d", n);
    for (const char* pair : {"Fill", "Model", "Paint", "EndToEnd"}) {
      const double ours = get(("BM_" + std::string(pair) + "_Ours").c_str());
      const double rival = get(("BM_" + std::string(pair) + "_Rival").c_str());
      std::printf(" %8.3f %8.3f %6.3f ", ours, rival, ratio(ours, rival));
    }
    std::printf("\n");
  }
  std::printf("paint against a rival with uniform row heights:");
  for (const int n : {20, 1000, 10000, 100000}) {
    const auto get = [&](const std::string& name) {
      const auto it = times.find(name + "/" + std::to_string(n) + "/real_time");
      return it == times.end() ? 0.0 : it->second;
    };
    const double rival = get("BM_Paint_RivalUniform");
    std::printf("  %d: %.3f / %.3f = %.3f", n, get("BM_Paint_Ours"), rival,
                rival > 0 ? get("BM_Paint_Ours") / rival : 0.0);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter.real, "Real");
  PrintRatios(reporter.cpu, "CPU");
  std::printf(
      "fill = reply bytes to model filled (decode, split, rows, List3); model = the list side\n"
      "alone from decoded text; paint = layout and first paint; e2e = both.  Goals: fill ratio\n"
      "<= 0.1 and < 5 ms at 10000; paint ratio <= 0.6; e2e < 100 ms at 100000.\n");
  benchmark::Shutdown();
  return 0;
}
