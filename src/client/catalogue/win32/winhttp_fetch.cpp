#include "client/catalogue/win32/winhttp_fetch.h"

#include <winsock2.h>
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <memory>
#include <cstdint>
#include <optional>
#include <vector>

#include "client/catalogue/transfer_failure.h"
#include "client/catalogue/win32/web_address.h"

namespace quorvel::catalogue {
namespace {

using Kind = TransferFault::Kind;
using Clock = std::chrono::steady_clock;

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

class Handle {
 public:
  explicit Handle(HINTERNET handle = nullptr) : handle_(handle) {}
  ~Handle() {
    if (handle_ != nullptr) WinHttpCloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return handle_; }
  void reset(HINTERNET handle) {
    if (handle_ != nullptr) WinHttpCloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HINTERNET handle_;
};

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::int64_t> ParseLength(const std::u16string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// A header's value, or nullopt when the reply has none.
std::optional<std::u16string> Header(HINTERNET request, DWORD which) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
  std::u16string value(bytes / sizeof(char16_t), u'\0');
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX)) {
    return std::nullopt;
  }
  value.resize(bytes / sizeof(char16_t));
  return value;
}

// One exchange of a fetch: its request, the clocks and what went wrong.
class Exchange {
 public:
  Exchange(const WebAddress& target, const TransferLimits& limits, Clock::time_point deadline)
      : target_(target), limits_(limits), deadline_(deadline) {}

