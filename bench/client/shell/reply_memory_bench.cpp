// The main window loading the largest replies the transfer lets through:
// 64 MiB of records with empty fields, one record with a 64 MiB title, and
// about 600,000 ordinary rows in 64 MiB.  Each case runs the real window
// with its real list, transfer and skin (blank browsers) in a fresh process
// off any screen, started from page 1 and loading the reply with a click on
// "下一页" from a loopback server in this process.  Reported per case: the
// client's peak resident size over its whole life, the seconds from the click
// to the new rows painted, the rows listed, and how the window painted
// meanwhile (paints asked for every 40 ms, the longest gap between two).
// Goal: peak at most 1 GiB, load at most 10 s.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "client/shell/addresses.h"
#include "client/shell/qt/components/qt_main_components.h"
#include "client/shell/qt/main_window.h"
#include "client/shell/web_browser.h"
#include "scripted_http_server.h"

namespace {

constexpr std::size_t kReplyBytes = std::size_t{64} << 20;
constexpr const char* kChildFlag = "--load-in-window";

std::string Trailer(std::size_t rows, int pages) {
  return "?TtbBa?" + std::to_string(rows) + "?" + std::to_string(pages);
}

// Records of two empty fields ("\x02\x01") up to 64 MiB in all.
std::string EmptyRecords() {
  const std::size_t rows = (kReplyBytes - 32) / 2;
  std::string trailer = Trailer(rows, 3);
  std::string body;
  body.reserve(kReplyBytes);
  for (std::size_t i = 0; i < rows; ++i) body += "\x02\x01";
  body += trailer;
  body.append(kReplyBytes - body.size(), ' ');  // blanks after the page count
  return body;
}

// One record whose title fills the reply.
std::string OneField() {
  const std::string head = "CF\x02";
  const std::string tail =
      "\x02免费\x02"
      "2024-05-01\x02\x02"
      "1\x01" +
      Trailer(1, 3);
  std::string body = head;
  body.append(kReplyBytes - head.size() - tail.size(), 'x');
  body += tail;
  return body;
}

// Rows as the service sends them, about 110 bytes each, as many as fit in 64 MiB.
std::string OrdinaryRows() {
  const char* const categories[] = {"穿越火线", "QQ飞车", "英雄联盟", "逆战", "CSOL"};
  std::string body;
  body.reserve(kReplyBytes);
  std::size_t rows = 0;
  std::string record;
  for (;;) {
    const std::string n = std::to_string(rows);
    record.clear();
    record += categories[rows % 5];
    record += "\x02辅助第" + n + "版 透视\x02";
    record += rows % 3 == 0 ? "免费" : "收费";
    record +=
        "\x02"
        "2024-05-" +
        std::to_string(10 + rows % 18) + " 12:30\x02";
    record += "网盘/*/http://pan.example.com/s/" + n + "/**/\x02";
    record += n + "\x01";
    if (body.size() + record.size() + 32 > kReplyBytes) break;
    body += record;
    ++rows;
  }
  body += Trailer(rows, 3);
  return body;
}

// Answers page=1 with two rows (so "下一页" is on) and anything else with
// `reply`, which must outlive the server.
quorvel::testing::ScriptedHttpServer::Script Replies(const std::string& reply) {
  const std::string first_page =
      "CF\x02one\x02"
      "free\x02"
      "2024\x02"
      "a/*/http://x/**/\x02"
      "1\x01"
      "CF\x02two\x02"
      "free\x02"
      "2024\x02"
      "b/*/http://y/**/\x02"
      "2\x01" +
      Trailer(2, 3);
  return [first_page, &reply](quorvel::testing::ScriptedHttpServer::Connection& c,
                              const std::string& target) {
    const std::string& body = target.ends_with("page=1") ? first_page : reply;
    if (c.Send(quorvel::testing::HttpHead(
            200, "Content-Length: " + std::to_string(body.size()) + "\r\n"))) {
      c.Send(body);
    }
  };
}

long StatusKib(const char* key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith(key)) return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
  }
  return 0;
}

// Counts paints of the window's widgets and the longest time between two.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* window) : window_(window) { clock_.start(); }
  void Restart() {
    paints_ = 0;
    longest_gap_ms_ = 0;
    last_ms_ = clock_.elapsed();
  }
  int paints() const { return paints_; }
  qint64 longest_gap_ms() const { return std::max(longest_gap_ms_, clock_.elapsed() - last_ms_); }
  qint64 last_paint_ms() const { return last_ms_; }
  qint64 now_ms() const { return clock_.elapsed(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window_) {
      const qint64 now = clock_.elapsed();
      longest_gap_ms_ = std::max(longest_gap_ms_, now - last_ms_);
      last_ms_ = now;
      ++paints_;
    }
    return false;
  }

 private:
  QWidget* window_;
  QElapsedTimer clock_;
  int paints_ = 0;
  qint64 longest_gap_ms_ = 0;
  qint64 last_ms_ = 0;
};

