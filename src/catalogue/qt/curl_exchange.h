#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <curl/curl.h>

class QSocketNotifier;

namespace quorvel::catalogue {

// One HTTP GET by libcurl, without following redirects, driven by the
// caller's Qt event loop.
//
// libcurl's multi interface tells us which sockets to watch and when to wake
// it; Qt socket notifiers and a timer do the watching on the calling thread.
// So the whole fetch stays on the user-interface thread with no worker to
// stop or join: a stall, the overall timeout or the program quitting ends it
// at once, and the size check runs on the thread that owns the body.  The
// protocol (framing, TLS, proxies from the environment, decompression) is
// libcurl's; what this class adds is the policy: which replies count, how big
// a decoded body may grow, and one plain sentence for each failure.
class CurlExchange : public QObject {
  Q_OBJECT

 public:
  enum class Outcome {
    kRunning,
    kComplete,    // status 2xx and the whole decoded body
    kRedirect,    // a redirect status with a Location; see redirect_url()
    kHttpStatus,  // status 400 or above
    kRefused,     // nobody listens
    kTruncated,   // closed or reset before the body was whole
    kTooLarge,    // the body (announced, on the wire or decoded) passed the limit
    kOther,       // any other failure; error_text() says which
    kAborted,
  };

  // `url` must be an absolute http or https address.
  CurlExchange(QByteArray url, std::int64_t max_body_bytes, QObject* parent = nullptr);
  ~CurlExchange() override;
  CurlExchange(const CurlExchange&) = delete;
  CurlExchange& operator=(const CurlExchange&) = delete;

  void Start();
  void Abort();

  Outcome outcome() const { return outcome_; }
  int status() const { return status_; }
  QByteArray TakeBody() { return std::move(body_); }
  // The Location of a redirect resolved against this request's address, or
  // empty when libcurl could not make an address of it.
  const QByteArray& redirect_url() const { return redirect_url_; }
  const QString& error_text() const { return error_text_; }

  // Called by the TLS layer when the server's closing message arrives.
  void NoteTlsClosingMessage() { tls_closing_message_ = true; }

 Q_SIGNALS:
  // Bytes came in, or the connection was made.
  void Progress();
  void Finished();

 private:
  struct Stop {
    Outcome outcome;
    QString text;
  };
  struct Watch {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
  };

  static int OnSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* socket_data);
  static int OnTimer(CURLM* multi, long timeout_ms, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static int OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                        curl_off_t ulnow);
  static int OnConnected(void* self, char* primary_ip, char* local_ip, int primary_port,
                         int local_port);

  void SetWatch(curl_socket_t socket, int what);
  void Drive(curl_socket_t socket, int events);
  bool HeadersDone();
  QByteArray ResolveLocation() const;
  void Conclude(CURLcode code);
  void Fail(CURLcode code);
  void Finish(Outcome outcome, QString error_text = QString());
  void Release();

  QByteArray url_;
  std::int64_t max_body_bytes_;
  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  bool attached_ = false;
  QTimer wake_;
  std::map<curl_socket_t, Watch> watches_;
  // Notifiers libcurl is done with; kept until this object goes, because one
  // may be the sender whose signal is still being delivered.
  std::vector<Watch> retired_;
  char error_buffer_[CURL_ERROR_SIZE] = {};

  Outcome outcome_ = Outcome::kRunning;
  std::optional<Stop> stop_;  // set inside a libcurl callback, acted on after it
  int status_ = 0;
  bool head_done_ = false;
  qsizetype head_bytes_ = 0;
  curl_off_t last_received_ = 0;
  QByteArray location_;
  std::optional<std::int64_t> content_length_;
  bool bad_length_ = false;
  bool chunked_ = false;
  bool until_close_ = false;  // the body ends only where the connection does
  bool tls_closing_message_ = false;
  QByteArray redirect_url_;
  QByteArray body_;
  QString error_text_;
};

}  // namespace quorvel::catalogue
