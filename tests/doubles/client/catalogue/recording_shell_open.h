#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/catalogue/components.h"

namespace quorvel::catalogue::testing {

// Starts nothing: writes down every address it is asked to open.
class RecordingShellOpen : public ShellOpen {
 public:
  struct Opened {
    std::u16string address;
    std::u16string working_directory;
  };

  bool Open(std::u16string_view address, std::u16string_view working_directory,
            std::u16string* error) override;

  // Makes every later Open fail with `error`, as when no handler is installed.
  void FailWith(std::u16string error);

  const std::vector<Opened>& opened() const { return opened_; }

 private:
  std::vector<Opened> opened_;
  bool fail_ = false;
  std::u16string error_;
};

}  // namespace quorvel::catalogue::testing
