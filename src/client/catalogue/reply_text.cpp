#include "client/catalogue/reply_text.h"

#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue {

QString DecodeReply(const QByteArray& reply_bytes) {
  QString text;
  DecodeReplyInto(reply_bytes, text);
  return text;
}

void DecodeReplyInto(const QByteArray& reply_bytes, QString& text) {
  if (reply_bytes.isEmpty()) {
    text.clear();
    return;
  }
  text.resize(reply_bytes.size());
  const std::size_t written = encoding::DecodeUtf8Into(
      reinterpret_cast<const unsigned char*>(reply_bytes.constData()),
      static_cast<std::size_t>(reply_bytes.size()), reinterpret_cast<char16_t*>(text.data()));
  text.truncate(static_cast<qsizetype>(written));
}

}  // namespace quorvel::catalogue
