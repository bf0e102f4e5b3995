// A listing request's query string and a stored field, both from the wire.
// Whatever arrives, the parser must answer with a sane query or a reason, and
// a cleaned field must never be able to break a reply's framing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "protocol/listing_query_parser.h"
#include "service/store/field_cleaning.h"

namespace {

bool HasControlCharacter(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const auto parsed = quorvel::protocol::ParseListingQuery(input);
  if (const auto* query = std::get_if<quorvel::protocol::ListingQuery>(&parsed)) {
    if (query->page < 1) std::abort();
    if (query->term.size() > quorvel::protocol::kMaxTermBytes) std::abort();
    if (HasControlCharacter(query->term)) std::abort();
  } else {
    const auto& error = std::get<quorvel::protocol::QueryError>(parsed);
    if (error.reason.empty() || error.reason.find('\n') != std::string::npos) std::abort();
  }

  std::string field(input);
  quorvel::service::CleanField(field);
  if (field.find('\x01') != std::string::npos || field.find('\x02') != std::string::npos ||
      field.find('\0') != std::string::npos || field.find("?TtbBa?") != std::string::npos) {
    std::abort();
  }
  if (quorvel::service::CleanField(field) != 0) std::abort();
  return 0;
}
