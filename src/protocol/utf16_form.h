#pragma once

// UTF-16 forms of UTF-8 texts, made at compile time.  The service writes
// UTF-8 and the client compares and shows UTF-16; a value both sides need is
// written once, in UTF-8, and its UTF-16 form derived from it here, so the
// two can never drift apart.  Malformed UTF-8 stops the build.

#include <array>
#include <cstddef>
#include <string_view>

namespace quorvel::protocol {

namespace utf16_internal {

// Decode() to Encode() are constexpr rather than consteval only because
// clang 14 refuses consteval calls made inside a consteval function template.
// They run while compiling all the same: they only initialise constexpr
// variables, where malformed UTF-8 stops the build.

struct CodePoint {
  char32_t value;
  std::size_t bytes;  // of its UTF-8 form
};

// The code point whose UTF-8 form starts `text` at `at`.
constexpr CodePoint Decode(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) -> char32_t {
    if (at + i >= text.size()) throw "a UTF-8 sequence is cut short";
    return static_cast<unsigned char>(text[at + i]);
  };
  const char32_t lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t bytes = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    bytes = 2, value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    bytes = 3, value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    bytes = 4, value = lead & 0x07, least = 0x10000;
  } else {
    throw "not a UTF-8 lead byte";
  }
  for (std::size_t i = 1; i < bytes; ++i) {
    if ((byte(i) & 0xC0) != 0x80) throw "not a UTF-8 continuation byte";
    value = (value << 6) | (byte(i) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    throw "not the UTF-8 form of a Unicode scalar value";
  }
  return {value, bytes};
}

// UTF-16 code units of `text`.
constexpr std::size_t Units(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    const CodePoint point = Decode(text, at);
    units += point.value >= 0x10000 ? 2 : 1;
    at += point.bytes;
  }
  return units;
}

template <const auto& kTexts>
constexpr std::size_t TotalUnits() {
  std::size_t units = 0;
  for (const std::string_view text : kTexts) units += Units(text);
  return units;
}

// Every text of kTexts in UTF-16, one after the other.
template <const auto& kTexts, std::size_t kUnits>
constexpr std::array<char16_t, kUnits> Encode() {
  std::array<char16_t, kUnits> units{};
  std::size_t out = 0;
  for (const std::string_view text : kTexts) {
    for (std::size_t at = 0; at < text.size();) {
      const CodePoint point = Decode(text, at);
      if (point.value >= 0x10000) {
        units[out++] = static_cast<char16_t>(0xD800 + ((point.value - 0x10000) >> 10));
        units[out++] = static_cast<char16_t>(0xDC00 + ((point.value - 0x10000) & 0x3FF));
      } else {
        units[out++] = static_cast<char16_t>(point.value);
      }
      at += point.bytes;
    }
  }
  return units;
}

template <const auto& kTexts>
inline constexpr auto kJoinedUnits = Encode<kTexts, TotalUnits<kTexts>()>();

template <const auto& kTexts>
consteval auto Views() {
  std::array<std::u16string_view, std::size(kTexts)> views{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < views.size(); ++i) {
    const std::size_t units = Units(kTexts[i]);
    views[i] = std::u16string_view(kJoinedUnits<kTexts>.data() + at, units);
    at += units;
  }
  return views;
}

}  // namespace utf16_internal

// The UTF-16 forms of an array of UTF-8 texts, in the same order.
template <const auto& kTexts>
inline constexpr auto kUtf16Forms = utf16_internal::Views<kTexts>();

}  // namespace quorvel::protocol
