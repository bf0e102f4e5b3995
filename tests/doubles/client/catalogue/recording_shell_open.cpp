#include "doubles/client/catalogue/recording_shell_open.h"

#include <utility>

namespace quorvel::catalogue::testing {

bool RecordingShellOpen::Open(std::u16string_view address, std::u16string_view working_directory,
                              std::u16string* error) {
  opened_.push_back({std::u16string(address), std::u16string(working_directory)});
  if (fail_ && error != nullptr) *error = error_;
  return !fail_;
}

void RecordingShellOpen::FailWith(std::u16string error) {
  fail_ = true;
  error_ = std::move(error);
}

}  // namespace quorvel::catalogue::testing
