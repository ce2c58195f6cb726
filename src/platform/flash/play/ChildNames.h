// The instance names of a clip's entries, so that a script finds a child by
// its name without looking at every entry. A record pairs a hash of the
// case-folded name with the depth of an entry that was given it. Records
// are a superset of the truth: an entry that went, moved or was renamed
// leaves its record behind (and one given the same name twice has two), so
// whoever asks checks the entry at each depth it gets; the owner makes the
// records again from its list when they outnumber its entries twice over.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace flash {

class ChildNames {
 public:
  // An entry at depth was given name (an empty name is not recorded).
  void Add(std::wstring_view name, int32_t depth);
  // Calls fn(depth) for each depth whose entry may bear name (compared
  // without case), in no particular order.
  template <class Fn>
  void ForEach(std::wstring_view name, Fn fn) const {
    if (records_.empty()) return;
    const auto [first, last] = records_.equal_range(Hash(name));
    for (auto it = first; it != last; ++it) fn(it->second);
  }
  size_t Size() const { return records_.size(); }
  void Clear() { records_.clear(); }

  // The hash of a name folded to lower case as names before version 7 are.
  static uint32_t Hash(std::wstring_view name);

 private:
  std::unordered_multimap<uint32_t, int32_t> records_;
};

}  // namespace flash
