#pragma once

#include <string>
#include <string_view>

#include "service/http/content_coding.h"

namespace quorvel::service {

// How hard to try: kQuick for a reply that may never be asked again (gzip
// level 1, brotli quality 0), kThorough for one that is (gzip level 6, brotli
// quality 5).  On a listing page the quick one takes a fifth (brotli) to
// two thirds (gzip) of the time, for up to a third more bytes.  Either is
// quick enough to run while the client waits.
enum class CompressionEffort { kQuick, kThorough };

// `identity` in `coding`: a gzip member (zlib) or a brotli stream (libbrotli)
// that decodes to exactly these bytes, or the bytes themselves for identity.
// Throws std::bad_alloc when memory runs out, std::runtime_error when the
// library fails otherwise.  Safe from any thread.
std::string Compress(ContentCoding coding, std::string_view identity,
                     CompressionEffort effort = CompressionEffort::kThorough);

}  // namespace quorvel::service
