#pragma once

#include <string_view>

namespace quorvel::shell {

// Gives every window of the program the look described in a skin file.
class Skin {
 public:
  virtual ~Skin() = default;
  // False when the skin could not be applied; the windows then keep the
  // platform's standard look.
  virtual bool SkinH_AttachEx(std::u16string_view skin_file, std::u16string_view password) = 0;
};

}  // namespace quorvel::shell
