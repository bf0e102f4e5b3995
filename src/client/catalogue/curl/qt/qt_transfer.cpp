#include "client/catalogue/curl/qt/qt_transfer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

#include <optional>

#include "client/catalogue/busy_flag.h"
#include "client/catalogue/curl/curl_exchange.h"
#include "client/catalogue/curl/qt/input_hold_back.h"
#include "client/catalogue/curl/qt/qt_curl_loop.h"
#include "client/catalogue/transfer_failure.h"

namespace quorvel::catalogue {
namespace {

using Kind = TransferFault::Kind;

// The wait cursor for as long as a fetch runs, where there is a screen.
class BusyCursor {
 public:
  BusyCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (shown_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~BusyCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  bool shown_;
};

// Runs a fetch's exchanges one after another in a local event loop under the
// fetch's two clocks: the stall clock, restarted by every sign of progress,
// and the total clock, which runs from the first exchange to the last.
class FetchClocks {
 public:
  explicit FetchClocks(const QtTransfer::Limits& limits) : limits_(limits) {
    stall_.setSingleShot(true);
    total_.setSingleShot(true);
    QObject::connect(&stall_, &QTimer::timeout, &loop_,
                     [this] { Expire(Kind::kStalled, limits_.stall); });
    QObject::connect(&total_, &QTimer::timeout, &loop_,
                     [this] { Expire(Kind::kTimedOut, limits_.total); });
    total_.start(limits_.total);
  }

  // Runs `exchange` until it ends, a clock runs out or the application quits.
  TransferResult Run(CurlExchange& exchange) {
    exchange.SetProgressHandler([this] { stall_.start(limits_.stall); });
    exchange.SetFinishedHandler([this] { loop_.quit(); });
    stall_.start(limits_.stall);
    running_ = &exchange;
    exchange.Start();
    if (!exchange.finished() && !expired_) loop_.exec();
    running_ = nullptr;
    if (expired_) return FailedTransfer(*expired_);
    // The loop also ends when the application quits under it.
    if (!exchange.finished()) exchange.Abort({Kind::kQuitting});
    return exchange.TakeResult();
  }

 private:
  void Expire(Kind kind, std::chrono::milliseconds limit) {
    expired_ = TransferFault(kind, running_ != nullptr ? running_->status() : 0, {}, limit.count());
    if (running_ != nullptr) running_->Abort(*expired_);
    loop_.quit();
  }

  const QtTransfer::Limits& limits_;
  QEventLoop loop_;
  QTimer stall_;
  QTimer total_;
  CurlExchange* running_ = nullptr;
  std::optional<TransferFault> expired_;
};

bool IsWebAddress(const QUrl& url) {
  return url.isValid() && !url.host().isEmpty() &&
         (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

// Never from an encrypted connection to a plain one, never off the web.
bool MayFollow(const QUrl& from, const QUrl& to) {
  return IsWebAddress(to) &&
         (from.scheme() != QLatin1String("https") || to.scheme() == QLatin1String("https"));
}

}  // namespace

QtTransfer::QtTransfer() : QtTransfer(Limits{}) {}

QtTransfer::QtTransfer(Limits limits) : limits_(limits) {}

TransferResult QtTransfer::OpenURL(std::u16string_view address) {
  if (QCoreApplication::instance() == nullptr) return FailedTransfer({Kind::kNotReady});
  if (busy_) return FailedTransfer({Kind::kBusy});
  const QString text(reinterpret_cast<const QChar*>(address.data()),
                     static_cast<qsizetype>(address.size()));
  QUrl url(text, QUrl::StrictMode);
  if (!IsWebAddress(url)) return FailedTransfer({Kind::kBadAddress, 0, std::u16string(address)});
  BusyFlag busy(busy_);
  BusyCursor cursor;
  InputHoldBack hold_back;
  FetchClocks clocks(limits_);
  for (int redirects = 0;; ++redirects) {
    QtCurlLoop curl_loop;
    CurlExchange exchange(url.toEncoded().toStdString(), limits_.max_body_bytes, curl_loop);
    TransferResult result = clocks.Run(exchange);
    if (!result.ok() || !exchange.redirected()) return result;
    if (redirects >= limits_.max_redirects) {
      return FailedTransfer(
          {Kind::kTooManyRedirects, result.http_status, {}, limits_.max_redirects});
    }
    const QUrl next =
        QUrl::fromEncoded(QByteArray::fromStdString(exchange.redirect_url()), QUrl::StrictMode);
    if (!MayFollow(url, next)) {
      return FailedTransfer({Kind::kRedirectNotFollowable, result.http_status});
    }
    url = next;
  }
}

}  // namespace quorvel::catalogue
