#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/catalogue/components.h"

namespace quorvel::catalogue::testing {

// Answers each fetch with the next scripted result and writes down every
// address asked for.  With nothing scripted it keeps answering with the
// standing reply when one is set, and fails otherwise.  A responder can hand
// every fetch to a real transfer, so that the addresses are still recorded.
class ScriptedTransfer : public Transfer {
 public:
  using Responder = std::function<TransferResult(std::u16string_view address)>;

  TransferResult OpenURL(std::u16string_view address) override;

  void QueueReply(std::string body);
  void QueueFailure(TransferResult::Failure failure, std::u16string reason = {});
  void QueueResult(TransferResult result);
  void SetStandingReply(std::string body);
  // Called with each address; its result wins over the queue when set.
  void SetResponder(Responder responder);

  // Also writes "OpenURL <address>" into `log`, which must outlive this
  // transfer: a test sees the fetches in order among other components' calls.
  void WriteLogTo(std::vector<std::u16string>* log) { log_ = log; }
  // A transfer for an owner that wants one of its own, such as the main
  // window: every fetch goes to this one, which must outlive it.
  std::unique_ptr<Transfer> Handle();

  const std::vector<std::u16string>& addresses() const { return addresses_; }
  std::size_t pending() const { return queue_.size(); }

 private:
  std::deque<TransferResult> queue_;
  Responder responder_;
  std::string standing_reply_;
  bool has_standing_reply_ = false;
  std::vector<std::u16string> addresses_;
  std::vector<std::u16string>* log_ = nullptr;
};

}  // namespace quorvel::catalogue::testing
