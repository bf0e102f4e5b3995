#pragma once

#include "client/catalogue/components.h"

namespace quorvel::catalogue {

// Hands a download address that passes the address guard to the system's
// default handler with ShellExecuteW and the verb "open": the UTF-16 address
// as it is, so that addresses outside the ANSI code page arrive whole.  A
// handler that starts but then fails is beyond what the call can see.
class ShellExecuteOpen : public ShellOpen {
 public:
  bool Open(std::u16string_view address, std::u16string_view working_directory,
            std::u16string* error) override;
};

}  // namespace quorvel::catalogue
