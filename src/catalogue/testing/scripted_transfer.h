#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

#include "catalogue/components.h"

namespace quorvel::catalogue::testing {

// Answers each fetch with the next scripted result and writes down every
// address asked for.  With nothing scripted it keeps answering with the
// standing reply when one is set, and fails otherwise.
class ScriptedTransfer : public Transfer {
 public:
  TransferResult OpenURL(const QString& address) override;

  void QueueReply(QByteArray body);
  void QueueFailure(TransferResult::Failure failure, QString reason = QString());
  void QueueResult(TransferResult result);
  void SetStandingReply(QByteArray body);
  // Called with each address; its result wins over the queue when set.
  void SetResponder(std::function<TransferResult(const QString&)> responder);

  const QStringList& addresses() const { return addresses_; }
  std::size_t pending() const { return queue_.size(); }

 private:
  std::deque<TransferResult> queue_;
  std::function<TransferResult(const QString&)> responder_;
  QByteArray standing_reply_;
  bool has_standing_reply_ = false;
  QStringList addresses_;
};

}  // namespace quorvel::catalogue::testing
