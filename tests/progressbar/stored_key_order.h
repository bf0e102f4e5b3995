#pragma once

#include <string>
#include <vector>

namespace quorvel::progressbar::testing {

// The order in which a restore reads the stored keys and notifies the host:
// the range first, so that Value is clamped against the restored Max and Min.
inline const std::vector<std::string> kReadOrder{"Max",
                                                 "Min",
                                                 "Value",
                                                 "RoundedValue",
                                                 "Enabled",
                                                 "Theme",
                                                 "TextStyle",
                                                 "Orientations",
                                                 "Text",
                                                 "TextEffectColor",
                                                 "TextEffect",
                                                 "TextAlignment",
                                                 "TextFont",
                                                 "TextForeColor",
                                                 "PBSCustomeColor2",
                                                 "PBSCustomeColor1"};

}  // namespace quorvel::progressbar::testing
