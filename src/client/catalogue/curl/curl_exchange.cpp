#include "client/catalogue/curl/curl_exchange.h"

#include <QUrl>

#include <openssl/x509_vfy.h>

#include <cerrno>
#include <utility>

#include "client/catalogue/curl/tls_closing_message.h"

namespace quorvel::catalogue {
namespace {

using Kind = TransferFault::Kind;

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

// Which of the certificate's faults stopped the handshake.
Kind CertificateFault(long verdict) {
  // With a trusted chain it is the name that failed: libcurl's own check
  // leaves 0 or 1 (unspecified), OpenSSL's leaves a mismatch code.
  if (verdict == X509_V_OK || verdict == X509_V_ERR_UNSPECIFIED ||
      verdict == X509_V_ERR_HOSTNAME_MISMATCH || verdict == X509_V_ERR_IP_ADDRESS_MISMATCH) {
    return Kind::kCertificateName;
  }
  if (verdict == X509_V_ERR_CERT_NOT_YET_VALID || verdict == X509_V_ERR_CERT_HAS_EXPIRED) {
    return Kind::kCertificateOutOfDate;
  }
  return Kind::kCertificateUntrusted;
}

}  // namespace

CurlExchange::CurlExchange(QByteArray url, std::int64_t max_body_bytes, QObject* parent)
    : QObject(parent), url_(std::move(url)), max_body_bytes_(max_body_bytes) {}

CurlExchange::~CurlExchange() = default;

void CurlExchange::Start() {
  if (driver_.easy() == nullptr) return Finish(FailedTransfer(Fault(Kind::kCannotStart)));
  SetOptions();
  if (!driver_.Start([this](CURLcode code) { Conclude(code); })) {
    Finish(FailedTransfer(Fault(Kind::kCannotStart)));
  }
}

void CurlExchange::SetOptions() {
  CURL* easy = driver_.easy();
  curl_easy_setopt(easy, CURLOPT_URL, url_.constData());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  // Redirects are followed by the caller, which refuses a step down from
  // https to http; libcurl cannot be told to.
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  // Every coding this libcurl can decode (gzip, deflate, br, ...), in either
  // header; the body handed on is the decoded one.
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_TRANSFER_ENCODING, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Quorvel/1.8");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error_buffer_);
  const QByteArray ca_file = CaFileFromEnvironment();
  if (!ca_file.isEmpty()) curl_easy_setopt(easy, CURLOPT_CAINFO, ca_file.constData());
  WatchForTlsClosingMessage(easy, &tls_closing_message_);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlExchange::OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlExchange::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CurlExchange::OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CurlExchange::OnConnected);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
}

void CurlExchange::Abort(const TransferFault& why) { Finish(FailedTransfer(why)); }

