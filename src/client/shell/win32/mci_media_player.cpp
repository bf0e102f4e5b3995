#include "client/shell/win32/mci_media_player.h"

#include <mmsystem.h>

#include <memory>
#include <string>

namespace quorvel::shell {
namespace {

constexpr UINT kPlay = WM_APP + 1;    // lParam: a new std::wstring, the file
constexpr UINT kSettle = WM_APP + 2;  // lParam: an event to set
constexpr UINT kMode = WM_APP + 3;    // lParam: a Query to answer

struct Query {
  HANDLE done;
  std::u16string answer;
};

constexpr wchar_t kAlias[] = L"quorvel_music";

}  // namespace

MciMediaPlayer::MciMediaPlayer() : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  thread_ = std::thread([this] { Run(); });
  WaitForSingleObject(ready_, INFINITE);
}

MciMediaPlayer::~MciMediaPlayer() {
  PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
  thread_.join();
  CloseHandle(ready_);
}

void MciMediaPlayer::SetURL(std::u16string_view file_path) {
  Post(kPlay, reinterpret_cast<LPARAM>(new std::wstring(file_path.begin(), file_path.end())));
}

DWORD MciMediaPlayer::Settle() {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Post(kSettle, reinterpret_cast<LPARAM>(done));
  WaitForSingleObject(done, INFINITE);
  CloseHandle(done);
  return last_error_;
}

std::u16string MciMediaPlayer::Mode() {
  Query query{CreateEventW(nullptr, TRUE, FALSE, nullptr), {}};
  Post(kMode, reinterpret_cast<LPARAM>(&query));
  WaitForSingleObject(query.done, INFINITE);
  CloseHandle(query.done);
  return query.answer;
}

void MciMediaPlayer::Post(UINT message, LPARAM payload) {
  PostThreadMessageW(thread_id_, message, 0, payload);
}

void MciMediaPlayer::Run() {
  MSG message;
  // The thread's queue exists before anybody posts to it.
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  thread_id_ = GetCurrentThreadId();
  SetEvent(ready_);
  bool open = false;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    switch (message.message) {
      case kPlay: {
        const std::unique_ptr<std::wstring> file(reinterpret_cast<std::wstring*>(message.lParam));
        if (open) mciSendStringW(L"close quorvel_music", nullptr, 0, nullptr);
        const std::wstring command =
            L"open \"" + *file + L"\" type mpegvideo alias " + kAlias;
        DWORD error = mciSendStringW(command.c_str(), nullptr, 0, nullptr);
        open = error == 0;
        if (open) error = mciSendStringW(L"play quorvel_music", nullptr, 0, nullptr);
        last_error_ = error;
        break;
      }
      case kSettle:
        SetEvent(reinterpret_cast<HANDLE>(message.lParam));
        break;
      case kMode: {
        auto* query = reinterpret_cast<Query*>(message.lParam);
        wchar_t mode[64] = L"";
        if (open && mciSendStringW(L"status quorvel_music mode", mode, 64, nullptr) == 0) {
          query->answer.assign(mode, mode + lstrlenW(mode));
        }
        SetEvent(query->done);
        break;
      }
      default:
        DispatchMessageW(&message);
        break;
    }
  }
  if (open) mciSendStringW(L"close quorvel_music", nullptr, 0, nullptr);
}

}  // namespace quorvel::shell
