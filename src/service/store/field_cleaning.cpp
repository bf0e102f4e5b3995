#include "service/store/field_cleaning.h"

#include <algorithm>

#include "protocol/wire_format.h"

namespace quorvel::service {

using protocol::kTrailerMarker;

int CleanField(std::string& field) {
  int removed = 0;
  const auto is_framing = [](char c) { return c == '\0' || c == '\x01' || c == '\x02'; };
  const auto end = std::remove_if(field.begin(), field.end(), is_framing);
  removed += static_cast<int>(field.end() - end);
  field.erase(end, field.end());

  // Removing one marker can join its neighbours into a new one ("?Ttb" +
  // marker + "Ba?"), so keep going until none is left.  Each pass shortens the
  // text, which bounds the loop.
  for (std::size_t at = field.find(kTrailerMarker); at != std::string::npos;
       at = field.find(kTrailerMarker,
                       at >= kTrailerMarker.size() ? at - kTrailerMarker.size() : 0)) {
    field.erase(at, kTrailerMarker.size());
    ++removed;
  }
  return removed;
}

bool IsCleanField(std::string_view field) {
  for (const char c : field) {
    if (c == '\0' || c == '\x01' || c == '\x02') return false;
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
