#pragma once

// Temporary: a plain blocking GET on WinHTTP for the end-to-end tests, until
// the program's own transfer (catalogue/win32) reaches this branch.

#include <windows.h>

#include <winhttp.h>

#include <string>
#include <string_view>

#include "client/catalogue/components.h"

namespace quorvel::shell::testing {

class StandInTransfer final : public catalogue::Transfer {
 public:
  catalogue::TransferResult OpenURL(std::u16string_view address) override {
    using Failure = catalogue::TransferResult::Failure;
    catalogue::TransferResult result;
    result.failure = Failure::kOther;
    result.reason = u"没有取到。";
    const std::wstring url(address.begin(), address.end());
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = DWORD(-1);
    parts.dwUrlPathLength = DWORD(-1);
    parts.dwExtraInfoLength = DWORD(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return result;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    // The query follows the path in the address.
    const std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
    HINTERNET session = WinHttpOpen(L"Quorvel", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection =
        session ? WinHttpConnect(session, host.c_str(), parts.nPort, 0) : nullptr;
    HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr,
                                                        nullptr, nullptr, 0)
                                   : nullptr;
    if (request != nullptr && WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
      DWORD status = 0;
      DWORD size = sizeof(status);
      WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr,
                          &status, &size, nullptr);
      std::string body;
      char buffer[16384];
      DWORD read = 0;
      while (WinHttpReadData(request, buffer, sizeof(buffer), &read) && read > 0) {
        body.append(buffer, read);
      }
      if (status == 200) {
        result = {};
        result.body = std::move(body);
      }
    } else if (GetLastError() == ERROR_WINHTTP_CANNOT_CONNECT) {
      result.failure = Failure::kRefused;
    }
    for (HINTERNET handle : {request, connection, session}) {
      if (handle != nullptr) WinHttpCloseHandle(handle);
    }
    return result;
  }
};

}  // namespace quorvel::shell::testing
