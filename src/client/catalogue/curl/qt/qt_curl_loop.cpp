#include "client/catalogue/curl/qt/qt_curl_loop.h"

#include <QSocketNotifier>

#include <utility>

namespace quorvel::catalogue {

QtCurlLoop::QtCurlLoop() {
  wake_.setSingleShot(true);
  QObject::connect(&wake_, &QTimer::timeout, [this] { Act(CURL_SOCKET_TIMEOUT, 0); });
}

QtCurlLoop::~QtCurlLoop() = default;

void QtCurlLoop::SetAction(Action action) { action_ = std::move(action); }

void QtCurlLoop::WakeAfter(long timeout_ms) {
  if (timeout_ms < 0) {
    wake_.stop();
  } else {
    wake_.start(static_cast<int>(timeout_ms));
  }
}

void QtCurlLoop::Watch(curl_socket_t socket, int what) {
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
  Notifiers& watch = watches_[socket];
  const auto ensure = [&](std::unique_ptr<QSocketNotifier>& notifier, QSocketNotifier::Type type,
                          int events, bool wanted) {
    if (!notifier) {
      if (!wanted) return;
      notifier = std::make_unique<QSocketNotifier>(socket, type);
      QObject::connect(notifier.get(), &QSocketNotifier::activated,
                       [this, socket, events] { Act(socket, events); });
    }
    notifier->setEnabled(wanted);
  };
  ensure(watch.read, QSocketNotifier::Read, CURL_CSELECT_IN,
         what == CURL_POLL_IN || what == CURL_POLL_INOUT);
  ensure(watch.write, QSocketNotifier::Write, CURL_CSELECT_OUT,
         what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void QtCurlLoop::Act(curl_socket_t socket, int events) {
  if (action_) action_(socket, events);
}

}  // namespace quorvel::catalogue
