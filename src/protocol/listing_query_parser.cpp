#include "protocol/listing_query_parser.h"

#include <limits>
#include <optional>

#include "protocol/percent_decoding.h"
#include "protocol/wire_format.h"

namespace quorvel::protocol {
namespace {

constexpr std::string_view kBadPage = "page must be a whole number from 1 to 2147483647";

std::optional<std::int32_t> ParsePageNumber(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  }
  if (value < 1) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::variant<ListingQuery, QueryError> ParseListingQuery(std::string_view raw_query) {
  ListingQuery query;
  bool have_page = false;
  bool have_term = false;
  while (!raw_query.empty()) {
    const std::size_t amp = raw_query.find('&');
    const std::string_view part = raw_query.substr(0, amp);
    raw_query = amp == std::string_view::npos ? std::string_view() : raw_query.substr(amp + 1);
    if (part.empty()) continue;

    const std::size_t eq = part.find('=');
    const std::optional<std::string> key = PercentDecode(part.substr(0, eq));
    std::optional<std::string> value =
        PercentDecode(eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1));
    if (!key || !value) return QueryError{"malformed percent escape in the query"};

    if (*key == kPageKey) {
      if (have_page) return QueryError{"page is given more than once"};
      const std::optional<std::int32_t> page = ParsePageNumber(*value);
      if (!page) return QueryError{std::string(kBadPage)};
      query.page = *page;
      have_page = true;
    } else if (*key == kTermKey) {
      if (have_term) return QueryError{"q is given more than once"};
      if (value->size() > kMaxTermBytes) {
        return QueryError{"q is longer than " + std::to_string(kMaxTermBytes) + " bytes"};
      }
      if (!IsValidUtf8(*value)) return QueryError{"q is not valid UTF-8"};
      if (HasControlCharacter(*value)) return QueryError{"q contains a control character"};
      query.term = std::move(*value);
      have_term = true;
    }
  }
  if (!have_page) return QueryError{"missing page: the query needs page=N, N from 1"};
  return query;
}

}  // namespace quorvel::protocol
