#include "client/catalogue/text16.h"

namespace quorvel::catalogue {
namespace {

char16_t LowerAscii(char16_t u) { return u >= u'A' && u <= u'Z' ? u - u'A' + u'a' : u; }

}  // namespace

std::u16string Decimal(std::int64_t value) {
  // Counted in the negative range, so the most negative value needs no special case.
  char16_t digits[24];
  std::size_t at = sizeof digits / sizeof digits[0];
  std::int64_t rest = value < 0 ? value : -value;
  do {
    digits[--at] = static_cast<char16_t>(u'0' - rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0) digits[--at] = u'-';
  return std::u16string(digits + at, sizeof digits / sizeof digits[0] - at);
}

std::u16string FillIn(std::u16string_view sentence, std::u16string_view fill) {
  const std::size_t at = sentence.find(u"%1");
  std::u16string text(sentence);
  if (at != std::u16string_view::npos) text.replace(at, 2, fill);
  return text;
}

std::u16string FromAscii(std::string_view ascii) {
  std::u16string text(ascii.size(), u'\0');
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(ascii[i]));
  }
  return text;
}

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace quorvel::catalogue
