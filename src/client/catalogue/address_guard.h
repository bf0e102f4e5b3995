#pragma once

// Download addresses come from the network, so only kinds of address that a
// browser or a download manager opens are handed to the system.

#include <string>
#include <string_view>

namespace quorvel::catalogue {

struct AddressCheck {
  bool allowed = false;
  std::u16string reason;  // one sentence for the user when refused
};

// Allowed: the schemes http, https, ftp, magnet, ed2k and thunder, in any
// letter case, followed by something to open (a host after "//" for http,
// https and ftp).  Refused: anything else (file:, bare paths, javascript:,
// data:, unknown schemes), an empty address, an address starting with "-"
// (a handler would read it as an option), one holding control characters or
// a lone surrogate, and one too long to be a download address.
AddressCheck CheckOpenableAddress(std::u16string_view address);

}  // namespace quorvel::catalogue
