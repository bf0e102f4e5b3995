#pragma once

namespace quorvel::catalogue {

// Holds `flag` set for as long as it lives: a transfer's "a fetch is under
// way", cleared however the fetch ends.
class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyFlag() { flag_ = false; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace quorvel::catalogue
