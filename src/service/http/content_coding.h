#pragma once

#include <string_view>

namespace quorvel::service {

// The forms a reply body is sent in.
enum class ContentCoding { kIdentity, kGzip, kBrotli };

inline constexpr int kContentCodings = 3;

// The name in Content-Encoding: "gzip", "br"; empty for identity.
std::string_view CodingName(ContentCoding coding);

// The coding to send to a client that sent `accept_encoding` (null: no such
// header).  Of the codings it accepts, the one with the highest q-value wins;
// on a tie br before gzip before identity.  Identity is the answer when the
// header is absent or empty, names nothing this service makes, or refuses
// everything: a reply the client did not ask to have coded is always one it
// can read.  "x-gzip" counts as gzip, "*" stands for every coding not named;
// a coding named twice counts at the lesser of its q-values.
ContentCoding ChooseCoding(const char* accept_encoding);

}  // namespace quorvel::service
