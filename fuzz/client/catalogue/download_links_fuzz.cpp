// Any DownloadLinks text splits into links whose parts hold no separator, and
// no address the guard lets through looks like an option.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/catalogue/address_guard.h"
#include "encoding/utf8_decoder.h"
#include "protocol/listing_reply_parser.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "download links: %s\n", what);
    std::abort();
  }
}

// Occurrences of `part` in `text`, overlapping ones too: an upper bound.
std::size_t Count(std::u16string_view text, std::u16string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::u16string_view::npos;
       at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel::catalogue;
  const std::u16string field =
      quorvel::encoding::Utf8ToUnicode(std::string_view(reinterpret_cast<const char*>(data), size));
  const auto links = quorvel::protocol::SplitDownloadLinks(field);
  Check(links.size() <= Count(field, u"/**/"), "more links than terminators");
  for (const quorvel::protocol::DownloadLink& link : links) {
    Check(link.name.find(u"/*/") == std::u16string_view::npos, "separator inside a name");
    Check(link.address.find(u"/*/") == std::u16string_view::npos, "separator inside an address");
    Check(link.address.find(u"/**/") == std::u16string_view::npos, "terminator inside an address");
    const AddressCheck check = CheckOpenableAddress(link.address);
    Check(check.allowed == check.reason.empty(), "refusal without a reason");
    if (check.allowed) Check(!link.address.starts_with(u'-'), "option-like address allowed");
  }
  return 0;
}
