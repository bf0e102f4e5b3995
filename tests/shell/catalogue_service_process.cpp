#include "catalogue_service_process.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>

namespace quorvel::shell::testing {

CatalogueServiceProcess::CatalogueServiceProcess(QString program) : program_(std::move(program)) {}

CatalogueServiceProcess::~CatalogueServiceProcess() { Stop(); }

bool CatalogueServiceProcess::Exists(const QString& program) {
  const QFileInfo info(program);
  return info.isFile() && info.isExecutable();
}

bool CatalogueServiceProcess::Start(const QString& db_path, int port, const QStringList& more) {
  Stop();
  error_.clear();
  QStringList arguments{QStringLiteral("--port"), QString::number(port),
                        QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("--db"),   db_path};
  arguments += more;
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.start(program_, arguments);
  if (!process_.waitForStarted(10000)) {
    error_ = QStringLiteral("could not start ") + program_ + QStringLiteral(": ") +
             process_.errorString();
    return false;
  }
  // It says where it listens once it accepts connections.
  static const QRegularExpression kListening(QStringLiteral("listening on http://[^:]+:(\\d+)/"));
  QByteArray said;
  const QDeadlineTimer deadline(30000);
  while (!deadline.hasExpired()) {
    if (!process_.canReadLine() && !process_.waitForReadyRead(int(deadline.remainingTime()))) {
      break;
    }
    said += process_.readAll();
    const QRegularExpressionMatch m = kListening.match(QString::fromUtf8(said));
    if (m.hasMatch()) {
      port_ = m.captured(1).toInt();
      return true;
    }
  }
  error_ = QStringLiteral("the service did not say where it listens: ") +
           QString::fromUtf8(said + process_.readAllStandardError());
  Stop();
  return false;
}

void CatalogueServiceProcess::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(10000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

}  // namespace quorvel::shell::testing
