#pragma once

#include <string_view>

namespace quorvel::shell {

// Plays one sound file.  Setting the address starts it; it plays once.
class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;
  virtual void SetURL(std::u16string_view file_path) = 0;
};

}  // namespace quorvel::shell
