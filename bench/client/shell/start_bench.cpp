// Cold start of the client: from starting the program to its main window
// shown with page 1 of the bundled catalogue service listed, and the memory
// it took, once with the web engine pages and once with the variant built
// without them.  Each iteration is a fresh process off any screen; the
// catalogue service runs on the listing host the client was built for.
// After the runs it prints the mean figures and the ratio with/without.

#include <benchmark/benchmark.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kBin = QStringLiteral(QUORVEL_BIN_DIR);
const QString kListingHost = QStringLiteral(QUORVEL_LISTING_HOST);

struct Figures {
  double seconds = 0;
  double client_peak_mib = 0;  // the client process's own peak resident size
  // Client and every process it started, by proportional set size: pages
  // shared between the web engine's processes count once in all.
  double tree_mib = 0;
  int runs = 0;
};
std::map<std::string, Figures> g_figures;

// Kilobytes of a "Key:" line of a /proc/PID file, 0 when unreadable.
long ProcKib(qint64 pid, const char* file, const char* key) {
  QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith(key)) return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLong();
  }
  return 0;
}

qint64 ParentOf(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray stat = f.readAll();
  // The command name may hold spaces; the fields after its ")" are plain.
  const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
  return rest.value(1).toLongLong();
}

std::vector<qint64> Tree(qint64 root) {
  std::vector<qint64> all{root};
  const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
  bool grew = true;
  std::vector<std::pair<qint64, qint64>> links;
  for (const QString& e : entries) {
    bool number = false;
    const qint64 pid = e.toLongLong(&number);
    if (number) links.emplace_back(pid, ParentOf(pid));
  }
  while (grew) {
    grew = false;
    for (const auto& [pid, parent] : links) {
      if (std::find(all.begin(), all.end(), pid) != all.end()) continue;
      if (std::find(all.begin(), all.end(), parent) != all.end()) {
        all.push_back(pid);
        grew = true;
      }
    }
  }
  return all;
}

bool Answers(const QString& host, int port) {
  QTcpSocket socket;
  socket.connectToHost(host, quint16(port));
  return socket.waitForConnected(200);
}

class Service {
 public:
  bool Start(QString* error) {
    const qsizetype colon = kListingHost.lastIndexOf(QLatin1Char(':'));
    host_ = kListingHost.left(colon);
    port_ = kListingHost.mid(colon + 1).toInt();
    if (Answers(host_, port_)) {
      *error = QStringLiteral("something already listens on ") + kListingHost;
      return false;
    }
    process_.start(kBin + QStringLiteral("/catalogue-service"),
                   {QStringLiteral("--port"), QString::number(port_), QStringLiteral("--bind"),
                    host_, QStringLiteral("--db"), dir_.filePath(QStringLiteral("db.sqlite3"))});
    if (!process_.waitForStarted(10000)) {
      *error = process_.errorString();
      return false;
    }
    for (int i = 0; i < 300 && !Answers(host_, port_); ++i) QThread::msleep(100);
    if (!Answers(host_, port_)) {
      *error = QStringLiteral("catalogue-service did not answer");
      return false;
    }
    return true;
  }
  ~Service() {
    process_.terminate();
    process_.waitForFinished(10000);
  }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  QString host_;
  int port_ = 0;
};

void ColdStart(benchmark::State& state, const char* program) {
  const QString path = kBin + QLatin1Char('/') + QLatin1String(program);
  if (!QFile::exists(path)) {
    state.SkipWithError((path + QStringLiteral(" is not built")).toStdString().c_str());
    return;
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  Figures& figures = g_figures[program];
  for (auto _ : state) {
    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::SeparateChannels);
    client.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    client.start(path, {});
    bool listed = false;
    const QDeadlineTimer deadline(60000);
    while (!listed && !deadline.hasExpired() && client.waitForReadyRead(1000)) {
      listed = client.readAll().contains("listed: ");
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!listed) {
      client.kill();
      client.waitForFinished();
      state.SkipWithError("the client listed nothing");
      return;
    }
    state.SetIterationTime(seconds);
    // The web pages load after the window is up; their memory counts once
    // they have settled.
    QThread::msleep(1500);
    const qint64 pid = client.processId();
    double tree_kib = 0;
    for (qint64 p : Tree(pid)) tree_kib += double(ProcKib(p, "smaps_rollup", "Pss:"));
    figures.seconds += seconds;
    figures.client_peak_mib += double(ProcKib(pid, "status", "VmHWM:")) / 1024.0;
    figures.tree_mib += tree_kib / 1024.0;
    ++figures.runs;
    kill(pid_t(pid), SIGTERM);
    if (!client.waitForFinished(10000)) {
      client.kill();
      client.waitForFinished();
    }
  }
  state.counters["client_peak_MiB"] = figures.client_peak_mib / figures.runs;
  state.counters["all_pss_MiB"] = figures.tree_mib / figures.runs;
}

BENCHMARK_CAPTURE(ColdStart, with_web_pages, "quorvel")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ColdStart, without_web_pages, "quorvel-without-web-pages")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Service service;
  QString error;
  if (!service.Start(&error)) {
    std::fprintf(stderr, "shell_start_bench: %s\n", qPrintable(error));
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const Figures& with = g_figures["quorvel"];
  const Figures& without = g_figures["quorvel-without-web-pages"];
  if (with.runs > 0 && without.runs > 0) {
    auto mean = [](double sum, int n) { return sum / n; };
    std::printf("\ncold start to page 1 listed (mean of %d):\n", with.runs);
    std::printf(
        "  with web pages:    %7.1f ms, client peak %6.1f MiB, all processes (PSS) %6.1f MiB\n",
        1000 * mean(with.seconds, with.runs), mean(with.client_peak_mib, with.runs),
        mean(with.tree_mib, with.runs));
    std::printf(
        "  without web pages: %7.1f ms, client peak %6.1f MiB, all processes (PSS) %6.1f MiB\n",
        1000 * mean(without.seconds, without.runs), mean(without.client_peak_mib, without.runs),
        mean(without.tree_mib, without.runs));
    std::printf("  ratio with/without: time %.2fx, memory (all processes) %.2fx\n",
                mean(with.seconds, with.runs) / mean(without.seconds, without.runs),
                mean(with.tree_mib, with.runs) / mean(without.tree_mib, without.runs));
  }
  return 0;
}
