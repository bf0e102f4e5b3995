#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "service/http/content_coding.h"
#include "service/http/http_date.h"

namespace quorvel::service {

// What caches and clients are told about a reply, and whether a conditional
// request may be answered with 304 Not Modified.
//
// The entity tag names the catalogue loaded (its identity, which no other
// content can share), what the request asked of it (as the first 128 bits of
// its SHA-256, so that no two requests share a tag), and the coding of the
// body.  A strong tag names those bytes alone.  A weak one ("W/" before it)
// names a body that decodes to the same text but was compressed with less
// effort than the strong one's: a client or cache that holds either gets 304
// from the other, as If-None-Match compares weakly.
struct ConditionalReply {
  // `identity_tag` names the catalogue (empty for content built into the
  // program), `subject` everything else the body depends on, such as the
  // page, the term, the page size and the origin where links carry it.
  static std::string EntityTag(std::string_view identity_tag, std::string_view subject,
                               ContentCoding coding, bool weak = false);

  // Cache-Control for a reply that may be held `max_age_seconds`: 0 lets
  // caches keep it only to ask again each time ("no-cache").  A reply that
  // is not `shared` may be kept by the client alone ("private").
  static std::string CacheControl(int max_age_seconds, bool shared = true);

  // Whether a GET or HEAD that sent these headers (null: not sent) may be
  // answered 304 for a reply with `entity_tag` and `last_modified`.
  // If-None-Match decides when present (weak comparison, "*" matches
  // anything); If-Modified-Since only without it, and only when it can be
  // read and the reply has a modification time.
  static bool NotModified(const char* if_none_match, const char* if_modified_since,
                          std::string_view entity_tag,
                          const std::optional<SystemTime>& last_modified);
};

}  // namespace quorvel::service
