#pragma once

#include <memory>

#include "client/shell/media_player.h"

class QAudioOutput;
class QMediaPlayer;

namespace quorvel::shell {

// QMediaPlayer on the default audio output at half volume.  Without a sound
// device the backend plays into nothing; the program is not told and does
// not need to be.
class QtMediaPlayer final : public MediaPlayer {
 public:
  QtMediaPlayer();
  ~QtMediaPlayer() override;

  void SetURL(std::u16string_view file_path) override;

  const QMediaPlayer& Player() const { return *player_; }
  const QAudioOutput& Output() const { return *output_; }

 private:
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
};

}  // namespace quorvel::shell
