#include "catalogue/qt/curl_exchange.h"

#include <QSocketNotifier>
#include <QUrl>

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace quorvel::catalogue {
namespace {

// libcurl's global state (OpenSSL among it) is set up once, before the first
// handle, and torn down when the program ends.
class CurlLibrary {
 public:
  static void Ensure() { static CurlLibrary library; }

 private:
  CurlLibrary() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlLibrary() { curl_global_cleanup(); }
};

// Status lines and headers of one exchange together, interim heads
// included; a longer head is not a listing reply, and libcurl would keep it all.
constexpr qsizetype kMaxHeadBytes = 64 * 1024;

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::int64_t> ParseDecimal(const QByteArray& text) {
  if (text.isEmpty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// libcurl built for Debian reads its own fixed bundle and no variable, so the
// two usual ways to name a CA file are passed on by hand: curl's own and
// OpenSSL's.  Without either, the system's store is used.
QByteArray CaFileFromEnvironment() {
  for (const char* name : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
    const QByteArray path = qgetenv(name);
    if (!path.isEmpty()) return path;
  }
  return {};
}

bool TlsIsOpenSsl() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info != nullptr && info->ssl_version != nullptr &&
         QByteArray(info->ssl_version).startsWith("OpenSSL/");
}

int ExchangeSlot() {
  static const int slot = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return slot;
}

// OpenSSL tells of every alert; the one wanted is the peer's closing message.
void NoteAlert(const SSL* ssl, int where, int alert) {
  if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT || (alert & 0xff) != SSL_AD_CLOSE_NOTIFY) {
    return;
  }
  if (auto* exchange =
          static_cast<CurlExchange*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), ExchangeSlot()))) {
    exchange->NoteTlsClosingMessage();
  }
}

// libcurl takes a TLS connection that ends without the closing message as a
// proper end, so a body that runs until the close could come back whole when
// an attacker or a dropped line cut it short.  Each connection's context
// reports the closing message to its exchange instead.
CURLcode WatchForClosingMessage(CURL*, void* context, void* exchange) {
  auto* tls = static_cast<SSL_CTX*>(context);
  SSL_CTX_set_ex_data(tls, ExchangeSlot(), exchange);
  SSL_CTX_set_info_callback(tls, &NoteAlert);
  return CURLE_OK;
}

}  // namespace

CurlExchange::CurlExchange(QByteArray url, std::int64_t max_body_bytes, QObject* parent)
    : QObject(parent), url_(std::move(url)), max_body_bytes_(max_body_bytes) {
  wake_.setSingleShot(true);
  connect(&wake_, &QTimer::timeout, this, [this] { Drive(CURL_SOCKET_TIMEOUT, 0); });
}

CurlExchange::~CurlExchange() {
  Release();
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
}

void CurlExchange::Start() {
  CurlLibrary::Ensure();
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  if (easy_ == nullptr || multi_ == nullptr) {
    Finish(Outcome::kOther, QStringLiteral("程序无法开始联网。"));
    return;
  }
  curl_easy_setopt(easy_, CURLOPT_URL, url_.constData());
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects are followed by the caller, which refuses a step down from
  // https to http; libcurl cannot be told to.
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
  // Every coding this libcurl can decode (gzip, deflate, br, ...), in either
  // header; the body handed on is the decoded one.
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_TRANSFER_ENCODING, 1L);
  curl_easy_setopt(easy_, CURLOPT_USERAGENT, "Quorvel/1.8");
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, error_buffer_);
  const QByteArray ca_file = CaFileFromEnvironment();
  if (!ca_file.isEmpty()) curl_easy_setopt(easy_, CURLOPT_CAINFO, ca_file.constData());
  static const bool open_ssl = TlsIsOpenSsl();
  if (open_ssl) {
    curl_easy_setopt(easy_, CURLOPT_SSL_CTX_FUNCTION, &WatchForClosingMessage);
    curl_easy_setopt(easy_, CURLOPT_SSL_CTX_DATA, this);
  }
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlExchange::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlExchange::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &CurlExchange::OnProgress);
  curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &CurlExchange::OnConnected);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);

  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlExchange::OnSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlExchange::OnTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
    Finish(Outcome::kOther, QStringLiteral("程序无法开始联网。"));
    return;
  }
  attached_ = true;
}

