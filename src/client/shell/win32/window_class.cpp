#include "client/shell/win32/window_class.h"

namespace quorvel::shell {
namespace {

constexpr wchar_t kHostClass[] = L"QuorvelHost";
constexpr wchar_t kFrameClass[] = L"QuorvelFrame";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SIZE) {
    if (HWND child = GetWindow(window, GW_CHILD); child != nullptr) {
      MoveWindow(child, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Register(const wchar_t* name, WNDPROC procedure, bool with_icon) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  if (with_icon) {
    window_class.hIcon = LoadIconW(window_class.hInstance, MAKEINTRESOURCEW(1));
    window_class.hIconSm = static_cast<HICON>(
        LoadImageW(window_class.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  }
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);  // a second time fails harmlessly
}

HWND MakeChild(const wchar_t* window_class, HWND parent, int id) {
  return CreateWindowExW(WS_EX_CONTROLPARENT, window_class, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

const wchar_t* ProgramWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW known{};
  known.cbSize = sizeof(known);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), name, &known)) Register(name, procedure, true);
  return name;
}

const wchar_t* HostWindowClass() {
  static const bool registered = [] {
    Register(kHostClass, &HostProc, false);
    return true;
  }();
  static_cast<void>(registered);
  return kHostClass;
}

HWND MakeHostWindow(HWND parent, int id) { return MakeChild(HostWindowClass(), parent, id); }

HWND MakeFrameWindow(HWND parent, int id) {
  static const bool registered = [] {
    Register(kFrameClass, &DefWindowProcW, false);
    return true;
  }();
  static_cast<void>(registered);
  return MakeChild(kFrameClass, parent, id);
}

}  // namespace quorvel::shell
