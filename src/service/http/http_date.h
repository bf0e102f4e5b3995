#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::service {

using SystemTime = std::chrono::system_clock::time_point;

// "Sun, 06 Nov 1994 08:49:37 GMT": the one form a server sends.  Fractions of
// a second are dropped.
std::string FormatHttpDate(SystemTime time);

// Reads the three forms a client may send: the one above, the obsolete
// "Sunday, 06-Nov-94 08:49:37 GMT" and asctime's "Sun Nov  6 08:49:37 1994".
// Nothing when `text` is none of them, names no real moment or a year
// outside 1900 to 2200 (which a client's copy can hardly carry); the day name
// is not checked against the date.
std::optional<SystemTime> ParseHttpDate(std::string_view text);

}  // namespace quorvel::service
