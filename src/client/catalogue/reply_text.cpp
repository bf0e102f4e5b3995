#include "client/catalogue/reply_text.h"

#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue {

std::u16string DecodeReply(std::string_view reply_bytes) {
  return encoding::Utf8ToUnicode(reply_bytes);
}

std::u16string_view DecodeReplyInto(std::string_view reply_bytes, std::u16string& buffer) {
  if (reply_bytes.empty()) return {};
  // One byte never yields more than one unit.
  if (buffer.size() < reply_bytes.size()) buffer.resize(reply_bytes.size());
  const std::size_t written =
      encoding::DecodeUtf8Into(reinterpret_cast<const unsigned char*>(reply_bytes.data()),
                               reply_bytes.size(), buffer.data());
  return std::u16string_view(buffer.data(), written);
}

}  // namespace quorvel::catalogue
