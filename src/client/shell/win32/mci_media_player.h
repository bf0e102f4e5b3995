#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "client/shell/media_player.h"

namespace quorvel::shell {

// Plays a sound file once through MCI (the "mpegvideo" device, which plays
// MP3).  MCI can take seconds to find out that there is no sound device, so
// the device lives on a thread of its own and SetURL never waits for it.
// Every failure is silent: the program goes on without music.
class MciMediaPlayer : public MediaPlayer {
 public:
  MciMediaPlayer();
  ~MciMediaPlayer() override;
  MciMediaPlayer(const MciMediaPlayer&) = delete;
  MciMediaPlayer& operator=(const MciMediaPlayer&) = delete;

  // Closes what played before and plays `file_path`.
  void SetURL(std::u16string_view file_path) override;

  // For tests: waits until every SetURL so far has been carried out and
  // gives MCI's answer to the last one (0 when it plays).
  DWORD Settle();
  // For tests: MCI's word for the device's state ("playing", "stopped", ...),
  // empty when nothing is open.
  std::u16string Mode();

 private:
  void Run();
  void Post(UINT message, LPARAM payload);

  HANDLE ready_;
  std::thread thread_;
  DWORD thread_id_ = 0;
  std::atomic<DWORD> last_error_{0};
};

}  // namespace quorvel::shell
