#include "service/store/field_cleaning.h"

#include "protocol/wire_format.h"

namespace quorvel::service {

using protocol::kFieldSeparator;
using protocol::kRecordSeparator;
using protocol::kTrailerMarker;

namespace {

bool IsFraming(char c) { return c == '\0' || c == kRecordSeparator[0] || c == kFieldSeparator[0]; }

}  // namespace

int CleanField(std::string& field) {
  int removed = 0;
  // The clean text is written over the field as it is read, never ahead of it.
  std::size_t kept = 0;
  for (std::size_t read = 0; read < field.size(); ++read) {
    const char c = field[read];
    if (IsFraming(c)) {
      ++removed;
      continue;
    }
    field[kept++] = c;
    // Removing one marker can join its neighbours into a new one ("?Ttb" +
    // marker + "Ba?"); looking at the end of the clean text after every
    // character finds those as they form, so one pass removes them all.
    if (c == kTrailerMarker.back() && kept >= kTrailerMarker.size() &&
        std::string_view(field.data() + kept - kTrailerMarker.size(), kTrailerMarker.size()) ==
            kTrailerMarker) {
      kept -= kTrailerMarker.size();
      ++removed;
    }
  }
  field.resize(kept);
  return removed;
}

bool IsCleanField(std::string_view field) {
  for (const char c : field) {
    if (IsFraming(c)) return false;
  }
  return field.find(kTrailerMarker) == std::string_view::npos;
}

int CleanEntry(CatalogueEntry& entry) {
  int changed = 0;
  for (std::string* field : {&entry.category, &entry.title, &entry.licence_mode, &entry.update_time,
                             &entry.download_links, &entry.entry_id}) {
    if (CleanField(*field) > 0) ++changed;
  }
  return changed;
}

}  // namespace quorvel::service
