#include "client/catalogue/curl/curl_event_driver.h"

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

}  // namespace

CurlEventDriver::CurlEventDriver(CurlLoop& loop) : loop_(loop) {
  CurlLibrary::Ensure();
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  if (multi_ == nullptr && easy_ != nullptr) {
    curl_easy_cleanup(easy_);
    easy_ = nullptr;
  }
  loop_.SetAction([this](curl_socket_t socket, int events) { Drive(socket, events); });
}

CurlEventDriver::~CurlEventDriver() {
  Stop();
  loop_.SetAction({});
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
}

bool CurlEventDriver::Start(DoneHandler done) {
  if (easy_ == nullptr) return false;
  done_ = std::move(done);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlEventDriver::OnSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlEventDriver::OnTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
  attached_ = true;
  return true;
}

void CurlEventDriver::Stop() {
  loop_.WakeAfter(-1);
  if (attached_) {
    attached_ = false;
    curl_multi_remove_handle(multi_, easy_);
  }
}

int CurlEventDriver::OnSocket(CURL*, curl_socket_t socket, int what, void* self, void*) {
  static_cast<CurlEventDriver*>(self)->loop_.Watch(socket, what);
  return 0;
}

int CurlEventDriver::OnTimer(CURLM*, long timeout_ms, void* self) {
  static_cast<CurlEventDriver*>(self)->loop_.WakeAfter(timeout_ms);
  return 0;
}

void CurlEventDriver::Drive(curl_socket_t socket, int events) {
  if (!attached_) return;
  int running = 0;
  curl_multi_socket_action(multi_, socket, events, &running);
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
      done_(message->data.result);
      return;
    }
  }
}

}  // namespace quorvel::catalogue
