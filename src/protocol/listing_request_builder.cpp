#include "protocol/listing_request_builder.h"

#include "encoding/query_encoder.h"

namespace quorvel::protocol {
namespace {

std::u16string Widened(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string KeyValue(std::string_view key, std::u16string_view value) {
  return Widened(key) + u'=' + std::u16string(value);
}

}  // namespace

std::u16string_view TrimSpaces(std::u16string_view term) {
  const std::size_t begin = term.find_first_not_of(u' ');
  if (begin == std::u16string_view::npos) return {};
  return term.substr(begin, term.find_last_not_of(u' ') + 1 - begin);
}

std::u16string EncodeTerm(std::u16string_view term) {
  return Widened(encoding::GBtoUTF8(TrimSpaces(term)));
}

std::u16string FirstPageQuery(std::u16string_view term) {
  return KeyValue(kPageKey, u"1") + u'&' + KeyValue(kTermKey, EncodeTerm(term));
}

std::u16string PagingQuery(std::int32_t page_no) {
  return KeyValue(kPageKey, Widened(std::to_string(page_no)));
}

}  // namespace quorvel::protocol