void CurlExchange::Abort() { Finish(Outcome::kAborted); }

int CurlExchange::OnSocket(CURL*, curl_socket_t socket, int what, void* self, void*) {
  static_cast<CurlExchange*>(self)->SetWatch(socket, what);
  return 0;
}

int CurlExchange::OnTimer(CURLM*, long timeout_ms, void* self) {
  QTimer& wake = static_cast<CurlExchange*>(self)->wake_;
  if (timeout_ms < 0) {
    wake.stop();
  } else {
    wake.start(static_cast<int>(timeout_ms));
  }
  return 0;
}

void CurlExchange::SetWatch(curl_socket_t socket, int what) {
  if (what == CURL_POLL_REMOVE) {
    const auto found = watches_.find(socket);
    if (found == watches_.end()) return;
    for (auto* notifier : {found->second.read.get(), found->second.write.get()}) {
      if (notifier != nullptr) notifier->setEnabled(false);
    }
    retired_.push_back(std::move(found->second));
    watches_.erase(found);
    return;
  }
  Watch& watch = watches_[socket];
  const auto ensure = [&](std::unique_ptr<QSocketNotifier>& notifier, QSocketNotifier::Type type,
                          int events, bool wanted) {
    if (!notifier) {
      if (!wanted) return;
      notifier = std::make_unique<QSocketNotifier>(socket, type);
      connect(notifier.get(), &QSocketNotifier::activated, this,
              [this, socket, events] { Drive(socket, events); });
    }
    notifier->setEnabled(wanted);
  };
  ensure(watch.read, QSocketNotifier::Read, CURL_CSELECT_IN,
         what == CURL_POLL_IN || what == CURL_POLL_INOUT);
  ensure(watch.write, QSocketNotifier::Write, CURL_CSELECT_OUT,
         what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void CurlExchange::Drive(curl_socket_t socket, int events) {
  if (outcome_ != Outcome::kRunning || !attached_) return;
  int running = 0;
  curl_multi_socket_action(multi_, socket, events, &running);
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
      Conclude(message->data.result);
      return;
    }
  }
}

std::size_t CurlExchange::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* exchange = static_cast<CurlExchange*>(self);
  const QByteArray line = QByteArray(data, static_cast<qsizetype>(size * count)).trimmed();
  Q_EMIT exchange->Progress();
  exchange->head_bytes_ += static_cast<qsizetype>(size * count);
  if (exchange->head_bytes_ > kMaxHeadBytes) {
    exchange->stop_ = Stop{Outcome::kOther, QStringLiteral("服务器的回答头部过长。")};
    return 0;
  }
  if (line.startsWith("HTTP/")) {
    // A new response (an interim one may come first): forget the last one's headers.
    exchange->location_.clear();
    exchange->content_length_.reset();
    exchange->bad_length_ = false;
    exchange->chunked_ = false;
  } else if (line.isEmpty()) {
    if (!exchange->HeadersDone()) return 0;  // ends the transfer; stop_ says why
  } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
    const QByteArray name = line.first(colon).trimmed().toLower();
    const QByteArray value = line.sliced(colon + 1).trimmed();
    if (name == "location") {
      exchange->location_ = value;
    } else if (name == "transfer-encoding") {
      exchange->chunked_ = value.toLower().split(',').last().trimmed() == "chunked";
    } else if (name == "content-length") {
      const std::optional<std::int64_t> length = ParseDecimal(value);
      if (!length || (exchange->content_length_ && *exchange->content_length_ != *length)) {
        exchange->bad_length_ = true;
      } else {
        exchange->content_length_ = length;
      }
    }
  }
  return size * count;
}

