#include "doubles/client/catalogue/scripted_transfer.h"

#include <utility>

namespace quorvel::catalogue::testing {
namespace {

class ScriptedTransferHandle final : public Transfer {
 public:
  explicit ScriptedTransferHandle(ScriptedTransfer& transfer) : transfer_(transfer) {}
  TransferResult OpenURL(const QString& address) override { return transfer_.OpenURL(address); }

 private:
  ScriptedTransfer& transfer_;
};

}  // namespace

std::unique_ptr<Transfer> ScriptedTransfer::Handle() {
  return std::make_unique<ScriptedTransferHandle>(*this);
}

TransferResult ScriptedTransfer::OpenURL(const QString& address) {
  addresses_.append(address);
  if (log_ != nullptr) log_->append(QStringLiteral("OpenURL ") + address);
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
  result.reason = QStringLiteral("没有安排好的回复。");
  return result;
}

void ScriptedTransfer::QueueReply(QByteArray body) {
  TransferResult result;
  result.http_status = 200;
  result.body = std::move(body);
  queue_.push_back(std::move(result));
}

void ScriptedTransfer::QueueFailure(TransferResult::Failure failure, QString reason) {
  TransferResult result;
  result.failure = failure;
  result.reason = reason.isEmpty() ? QStringLiteral("连接被拒绝。") : std::move(reason);
  queue_.push_back(std::move(result));
}

void ScriptedTransfer::QueueResult(TransferResult result) { queue_.push_back(std::move(result)); }

void ScriptedTransfer::SetStandingReply(QByteArray body) {
  standing_reply_ = std::move(body);
  has_standing_reply_ = true;
}

void ScriptedTransfer::SetResponder(std::function<TransferResult(const QString&)> responder) {
  responder_ = std::move(responder);
}

}  // namespace quorvel::catalogue::testing
