#include "client/shell/win32/message_loop.h"

namespace quorvel::shell {
namespace {

constexpr wchar_t kDialogKeysProperty[] = L"Quorvel.DialogKeys";

}  // namespace

void UseDialogKeys(HWND window) {
  SetPropW(window, kDialogKeysProperty, reinterpret_cast<HANDLE>(1));
}

void ForgetDialogKeys(HWND window) { RemovePropW(window, kDialogKeysProperty); }

bool TranslateDialogKeys(MSG* message) {
  if (message->hwnd == nullptr) return false;
  HWND root = GetAncestor(message->hwnd, GA_ROOT);
  if (root == nullptr || GetPropW(root, kDialogKeysProperty) == nullptr) return false;
  return IsDialogMessageW(root, message) != FALSE;
}

int RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TranslateDialogKeys(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace quorvel::shell
