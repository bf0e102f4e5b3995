#pragma once

// Listing replies for the client's tests, in standard C++ so that the tests
// of the client's logic need no platform.  Fields and trailers are written
// in UTF-8, as they go on the wire.

#include <string>
#include <string_view>
#include <vector>

#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue::testing {

using Fields = std::vector<std::string>;

// Builds a listing reply: every record followed by U+0001, its fields joined
// by U+0002, then the trailer text after the marker "?TtbBa?".
inline std::string Reply(const std::vector<Fields>& records, std::string_view trailer) {
  std::string bytes;
  for (const Fields& fields : records) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) bytes += '\x02';
      bytes += fields[i];
    }
    bytes += '\x01';
  }
  bytes += "?TtbBa?";
  bytes += trailer;
  return bytes;
}

// A full record with recognisable fields: "c<n>", "t<n>", ... "id<n>".
inline Fields Record(int n) {
  const std::string k = std::to_string(n);
  return {"c" + k, "t" + k, "m" + k, "u" + k, "n" + k + "/*/http://h/" + k + "/**/", "id" + k};
}

inline std::vector<Fields> Records(int count) {
  std::vector<Fields> records;
  for (int i = 0; i < count; ++i) records.push_back(Record(i));
  return records;
}

// UTF-8 text as the client holds it.
inline std::u16string U(std::string_view utf8) { return encoding::Utf8ToUnicode(utf8); }

}  // namespace quorvel::catalogue::testing