  // The reply's body, a redirect to follow (in *location), or the failure.
  TransferResult Run(HINTERNET session, bool decompresses, std::u16string* location) {
    connection_.reset(WinHttpConnect(session, Wide(target_.host), target_.port, 0));
    if (connection_.get() == nullptr) return Failed(GetLastError());
    request_.reset(WinHttpOpenRequest(connection_.get(), L"GET", Wide(target_.path_and_query),
                                      nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      target_.secure ? WINHTTP_FLAG_SECURE : 0));
    if (request_.get() == nullptr) return Failed(GetLastError());
    const Handle& request = request_;
    // Redirects are followed by hand, to refuse a step from https to http.
    // No connection is kept for later: one cut off mid-body would otherwise be
    // drained or handed to the next fetch.
    DWORD features = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES |
                     WINHTTP_DISABLE_KEEP_ALIVE;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));
    Exchange* self = this;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &self, sizeof(self));
    WinHttpSetStatusCallback(request.get(), &Exchange::OnStatus,
                             WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
    const wchar_t* headers = decompresses ? WINHTTP_NO_ADDITIONAL_HEADERS
                                          : L"Accept-Encoding: identity";
    if (!SetClocks(request.get()) ||
        !WinHttpSendRequest(request.get(), headers, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA,
                            0, 0, 0) ||
        !SetClocks(request.get()) || !WinHttpReceiveResponse(request.get(), nullptr)) {
      return Failed(GetLastError());
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    status_ = static_cast<int>(status);
    head_done_ = true;
    if (status_ >= 400) return Fail(Kind::kHttpStatus);
    if (IsRedirect(status)) {
      std::optional<std::u16string> to = Header(request.get(), WINHTTP_QUERY_LOCATION);
      if (to && !to->empty()) {
        *location = *to;
        TransferResult redirect;
        redirect.http_status = status_;
        return redirect;
      }
    }
    if (status_ >= 300) return Fail(Kind::kUnusableStatus);
    std::optional<std::int64_t> length;
    if (std::optional<std::u16string> text = Header(request.get(), WINHTTP_QUERY_CONTENT_LENGTH)) {
      length = ParseLength(*text);
      if (!length) return Fail(Kind::kBadLength);
      if (*length > limits_.max_body_bytes) return Fail(Kind::kTooLarge);
    }
    // WinHTTP hands on unpacked bytes: the length on the wire says nothing of them.
    const std::optional<std::u16string> coding =
        Header(request.get(), WINHTTP_QUERY_CONTENT_ENCODING);
    const bool packed = coding && !coding->empty() && *coding != u"identity";
    return ReadBody(request.get(), packed ? std::nullopt : length);
  }

 private:
  TransferResult ReadBody(HINTERNET request, std::optional<std::int64_t> length) {
    std::string body;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
      DWORD read = 0;
      if (!SetClocks(request) ||
          !WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
        return Failed(GetLastError());
      }
      if (read == 0) break;
      // Checked on the unpacked bytes, before they are kept.
      if (static_cast<std::int64_t>(read) >
          limits_.max_body_bytes - static_cast<std::int64_t>(body.size())) {
        return Fail(Kind::kTooLarge);
      }
      body.append(buffer.data(), read);
    }
    if (Clock::now() >= deadline_) return Fail(Kind::kTimedOut);
    if (length && static_cast<std::int64_t>(body.size()) < *length) return Fail(Kind::kCutShort);
    TransferResult result;
    result.http_status = status_;
    result.body = std::move(body);
    return result;
  }

  // Every wait of the next step ends at the stall limit or at the deadline,
  // whichever comes first.  False once the deadline has passed.
  bool SetClocks(HINTERNET request) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    if (left.count() <= 0) {
      SetLastError(ERROR_WINHTTP_TIMEOUT);
      limited_by_deadline_ = true;
      return false;
    }
    limited_by_deadline_ = left < limits_.stall;
    const int wait = static_cast<int>(std::min(left, limits_.stall).count());
    // The wait for the reply's head has a clock of its own.
    DWORD head_wait = static_cast<DWORD>(wait);
    return WinHttpSetTimeouts(request, wait, wait, wait, wait) &&
           WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &head_wait,
                            sizeof(head_wait));
  }

  static void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                DWORD length) {
    if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && context != 0 && info != nullptr &&
        length >= sizeof(DWORD)) {
      reinterpret_cast<Exchange*>(context)->secure_failure_ = *static_cast<DWORD*>(info);
    }
  }

  TransferResult Fail(Kind kind) const {
    TransferFault fault(kind, status_);
    switch (kind) {
      case Kind::kHostNotFound:
      case Kind::kCertificateName:
        fault.detail = target_.host;
        break;
      case Kind::kTooLarge:
        fault.limit = limits_.max_body_bytes;
        break;
      case Kind::kStalled:
        fault.limit = limits_.stall.count();
        break;
      case Kind::kTimedOut:
        fault.limit = limits_.total.count();
        break;
      default:
        break;
    }
    return FailedTransfer(fault);
  }

  // The failure for WinHTTP's error `error`.
  TransferResult Failed(DWORD error) const {
    switch (error) {
      case ERROR_WINHTTP_TIMEOUT:
      case WSAETIMEDOUT:  // Wine's WinHTTP passes on the socket's own errors
        return Fail(limited_by_deadline_ ? Kind::kTimedOut : Kind::kStalled);
      case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return Fail(Kind::kHostNotFound);
      case ERROR_WINHTTP_CANNOT_CONNECT:
      case WSAECONNREFUSED:
        return Fail(Kind::kRefused);
      case ERROR_WINHTTP_CONNECTION_ERROR:
      case WSAECONNRESET:
      case WSAECONNABORTED:
        return Fail(head_done_ ? Kind::kCutShort : Kind::kDroppedBeforeAnswer);
      case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return Fail(head_done_ ? Kind::kMalformed : Kind::kNotHttp);
      case ERROR_WINHTTP_HEADER_SIZE_OVERFLOW:
        return Fail(Kind::kHeadTooLong);
      case ERROR_WINHTTP_AUTODETECTION_FAILED:
      case ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT:
      case ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT:
        return Fail(Kind::kProxyNotFound);
      case ERROR_WINHTTP_SECURE_FAILURE:
        return Fail(CertificateFault(secure_failure_));
      case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        return Fail(Kind::kCertificateName);
      case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        return Fail(Kind::kCertificateOutOfDate);
      case ERROR_WINHTTP_SECURE_INVALID_CA:
      case ERROR_WINHTTP_SECURE_INVALID_CERT:
      case ERROR_WINHTTP_SECURE_CERT_REVOKED:
      case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
      case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
        return Fail(Kind::kCertificateUntrusted);
      case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return Fail(Kind::kNoEncryption);
      case ERROR_WINHTTP_OPERATION_CANCELLED:
        return Fail(Kind::kQuitting);
      case ERROR_NOT_ENOUGH_MEMORY:
      case ERROR_OUTOFMEMORY:
        return Fail(Kind::kOutOfMemory);
      default:
        break;
    }
    TransferFault fault(Kind::kNetwork, status_);
    fault.detail = ErrorText(error);
    return FailedTransfer(fault);
  }

  static Kind CertificateFault(DWORD flags) {
    if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID) return Kind::kCertificateName;
    if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID) return Kind::kCertificateOutOfDate;
    if (flags == 0 || flags == WINHTTP_CALLBACK_STATUS_FLAG_SECURITY_CHANNEL_ERROR) {
      return Kind::kNoEncryption;
    }
    return Kind::kCertificateUntrusted;
  }

  // WinHTTP's own words for `error`, and its number.
  static std::u16string ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
            FORMAT_MESSAGE_IGNORE_INSERTS,
        GetModuleHandleW(L"winhttp.dll"), error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string words;
    if (length > 0 && text != nullptr) {
      words.assign(reinterpret_cast<const char16_t*>(text), length);
      while (!words.empty() && (words.back() == u'\r' || words.back() == u'\n' ||
                                words.back() == u' ' || words.back() == u'.')) {
        words.pop_back();
      }
      words += u" ";
    }
    LocalFree(text);
    words += u"(";
    for (const char digit : std::to_string(error)) words.push_back(static_cast<char16_t>(digit));
    words += u")";
    return words;
  }

  const WebAddress target_;
  const TransferLimits& limits_;
  const Clock::time_point deadline_;
  int status_ = 0;
  bool head_done_ = false;
  bool limited_by_deadline_ = false;
  DWORD secure_failure_ = 0;
  // Closed last: Wine reads what is left of a body when its request is closed.
  Handle connection_;
  Handle request_;
};

