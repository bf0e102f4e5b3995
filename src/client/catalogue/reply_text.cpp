#include "client/catalogue/reply_text.h"

#include "encoding/utf8_decoder.h"

namespace quorvel::catalogue {

std::u16string DecodeReply(std::string_view reply_bytes) {
  return encoding::Utf8ToUnicode(reply_bytes);
}

std::u16string_view ReplyText::Decode(std::string_view reply_bytes) {
  if (reply_bytes.empty()) return {};
  if (capacity_ < reply_bytes.size()) {
    // Left uninitialised on purpose: a reply of tens of megabytes is not
    // written twice.
    units_.reset(new char16_t[reply_bytes.size()]);
    capacity_ = reply_bytes.size();
  }
  const std::size_t written = encoding::DecodeUtf8Into(
      reinterpret_cast<const unsigned char*>(reply_bytes.data()), reply_bytes.size(), units_.get());
  return std::u16string_view(units_.get(), written);
}

void ReplyText::Release() {
  units_.reset();
  capacity_ = 0;
}

}  // namespace quorvel::catalogue
