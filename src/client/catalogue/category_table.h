#pragma once

#include <array>
#include <string_view>

#include "protocol/category_terms.h"

namespace quorvel::catalogue {

// One game button: what it shows, what it asks the service for, and how the
// counter names the result.  The three are independent on purpose: some
// buttons send another term than they show.  The terms are the service's
// own (protocol/category_terms.h), in button order.
struct CategoryButton {
  std::u16string_view caption;
  std::u16string_view term;
  std::u16string_view counter_suffix;
};

inline constexpr std::u16string_view kCategoryCounterPrefix = u"当前有 ";

// Index i is button Command(i + 1).
inline constexpr std::array<CategoryButton, 18> kCategoryButtons = {{
    {u"跑炮卡丁车", protocol::kCategoryTermsUtf16[0], u" 个跑跑卡丁车外挂"},
    {u"穿越火线", protocol::kCategoryTermsUtf16[1], u" 个穿越火线外挂"},
    {u"QQ飞车", protocol::kCategoryTermsUtf16[2], u" 个QQ飞车外挂"},
    {u"QQ炫舞", protocol::kCategoryTermsUtf16[3], u" 个QQ炫舞外挂"},
    {u"CSOL", protocol::kCategoryTermsUtf16[4], u" 个反恐精英外挂"},
    {u"洛克王国", protocol::kCategoryTermsUtf16[5], u" 个洛克王国外挂"},
    {u"造梦西游", protocol::kCategoryTermsUtf16[6], u" 个造梦西游外挂"},
    {u"机甲旋风", protocol::kCategoryTermsUtf16[7], u" 个机甲旋风外挂"},
    {u"QQ逆战", protocol::kCategoryTermsUtf16[8], u" 个逆战外挂"},
    {u"西游大战僵尸2", protocol::kCategoryTermsUtf16[9], u" 个西游大战僵尸2外挂"},
    {u"传奇", protocol::kCategoryTermsUtf16[10], u" 个传奇外挂"},
    {u"斩魂", protocol::kCategoryTermsUtf16[11], u" 个斩魂外挂"},
    {u"英雄联盟", protocol::kCategoryTermsUtf16[12], u" 个英雄联盟外挂"},
    {u"QQ游戏", protocol::kCategoryTermsUtf16[13], u" 个QQ游戏外挂"},
    {u"QQ活动", protocol::kCategoryTermsUtf16[14], u" QQ活动"},
    {u"梦三国", protocol::kCategoryTermsUtf16[15], u" 个梦三国外挂"},
    {u"反恐行动", protocol::kCategoryTermsUtf16[16], u" 个反恐行动外挂"},
    {u"风暴战区", protocol::kCategoryTermsUtf16[17], u" 个风暴战区外挂"},
}};

}  // namespace quorvel::catalogue
