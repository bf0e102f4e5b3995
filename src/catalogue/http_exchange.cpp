#include "catalogue/http_exchange.h"

#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <limits>
#include <utility>

namespace quorvel::catalogue {
namespace {

// Status line and headers together; a longer head is not a listing reply.
constexpr qsizetype kMaxHeadBytes = 64 * 1024;

QByteArray Trimmed(QByteArray text) { return text.trimmed(); }

std::optional<std::int64_t> ParseDecimal(const QByteArray& text) {
  if (text.isEmpty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<std::int64_t> ParseChunkSize(const QByteArray& line) {
  QByteArray digits = line;
  const qsizetype extension = digits.indexOf(';');
  if (extension >= 0) digits.truncate(extension);
  digits = digits.trimmed();
  if (digits.isEmpty() || digits.size() > 15) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  return value;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

HttpExchange::HttpExchange(QUrl url, std::int64_t max_body_bytes, QObject* parent)
    : QObject(parent), url_(std::move(url)), max_body_bytes_(max_body_bytes) {}

HttpExchange::~HttpExchange() {
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
    delete socket_;
  }
}

void HttpExchange::Start() {
  const bool secure = url_.scheme() == QLatin1String("https");
  if (secure && !QSslSocket::supportsSsl()) {
    Finish(Outcome::kNetwork, QStringLiteral("这台电脑不支持加密连接。"));
    return;
  }
  QTcpSocket* socket = secure ? new QSslSocket(this) : new QTcpSocket(this);
  socket_ = socket;
  connect(socket, &QTcpSocket::readyRead, this, &HttpExchange::OnReadyRead);
  connect(socket, &QTcpSocket::disconnected, this, &HttpExchange::OnClosed);
  connect(socket, &QTcpSocket::errorOccurred, this, &HttpExchange::OnSocketError);
  const quint16 port = static_cast<quint16>(url_.port(secure ? 443 : 80));
  if (secure) {
    auto* ssl = static_cast<QSslSocket*>(socket);
    connect(ssl, &QSslSocket::encrypted, this, &HttpExchange::OnConnected);
    ssl->connectToHostEncrypted(url_.host(), port);
  } else {
    connect(socket, &QTcpSocket::connected, this, &HttpExchange::OnConnected);
    socket->connectToHost(url_.host(), port);
  }
}

void HttpExchange::Abort() { Finish(Outcome::kAborted); }

void HttpExchange::OnConnected() {
  Q_EMIT Progress();
  QByteArray target =
      url_.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
  if (target.isEmpty()) target = "/";
  QByteArray host = url_.host(QUrl::FullyEncoded).toLatin1();
  if (host.contains(':')) host = '[' + host + ']';
  if (url_.port() >= 0) host += ':' + QByteArray::number(url_.port());
  const QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " + host +
                             "\r\nUser-Agent: Quorvel/1.8\r\nAccept: */*\r\n"
                             "Accept-Encoding: identity\r\nConnection: close\r\n\r\n";
  socket_->write(request);
}

void HttpExchange::OnReadyRead() {
  if (outcome_ != Outcome::kRunning || !socket_) return;
  buffer_.append(socket_->readAll());
  Q_EMIT Progress();
  Consume();
}

void HttpExchange::OnClosed() {
  if (outcome_ != Outcome::kRunning || !socket_) return;
  // What came with the close still counts.
  buffer_.append(socket_->readAll());
  Consume();
  if (outcome_ != Outcome::kRunning) return;
  if (state_ == State::kBodyUntilClose) {
    Finish(Outcome::kComplete);
  } else if (status_ == 0) {
    Finish(Outcome::kNoAnswer, QStringLiteral("服务器没有回答就关闭了连接。"));
  } else {
    Finish(Outcome::kTruncated, QStringLiteral("连接在回复传完之前断开了。"));
  }
}

void HttpExchange::OnSocketError() {
  if (outcome_ != Outcome::kRunning || !socket_) return;
  switch (socket_->error()) {
    case QAbstractSocket::ConnectionRefusedError:
      Finish(Outcome::kRefused, QStringLiteral("服务器拒绝了连接。"));
      return;
    case QAbstractSocket::HostNotFoundError:
      Finish(Outcome::kHostNotFound, QStringLiteral("找不到服务器“%1”。").arg(url_.host()));
      return;
    case QAbstractSocket::RemoteHostClosedError:
      OnClosed();
      return;
    default:
      break;
  }
  // A reset or a broken connection in the middle of a reply.
  if (status_ != 0) {
    buffer_.append(socket_->readAll());
    Consume();
    if (outcome_ != Outcome::kRunning) return;
    Finish(Outcome::kTruncated, QStringLiteral("连接在回复传完之前断开了。"));
    return;
  }
  Finish(Outcome::kNetwork, QStringLiteral("网络错误：") + socket_->errorString());
}

std::optional<QByteArray> HttpExchange::TakeLine() {
  const qsizetype end = buffer_.indexOf('\n', buffer_pos_);
  if (end < 0) {
    if (buffer_.size() - buffer_pos_ + head_bytes_ > kMaxHeadBytes) {
      Finish(Outcome::kProtocol, QStringLiteral("服务器的回答头部过长。"));
    }
    return std::nullopt;
  }
  QByteArray line = buffer_.mid(buffer_pos_, end - buffer_pos_);
  if (line.endsWith('\r')) line.chop(1);
  buffer_pos_ = end + 1;
  return line;
}

void HttpExchange::MoveToBody(std::int64_t count) {
  body_.append(buffer_.constData() + buffer_pos_, static_cast<qsizetype>(count));
  buffer_pos_ += static_cast<qsizetype>(count);
  if (body_.size() > max_body_bytes_) {
    Finish(Outcome::kTooLarge);
  }
}

void HttpExchange::Consume() {
  while (outcome_ == Outcome::kRunning && Step()) {
  }
  if (buffer_pos_ > 0 && (buffer_pos_ == buffer_.size() || buffer_pos_ > 64 * 1024)) {
    buffer_.remove(0, buffer_pos_);
    buffer_pos_ = 0;
  }
}

bool HttpExchange::Step() {
  const std::int64_t available = buffer_.size() - buffer_pos_;
  switch (state_) {
    case State::kBodyLength:
    case State::kChunkData: {
      if (available == 0) return false;
      const std::int64_t count = std::min(available, remaining_);
      MoveToBody(count);
      remaining_ -= count;
      if (remaining_ == 0 && outcome_ == Outcome::kRunning) {
        if (state_ == State::kBodyLength) {
          Finish(Outcome::kComplete);
        } else {
          state_ = State::kChunkDataEnd;
        }
      }
      return true;
    }
    case State::kBodyUntilClose:
      if (available == 0) return false;
      MoveToBody(available);
      return true;
    case State::kDone:
      return false;
    default:
      break;
  }

  const std::optional<QByteArray> line = TakeLine();
  if (!line) return false;
  if (state_ == State::kStatusLine || state_ == State::kHeaders || state_ == State::kTrailers) {
    head_bytes_ += line->size() + 2;
    if (head_bytes_ > kMaxHeadBytes) {
      Finish(Outcome::kProtocol, QStringLiteral("服务器的回答头部过长。"));
      return false;
    }
  }
  switch (state_) {
    case State::kStatusLine:
      if (ReadStatusLine(*line)) state_ = State::kHeaders;
      break;
    case State::kHeaders:
      if (line->isEmpty()) {
        HeadersDone();
      } else {
        ReadHeader(*line);
      }
      break;
    case State::kChunkSize: {
      const std::optional<std::int64_t> size = ParseChunkSize(*line);
      if (!size) {
        Finish(Outcome::kProtocol, QStringLiteral("服务器的分块回复格式有误。"));
      } else if (*size == 0) {
        head_bytes_ = 0;
        state_ = State::kTrailers;
      } else if (*size > max_body_bytes_ - body_.size()) {
        Finish(Outcome::kTooLarge);
      } else {
        remaining_ = *size;
        state_ = State::kChunkData;
      }
      break;
    }
    case State::kChunkDataEnd:
      if (line->isEmpty()) {
        state_ = State::kChunkSize;
      } else {
        Finish(Outcome::kProtocol, QStringLiteral("服务器的分块回复格式有误。"));
      }
      break;
    case State::kTrailers:
      // The blank line after the trailers ends the body.
      if (line->isEmpty()) Finish(Outcome::kComplete);
      break;
    default:
      break;
  }
  return true;
}

bool HttpExchange::ReadStatusLine(const QByteArray& line) {
  // "HTTP/1.1 200 OK"
  if (!line.startsWith("HTTP/1.") || line.size() < 12 || line[8] != ' ') {
    Finish(Outcome::kProtocol, QStringLiteral("服务器的回答不是 HTTP。"));
    return false;
  }
  const std::optional<std::int64_t> status = ParseDecimal(line.mid(9, 3));
  if (!status || *status < 100 || *status > 999 || (line.size() > 12 && line[12] != ' ')) {
    Finish(Outcome::kProtocol, QStringLiteral("服务器的回答状态无法识别。"));
    return false;
  }
  status_ = static_cast<int>(*status);
  chunked_ = false;
  close_delimited_ = false;
  content_length_.reset();
  bad_length_ = false;
  location_.clear();
  return true;
}

void HttpExchange::ReadHeader(const QByteArray& line) {
  const qsizetype colon = line.indexOf(':');
  if (colon <= 0) return;
  const QByteArray name = line.first(colon).trimmed().toLower();
  const QByteArray value = Trimmed(line.sliced(colon + 1));
  if (name == "content-length") {
    const std::optional<std::int64_t> length = ParseDecimal(value);
    if (!length || (content_length_ && *content_length_ != *length)) {
      bad_length_ = true;
    } else {
      content_length_ = length;
    }
  } else if (name == "transfer-encoding") {
    // Only the last coding decides how the body ends.
    const QList<QByteArray> codings = value.toLower().split(',');
    chunked_ = codings.last().trimmed() == "chunked";
    close_delimited_ = !chunked_;
  } else if (name == "location") {
    location_ = value;
  }
}

void HttpExchange::HeadersDone() {
  head_bytes_ = 0;
  if (status_ >= 100 && status_ < 200 && status_ != 101) {  // interim: the real one follows
    state_ = State::kStatusLine;
    return;
  }
  if (status_ >= 400) {
    Finish(Outcome::kHttpStatus, QStringLiteral("服务器回答了错误 %1。").arg(status_));
    return;
  }
  if (IsRedirect(status_) && !location_.isEmpty()) {
    Finish(Outcome::kRedirect);
    return;
  }
  if (status_ < 200 || status_ >= 300) {
    Finish(Outcome::kUnusable, QStringLiteral("服务器的回答无法使用（状态 %1）。").arg(status_));
    return;
  }
  if (status_ == 204) {
    Finish(Outcome::kComplete);
    return;
  }
  if (chunked_) {
    state_ = State::kChunkSize;
  } else if (close_delimited_) {
    state_ = State::kBodyUntilClose;
  } else if (bad_length_) {
    Finish(Outcome::kProtocol, QStringLiteral("服务器给出的回复长度无效。"));
  } else if (content_length_) {
    if (*content_length_ > max_body_bytes_) {
      Finish(Outcome::kTooLarge);
    } else if (*content_length_ == 0) {
      Finish(Outcome::kComplete);
    } else {
      remaining_ = *content_length_;
      state_ = State::kBodyLength;
    }
  } else {
    state_ = State::kBodyUntilClose;
  }
}

void HttpExchange::Finish(Outcome outcome, QString error_text) {
  if (outcome_ != Outcome::kRunning) return;
  outcome_ = outcome;
  state_ = State::kDone;
  error_text_ = std::move(error_text);
  if (outcome != Outcome::kComplete) body_.clear();
  if (socket_) {
    socket_->disconnect(this);
    socket_->abort();
  }
  Q_EMIT Finished();
}

}  // namespace quorvel::catalogue
