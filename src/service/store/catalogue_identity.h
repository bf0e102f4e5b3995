#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "service/store/catalogue_file_state.h"

namespace quorvel::service {

// Names the content of one catalogue as loaded.  Made of the content stamp
// that every import (and the starter catalogue) writes into the catalogue's
// own metadata, a random 128-bit number, and of the file as it was when the
// load began: device, inode, sizes and write times of the file and its log,
// and SQLite's own commit marks.  Loading the same unchanged file gives the
// same identity in this process or any other, so it may be shown to clients;
// an import, a restored backup or a committed edit gives another, even when
// a removed file's inode is reused.
struct CatalogueIdentity {
  // 32 hex digits of the stamp (zeros for a file no import has stamped), "-",
  // then 16 hex digits of the file's state.
  std::string tag;
  // The latest write to the catalogue file or its log, or the moment it was
  // put in place if that came later: a file with an older write time renamed
  // over the path (a restored backup, a copy that kept its times) is still
  // newer than what was served before it.
  std::chrono::system_clock::time_point modified;

  bool operator==(const CatalogueIdentity&) const = default;

  static CatalogueIdentity Of(std::string_view stamp, const CatalogueFileState& file,
                              std::uint64_t commit_marks);
};

}  // namespace quorvel::service
