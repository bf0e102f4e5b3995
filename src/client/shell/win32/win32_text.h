#pragma once

// The shell's UTF-16 text as Windows takes it: wchar_t is 16 bits there, so
// the units pass as they are.

#include <windows.h>

#include <string>
#include <string_view>

namespace quorvel::shell {

inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string U16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

// The text of a window or control, whole.
inline std::u16string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
  return U16(text);
}

}  // namespace quorvel::shell
