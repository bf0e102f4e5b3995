#include "client/catalogue/curl/curl_exchange.h"

#include <openssl/x509_vfy.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "client/catalogue/curl/tls_closing_message.h"
#include "client/catalogue/text16.h"
#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue {
namespace {

using Kind = TransferFault::Kind;

// Status lines and headers of one exchange together, interim heads
// included; a longer head is not a listing reply, and libcurl would keep it all.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
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
std::string CaFileFromEnvironment() {
  for (const char* name : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
    const char* path = std::getenv(name);
    if (path != nullptr && *path != '\0') return path;
  }
  return {};
}

// The host of `url` as the user reads it: no brackets around an IPv6 address.
std::u16string HostOf(const std::string& url) {
  std::u16string host;
  CURLU* address = curl_url();
  char* text = nullptr;
  if (address != nullptr && curl_url_set(address, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(address, CURLUPART_HOST, &text, 0) == CURLUE_OK) {
    std::string_view name(text);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
      name = name.substr(1, name.size() - 2);
    }
    host = FromAscii(Lower(name));
  }
  curl_free(text);
  curl_url_cleanup(address);
  return host;
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

CurlExchange::CurlExchange(std::string url, std::int64_t max_body_bytes, CurlLoop& loop)
    : url_(std::move(url)), max_body_bytes_(max_body_bytes), driver_(loop) {}

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
  curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
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
  const std::string ca_file = CaFileFromEnvironment();
  if (!ca_file.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, ca_file.c_str());
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
  const std::string_view line = Trimmed(std::string_view(data, size * count));
  exchange->Progress();
  exchange->head_bytes_ += size * count;
  if (exchange->head_bytes_ > kMaxHeadBytes) {
    exchange->stop_ = exchange->Fault(Kind::kHeadTooLong);
    return 0;
  }
  if (line.starts_with("HTTP/")) {
    // A new response (an interim one may come first): forget the last one's headers.
    exchange->location_.clear();
    exchange->content_length_.reset();
    exchange->bad_length_ = false;
    exchange->chunked_ = false;
  } else if (line.empty()) {
    if (!exchange->HeadersDone()) return 0;  // ends the transfer; stop_ says why
  } else if (const std::size_t colon = line.find(':');
             colon != std::string_view::npos && colon > 0) {
    const std::string name = Lower(Trimmed(line.substr(0, colon)));
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (name == "location") {
      exchange->location_ = value;
    } else if (name == "transfer-encoding") {
      // The last coding decides how the body ends.
      const std::size_t comma = value.rfind(',');
      const std::string_view last =
          comma == std::string_view::npos ? value : value.substr(comma + 1);
      exchange->chunked_ = Lower(Trimmed(last)) == "chunked";
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
  } else if (IsRedirect(status_) && !location_.empty()) {
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

std::string CurlExchange::ResolveLocation() const {
  // libcurl's own parser, so the address is the one libcurl would have
  // followed: "http://host:port?x=1" asks for "/?x=1".
  CURLU* address = curl_url();
  std::string resolved;
  char* text = nullptr;
  if (address != nullptr && curl_url_set(address, CURLUPART_URL, url_.c_str(), 0) == CURLUE_OK &&
      curl_url_set(address, CURLUPART_URL, location_.c_str(),
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
  if (static_cast<std::int64_t>(bytes) >
      exchange->max_body_bytes_ - static_cast<std::int64_t>(exchange->body_.size())) {
    exchange->stop_ = exchange->Fault(Kind::kTooLarge);
    return 0;
  }
  exchange->body_.append(data, bytes);
  return bytes;
}

int CurlExchange::OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  auto* exchange = static_cast<CurlExchange*>(self);
  if (received != exchange->last_received_) {
    exchange->last_received_ = received;
    exchange->Progress();
  }
  return 0;
}

int CurlExchange::OnConnected(void* self, char*, char*, int, int) {
  static_cast<CurlExchange*>(self)->Progress();
  return CURL_PREREQFUNC_OK;
}

void CurlExchange::Progress() const {
  if (on_progress_) on_progress_();
}

void CurlExchange::Conclude(CURLcode code) {
  if (stop_) return Finish(FailedTransfer(*stop_));
  if (redirected_) return Finish(Succeeded(std::string()));
  if (code != CURLE_OK) return Finish(FailedTransfer(FaultOf(code)));
  if (until_close_ && url_.starts_with("https:") && !tls_closing_message_) {
    return Finish(FailedTransfer(Fault(Kind::kCutShort)));
  }
  Finish(Succeeded(std::move(body_)));
}

TransferResult CurlExchange::Succeeded(std::string body) const {
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
      return Fault(os_error != 0 || url_.starts_with("https:") ? Kind::kCutShort
                                                               : Kind::kMalformed);
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
  fault.detail =
      encoding::Utf8ToUnicode(error_buffer_[0] != '\0' ? error_buffer_ : curl_easy_strerror(code));
  return fault;
}

// The fault with what its sentence names, as far as this exchange knows it.
TransferFault CurlExchange::Fault(TransferFault::Kind kind) const {
  TransferFault fault(kind, status_);
  switch (kind) {
    case Kind::kHostNotFound:
    case Kind::kCertificateName:
      fault.detail = HostOf(url_);
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
  if (on_finished_) on_finished_();
}

}  // namespace quorvel::catalogue
