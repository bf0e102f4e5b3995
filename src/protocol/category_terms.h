#pragma once

#include <array>
#include <string_view>

#include "protocol/utf16_form.h"

namespace quorvel::protocol {

// The eighteen category terms, in button order: what the client's category
// buttons send as q, and what the service files its starter entries under.
// A term is not always what its button shows (the client's category table
// pairs them), and the first keeps the misspelt name the button has always
// sent.
inline constexpr std::array<std::string_view, 18> kCategoryTerms = {
    "跑炮卡丁车", "穿越火线", "QQ飞车", "QQ炫舞",        "CSOL",     "洛克王国",
    "造梦西游",   "机甲旋风", "逆战",   "西游大战僵尸2", "传奇",     "斩魂",
    "英雄联盟",   "QQ游戏",   "QQ活动", "梦三国",        "反恐行动", "风暴战区"};

// The same terms in UTF-16, as the client holds its text.
inline constexpr std::array<std::u16string_view, 18> kCategoryTermsUtf16 =
    kUtf16Forms<kCategoryTerms>;

}  // namespace quorvel::protocol
