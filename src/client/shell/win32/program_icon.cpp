#include "client/shell/win32/program_icon.h"

#include "client/shell/win32/dpi.h"

namespace quorvel::shell {
namespace {

HICON Load(int side) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                       side, side, LR_DEFAULTCOLOR));
}

}  // namespace

ProgramIcon::~ProgramIcon() {
  if (small_ != nullptr) DestroyIcon(small_);
  if (big_ != nullptr) DestroyIcon(big_);
}

void ProgramIcon::SetOn(HWND window, int dpi) {
  HICON small_icon = Load(MetricForDpi(SM_CXSMICON, dpi));
  HICON big_icon = Load(MetricForDpi(SM_CXICON, dpi));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon));
  // The window holds the new ones now.
  if (small_ != nullptr) DestroyIcon(small_);
  if (big_ != nullptr) DestroyIcon(big_);
  small_ = small_icon;
  big_ = big_icon;
}

}  // namespace quorvel::shell
