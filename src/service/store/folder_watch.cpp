#include "service/store/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

namespace quorvel::service {
namespace {

// Everything that can change what a file of the folder holds or which file
// bears its name.  Reads and opens are left out: loading a catalogue must not
// look like a change of it.
constexpr std::uint32_t kEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_MODIFY |
                                  IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF |
                                  IN_ONLYDIR;

}  // namespace

FolderWatch::FolderWatch(const std::string& folder, std::vector<std::string> names,
                         std::function<void()> changed)
    : names_(std::move(names)), changed_(std::move(changed)) {
  inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify_ < 0) {
    problem_ = std::string("cannot watch ") + folder + ": " + std::strerror(errno);
    return;
  }
  stop_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (stop_ < 0 || ::inotify_add_watch(inotify_, folder.c_str(), kEvents) < 0) {
    problem_ = std::string("cannot watch ") + folder + ": " + std::strerror(errno);
    return;
  }
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& error) {
    problem_ = std::string("cannot watch ") + folder + ": " + error.what();
  }
}

FolderWatch::~FolderWatch() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    while (::write(stop_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  if (stop_ >= 0) ::close(stop_);
  if (inotify_ >= 0) ::close(inotify_);
}

void FolderWatch::Run() {
  for (;;) {
    pollfd ready[2] = {{inotify_, POLLIN, 0}, {stop_, POLLIN, 0}};
    if (::poll(ready, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (ready[1].revents != 0) return;
    if (Concerns()) changed_();
  }
}

bool FolderWatch::Concerns() {
  alignas(inotify_event) char buffer[16 * 1024];
  bool concerns = false;
  for (;;) {
    const ssize_t got = ::read(inotify_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return concerns;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
        concerns = true;
      } else if (event->len > 0) {
        const std::string_view name(event->name, ::strnlen(event->name, event->len));
        concerns = concerns || std::find(names_.begin(), names_.end(), name) != names_.end();
      }
    }
  }
}

}  // namespace quorvel::service
