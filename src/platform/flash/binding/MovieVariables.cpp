#include "platform/flash/binding/MovieVariables.h"

namespace flash {

std::wstring MovieVariables::Normalize(const std::wstring& path) {
  std::wstring p = path;
  for (const wchar_t* prefix : {L"_root.", L"_level0.", L"/:"}) {
    std::wstring pre = prefix;
    if (p.compare(0, pre.size(), pre) == 0) {
      p.erase(0, pre.size());
      break;
    }
  }
  return p;
}

void MovieVariables::Set(const std::wstring& path, const std::wstring& value) {
  std::wstring key = Normalize(path);
  if (!key.empty()) values_[key] = value;
}

std::wstring MovieVariables::Get(const std::wstring& path) const {
  auto it = values_.find(Normalize(path));
  return it == values_.end() ? L"" : it->second;
}

bool MovieVariables::Has(const std::wstring& path) const { return values_.count(Normalize(path)) > 0; }

}  // namespace flash