// The client side: the window, page 1, then the click; prints one line.
int LoadInWindow(int argc, char** argv, int port) {
  QApplication app(argc, argv);
  const std::u16string host = QStringLiteral("127.0.0.1:%1").arg(port).toStdU16String();
  quorvel::shell::QtMainComponents components(
      [](QWidget*) { return std::make_unique<quorvel::shell::NullWebBrowser>(); });
  quorvel::shell::Main window(components, quorvel::shell::AddressesForHosts(host, host, host),
                              QCoreApplication::applicationDirPath());
  window.StartUp();
  auto* hou = window.findChild<QAbstractButton*>(QStringLiteral("Hou"));
  auto* list = window.findChild<QAbstractItemView*>();
  if (hou == nullptr || list == nullptr || !hou->isEnabled()) {
    std::printf("error: page 1 did not load\n");
    return 1;
  }
  PaintWatch watch(&window);
  app.installEventFilter(&watch);
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  // What a desktop asks of a window now and then: paint yourself.
  QTimer ask;
  QObject::connect(&ask, &QTimer::timeout, &window, [&] { window.update(); });
  ask.start(40);

  watch.Restart();
  const qint64 start = watch.now_ms();
  hou->click();
  const qint64 returned = watch.now_ms();
  // Done when the list has painted its new rows.
  while (watch.last_paint_ms() <= returned && watch.now_ms() - returned < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  const qint64 done = watch.now_ms();
  auto* notice = window.findChild<QLabel*>(QStringLiteral("Notice"));
  std::printf("result rows=%d seconds=%.3f peak_kib=%ld paints=%d longest_gap_ms=%lld\n",
              window.ListedRows(), double(done - start) / 1000.0, StatusKib("VmHWM:"),
              watch.paints(), static_cast<long long>(watch.longest_gap_ms()));
  std::printf("notice %s\n",
              notice != nullptr && notice->isVisible() ? qPrintable(notice->text()) : "");
  std::fflush(stdout);
  return 0;
}

struct Result {
  double rows = 0, seconds = 0, peak_mib = 0, paints = 0, gap_ms = 0;
  std::string notice;
};

// Runs the client in a fresh process against a server for `reply`.
bool RunClient(const std::string& reply, Result* result, std::string* error) {
  quorvel::testing::ScriptedHttpServer server(Replies(reply), std::chrono::minutes(5));
  if (!server.ok()) {
    *error = "no loopback port";
    return false;
  }
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    *error = "no pipe";
    return false;
  }
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) {
    *error = "cannot find this program";
    return false;
  }
  self[length] = '\0';
  const std::string port = std::to_string(server.port());
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char* const args[] = {self, const_cast<char*>(kChildFlag), const_cast<char*>(port.c_str()),
                          nullptr};
    ::execv(self, args);
    ::_exit(127);
  }
  ::close(out[1]);
  std::string output;
  char buffer[4096];
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  for (;;) {
    pollfd p{out[0], POLLIN, 0};
    if (std::chrono::steady_clock::now() > until) {
      ::kill(child, SIGKILL);
      break;
    }
    if (::poll(&p, 1, 200) <= 0) continue;
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
    if (output.find("notice ") != std::string::npos && output.back() == '\n') break;
  }
  ::close(out[0]);
  ::kill(child, SIGTERM);
  int status = 0;
  ::waitpid(child, &status, 0);

  long rows = 0, peak = 0, paints = 0;
  long long gap = 0;
  double seconds = 0;
  const std::size_t at = output.find("result ");
  if (at == std::string::npos ||
      std::sscanf(output.c_str() + at,
                  "result rows=%ld seconds=%lf peak_kib=%ld paints=%ld longest_gap_ms=%lld", &rows,
                  &seconds, &peak, &paints, &gap) != 5) {
    *error = "the client reported nothing: " + output.substr(0, 200);
    return false;
  }
  result->rows = double(rows);
  result->seconds = seconds;
  result->peak_mib = double(peak) / 1024.0;
  result->paints = double(paints);
  result->gap_ms = double(gap);
  const std::size_t notice = output.find("notice ");
  if (notice != std::string::npos) {
    result->notice = output.substr(notice + 7);
    while (!result->notice.empty() && result->notice.back() == '\n') result->notice.pop_back();
  }
  return true;
}

std::map<std::string, Result> g_results;

void LoadReply(benchmark::State& state, const char* name, std::string (*make)()) {
  const std::string reply = make();
  for (auto _ : state) {
    Result result;
    std::string error;
    if (!RunClient(reply, &result, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    state.SetIterationTime(result.seconds);
    state.counters["rows"] = result.rows;
    state.counters["peak_MiB"] = result.peak_mib;
    state.counters["paints"] = result.paints;
    state.counters["longest_gap_ms"] = result.gap_ms;
    g_results[name] = result;
  }
}

BENCHMARK_CAPTURE(LoadReply, empty_records, "empty_records", &EmptyRecords)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(LoadReply, one_field, "one_field", &OneField)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(LoadReply, ordinary_rows, "ordinary_rows", &OrdinaryRows)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0) {
    return LoadInWindow(1, argv, std::atoi(argv[2]));
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("\n%-14s %10s %8s %10s %8s %12s  goal: peak <= 1024 MiB, load <= 10 s\n", "reply",
              "rows", "seconds", "peak MiB", "paints", "longest gap");
  for (const auto& [name, r] : g_results) {
    std::printf("%-14s %10.0f %8.2f %10.0f %8.0f %10.0fms  %s%s\n", name.c_str(), r.rows, r.seconds,
                r.peak_mib, r.paints, r.gap_ms,
                r.peak_mib <= 1024 && r.seconds <= 10 ? "met" : "MISSED",
                r.notice.empty() ? "" : ("; told: " + r.notice).c_str());
  }
  return 0;
}
