#pragma once

#include "shell/skin.h"

namespace quorvel::shell {

// A skin file is a Qt style sheet in UTF-8, applied to the whole application.
// The password is accepted for the call's sake; skin files are not encrypted.
class StyleSheetSkin final : public Skin {
 public:
  bool SkinH_AttachEx(const QString& skin_file, const QString& password) override;
};

}  // namespace quorvel::shell
