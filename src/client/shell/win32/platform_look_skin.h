#pragma once

#include "client/shell/skin.h"

namespace quorvel::shell {

// The skin is a style sheet of the Qt windows; the Win32 windows keep the
// platform's visual styles, so the start-up's skin step is skipped.
class PlatformLookSkin final : public Skin {
 public:
  bool SkinH_AttachEx(std::u16string_view, std::u16string_view) override { return false; }
};

}  // namespace quorvel::shell
