#pragma once

#include <string>
#include <string_view>

#include "service/http/content_coding.h"

namespace quorvel::service {

// `identity` in `coding`: a gzip member (zlib) or a brotli stream (libbrotli)
// that decodes to exactly these bytes, or the bytes themselves for identity.
// Settings favour speed, since a reply that is not cached yet is compressed
// while its client waits: gzip level 6, brotli quality 5.  Throws
// std::bad_alloc when memory runs out, std::runtime_error when the library
// fails otherwise.  Safe from any thread.
std::string Compress(ContentCoding coding, std::string_view identity);

}  // namespace quorvel::service
