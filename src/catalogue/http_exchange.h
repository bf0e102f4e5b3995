#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

class QTcpSocket;

namespace quorvel::catalogue {

// One HTTP/1.1 GET over a Qt socket, driven by the caller's event loop.
//
// It reads the reply's framing itself (Content-Length, chunked, or up to the
// close) because it must tell a complete body from one cut short: Qt's own
// reply object in Qt 6.4 may report a chunked body without its final chunk
// as complete when the data and the close arrive together.
class HttpExchange : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    kRunning,
    kComplete,    // status 2xx and the whole body
    kRedirect,    // a redirect status with a Location
    kHttpStatus,  // status 400 or above
    kUnusable,    // another status that carries no listing
    kRefused,     // nobody listens
    kTruncated,   // closed before the announced length or the final chunk
    kNoAnswer,    // closed before a status line
    kTooLarge,    // the body passed the limit
    kHostNotFound,
    kProtocol,  // not a reply this client can read
    kNetwork,   // any other socket failure
    kAborted,
  };

  HttpExchange(QUrl url, std::int64_t max_body_bytes, QObject* parent = nullptr);
  ~HttpExchange() override;

  void Start();
  void Abort();

  Outcome outcome() const { return outcome_; }
  int status() const { return status_; }
  const QByteArray& body() const { return body_; }
  QByteArray TakeBody() { return std::move(body_); }
  const QByteArray& location() const { return location_; }
  const QString& error_text() const { return error_text_; }

 Q_SIGNALS:
  // Bytes came in, or the connection was made.
  void Progress();
  void Finished();

 private:
  enum class State {
    kStatusLine,
    kHeaders,
    kBodyLength,
    kChunkSize,
    kChunkData,
    kChunkDataEnd,
    kTrailers,
    kBodyUntilClose,
    kDone,
  };

  void OnConnected();
  void OnReadyRead();
  void OnClosed();
  void OnSocketError();
  void Consume();
  // One step of reading the reply; false when it needs more bytes.
  bool Step();
  std::optional<QByteArray> TakeLine();
  bool ReadStatusLine(const QByteArray& line);
  void ReadHeader(const QByteArray& line);
  void HeadersDone();
  void MoveToBody(std::int64_t count);
  void Finish(Outcome outcome, QString error_text = QString());

  QUrl url_;
  std::int64_t max_body_bytes_;
  QPointer<QTcpSocket> socket_;
  State state_ = State::kStatusLine;
  Outcome outcome_ = Outcome::kRunning;

  QByteArray buffer_;
  qsizetype buffer_pos_ = 0;
  int status_ = 0;
  bool chunked_ = false;
  bool close_delimited_ = false;
  std::optional<std::int64_t> content_length_;
  bool bad_length_ = false;
  QByteArray location_;
  std::int64_t remaining_ = 0;
  qsizetype head_bytes_ = 0;
  QByteArray body_;
  QString error_text_;
};

}  // namespace quorvel::catalogue
