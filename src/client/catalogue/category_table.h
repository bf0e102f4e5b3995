#pragma once

#include <array>
#include <string_view>

namespace quorvel::catalogue {

// One game button: what it shows, what it asks the service for, and how the
// counter names the result.  The three are independent on purpose: some
// buttons send another term than they show.
struct CategoryButton {
  std::u16string_view caption;
  std::u16string_view term;
  std::u16string_view counter_suffix;
};

inline constexpr std::u16string_view kCategoryCounterPrefix = u"当前有 ";

// Index i is button Command(i + 1).
inline constexpr std::array<CategoryButton, 18> kCategoryButtons = {{
    {u"跑炮卡丁车", u"跑炮卡丁车", u" 个跑跑卡丁车外挂"},
    {u"穿越火线", u"穿越火线", u" 个穿越火线外挂"},
    {u"QQ飞车", u"QQ飞车", u" 个QQ飞车外挂"},
    {u"QQ炫舞", u"QQ炫舞", u" 个QQ炫舞外挂"},
    {u"CSOL", u"CSOL", u" 个反恐精英外挂"},
    {u"洛克王国", u"洛克王国", u" 个洛克王国外挂"},
    {u"造梦西游", u"造梦西游", u" 个造梦西游外挂"},
    {u"机甲旋风", u"机甲旋风", u" 个机甲旋风外挂"},
    {u"QQ逆战", u"逆战", u" 个逆战外挂"},
    {u"西游大战僵尸2", u"西游大战僵尸2", u" 个西游大战僵尸2外挂"},
    {u"传奇", u"传奇", u" 个传奇外挂"},
    {u"斩魂", u"斩魂", u" 个斩魂外挂"},
    {u"英雄联盟", u"英雄联盟", u" 个英雄联盟外挂"},
    {u"QQ游戏", u"QQ游戏", u" 个QQ游戏外挂"},
    {u"QQ活动", u"QQ活动", u" QQ活动"},
    {u"梦三国", u"梦三国", u" 个梦三国外挂"},
    {u"反恐行动", u"反恐行动", u" 个反恐行动外挂"},
    {u"风暴战区", u"风暴战区", u" 个风暴战区外挂"},
}};

}  // namespace quorvel::catalogue
