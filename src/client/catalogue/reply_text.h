#pragma once

// The reply's bytes as the text the listing parser reads.

#include <QByteArray>
#include <QString>

namespace quorvel::catalogue {

// The whole reply in one pass into one buffer sized from the byte count.
QString DecodeReply(const QByteArray& reply_bytes);
// The same into `text`, reusing its buffer when it is large enough and not shared.
void DecodeReplyInto(const QByteArray& reply_bytes, QString& text);

}  // namespace quorvel::catalogue
