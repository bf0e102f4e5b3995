#pragma once

// The main window as it was drawn: every control's name, design-time caption,
// place in twips within its container, and tab index.  One place for all of
// it, so the window and its tests read the same design.

#include <array>
#include <string_view>

#include "client/shell/twips.h"

namespace quorvel::shell {

struct ControlDesign {
  std::string_view name;
  std::u16string_view caption;
  TwipsRect rect;
  int tab_index;
};

namespace main_design {

inline constexpr int kClientWidth = 8550;
inline constexpr int kClientHeight = 9000;
inline constexpr std::u16string_view kCaption = u"Quorvel1.8";

inline constexpr ControlDesign kText1{"Text1", u"请输入外挂的名称", {120, 120, 3255, 375}, 7};
inline constexpr ControlDesign kSoSo{"SoSo", u"搜索", {3480, 120, 855, 375}, 8};
inline constexpr ControlDesign kJiLuText{"JiLu_Text", u"0", {4440, 210, 3255, 255}, 6};
inline constexpr ControlDesign kCommand19{"Command19", u"关于", {7800, 120, 615, 375}, 31};
inline constexpr ControlDesign kFrame1{"Frame1", u"热门游戏", {120, 600, 8295, 1095}, 9};
inline constexpr ControlDesign kListView{
    "ListView", u"选择需要下载的外挂,下载地址会显示在下方!", {120, 1680, 8295, 5355}, 3};
inline constexpr ControlDesign kQian{"Qian", u"上一页", {120, 7150, 1335, 495}, 4};
inline constexpr ControlDesign kHou{"Hou", u"下一页", {7080, 7150, 1335, 495}, 5};
inline constexpr ControlDesign kLabel1{"Label1", u"下载地址", {3840, 7320, 975, 255}, 28};
inline constexpr ControlDesign kList1{
    "List1", u"移动到自己喜欢的下载方式选中即可", {120, 7750, 8295, 1140}, 2};
inline constexpr ControlDesign kList2{"List2", u"", {7320, 5880, 150, 240}, 1};
inline constexpr ControlDesign kList3{"List3", u"", {5520, 8280, 150, 240}, 32};
inline constexpr ControlDesign kHaunCunText{"HaunCun_Text", u"Text6", {3240, 6120, 150, 180}, 0};
inline constexpr ControlDesign kWebBrowser1{"WebBrowser1", u"", {8880, 7440, 135, 135}, 30};
inline constexpr ControlDesign kWindowsMediaPlayer1{
    "WindowsMediaPlayer1", u"", {8880, 7560, 135, 30}, 29};

// Command1 .. Command18 at index 0 .. 17.  Command1 belongs to the window and
// lies in the frame's second row; the others belong to Frame1 and are placed
// relative to it.  Captions come from the category table.
inline constexpr std::array<TwipsRect, 18> kCategoryButtonRects{{
    {6960, 1200, 1335, 375},  // Command1, window-relative
    {120, 240, 855, 375},     // Command2
    {960, 240, 855, 375},     // Command3
    {1800, 240, 855, 375},    // Command4
    {2640, 240, 855, 375},    // Command5
    {3480, 240, 855, 375},    // Command6
    {4320, 240, 855, 375},    // Command7
    {5160, 240, 855, 375},    // Command8
    {6000, 240, 855, 375},    // Command9
    {6840, 240, 1335, 375},   // Command10
    {120, 600, 855, 375},     // Command11
    {960, 600, 855, 375},     // Command12
    {1800, 600, 855, 375},    // Command13
    {5160, 600, 855, 375},    // Command14
    {6000, 600, 855, 375},    // Command15
    {2640, 600, 855, 375},    // Command16
    {3480, 600, 855, 375},    // Command17
    {4320, 600, 855, 375},    // Command18
}};
// Command1 has tab index 10, Command18 27.
inline constexpr int kFirstCategoryTabIndex = 10;

}  // namespace main_design

namespace notice_design {

inline constexpr int kClientWidth = 3720;
inline constexpr int kClientHeight = 4200;
inline constexpr std::u16string_view kCaption = u"有偿广告";
// Distance between the window's bottom edge and the screen's.
inline constexpr int kBottomGap = 450;

inline constexpr ControlDesign kLabel1{
    "Label1",
    u"为了我们更好的发展,请点击一下下面的广告,每天点一次即可,您只需动一下手指,"
    u"即可帮助我们维持服务器运作!Tovi谢谢各位了",
    {0, 0, 3735, 615},
    1};
inline constexpr ControlDesign kFrame1{"Frame1", u"", {0, 600, 3735, 3135}, 0};
// Relative to Frame1, which shows only the part of the page from 1800 twips
// in and 480 down.
inline constexpr ControlDesign kWebBrowser1{"WebBrowser1", u"", {-1800, -480, 6015, 3855}, 2};
inline constexpr ControlDesign kWebBrowser2{"WebBrowser2", u"", {-120, 3500, 5535, 735}, 3};

}  // namespace notice_design

}  // namespace quorvel::shell
