// The program on Windows: the windows Main and main1 over the Win32 adapters.
// It ends when both windows have been closed.

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <exception>
#include <string>

#include "client/shell/addresses.h"
#include "client/shell/win32/main_window.h"
#include "client/shell/win32/message_loop.h"
#include "client/shell/win32/program_folder.h"
#include "client/shell/win32/win32_main_components.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace quorvel::shell;
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // The browser controls are OLE controls living on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  int code = 1;
  try {
    Win32MainComponents components;
    Main window(components, BuiltInAddresses(), ProgramFolder(), [] { PostQuitMessage(0); });
    window.StartUp();
    code = RunMessageLoop();
  } catch (const std::exception& error) {
    const std::string what = error.what();
    const std::wstring text = L"Quorvel 无法启动：" + std::wstring(what.begin(), what.end());
    MessageBoxW(nullptr, text.c_str(), L"Quorvel1.8", MB_OK | MB_ICONERROR);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return code;
}
