#include "doubles/client/catalogue/scripted_transfer.h"

#include <utility>

namespace quorvel::catalogue::testing {
namespace {

class ScriptedTransferHandle final : public Transfer {
 public:
  explicit ScriptedTransferHandle(ScriptedTransfer& transfer) : transfer_(transfer) {}
  TransferResult OpenURL(std::u16string_view address) override {
    return transfer_.OpenURL(address);
  }

 private:
  ScriptedTransfer& transfer_;
};

}  // namespace

std::unique_ptr<Transfer> ScriptedTransfer::Handle() {
  return std::make_unique<ScriptedTransferHandle>(*this);
}

TransferResult ScriptedTransfer::OpenURL(std::u16string_view address) {
  addresses_.emplace_back(address);
  if (log_ != nullptr) log_->push_back(u"OpenURL " + std::u16string(address));
  if (responder_) return responder_(address);
  if (!queue_.empty()) {
    TransferResult result = std::move(queue_.front());
    queue_.pop_front();
    return result;
  }
  if (has_standing_reply_) {
    TransferResult result;
    result.http_status = 200;
    result.body = standing_reply_;
    return result;
  }
  TransferResult result;
  result.failure = TransferResult::Failure::kOther;
  result.reason = u"没有安排好的回复。";
  return result;
}

void ScriptedTransfer::QueueReply(std::string body) {
  TransferResult result;
  result.http_status = 200;
  result.body = std::move(body);
  queue_.push_back(std::move(result));
}

void ScriptedTransfer::QueueFailure(TransferResult::Failure failure, std::u16string reason) {
  TransferResult result;
  result.failure = failure;
  result.reason = reason.empty() ? std::u16string(u"连接被拒绝。") : std::move(reason);
  queue_.push_back(std::move(result));
}

void ScriptedTransfer::QueueResult(TransferResult result) { queue_.push_back(std::move(result)); }

void ScriptedTransfer::SetStandingReply(std::string body) {
  standing_reply_ = std::move(body);
  has_standing_reply_ = true;
}

void ScriptedTransfer::SetResponder(Responder responder) { responder_ = std::move(responder); }

}  // namespace quorvel::catalogue::testing
