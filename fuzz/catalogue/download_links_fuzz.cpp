// Any DownloadLinks text splits into names and addresses line for line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "catalogue/address_guard.h"
#include "catalogue/download_links.h"

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
  const DownloadLinkLists lists = SplitDownloadLinks(field);
  Check(lists.names.size() == lists.addresses.size(), "names and addresses apart");
  Check(lists.names.size() <= field.count(QStringLiteral("/**/")), "more links than terminators");
  for (int i = 0; i < lists.names.size(); ++i) {
    Check(!lists.names[i].contains(QStringLiteral("/*/")), "separator inside a name");
    Check(!lists.addresses[i].contains(QStringLiteral("/*/")), "separator inside an address");
    Check(!lists.addresses[i].contains(QStringLiteral("/**/")), "terminator inside an address");
    const AddressCheck check = CheckOpenableAddress(lists.addresses[i]);
    Check(check.allowed == check.reason.isEmpty(), "refusal without a reason");
    if (check.allowed) Check(!lists.addresses[i].startsWith('-'), "option-like address allowed");
  }
  return 0;
}
