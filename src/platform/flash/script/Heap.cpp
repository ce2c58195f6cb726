#include "platform/flash/script/Heap.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace flash::script {

wchar_t FoldCase(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<wchar_t>(c + 32);
  return c;
}

// ---- String --------------------------------------------------------------------

void String::ComputeHash() const {
  uint32_t h = 2166136261u;
  for (uint32_t i = 0; i < size_; ++i) h = (h ^ chars_[i]) * 16777619u;
  hash_ = h;
  hashed_ = true;
}

bool String::IsIndex(uint32_t& index) const {
  if (indexState_ == 0) {
    indexState_ = 1;
    if (size_ > 0 && size_ <= 9 && (size_ == 1 || chars_[0] != L'0')) {
      uint32_t v = 0;
      bool digits = true;
      for (uint32_t i = 0; i < size_ && digits; ++i) {
        digits = chars_[i] >= L'0' && chars_[i] <= L'9';
        v = v * 10 + (chars_[i] - L'0');
      }
      if (digits) index_ = v, indexState_ = 2;
    }
  }
  index = index_;
  return indexState_ == 2;
}

bool String::IsPath() const {
  if (pathState_ == 0) {
    pathState_ = 1;
    for (uint32_t i = 0; i < size_; ++i)
      if (chars_[i] == L'/' || chars_[i] == L':' || chars_[i] == L'.') pathState_ = 2;
  }
  return pathState_ == 2;
}

void String::Trace(Tracer& t) const {
  if (key_ && key_ != this) t.Mark(key_);
}

// ---- Heap ----------------------------------------------------------------------

Heap::Heap(bool caseSensitive, size_t limitBytes) : caseSensitive_(caseSensitive), limit_(limitBytes) {
  interned_.assign(1024, nullptr);
}

Heap::~Heap() {
  for (GcThing* t = things_; t;) {
    GcThing* next = t->next_;
    t->~GcThing();
    ::operator delete(t);
    t = next;
  }
}

void Heap::Link(GcThing* t, size_t bytes) {
  t->next_ = things_;
  things_ = t;
  t->bytes_ = bytes;
  bytes_ += bytes;
  ++count_;
}

void Heap::Grow(GcThing* thing, ptrdiff_t bytes) {
  if (bytes < 0 && static_cast<size_t>(-bytes) > thing->bytes_) bytes = -static_cast<ptrdiff_t>(thing->bytes_);
  thing->bytes_ += bytes;
  bytes_ += bytes;
}

String* Heap::Allocate(uint32_t size) {
  const size_t bytes = sizeof(String) + (size_t(size) + 1) * sizeof(wchar_t);
  void* memory = ::operator new(bytes);
  String* s = new (memory) String(size);
  s->chars_ = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(memory) + sizeof(String));
  s->chars_[size] = 0;
  Link(s, bytes);
  return s;
}

String* Heap::NewString(std::wstring_view text) {
  const uint32_t n = static_cast<uint32_t>(std::min<size_t>(text.size(), kMaxStringLength));
  String* s = Allocate(n);
  if (n) std::memcpy(s->chars_, text.data(), n * sizeof(wchar_t));
  return s;
}

String* Heap::Concat(const String* a, const String* b) {
  const size_t total = std::min<size_t>(size_t(a->size_) + b->size_, kMaxStringLength);
  String* s = Allocate(static_cast<uint32_t>(total));
  const size_t first = std::min<size_t>(a->size_, total);
  if (first) std::memcpy(s->chars_, a->chars_, first * sizeof(wchar_t));
  if (total > first) std::memcpy(s->chars_ + first, b->chars_, (total - first) * sizeof(wchar_t));
  return s;
}

String* Heap::FindInterned(std::wstring_view text, uint32_t hash) const {
  const size_t mask = interned_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    String* s = interned_[i];
    if (!s) return nullptr;
    if (s->Hash() == hash && s->View() == text) return s;
  }
}

void Heap::InsertInterned(String* s) {
  if ((internedCount_ + 1) * 2 > interned_.size()) RehashInterned(interned_.size() * 2);
  const size_t mask = interned_.size() - 1;
  size_t i = s->Hash() & mask;
  while (interned_[i]) i = (i + 1) & mask;
  interned_[i] = s;
  s->interned_ = true;
  ++internedCount_;
}

void Heap::RehashInterned(size_t capacity) {
  std::vector<String*> old = std::move(interned_);
  interned_.assign(capacity, nullptr);
  internedCount_ = 0;
  for (String* s : old)
    if (s) InsertInterned(s);
}

String* Heap::Intern(std::wstring_view text) {
  uint32_t h = 2166136261u;
  for (wchar_t c : text) h = (h ^ static_cast<uint32_t>(c)) * 16777619u;
  if (String* found = FindInterned(text, h)) return found;
  String* s = NewString(text);
  InsertInterned(s);
  return s;
}

String* Heap::Intern(String* s) {
  if (s->interned_) return s;
  if (String* found = FindInterned(s->View(), s->Hash())) return found;
  InsertInterned(s);
  return s;
}

String* Heap::MakeKey(String* name) {
  String* key = nullptr;
  if (caseSensitive_) {
    key = Intern(name);
  } else {
    bool folded = true;
    for (uint32_t i = 0; i < name->size_ && folded; ++i) folded = FoldCase(name->chars_[i]) == name->chars_[i];
    if (folded) {
      key = Intern(name);
    } else {
      std::wstring text(name->View());
      for (wchar_t& c : text) c = FoldCase(c);
      key = Intern(text);
    }
  }
  key->key_ = key;
  name->key_ = key;
  return key;
}

void Heap::Collect(const std::function<void(Tracer&)>& roots) {
  Tracer tracer;
  roots(tracer);
  tracer.Drain();
  // The intern table holds its strings weakly.
  std::vector<String*> keep;
  keep.reserve(internedCount_);
  for (String* s : interned_)
    if (s && s->marked_) keep.push_back(s);
  size_t capacity = 1024;
  while (capacity < keep.size() * 2 + 2) capacity *= 2;
  interned_.assign(capacity, nullptr);
  internedCount_ = 0;
  for (String* s : keep) InsertInterned(s);

  GcThing** link = &things_;
  size_t live = 0, count = 0;
  while (GcThing* t = *link) {
    if (t->marked_) {
      t->marked_ = false;
      live += t->bytes_;
      ++count;
      link = &t->next_;
    } else {
      *link = t->next_;
      t->~GcThing();
      ::operator delete(t);
    }
  }
  bytes_ = liveAfterCollect_ = live;
  count_ = count;
}

}  // namespace flash::script
