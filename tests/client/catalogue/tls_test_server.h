#pragma once

#include <QSslServer>
#include <QString>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace quorvel::catalogue::testing {

// An HTTPS server on 127.0.0.1 for transfer tests.  It lives on the test's
// thread and answers while the transfer's local event loop runs.  Its
// certificate, for the address 127.0.0.1 only, is signed by a test CA that
// the openssl command makes when the server starts; CaFile() names the CA.
class TlsTestServer {
 public:
  enum class Ending {
    kOrderly,               // the TLS closing message, then the close
    kWithoutClosingMessage  // the TCP connection just ends
  };

  TlsTestServer(std::string response, Ending ending);

  // Empty when the server runs; otherwise what went wrong.
  const QString& error() const { return error_; }
  QString Url(const QString& host, const std::string& target) const;
  QString CaFile() const { return dir_.filePath(QStringLiteral("ca.pem")); }
  const std::vector<std::string>& targets() const { return targets_; }

 private:
  bool MakeCertificates();
  void Serve(QSslSocket* socket);

  std::string response_;
  Ending ending_;
  QTemporaryDir dir_;
  QSslServer server_;
  std::vector<std::string> targets_;
  QString error_;
};

}  // namespace quorvel::catalogue::testing
