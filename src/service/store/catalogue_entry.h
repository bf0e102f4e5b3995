#pragma once

#include <memory>
#include <string>

namespace quorvel::service {

// One entry of the catalogue, in the order its fields travel in a listing record.
// All fields are UTF-8 text that has been through CleanField, so none of them can
// break the record framing of a reply.
struct CatalogueEntry {
  std::string category;
  std::string title;
  std::string licence_mode;
  std::string update_time;
  // name "/*/" address "/**/" for each link.  An address that starts with a
  // single "/" is a path on this service and is made absolute when served.
  std::string download_links;
  std::string entry_id;

  bool operator==(const CatalogueEntry&) const = default;
};

// Entries are shared, never changed, between the caches and the replies built from them.
using EntryPointer = std::shared_ptr<const CatalogueEntry>;

}  // namespace quorvel::service
