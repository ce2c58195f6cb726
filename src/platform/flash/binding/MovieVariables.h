// The variables of the loaded movie: dotted paths ("_root.mwheel",
// "myVideo.playheadTime") kept as text, "_root." and "_level0." naming the
// main timeline.
#pragma once
#include <map>
#include <string>

namespace flash {

class MovieVariables {
 public:
  // The path without its "_root."/"_level0." prefix; "" for an empty path.
  static std::wstring Normalize(const std::wstring& path);

  void Clear() { values_.clear(); }
  void Set(const std::wstring& path, const std::wstring& value);
  std::wstring Get(const std::wstring& path) const;  // "" when absent
  bool Has(const std::wstring& path) const;
  const std::map<std::wstring, std::wstring>& All() const { return values_; }

 private:
  std::map<std::wstring, std::wstring> values_;
};

}  // namespace flash
