#pragma once

#include <QString>

namespace quorvel::shell {

// Plays one sound file.  Setting the address starts it; it plays once.
class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;
  virtual void SetURL(const QString& file_path) = 0;
};

}  // namespace quorvel::shell
