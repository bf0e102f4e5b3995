#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

#include "client/catalogue/components.h"

namespace quorvel::catalogue::testing {

// Answers each fetch with the next scripted result and writes down every
// address asked for.  With nothing scripted it keeps answering with the
// standing reply when one is set, and fails otherwise.  A responder can hand
// every fetch to a real transfer, so that the addresses are still recorded.
class ScriptedTransfer : public Transfer {
 public:
  TransferResult OpenURL(const QString& address) override;

  void QueueReply(QByteArray body);
  void QueueFailure(TransferResult::Failure failure, QString reason = QString());
  void QueueResult(TransferResult result);
  void SetStandingReply(QByteArray body);
  // Called with each address; its result wins over the queue when set.
  void SetResponder(std::function<TransferResult(const QString&)> responder);

  // Also writes "OpenURL <address>" into `log`, which must outlive this
  // transfer: a test sees the fetches in order among other components' calls.
  void WriteLogTo(QStringList* log) { log_ = log; }
  // A transfer for an owner that wants one of its own, such as the main
  // window: every fetch goes to this one, which must outlive it.
  std::unique_ptr<Transfer> Handle();

  const QStringList& addresses() const { return addresses_; }
  std::size_t pending() const { return queue_.size(); }

 private:
  std::deque<TransferResult> queue_;
  std::function<TransferResult(const QString&)> responder_;
  QByteArray standing_reply_;
  bool has_standing_reply_ = false;
  QStringList addresses_;
  QStringList* log_ = nullptr;
};

}  // namespace quorvel::catalogue::testing
