#include "client/shell/win32/program_folder.h"

#include <windows.h>

#include "client/shell/win32/win32_text.h"

namespace quorvel::shell {

std::u16string ProgramFolder() {
  // Long paths (\\?\ and past MAX_PATH) come whole: the buffer grows until
  // the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return U16(slash == std::wstring::npos ? std::wstring_view()
                                         : std::wstring_view(path).substr(0, slash));
}

}  // namespace quorvel::shell
