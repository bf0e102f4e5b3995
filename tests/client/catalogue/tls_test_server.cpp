#include "tls_test_server.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QStringList>

#include <memory>

namespace quorvel::catalogue::testing {
namespace {

bool RunOpenssl(const QString& folder, const QStringList& arguments, QString* error) {
  QProcess openssl;
  openssl.setWorkingDirectory(folder);
  openssl.start(QStringLiteral("openssl"), arguments);
  if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
      openssl.exitCode() != 0) {
    *error = QStringLiteral("openssl %1: %2")
                 .arg(arguments.join(' '), QString::fromLocal8Bit(openssl.readAllStandardError()));
    return false;
  }
  return true;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TlsTestServer::TlsTestServer(std::string response, Ending ending)
    : response_(std::move(response)), ending_(ending) {
  if (!dir_.isValid()) {
    error_ = QStringLiteral("no temporary folder");
    return;
  }
  if (!MakeCertificates()) return;
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  configuration.setLocalCertificate(QSslCertificate(ReadFile(dir_.filePath("server.pem"))));
  configuration.setPrivateKey(QSslKey(ReadFile(dir_.filePath("server.key")), QSsl::Ec));
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  server_.setSslConfiguration(configuration);
  QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      Serve(qobject_cast<QSslSocket*>(socket));
    }
  });
  if (!server_.listen(QHostAddress::LocalHost, 0)) error_ = server_.errorString();
}

bool TlsTestServer::MakeCertificates() {
  const QString folder = dir_.path();
  const QStringList ec_key = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                              "-nodes"};
  QFile extensions(dir_.filePath("server.ext"));
  if (!extensions.open(QIODevice::WriteOnly) ||
      extensions.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
                       "extendedKeyUsage=serverAuth\n") < 0) {
    error_ = QStringLiteral("cannot write server.ext");
    return false;
  }
  extensions.close();
  return RunOpenssl(
             folder,
             QStringList{"req", "-x509"} + ec_key +
                 QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj",
                             "/CN=Quorvel test CA", "-addext", "basicConstraints=critical,CA:TRUE",
                             "-addext", "keyUsage=critical,keyCertSign,cRLSign"},
             &error_) &&
         RunOpenssl(folder,
                    QStringList{"req"} + ec_key +
                        QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj",
                                    "/CN=127.0.0.1"},
                    &error_) &&
         RunOpenssl(
             folder,
             {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
              "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext"},
             &error_);
}

void TlsTestServer::Serve(QSslSocket* socket) {
  if (socket == nullptr) return;
  socket->setParent(&server_);
  auto head = std::make_shared<QByteArray>();
  QObject::connect(socket, &QSslSocket::readyRead, socket, [this, socket, head] {
    head->append(socket->readAll());
    const qsizetype end = head->indexOf("\r\n\r\n");
    if (end < 0) return;
    const QList<QByteArray> request_line = head->first(head->indexOf("\r\n")).split(' ');
    targets_.push_back(request_line.value(1).toStdString());
    head->clear();
    socket->write(response_.data(), static_cast<qint64>(response_.size()));
    if (ending_ == Ending::kOrderly) {
      socket->disconnectFromHost();
    } else {
      // Everything is handed to the kernel, then the TCP connection ends
      // without the TLS closing message.
      socket->flush();
      socket->abort();
    }
  });
}

QString TlsTestServer::Url(const QString& host, const std::string& target) const {
  return QStringLiteral("https://%1:%2%3")
      .arg(host)
      .arg(server_.serverPort())
      .arg(QString::fromStdString(target));
}

}  // namespace quorvel::catalogue::testing
