// The script heap: every string, object and scope of one movie's scripts is
// a GcThing allocated here and freed by a mark-and-sweep collection that the
// interpreter runs only where it knows every live value (between scripts, and
// at loop edges and calls when no built-in is on the C++ stack). Strings are
// immutable UTF-16; property names are interned once, case-folded for movies
// before version 7, so names compare by pointer. The heap counts its bytes so
// a movie cannot take more than its limit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/flash/script/Value.h"

namespace flash::script {

class Tracer;

class GcThing {
 public:
  GcThing() = default;
  GcThing(const GcThing&) = delete;
  GcThing& operator=(const GcThing&) = delete;
  virtual ~GcThing() = default;
  // Marks what this thing holds.
  virtual void Trace(Tracer&) const {}

 private:
  friend class Heap;
  friend class Tracer;
  GcThing* next_ = nullptr;
  size_t bytes_ = 0;
  bool marked_ = false;
};

// Marks reachable things without recursion (an explicit grey stack).
class Tracer {
 public:
  void Mark(const GcThing* thing) {
    if (thing && !thing->marked_) {
      const_cast<GcThing*>(thing)->marked_ = true;
      grey_.push_back(thing);
    }
  }
  void Mark(const Value& v);
  void Drain() {
    while (!grey_.empty()) {
      const GcThing* t = grey_.back();
      grey_.pop_back();
      t->Trace(*this);
    }
  }

 private:
  std::vector<const GcThing*> grey_;
};

class String final : public GcThing {
 public:
  uint32_t Size() const { return size_; }
  const wchar_t* Data() const { return chars_; }
  std::wstring_view View() const { return {chars_, size_}; }
  std::wstring Str() const { return std::wstring(chars_, size_); }
  uint32_t Hash() const {
    if (!hashed_) ComputeHash();
    return hash_;
  }
  bool Interned() const { return interned_; }
  // An array index ("0", "17"; no sign, no leading zero), cached.
  bool IsIndex(uint32_t& index) const;
  // Holds "/", ":" or "." (a path rather than a plain name), cached.
  bool IsPath() const;

  void Trace(Tracer& t) const override;

 private:
  friend class Heap;
  explicit String(uint32_t size) : size_(size) {}
  void ComputeHash() const;

  uint32_t size_;
  mutable uint32_t hash_ = 0;
  mutable uint32_t index_ = 0;
  mutable bool hashed_ = false;
  mutable uint8_t indexState_ = 0;  // 0 unknown, 1 not an index, 2 index
  mutable uint8_t pathState_ = 0;   // 0 unknown, 1 name, 2 path
  bool interned_ = false;
  String* key_ = nullptr;  // the property key this string names
  wchar_t* chars_ = nullptr;
};

class Heap {
 public:
  static constexpr size_t kMaxStringLength = 1u << 24;

  explicit Heap(bool caseSensitive, size_t limitBytes);
  ~Heap();
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;

  // A new thing (T derives from GcThing), counted at its size plus extra.
  template <class T, class... Args>
  T* New(Args&&... args) {
    T* t = new T(std::forward<Args>(args)...);
    Link(t, sizeof(T));
    return t;
  }
  // Counts bytes a thing took or gave back after its creation.
  void Grow(GcThing* thing, ptrdiff_t bytes);

  // Strings longer than kMaxStringLength are cut there (callers that can
  // make one check first and stop the script instead).
  String* NewString(std::wstring_view text);
  String* Concat(const String* a, const String* b);
  // The one interned string with this text.
  String* Intern(std::wstring_view text);
  String* Intern(String* s);
  // The property key a name stands for: the interned name itself from
  // version 7, its case-folded form before.
  String* Key(String* name) { return name->key_ ? name->key_ : MakeKey(name); }
  String* Key(std::wstring_view name) { return Key(Intern(name)); }
  bool CaseSensitive() const { return caseSensitive_; }

  // Frees every thing the roots do not reach.
  void Collect(const std::function<void(Tracer&)>& roots);
  size_t Bytes() const { return bytes_; }
  size_t Limit() const { return limit_; }
  bool OverLimit() const { return bytes_ > limit_; }
  // Bytes taken since the last collection.
  size_t Fresh() const { return bytes_ > liveAfterCollect_ ? bytes_ - liveAfterCollect_ : 0; }
  size_t Count() const { return count_; }

 private:
  void Link(GcThing* t, size_t bytes);
  String* Allocate(uint32_t size);
  String* MakeKey(String* name);
  String* FindInterned(std::wstring_view text, uint32_t hash) const;
  void InsertInterned(String* s);
  void RehashInterned(size_t capacity);

  bool caseSensitive_;
  size_t limit_;
  GcThing* things_ = nullptr;
  size_t bytes_ = 0, liveAfterCollect_ = 0, count_ = 0;
  std::vector<String*> interned_;  // open addressing, null for empty
  size_t internedCount_ = 0;
};

// The case folding of names before version 7: ASCII and Latin-1 letters.
wchar_t FoldCase(wchar_t c);

}  // namespace flash::script
