#pragma once

// The reply's bytes as the text the listing parser reads.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quorvel::catalogue {

// The whole reply in one pass into one buffer sized from the byte count.
std::u16string DecodeReply(std::string_view reply_bytes);

// The buffer a session decodes its replies into, kept between loads: grown
// when a reply needs more, never cleared, since the decoder writes every unit
// of the text it hands out.  One byte never yields more than one unit, so the
// byte count is always enough.
class ReplyText {
 public:
  // The text of `reply_bytes`, valid until the next call or Release.
  std::u16string_view Decode(std::string_view reply_bytes);
  std::size_t capacity() const { return capacity_; }
  // Gives the buffer back, as after a huge reply.
  void Release();

 private:
  std::unique_ptr<char16_t[]> units_;
  std::size_t capacity_ = 0;
};

}  // namespace quorvel::catalogue
