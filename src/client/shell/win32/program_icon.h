#pragma once

#include <windows.h>

namespace quorvel::shell {

// The program's icon (resource 1, the eight images) on a window, in the two
// sizes the window's resolution asks for: the caption's and Alt+Tab's.
class ProgramIcon {
 public:
  ProgramIcon() = default;
  ~ProgramIcon();
  ProgramIcon(const ProgramIcon&) = delete;
  ProgramIcon& operator=(const ProgramIcon&) = delete;

  void SetOn(HWND window, int dpi);

 private:
  HICON small_ = nullptr;
  HICON big_ = nullptr;
};

}  // namespace quorvel::shell
