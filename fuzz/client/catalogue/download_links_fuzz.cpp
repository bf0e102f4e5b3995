// Any DownloadLinks text splits into links whose parts hold no separator, and
// no address the guard lets through looks like an option.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "client/catalogue/address_guard.h"
#include "client/catalogue/listing_service.h"
#include "protocol/listing_reply_parser.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "download links: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel::catalogue;
  const QString field =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto links = quorvel::protocol::SplitDownloadLinks(View16(field));
  Check(links.size() <= static_cast<std::size_t>(field.count(QStringLiteral("/**/"))),
        "more links than terminators");
  for (const quorvel::protocol::DownloadLink& link : links) {
    const QString name = ToQString(link.name);
    const QString address = ToQString(link.address);
    Check(!name.contains(QStringLiteral("/*/")), "separator inside a name");
    Check(!address.contains(QStringLiteral("/*/")), "separator inside an address");
    Check(!address.contains(QStringLiteral("/**/")), "terminator inside an address");
    const AddressCheck check = CheckOpenableAddress(address);
    Check(check.allowed == check.reason.isEmpty(), "refusal without a reason");
    if (check.allowed) Check(!address.startsWith('-'), "option-like address allowed");
  }
  return 0;
}
