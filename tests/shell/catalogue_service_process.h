#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace quorvel::shell::testing {

// The bundled catalogue service, started on a loopback port for one test and
// stopped when it goes out of scope.
class CatalogueServiceProcess {
 public:
  explicit CatalogueServiceProcess(QString program);
  ~CatalogueServiceProcess();

  static bool Exists(const QString& program);

  // Starts the service on `port` (0: any free port) with the given database
  // and further options; false, with the reason in error(), if it did not
  // come up within its bound.
  bool Start(const QString& db_path, int port = 0, const QStringList& more = {});
  void Stop();

  int port() const { return port_; }
  QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
  const QString& error() const { return error_; }

 private:
  QString program_;
  QProcess process_;
  int port_ = 0;
  QString error_;
};

}  // namespace quorvel::shell::testing
