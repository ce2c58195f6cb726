// An ordered list of entries by a 32-bit depth, made for display lists.
// Entries keep their place in memory while they stand (clips and scripts
// point at them); an array of (depth, entry) pairs in depth order finds and
// walks them. Entries are made in blocks the list owns, so entries placed
// one after another lie side by side and a walk in depth order reads memory
// in order; an entry taken away leaves its room for the next one placed.
//
// Looking up the depth at or just after the last one looked up costs one or
// two comparisons (timelines change their depths in rising order); any
// other lookup halves the array. Inserting or erasing moves the shorter side
// of the array, room being kept at both ends, so depths added or taken in
// rising or in falling order cost the same at any size; EraseIf takes any
// number of entries in one pass.
//
// Iterators are positions: comparing and stepping them stays safe while the
// list changes (a position at or past the end is the end), though the entry
// a position shows moves when entries before it come or go.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

namespace flash {

template <class Entry>
class DepthList {
 public:
  using value_type = std::pair<int32_t, Entry>;  // the depth (changed only by the list) and the entry

 private:
  struct Slot {
    int32_t depth;
    value_type* node;
  };

  template <bool Const>
  class Position {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = DepthList::value_type;
    using difference_type = std::ptrdiff_t;
    using reference = std::conditional_t<Const, const value_type&, value_type&>;
    using pointer = std::conditional_t<Const, const value_type*, value_type*>;
    using List = std::conditional_t<Const, const DepthList, DepthList>;

    Position() = default;
    Position(List* list, size_t index) : list_(list), index_(index) {}
    operator Position<true>() const { return Position<true>(list_, index_); }

    reference operator*() const { return *list_->SlotAt(index_).node; }
    pointer operator->() const { return list_->SlotAt(index_).node; }
    Position& operator++() { return ++index_, *this; }
    Position operator++(int) { Position p = *this; ++index_; return p; }
    // (Before the first, a position wraps past the end: the end.)
    Position& operator--() { return index_ = AtEnd() ? list_->size() - 1 : index_ - 1, *this; }
    Position operator--(int) { Position p = *this; --*this; return p; }
    bool operator==(const Position& o) const { return index_ == o.index_ || (AtEnd() && o.AtEnd()); }
    size_t Index() const { return index_; }

   private:
    bool AtEnd() const { return !list_ || index_ >= list_->size(); }
    List* list_ = nullptr;
    size_t index_ = 0;
  };

 public:
  using iterator = Position<false>;
  using const_iterator = Position<true>;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  DepthList() = default;
  ~DepthList() { clear(); }
  DepthList(const DepthList&) = delete;
  DepthList& operator=(const DepthList&) = delete;

