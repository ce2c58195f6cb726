// The variables of the loaded movie: dotted paths ("_root.mwheel",
// "myVideo.playheadTime") kept as text, "_root." and "_level0." naming the
// main timeline; and the query of a movie address turned into variables.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

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

// Percent-decodes text ("%41" and the single-digit "%9" both count; a "%"
// followed by no hexadecimal digit stays) and reads the bytes as UTF-8.
std::wstring PercentDecode(const std::wstring& text);
// Splits a query on "&", then each pair at its first "="; names and values
// are percent-decoded. Empty names are dropped.
std::vector<std::pair<std::wstring, std::wstring>> ParseQuery(const std::wstring& query);
// Splits an address at its first "?" into the file and the query.
void SplitAddress(const std::wstring& url, std::wstring& file, std::wstring& query);

}  // namespace flash
