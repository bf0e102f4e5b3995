#include "recording_host.h"

namespace quorvel::progressbar::testing {

namespace {
constexpr std::string_view kPrefix = "PropertyChanged ";
}

Status RecordingHost::PropertyChanged(std::string_view name) {
  log.push_back(std::string(kPrefix) + std::string(name));
  if (fail_for == "*" || fail_for == name) {
    return Status::Failure("host refused " + std::string(name));
  }
  return Status::Ok();
}

std::vector<std::string> RecordingHost::Notifications() const {
  std::vector<std::string> names;
  for (const std::string& line : log) {
    if (line.starts_with(kPrefix)) names.push_back(line.substr(kPrefix.size()));
  }
  return names;
}

}  // namespace quorvel::progressbar::testing