  size_t size() const { return tail_ - head_; }
  bool empty() const { return tail_ == head_; }
  iterator begin() { return {this, 0}; }
  iterator end() { return {this, size()}; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  // The first entry at depth or deeper.
  iterator lower_bound(int32_t depth) { return {this, LowerBound(depth)}; }
  const_iterator lower_bound(int32_t depth) const { return {this, LowerBound(depth)}; }
  // The first entry deeper than depth.
  iterator upper_bound(int32_t depth) { return depth == INT32_MAX ? end() : lower_bound(depth + 1); }
  iterator find(int32_t depth) { return {this, Find(depth)}; }
  const_iterator find(int32_t depth) const { return {this, Find(depth)}; }
  size_t count(int32_t depth) const { return Find(depth) < size() ? 1 : 0; }
  Entry& at(int32_t depth) { return const_cast<Entry&>(std::as_const(*this).at(depth)); }
  const Entry& at(int32_t depth) const {
    const size_t i = Find(depth);
    if (i >= size()) throw std::out_of_range("no entry at this depth");
    return SlotAt(i).node->second;
  }

  // The entry at depth, made (default) when there is none.
  Entry& operator[](int32_t depth) {
    const size_t i = LowerBound(depth);
    if (i < size() && SlotAt(i).depth == depth) return SlotAt(i).node->second;
    value_type* node = NewNode(depth);
    InsertSlot(i, Slot{depth, node});
    return node->second;
  }

  // Takes the entry at the position away; the position then shows the next.
  iterator erase(iterator it) {
    const size_t i = it.Index();
    if (i >= size()) return end();
    value_type* node = SlotAt(i).node;
    EraseSlot(i);
    FreeNode(node);
    return {this, i};
  }
  size_t erase(int32_t depth) {
    const size_t i = Find(depth);
    if (i >= size()) return 0;
    erase(iterator(this, i));
    return 1;
  }

  // Calls take(entry) for each entry in depth order, then takes away those
  // for which it answered true; the number taken. take must not change the
  // list (it may read it).
  template <class Take>
  size_t EraseIf(Take take) {
    std::vector<value_type*> taken;
    for (size_t i = head_; i < tail_; ++i)
      if (take(*slots_[i].node)) taken.push_back(slots_[i].node);
    if (taken.empty()) return 0;
    size_t out = head_, next = 0;
    for (size_t in = head_; in < tail_; ++in) {
      if (next < taken.size() && slots_[in].node == taken[next]) ++next;
      else slots_[out++] = slots_[in];
    }
    tail_ = out;
    for (value_type* node : taken) FreeNode(node);
    return taken.size();
  }

  // Moves the entry at from to depth to; one standing at to goes to from.
  // The entries stay where they are in memory; false when from holds none.
  bool Swap(int32_t from, int32_t to) {
    const size_t a = Find(from);
    if (a >= size()) return false;
    if (from == to) return true;
    const size_t b = Find(to);
    if (b < size()) {
      std::swap(SlotAt(a).node, SlotAt(b).node);
      SlotAt(a).node->first = from;
      SlotAt(b).node->first = to;
      return true;
    }
    value_type* node = SlotAt(a).node;
    EraseSlot(a);
    node->first = to;
    InsertSlot(LowerBound(to), Slot{to, node});
    return true;
  }

  // Takes every entry away and gives back the memory.
  void clear() {
    for (size_t i = head_; i < tail_; ++i) slots_[i].node->~value_type();
    slots_.reset();
    blocks_.clear();
    free_ = nullptr;
    capacity_ = head_ = tail_ = cursor_ = 0;
  }

 private:
  // An entry's room: the entry while it stands, else a link in the free list.
  union Room {
    Room() {}
    ~Room() {}
    value_type node;
    Room* next;
  };
  static constexpr size_t kFirstBlock = 4;
  static constexpr size_t kLargestBlock = 256;

  Slot& SlotAt(size_t i) { return slots_[head_ + i]; }
  const Slot& SlotAt(size_t i) const { return slots_[head_ + i]; }

  size_t LowerBound(int32_t depth) const {
    const size_t n = size();
    if (n == 0 || SlotAt(n - 1).depth < depth) return n;
    // Where the last lookup ended, or the entry after it.
    for (size_t i = cursor_; i < n && i <= cursor_ + 1; ++i)
      if (SlotAt(i).depth >= depth && (i == 0 || SlotAt(i - 1).depth < depth)) return cursor_ = i;
    const Slot* first = slots_.get() + head_;
    const Slot* at = std::lower_bound(first, first + n, depth, [](const Slot& s, int32_t d) { return s.depth < d; });
    return cursor_ = static_cast<size_t>(at - first);
  }
  size_t Find(int32_t depth) const {
    const size_t i = LowerBound(depth);
    return i < size() && SlotAt(i).depth == depth ? i : size();
  }

  void InsertSlot(size_t i, Slot slot) {
    const size_t n = size();
    if (head_ > 0 && (i < n - i || tail_ == capacity_)) {
      std::memmove(slots_.get() + head_ - 1, slots_.get() + head_, i * sizeof(Slot));
      --head_;
    } else {
      if (tail_ == capacity_) Grow();
      std::memmove(slots_.get() + head_ + i + 1, slots_.get() + head_ + i, (n - i) * sizeof(Slot));
      ++tail_;
    }
    SlotAt(i) = slot;
  }
  void EraseSlot(size_t i) {
    const size_t n = size();
    if (i < n - 1 - i) {
      std::memmove(slots_.get() + head_ + 1, slots_.get() + head_, i * sizeof(Slot));
      ++head_;
    } else {
      std::memmove(slots_.get() + head_ + i, slots_.get() + head_ + i + 1, (n - 1 - i) * sizeof(Slot));
      --tail_;
    }
    if (cursor_ >= size()) cursor_ = 0;
  }
  // Twice the room, the entries in the middle (room at both ends).
  void Grow() {
    const size_t n = size();
    const size_t capacity = std::max<size_t>(8, 2 * capacity_);
    auto slots = std::make_unique_for_overwrite<Slot[]>(capacity);
    const size_t head = (capacity - n) / 2;
    if (n) std::memcpy(slots.get() + head, slots_.get() + head_, n * sizeof(Slot));
    slots_ = std::move(slots);
    capacity_ = capacity;
    head_ = head;
    tail_ = head + n;
  }

  value_type* NewNode(int32_t depth) {
    if (!free_) {
      const size_t count = std::min(kLargestBlock, kFirstBlock << std::min<size_t>(blocks_.size(), 6));
      blocks_.push_back(std::make_unique<Room[]>(count));
      Room* block = blocks_.back().get();
      for (size_t i = count; i-- > 0;) block[i].next = free_, free_ = &block[i];
    }
    Room* room = free_;
    free_ = room->next;
    return new (&room->node) value_type(std::piecewise_construct, std::forward_as_tuple(depth), std::forward_as_tuple());
  }
  void FreeNode(value_type* node) {
    node->~value_type();
    Room* room = reinterpret_cast<Room*>(node);
    room->next = free_;
    free_ = room;
  }

  std::unique_ptr<Slot[]> slots_;  // the entries in [head_, tail_) by depth
  size_t capacity_ = 0, head_ = 0, tail_ = 0;
  mutable size_t cursor_ = 0;  // where the last lookup ended
  std::vector<std::unique_ptr<Room[]>> blocks_;
  Room* free_ = nullptr;
};

}  // namespace flash
