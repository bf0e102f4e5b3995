#pragma once

#include <string>
#include <utility>

namespace quorvel::progressbar {

// The outcome of a step that can fail: success, or a failure with a reason.
//
// The control reports failures to its caller instead of throwing: a painter
// given an impossible rectangle, a setter whose host refused the change
// notification. Callers that run their steps guarded look at ok() and carry
// on with their next step.
class [[nodiscard]] Status {
 public:
  static Status Ok() { return Status(); }
  static Status Failure(std::string reason) { return Status(std::move(reason)); }

  bool ok() const { return !failed_; }
  // Empty when ok().
  const std::string& reason() const { return reason_; }

 private:
  Status() = default;
  explicit Status(std::string reason) : failed_(true), reason_(std::move(reason)) {}

  bool failed_ = false;
  std::string reason_;
};

}  // namespace quorvel::progressbar
