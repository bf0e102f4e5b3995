#include "catalogue/qt/qt_transfer.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

#include <utility>

#include "catalogue/qt/curl_exchange.h"
#include "catalogue/qt/input_hold_back.h"

namespace quorvel::catalogue {
namespace {

using Failure = TransferResult::Failure;

QString Seconds(std::chrono::milliseconds duration) {
  const auto ms = duration.count();
  if (ms % 1000 == 0) return QString::number(ms / 1000);
  return QString::number(static_cast<double>(ms) / 1000.0, 'g', 3);
}

QString Size(std::int64_t bytes) {
  if (bytes % (1 << 20) == 0) return QStringLiteral("%1 MiB").arg(bytes >> 20);
  if (bytes % (1 << 10) == 0) return QStringLiteral("%1 KiB").arg(bytes >> 10);
  return QStringLiteral("%1 字节").arg(bytes);
}

TransferResult Failed(Failure failure, QString reason, int http_status = 0) {
  TransferResult result;
  result.failure = failure;
  result.reason = std::move(reason);
  result.http_status = http_status;
  return result;
}

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

class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyFlag() { flag_ = false; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;

 private:
  bool& flag_;
};

bool IsWebAddress(const QUrl& url) {
  return url.isValid() && !url.host().isEmpty() &&
         (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

}  // namespace

QtTransfer::QtTransfer() : QtTransfer(Limits{}) {}

QtTransfer::QtTransfer(Limits limits) : limits_(limits) {}

TransferResult QtTransfer::OpenURL(const QString& address) {
  if (QCoreApplication::instance() == nullptr) {
    return Failed(Failure::kOther, QStringLiteral("程序还没有准备好联网。"));
  }
  if (busy_) return Failed(Failure::kOther, QStringLiteral("上一个请求还没有结束。"));
  QUrl url(address, QUrl::StrictMode);
  if (!IsWebAddress(url)) {
    return Failed(Failure::kOther, QStringLiteral("请求地址无效：") + address);
  }
  BusyFlag busy(busy_);
  BusyCursor cursor;
  InputHoldBack hold_back;

  QEventLoop loop;
  QTimer stall;
  QTimer total;
  stall.setSingleShot(true);
  total.setSingleShot(true);
  CurlExchange* exchange = nullptr;
  Failure stopped = Failure::kNone;
  QString stopped_reason;
  const auto stop = [&](Failure failure, QString reason) {
    stopped = failure;
    stopped_reason = std::move(reason);
    if (exchange != nullptr) exchange->Abort();
    loop.quit();
  };
  QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
    stop(Failure::kStalled,
         QStringLiteral("服务器 %1 秒没有任何回应。").arg(Seconds(limits_.stall)));
  });
  QObject::connect(&total, &QTimer::timeout, &loop, [&] {
    stop(Failure::kTimedOut,
         QStringLiteral("回复在 %1 秒内没有收完。").arg(Seconds(limits_.total)));
  });
  total.start(limits_.total);

  for (int redirects = 0;; ++redirects) {
    CurlExchange current(url.toEncoded(), limits_.max_body_bytes);
    exchange = &current;
    QObject::connect(&current, &CurlExchange::Progress, &loop, [&] { stall.start(limits_.stall); });
    QObject::connect(&current, &CurlExchange::Finished, &loop, &QEventLoop::quit);
    stall.start(limits_.stall);
    current.Start();
    if (current.outcome() == CurlExchange::Outcome::kRunning && stopped == Failure::kNone) {
      loop.exec();
    }
    exchange = nullptr;
    // The loop also ends when the application quits under it.
    if (stopped == Failure::kNone && current.outcome() == CurlExchange::Outcome::kRunning) {
      current.Abort();
      return Failed(Failure::kOther, QStringLiteral("程序正在退出，请求已取消。"));
    }
    if (stopped != Failure::kNone) return Failed(stopped, stopped_reason, current.status());

    const int status = current.status();
    switch (current.outcome()) {
      case CurlExchange::Outcome::kComplete: {
        TransferResult result;
        result.http_status = status;
        result.body = current.TakeBody();
        return result;
      }
      case CurlExchange::Outcome::kRedirect:
        break;
      case CurlExchange::Outcome::kHttpStatus:
        return Failed(Failure::kHttpStatus, current.error_text(), status);
      case CurlExchange::Outcome::kRefused:
        return Failed(Failure::kRefused, current.error_text());
      case CurlExchange::Outcome::kTruncated:
        return Failed(Failure::kTruncated, current.error_text(), status);
      case CurlExchange::Outcome::kTooLarge:
        return Failed(Failure::kTooLarge,
                      QStringLiteral("回复超过了 %1 的上限。").arg(Size(limits_.max_body_bytes)),
                      status);
      default:
        return Failed(Failure::kOther, current.error_text(), status);
    }

    if (redirects >= limits_.max_redirects) {
      return Failed(Failure::kTooManyRedirects,
                    QStringLiteral("服务器转向超过了 %1 次。").arg(limits_.max_redirects), status);
    }
    const QUrl next = QUrl::fromEncoded(current.redirect_url(), QUrl::StrictMode);
    // Never from an encrypted connection to a plain one, never off the web.
    if (!IsWebAddress(next) ||
        (url.scheme() == QLatin1String("https") && next.scheme() != QLatin1String("https"))) {
      return Failed(Failure::kOther, QStringLiteral("服务器转向了不能跟随的地址。"), status);
    }
    url = next;
  }
}

}  // namespace quorvel::catalogue
