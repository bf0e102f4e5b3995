#pragma once

// Temporary: the shell core's component interfaces in standard C++, as the
// core is about to have them (see catalogue/win32/provisional_core.h); goes
// when the core lands.

#include <string_view>

namespace quorvel::shell {

class WebBrowser {
 public:
  virtual ~WebBrowser() = default;
  virtual void Navigate(std::u16string_view address) = 0;
};

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;
  virtual void SetURL(std::u16string_view file_path) = 0;
};

}  // namespace quorvel::shell