// Decides at the end of each head whether its body is wanted.  False stops
// the transfer, with the reason in stop_.
bool CurlExchange::HeadersDone() {
  long status = 0;
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
  if (status < 200) return true;  // interim: the real head follows
  status_ = static_cast<int>(status);
  head_done_ = true;
  if (status_ >= 400) {
    stop_ = Stop{Outcome::kHttpStatus, QStringLiteral("服务器回答了错误 %1。").arg(status_)};
  } else if (IsRedirect(status_) && !location_.isEmpty()) {
    redirect_url_ = ResolveLocation();
    stop_ = Stop{Outcome::kRedirect, QString()};
  } else if (status_ >= 300) {
    stop_ = Stop{Outcome::kOther, QStringLiteral("服务器的回答无法使用（状态 %1）。").arg(status_)};
  } else if (bad_length_) {
    stop_ = Stop{Outcome::kOther, QStringLiteral("服务器给出的回复长度无效。")};
  } else if (content_length_ && *content_length_ > max_body_bytes_) {
    stop_ = Stop{Outcome::kTooLarge, QString()};
  }
  long version = 0;
  curl_easy_getinfo(easy_, CURLINFO_HTTP_VERSION, &version);
  until_close_ = (version == CURL_HTTP_VERSION_1_0 || version == CURL_HTTP_VERSION_1_1) &&
                 !content_length_ && !chunked_ && status_ != 204;
  return !stop_;
}

QByteArray CurlExchange::ResolveLocation() const {
  // libcurl's own parser, so the address is the one libcurl would have
  // followed: "http://host:port?x=1" asks for "/?x=1".
  CURLU* address = curl_url();
  QByteArray resolved;
  char* text = nullptr;
  if (address != nullptr &&
      curl_url_set(address, CURLUPART_URL, url_.constData(), 0) == CURLUE_OK &&
      curl_url_set(address, CURLUPART_URL, location_.constData(),
                   CURLU_URLENCODE | CURLU_ALLOW_SPACE) == CURLUE_OK &&
      curl_url_get(address, CURLUPART_URL, &text, 0) == CURLUE_OK) {
    resolved = text;
  }
  curl_free(text);
  curl_url_cleanup(address);
  return resolved;
}

std::size_t CurlExchange::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* exchange = static_cast<CurlExchange*>(self);
  const std::size_t bytes = size * count;
  // Checked on the decoded bytes, before they are kept: a small compressed
  // reply that unpacks past the limit stops here.
  if (static_cast<std::int64_t>(bytes) > exchange->max_body_bytes_ - exchange->body_.size()) {
    exchange->stop_ = Stop{Outcome::kTooLarge, QString()};
    return 0;
  }
  exchange->body_.append(data, static_cast<qsizetype>(bytes));
  return bytes;
}

int CurlExchange::OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  auto* exchange = static_cast<CurlExchange*>(self);
  if (received != exchange->last_received_) {
    exchange->last_received_ = received;
    Q_EMIT exchange->Progress();
  }
  return 0;
}

int CurlExchange::OnConnected(void* self, char*, char*, int, int) {
  Q_EMIT static_cast<CurlExchange*>(self)->Progress();
  return CURL_PREREQFUNC_OK;
}

void CurlExchange::Conclude(CURLcode code) {
  if (stop_) {
    Finish(stop_->outcome, stop_->text);
  } else if (code == CURLE_OK && until_close_ && url_.startsWith("https:") &&
             !tls_closing_message_) {
    Finish(Outcome::kTruncated, QStringLiteral("连接在回复传完之前断开了。"));
  } else if (code == CURLE_OK) {
    Finish(Outcome::kComplete);
  } else {
    Fail(code);
  }
}

