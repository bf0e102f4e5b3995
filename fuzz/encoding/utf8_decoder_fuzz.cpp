// Our reply decoder against ICU's, which also yields one U+FFFD per maximal
// subpart: any difference on any input is a finding.
#include <unicode/ustring.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "encoding/utf8_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string ours = quorvel::encoding::Utf8ToUnicode(bytes);

  std::u16string theirs(size + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(theirs.data()), static_cast<int32_t>(theirs.size()),
                       &length, bytes.data(), static_cast<int32_t>(size), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) std::abort();
  theirs.resize(static_cast<std::size_t>(length));
  if (ours != theirs) std::abort();
  return 0;
}
