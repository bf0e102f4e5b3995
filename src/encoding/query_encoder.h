#pragma once

#include <string>
#include <string_view>

namespace quorvel::encoding {

// Turns a term into the percent form the listing service expects in q=.
// Only the unreserved characters A-Z a-z 0-9 - . _ ~ stand as themselves;
// every other byte of the term's UTF-8 form becomes "%" and two upper-case hex
// digits, so no character of a term can break or extend the request.  A
// surrogate pair is encoded as the character it stands for; a lone surrogate
// as U+FFFD.
std::string GBtoUTF8(std::u16string_view term);

}  // namespace quorvel::encoding