HINTERNET OpenSession() {
  // The system's proxy settings as Windows 8.1 and later resolve them, or
  // WinHTTP's own where that is not there.
  for (DWORD access : {DWORD{WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY},
                       DWORD{WINHTTP_ACCESS_TYPE_DEFAULT_PROXY}}) {
    if (HINTERNET session = WinHttpOpen(L"Quorvel/1.8", access, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0)) {
      return session;
    }
  }
  return nullptr;
}

}  // namespace

void FetchWithWinHttp(const std::u16string& address, const TransferLimits& limits,
                      Clock::time_point deadline,
                      const std::function<void(TransferResult)>& deliver) {
  std::optional<WebAddress> target = ParseWebAddress(address);
  if (!target) return deliver(FailedTransfer({Kind::kBadAddress, 0, address}));
  Handle session(OpenSession());
  if (session.get() == nullptr) return deliver(FailedTransfer({Kind::kCannotStart}));
  // Wine, for one, refuses the option (error 12009): the reply is then asked
  // for unpacked.
  DWORD codings = WINHTTP_DECOMPRESSION_FLAG_ALL;
  const bool decompresses =
      WinHttpSetOption(session.get(), WINHTTP_OPTION_DECOMPRESSION, &codings, sizeof(codings));
  // The last exchange's handles are closed after the result is handed on.
  std::unique_ptr<Exchange> exchange;
  for (int redirects = 0;; ++redirects) {
    std::u16string location;
    exchange = std::make_unique<Exchange>(*target, limits, deadline);
    TransferResult result = exchange->Run(session.get(), decompresses, &location);
    if (!result.ok() || location.empty()) return deliver(std::move(result));
    if (redirects >= limits.max_redirects) {
      return deliver(FailedTransfer(
          {Kind::kTooManyRedirects, result.http_status, {}, limits.max_redirects}));
    }
    std::optional<WebAddress> next = ResolveRedirect(*target, location);
    if (!next || (target->secure && !next->secure)) {
      return deliver(FailedTransfer({Kind::kRedirectNotFollowable, result.http_status}));
    }
    target = std::move(next);
  }
}

}  // namespace quorvel::catalogue
