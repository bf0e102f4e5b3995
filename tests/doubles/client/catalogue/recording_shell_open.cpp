#include "doubles/client/catalogue/recording_shell_open.h"

#include <utility>

namespace quorvel::catalogue::testing {

bool RecordingShellOpen::Open(const QString& address, const QString& working_directory,
                              QString* error) {
  opened_.push_back({address, working_directory});
  if (fail_ && error != nullptr) *error = error_;
  return !fail_;
}

void RecordingShellOpen::FailWith(QString error) {
  fail_ = true;
  error_ = std::move(error);
}

}  // namespace quorvel::catalogue::testing
