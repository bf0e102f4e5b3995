#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// How an import went.
struct ImportCounts {
  std::int64_t added = 0;
  std::int64_t replaced = 0;
};

// How a removal went: either `missing` names the EntryIds the catalogue does
// not hold, and nothing was changed, or `removed` entries went and `left` stay.
struct RemoveCounts {
  std::vector<std::string> missing;
  std::int64_t removed = 0;
  std::int64_t left = 0;
};

// Writes catalogue databases: the only code that opens one for writing.
class CatalogueWriter {
 public:
  // Makes sure `path` holds a catalogue.  A missing or empty file becomes a new
  // database filled with SeedCatalogue(); it is built in a ScratchFolder and
  // moved into place whole, so nobody ever opens half a seed.
  // Returns true when it created the database.  Throws StoreError when `path`
  // exists but is not a catalogue, or cannot be created.
  static bool EnsureCatalogue(const std::string& path);

  // Adds `entries` to the catalogue at `path`: an entry whose EntryId is
  // already present replaces it.  A missing or empty `path` becomes a new
  // catalogue of `entries` alone, without the starter entries.  The entries
  // must already be clean.  The result is built in a copy in a ScratchFolder
  // beside `path` and renamed over it, so `path` always holds the old
  // catalogue or the whole new one; scratch folders left by imports that were
  // killed are cleared first (nothing else is removed), and imports into one
  // catalogue take turns.  Running services notice the new catalogue at once
  // and load it in the background.
  static ImportCounts Import(const std::string& path, const std::vector<CatalogueEntry>& entries);

  // Removes the entries whose EntryIds are `entry_ids` from the catalogue at
  // `path`, all of them or, when one is not there, none; the same way as
  // Import(), in one rename.  Throws StoreError when `path` holds no
  // catalogue (it is not created).
  static RemoveCounts Remove(const std::string& path, const std::vector<std::string>& entry_ids);
};

}  // namespace quorvel::service
