#include "platform/flash/script/UrlQuery.h"

#include "base/TextConv.h"

namespace flash {
namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::wstring PercentDecode(const std::wstring& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'%' && i + 1 < text.size() && HexValue(text[i + 1]) >= 0) {
      int v = HexValue(text[i + 1]);
      if (i + 2 < text.size() && HexValue(text[i + 2]) >= 0) {
        v = v * 16 + HexValue(text[i + 2]);
        i += 2;
      } else {
        i += 1;
      }
      bytes.push_back(static_cast<char>(v));
    } else {
      bytes += WideToUtf8(std::wstring(1, c));
    }
  }
  return Utf8ToWide(bytes);
}

std::vector<std::pair<std::wstring, std::wstring>> ParseQuery(const std::wstring& query) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find(L'&', start);
    if (end == std::wstring::npos) end = query.size();
    std::wstring pair = query.substr(start, end - start);
    size_t eq = pair.find(L'=');
    std::wstring name = PercentDecode(pair.substr(0, eq));
    std::wstring value = eq == std::wstring::npos ? L"" : PercentDecode(pair.substr(eq + 1));
    if (!name.empty()) pairs.emplace_back(std::move(name), std::move(value));
    start = end + 1;
  }
  return pairs;
}

void SplitAddress(const std::wstring& url, std::wstring& file, std::wstring& query) {
  size_t q = url.find(L'?');
  file = url.substr(0, q);
  query = q == std::wstring::npos ? L"" : url.substr(q + 1);
}

}  // namespace flash
