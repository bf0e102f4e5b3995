#pragma once

// The three notifications through which a host gives a progress bar its
// settings: the creation values of a new instance, the restore of a saved
// one, and the save. The keys, their defaults and the order of each of the
// three come from the property table (property_table.h in the source tree;
// the table under "Properties" in the library's documentation lists them).

#include "quorvel/progressbar/progress_bar.h"
#include "quorvel/progressbar/progress_bar_host.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// Gives a new instance its creation values through the setters (each of
// which notifies the host and repaints), last TextFont = the host's ambient
// font object itself; the custom colours stay 0. Stops at the first setter
// that fails and returns its failure; what was set before stays set.
QUORVEL_PROGRESSBAR_EXPORT Status InitProperties(ProgressBar& bar, const ProgressBarHost& host);

// Restores a saved instance from `store`, key by key in the table's order,
// through the setters, so Max, Min and Value are clamped against the bounds
// restored before them. The host's display name and font are fetched as the
// defaults of "Text" and "TextFont" when those keys are read. A stored value
// that cannot be read as its property's type counts as absent (the key's
// default is used), and a setter that fails leaves its value stored: either
// way the remaining keys are still restored, and nothing is reported.
QUORVEL_PROGRESSBAR_EXPORT void ReadProperties(ProgressBar& bar, const ProgressBarHost& host,
                                               PropertyStore& store);

// Saves `bar` into `store` in the save order, each key with its save
// default (a value equal to it is left out). The font is the control's own
// object (FontRef); its default is the ambient font, fetched just before.
// Stops at the first write that fails and returns its failure; keys written
// before it stay written.
QUORVEL_PROGRESSBAR_EXPORT Status WriteProperties(const ProgressBar& bar,
                                                  const ProgressBarHost& host,
                                                  PropertyStore& store);

}  // namespace quorvel::progressbar
