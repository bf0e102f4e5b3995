#include "client/shell/win32/tool_tips.h"

#include <commctrl.h>

#include "client/shell/win32/win32_text.h"

namespace quorvel::shell {
namespace {

TTTOOLINFOW ToolFor(HWND owner, HWND control) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

}  // namespace

ToolTips::ToolTips(HWND owner)
    : owner_(owner),
      tips_(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr),
                            nullptr)) {}

ToolTips::~ToolTips() {
  if (tips_ != nullptr && IsWindow(tips_)) DestroyWindow(tips_);
}

void ToolTips::Set(HWND control, std::u16string_view text) {
  if (tips_ == nullptr) return;
  std::wstring wide = Wide(text);
  TTTOOLINFOW tool = ToolFor(owner_, control);
  SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (wide.empty()) return;
  tool.lpszText = wide.data();
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::u16string ToolTips::Text(HWND control) const {
  if (tips_ == nullptr) return {};
  // Tooltip texts here are sentences; TTM_GETTEXT has no way to ask the length.
  wchar_t buffer[1024] = {};
  TTTOOLINFOW tool = ToolFor(owner_, control);
  tool.lpszText = buffer;
  SendMessageW(tips_, TTM_GETTEXTW, std::size(buffer), reinterpret_cast<LPARAM>(&tool));
  return U16(buffer);
}

void ToolTips::SetMaxWidth(int pixels) {
  if (tips_ != nullptr) SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, pixels);
}

}  // namespace quorvel::shell
