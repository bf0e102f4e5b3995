#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quorvel::shell {

// The tooltips of one window's controls: a sentence shown while the mouse
// rests on a control.
class ToolTips {
 public:
  explicit ToolTips(HWND owner);
  ~ToolTips();
  ToolTips(const ToolTips&) = delete;
  ToolTips& operator=(const ToolTips&) = delete;

  // Gives `control` the tooltip `text`, or takes its tooltip away when empty.
  void Set(HWND control, std::u16string_view text);
  // The tooltip `control` has, empty for none.
  std::u16string Text(HWND control) const;
  // Long sentences wrap at this width (the owner's resolution changed).
  void SetMaxWidth(int pixels);

 private:
  HWND owner_;
  HWND tips_;
};

}  // namespace quorvel::shell
