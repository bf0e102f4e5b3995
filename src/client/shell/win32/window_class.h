#pragma once

#include <windows.h>

namespace quorvel::shell {

// Registers, once, a top-level window class of the program: `procedure`,
// the program's icon, the arrow cursor and the dialog ground.  Returns the
// class name.
const wchar_t* ProgramWindowClass(const wchar_t* name, WNDPROC procedure);

// The plain child windows that hold a browser, or clip one: they paint the
// dialog ground, let the keyboard into their children, and give their first
// child their whole area whenever they are sized.
const wchar_t* HostWindowClass();

// A plain child window of the host class, shown, at no place yet.
HWND MakeHostWindow(HWND parent, int id);

// A plain child window that only holds and clips its children, which keep
// the places they are given: a frame without a border.
HWND MakeFrameWindow(HWND parent, int id);

}  // namespace quorvel::shell