std::size_t CurlExchange::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* exchange = static_cast<CurlExchange*>(self);
  const QByteArray line = QByteArray(data, static_cast<qsizetype>(size * count)).trimmed();
  Q_EMIT exchange->Progress();
  exchange->head_bytes_ += static_cast<qsizetype>(size * count);
  if (exchange->head_bytes_ > kMaxHeadBytes) {
    exchange->stop_ = exchange->Fault(Kind::kHeadTooLong);
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
// the transfer, for a redirect or with the fault in stop_.
bool CurlExchange::HeadersDone() {
  long status = 0;
  curl_easy_getinfo(driver_.easy(), CURLINFO_RESPONSE_CODE, &status);
  if (status < 200) return true;  // interim: the real head follows
  status_ = static_cast<int>(status);
  head_done_ = true;
  if (status_ >= 400) {
    stop_ = Fault(Kind::kHttpStatus);
  } else if (IsRedirect(status_) && !location_.isEmpty()) {
    redirect_url_ = ResolveLocation();
    redirected_ = true;
  } else if (status_ >= 300) {
    stop_ = Fault(Kind::kUnusableStatus);
  } else if (bad_length_) {
    stop_ = Fault(Kind::kBadLength);
  } else if (content_length_ && *content_length_ > max_body_bytes_) {
    stop_ = Fault(Kind::kTooLarge);
  }
  long version = 0;
  curl_easy_getinfo(driver_.easy(), CURLINFO_HTTP_VERSION, &version);
  until_close_ = (version == CURL_HTTP_VERSION_1_0 || version == CURL_HTTP_VERSION_1_1) &&
                 !content_length_ && !chunked_ && status_ != 204;
  return !stop_ && !redirected_;
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
    exchange->stop_ = exchange->Fault(Kind::kTooLarge);
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
  if (stop_) return Finish(FailedTransfer(*stop_));
  if (redirected_) return Finish(Succeeded(QByteArray()));
  if (code != CURLE_OK) return Finish(FailedTransfer(FaultOf(code)));
  if (until_close_ && url_.startsWith("https:") && !tls_closing_message_) {
    return Finish(FailedTransfer(Fault(Kind::kCutShort)));
  }
  Finish(Succeeded(std::move(body_)));
}

TransferResult CurlExchange::Succeeded(QByteArray body) const {
  TransferResult result;
  result.http_status = status_;
  result.body = std::move(body);
  return result;
}

TransferFault CurlExchange::FaultOf(CURLcode code) const {
  long os_error = 0;
  curl_easy_getinfo(driver_.easy(), CURLINFO_OS_ERRNO, &os_error);
  switch (code) {
    case CURLE_COULDNT_CONNECT:
      return Fault(os_error == ECONNREFUSED ? Kind::kRefused : Kind::kCannotConnect);
    case CURLE_COULDNT_RESOLVE_HOST:
      return Fault(Kind::kHostNotFound);
    case CURLE_COULDNT_RESOLVE_PROXY:
      return Fault(Kind::kProxyNotFound);
    case CURLE_PARTIAL_FILE:
      return Fault(Kind::kCutShort);
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      // A reset, or a TLS connection closed without its closing message, is
      // a body cut short; with no socket error it was a reply libcurl could
      // not read.
      if (!head_done_) return Fault(Kind::kDroppedBeforeAnswer);
      return Fault(os_error != 0 || url_.startsWith("https:") ? Kind::kCutShort : Kind::kMalformed);
    case CURLE_GOT_NOTHING:
      return Fault(Kind::kClosedBeforeAnswer);
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return Fault(Kind::kNotHttp);
    case CURLE_BAD_CONTENT_ENCODING:
      return Fault(Kind::kBadCompression);
    case CURLE_FILESIZE_EXCEEDED:
      return Fault(Kind::kTooLarge);
    case CURLE_PEER_FAILED_VERIFICATION: {
      long verdict = 0;
      curl_easy_getinfo(driver_.easy(), CURLINFO_SSL_VERIFYRESULT, &verdict);
      return Fault(CertificateFault(verdict));
    }
    case CURLE_SSL_CONNECT_ERROR:
      return Fault(Kind::kNoEncryption);
    case CURLE_SSL_CACERT_BADFILE:
      return Fault(Kind::kCaFileUnreadable);
    case CURLE_OUT_OF_MEMORY:
      // libcurl also says so of a single header line over 100 KiB.
      return Fault(head_done_ ? Kind::kOutOfMemory : Kind::kHeadTooLong);
    default:
      break;
  }
  TransferFault fault = Fault(Kind::kNetwork);
  fault.detail = error_buffer_[0] != '\0' ? QString::fromUtf8(error_buffer_)
                                          : QString::fromUtf8(curl_easy_strerror(code));
  return fault;
}

// The fault with what its sentence names, as far as this exchange knows it.
TransferFault CurlExchange::Fault(TransferFault::Kind kind) const {
  TransferFault fault(kind, status_);
  switch (kind) {
    case Kind::kHostNotFound:
    case Kind::kCertificateName:
      fault.detail = QUrl::fromEncoded(url_).host();
      break;
    case Kind::kTooLarge:
      fault.limit = max_body_bytes_;
      break;
    default:
      break;
  }
  return fault;
}

void CurlExchange::Finish(TransferResult result) {
  if (result_) return;
  result_ = std::move(result);
  body_.clear();
  driver_.Stop();
  Q_EMIT Finished();
}

}  // namespace quorvel::catalogue