void CurlExchange::Fail(CURLcode code) {
  long os_error = 0;
  curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &os_error);
  switch (code) {
    case CURLE_COULDNT_CONNECT:
      if (os_error == ECONNREFUSED) {
        Finish(Outcome::kRefused, QStringLiteral("服务器拒绝了连接。"));
      } else {
        Finish(Outcome::kOther, QStringLiteral("无法连接到服务器。"));
      }
      return;
    case CURLE_COULDNT_RESOLVE_HOST:
      Finish(Outcome::kOther,
             QStringLiteral("找不到服务器“%1”。").arg(QUrl::fromEncoded(url_).host()));
      return;
    case CURLE_COULDNT_RESOLVE_PROXY:
      Finish(Outcome::kOther, QStringLiteral("找不到设置的代理服务器。"));
      return;
    case CURLE_PARTIAL_FILE:
      Finish(Outcome::kTruncated, QStringLiteral("连接在回复传完之前断开了。"));
      return;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      // A reset, or a TLS connection closed without its closing message, is
      // a body cut short; with no socket error it was a reply libcurl could
      // not read.
      if (head_done_ && (os_error != 0 || url_.startsWith("https:"))) {
        Finish(Outcome::kTruncated, QStringLiteral("连接在回复传完之前断开了。"));
      } else if (head_done_) {
        Finish(Outcome::kOther, QStringLiteral("服务器的回复格式有误。"));
      } else {
        Finish(Outcome::kOther, QStringLiteral("服务器没有回答就断开了连接。"));
      }
      return;
    case CURLE_GOT_NOTHING:
      Finish(Outcome::kOther, QStringLiteral("服务器没有回答就关闭了连接。"));
      return;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      Finish(Outcome::kOther, QStringLiteral("服务器的回答不是 HTTP。"));
      return;
    case CURLE_BAD_CONTENT_ENCODING:
      Finish(Outcome::kOther, QStringLiteral("服务器回复的压缩数据有误。"));
      return;
    case CURLE_FILESIZE_EXCEEDED:
      Finish(Outcome::kTooLarge);
      return;
    case CURLE_PEER_FAILED_VERIFICATION: {
      long verdict = 0;
      curl_easy_getinfo(easy_, CURLINFO_SSL_VERIFYRESULT, &verdict);
      fprintf(stderr, "DEBUG verdict %ld %s\n", verdict, error_buffer_);
      // With a trusted chain it is the name that failed: libcurl's own check
      // leaves 0 or 1 (unspecified), OpenSSL's leaves a mismatch code.
      if (verdict == X509_V_OK || verdict == X509_V_ERR_UNSPECIFIED ||
          verdict == X509_V_ERR_HOSTNAME_MISMATCH || verdict == X509_V_ERR_IP_ADDRESS_MISMATCH) {
        Finish(Outcome::kOther, QStringLiteral("服务器的证书不属于“%1”，连接已中止。")
                                    .arg(QUrl::fromEncoded(url_).host()));
      } else if (verdict == X509_V_ERR_CERT_NOT_YET_VALID ||
                 verdict == X509_V_ERR_CERT_HAS_EXPIRED) {
        Finish(Outcome::kOther, QStringLiteral("服务器的证书不在有效期内，连接已中止。"));
      } else {
        Finish(Outcome::kOther, QStringLiteral("服务器的证书不是受信任的机构签发的，连接已中止。"));
      }
      return;
    }
    case CURLE_SSL_CONNECT_ERROR:
      Finish(Outcome::kOther, QStringLiteral("无法与服务器建立加密连接。"));
      return;
    case CURLE_SSL_CACERT_BADFILE:
      Finish(Outcome::kOther, QStringLiteral("受信任证书的文件无法读取。"));
      return;
    case CURLE_OUT_OF_MEMORY:
      // libcurl also says so of a single header line over 100 KiB.
      Finish(Outcome::kOther, head_done_ ? QStringLiteral("内存不足，请求已取消。")
                                         : QStringLiteral("服务器的回答头部过长。"));
      return;
    default:
      break;
  }
  const QString detail = error_buffer_[0] != '\0' ? QString::fromUtf8(error_buffer_)
                                                  : QString::fromUtf8(curl_easy_strerror(code));
  Finish(Outcome::kOther, QStringLiteral("网络错误：") + detail);
}

void CurlExchange::Finish(Outcome outcome, QString error_text) {
  if (outcome_ != Outcome::kRunning) return;
  outcome_ = outcome;
  error_text_ = std::move(error_text);
  if (outcome != Outcome::kComplete) body_.clear();
  Release();
  Q_EMIT Finished();
}

// Closes the connection; never called from inside a libcurl callback.
void CurlExchange::Release() {
  wake_.stop();
  if (attached_) {
    attached_ = false;
    curl_multi_remove_handle(multi_, easy_);
  }
}

}  // namespace quorvel::catalogue
