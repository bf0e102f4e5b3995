#pragma once

#include <windows.h>

namespace quorvel::shell {

// Lets the keyboard walk the controls of the program's top-level `window` as
// in a dialog: Tab and Shift+Tab in the design's order, the arrows between
// buttons, Space on a button.
void UseDialogKeys(HWND window);
// Before `window` goes.
void ForgetDialogKeys(HWND window);

// Hands `message` to the dialog keys of the program window it is for; true
// when it was taken there and is not to be dispatched.
bool TranslateDialogKeys(MSG* message);

// Handles the program's messages until WM_QUIT; returns its code.
int RunMessageLoop();

}  // namespace quorvel::shell
