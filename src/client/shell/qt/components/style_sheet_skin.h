#pragma once

#include <QPalette>

#include "client/shell/skin.h"

namespace quorvel::shell {

// A skin file is a Qt style sheet in UTF-8, applied to the whole application
// together with the skin's light palette, so that no colour of the desktop's
// (a dark theme's light text) mixes with the sheet's light grounds.  The
// password is accepted for the call's sake; skin files are not encrypted.
class StyleSheetSkin final : public Skin {
 public:
  bool SkinH_AttachEx(std::u16string_view skin_file, std::u16string_view password) override;

  // Every role in every colour group.
  static QPalette SkinPalette();
};

}  // namespace quorvel::shell
