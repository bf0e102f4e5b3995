#pragma once

#include <curl/curl.h>

#include <functional>

namespace quorvel::catalogue {

// What a libcurl transfer needs of the event loop it runs on: its sockets
// watched and one wake-up timer.  The loop of the caller's thread is wrapped
// in one of these (Qt's in qt/), so a transfer stays on that thread with no
// worker to stop or join, and whoever owns it can end it at once.
class CurlLoop {
 public:
  // libcurl's socket action: a socket and its CURL_CSELECT_* events, or
  // CURL_SOCKET_TIMEOUT and 0 when the timer fires.
  using Action = std::function<void(curl_socket_t socket, int events)>;

  virtual ~CurlLoop() = default;
  // Called by the loop, from its own dispatch, for every ready socket and
  // every wake-up until replaced.
  virtual void SetAction(Action action) = 0;
  // What libcurl wants watched on `socket`: one of CURL_POLL_IN, _OUT,
  // _INOUT, or CURL_POLL_REMOVE to stop.
  virtual void Watch(curl_socket_t socket, int what) = 0;
  // A wake-up `timeout_ms` from now, replacing the last; negative: none.
  virtual void WakeAfter(long timeout_ms) = 0;
};

}  // namespace quorvel::catalogue
