#include "platform/flash/play/ChildNames.h"

#include "platform/flash/script/Heap.h"

namespace flash {

uint32_t ChildNames::Hash(std::wstring_view name) {
  uint32_t h = 2166136261u;
  for (wchar_t c : name) h = (h ^ static_cast<uint32_t>(script::FoldCase(c))) * 16777619u;
  return h;
}

void ChildNames::Add(std::wstring_view name, int32_t depth) {
  if (name.empty()) return;
  records_.emplace(Hash(name), depth);
}

}  // namespace flash
