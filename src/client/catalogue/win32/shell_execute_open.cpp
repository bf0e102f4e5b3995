#include "client/catalogue/win32/shell_execute_open.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "client/catalogue/address_guard.h"

namespace quorvel::catalogue {
namespace {

// What the user reads for ShellExecuteW's small error numbers.
std::u16string Reason(INT_PTR code) {
  switch (code) {
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
      return u"系统没有可以打开这个地址的程序。";
    case SE_ERR_ACCESSDENIED:
      return u"系统拒绝打开这个地址。";
    case SE_ERR_OOM:
    case 0:
      return u"内存不足，无法打开这个地址。";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return u"找不到打开这个地址的程序。";
    default:
      break;
  }
  const std::string number = std::to_string(code);
  return u"无法打开这个地址（错误 " + std::u16string(number.begin(), number.end()) + u"）。";
}

}  // namespace

bool ShellExecuteOpen::Open(std::u16string_view address, std::u16string_view working_directory,
                            std::u16string* error) {
  const AddressCheck check = CheckOpenableAddress(address);
  if (!check.allowed) {
    if (error != nullptr) *error = check.reason;
    return false;
  }
  const std::wstring file(address.begin(), address.end());
  const std::wstring folder(working_directory.begin(), working_directory.end());
  const INT_PTR code = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetActiveWindow(), L"open", file.c_str(), L"",
                    folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL));
  if (code > 32) return true;
  if (error != nullptr) *error = Reason(code);
  return false;
}

}  // namespace quorvel::catalogue
