#pragma once

// The three notifications through which a host gives a progress bar its
// settings: the creation defaults of a new instance, the restore of a saved
// one, and the save.
//
// Keys, in restore order, with the default a restore passes for an absent key
// and the one a save passes (a value equal to it is left out):
//   "Max" 100 / 100            "Min" 0 / 0            "Value" 50 / 50
//   "RoundedValue" 5 / 5       "Enabled" true / true  "Theme" 1 / 1
//   "TextStyle" 1 / 1          "Orientations" 1 / 1
//   "Text" the display name / "" (empty)
//   "TextEffectColor" RGB(200, 200, 200) / the same
//   "TextEffect" 1 / 1         "TextAlignment" 5 / 5
//   "TextFont" the ambient font / the ambient font
//   "TextForeColor" 0 / 0      "PBSCustomeColor2" 0 / 0
//   "PBSCustomeColor1" 0 / 0
// A new instance differs from these in TextStyle (3), Text ("Vorn
// ProgressBar"), TextEffectColor (white) and TextEffect (5), so it saves those
// four keys.

#include "quorvel/progressbar/progress_bar.h"
#include "quorvel/progressbar/progress_bar_host.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// Gives a new instance its creation values through the setters (each of
// which notifies the host and repaints): Max 100, Min 0, Value 50,
// RoundedValue 5, Enabled true, Theme 1, TextForeColor 0, Text "Vorn
// ProgressBar", TextAlignment 5, TextEffect 5, TextEffectColor white,
// TextStyle 3, Orientations 1 and last TextFont = the host's ambient font
// object itself. The custom colours stay 0. Stops at the first setter that
// fails and returns its failure; what was set before stays set.
QUORVEL_PROGRESSBAR_EXPORT Status InitProperties(ProgressBar& bar, const ProgressBarHost& host);

// Restores a saved instance from `store`, key by key in the order above,
// through the setters, so Max, Min and Value are clamped against the bounds
// restored before them. The host's display name and font are fetched as the
// defaults of "Text" and "TextFont" when those keys are read. A stored value
// that cannot be read as its property's type counts as absent (the key's
// default is used), and a setter that fails leaves its value stored: either
// way the remaining keys are still restored, and nothing is reported.
QUORVEL_PROGRESSBAR_EXPORT void ReadProperties(ProgressBar& bar, const ProgressBarHost& host,
                                               PropertyStore& store);

// Saves `bar` into `store` in the order "Orientations", "Max", "Min",
// "Value", "RoundedValue", "Enabled", "Theme", "TextStyle", "TextFont",
// "TextForeColor", "TextAlignment", "Text", "TextEffectColor", "TextEffect",
// "PBSCustomeColor2", "PBSCustomeColor1", each with its save default. The
// font is the control's own object (FontRef); its default is the ambient
// font, fetched just before. Stops at the first write that fails and returns
// its failure; keys written before it stay written.
QUORVEL_PROGRESSBAR_EXPORT Status WriteProperties(const ProgressBar& bar,
                                                  const ProgressBarHost& host,
                                                  PropertyStore& store);

}  // namespace quorvel::progressbar
