#include "services/WebAddress.h"

#include <windows.h>

#include "base/TextConv.h"

bool IsWebAddress(const std::wstring& url) {
  size_t hostStart = 0;
  if (StartsWithNoCase(url, L"http://")) {
    hostStart = 7;
  } else if (StartsWithNoCase(url, L"https://")) {
    hostStart = 8;
  } else {
    return false;
  }
  for (wchar_t c : url) {
    if (c <= L' ' || c == 0x7f || c == L'\\') return false;
  }
  const size_t hostEnd = url.find_first_of(L"/?#", hostStart);
  const std::wstring host =
      url.substr(hostStart, hostEnd == std::wstring::npos ? std::wstring::npos : hostEnd - hostStart);
  // A host name, not only user information or a port.
  const size_t at = host.rfind(L'@');
  const std::wstring name = at == std::wstring::npos ? host : host.substr(at + 1);
  return !name.empty() && name[0] != L':';
}
