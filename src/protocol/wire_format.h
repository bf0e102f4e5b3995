#pragma once

// The listing wire format, for the client that reads it and the service that
// writes it.  Every piece is ASCII and is written here once, in UTF-8; the
// UTF-16 form the client compares its decoded replies with is derived from it
// at compile time, so the two sides can never disagree on a byte.

#include <array>
#include <cstddef>
#include <string_view>

namespace quorvel::protocol {

namespace wire_internal {

template <std::size_t N>
consteval std::array<char16_t, N> Widen(std::string_view ascii) {
  std::array<char16_t, N> units{};
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<unsigned char>(ascii[i]) > 0x7F) throw "the wire format is ASCII only";
    units[i] = static_cast<char16_t>(ascii[i]);
  }
  return units;
}

template <const std::string_view&... kParts>
consteval auto Concatenate() {
  std::array<char, (kParts.size() + ... + 0)> bytes{};
  std::size_t at = 0;
  ((kParts.copy(bytes.data() + at, kParts.size()), at += kParts.size()), ...);
  return bytes;
}

template <const std::string_view& kText>
inline constexpr auto kUnits = Widen<kText.size()>(kText);

template <const std::string_view&... kParts>
inline constexpr auto kBytes = Concatenate<kParts...>();

}  // namespace wire_internal

// The UTF-16 form of one of the pieces below.
template <const std::string_view& kText>
inline constexpr std::u16string_view kUtf16{wire_internal::kUnits<kText>.data(), kText.size()};

// Pieces written one after the other.
template <const std::string_view&... kParts>
inline constexpr std::string_view kJoined{wire_internal::kBytes<kParts...>.data(),
                                          wire_internal::kBytes<kParts...>.size()};

// Where the listing script lives: the client's ServerUrl ends in the folder,
// and the script name with kQueryStart follows it.
inline constexpr std::string_view kListingFolder = "/adminphp/";
inline constexpr std::string_view kListingScript = "admin_upload.php";
inline constexpr std::string_view kListingPath = kJoined<kListingFolder, kListingScript>;
inline constexpr std::string_view kQueryStart = "?";

// Keys of a listing request: page=N, counted from 1, and q=TERM, percent-encoded.
inline constexpr std::string_view kPageKey = "page";
inline constexpr std::string_view kTermKey = "q";

// A reply: records of kRecordFieldCount fields, each field followed by
// kFieldSeparator and the last by kRecordSeparator, then kTrailerMarker, the
// number of matches, kCountSeparator and the page count.
inline constexpr std::string_view kRecordSeparator = "\x01";
inline constexpr std::string_view kFieldSeparator = "\x02";
inline constexpr std::string_view kTrailerMarker = "?TtbBa?";
inline constexpr std::string_view kCountSeparator = "?";
inline constexpr int kRecordFieldCount = 6;

// The DownloadLinks field: name kLinkNameSeparator address kLinkSeparator, a link each.
inline constexpr std::string_view kLinkSeparator = "/**/";
inline constexpr std::string_view kLinkNameSeparator = "/*/";

}  // namespace quorvel::protocol
