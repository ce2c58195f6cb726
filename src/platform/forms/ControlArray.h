// Control array: the elements of one control name by index. Element 0 is
// the design-time element; Load(n) clones the lowest element's properties
// and starts hidden; Unload(n) removes an element loaded at run time.
// Wire() attaches event handlers to every element, present and future.
#pragma once
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/Control.h"

namespace forms {

namespace detail {
bool UnloadElement(Control& control);  // Form.cpp: removes the control from its form
}

class ControlArrayBase {
 public:
  explicit ControlArrayBase(std::wstring name) : name_(std::move(name)) {}
  virtual ~ControlArrayBase() = default;
  const std::wstring& Name() const { return name_; }
  virtual int Count() const = 0;
  virtual Control* ItemBase(int index) const = 0;
  virtual void Insert(Control* control) = 0;  // the form registers each new element
  virtual void Remove(Control* control) = 0;  // and each element that goes

 private:
  std::wstring name_;
};

template <class T>
class ControlArray : public ControlArrayBase {
 public:
  using ControlArrayBase::ControlArrayBase;

  int Count() const override { return static_cast<int>(items_.size()); }
  int LBound() const { return items_.empty() ? 0 : items_.begin()->first; }
  int UBound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
  bool Exists(int index) const { return items_.count(index) != 0; }
  T* Item(int index) const {
    auto it = items_.find(index);
    return it == items_.end() ? nullptr : it->second;
  }
  Control* ItemBase(int index) const override { return Item(index); }
  T& operator[](int index) const {
    T* item = Item(index);
    if (!item) throw std::out_of_range("control array element not loaded");
    return *item;
  }
  // Loads element index (returns the existing one when it is loaded).
  T& Load(int index) {
    if (T* item = Item(index)) return *item;
    if (items_.empty()) throw std::logic_error("control array has no element to clone");
    return static_cast<T&>(items_.begin()->second->LoadClone(index));
  }
  // Unloads element index; element 0 (the design-time element) stays.
  bool Unload(int index) {
    T* item = Item(index);
    if (!item || index == 0) return false;
    return detail::UnloadElement(*item);
  }
  // The elements in index order.
  std::vector<T*> Elements() const {
    std::vector<T*> all;
    for (auto& [i, item] : items_) all.push_back(item);
    return all;
  }
  // Applies a wiring to every element now and to each element loaded later.
  void Wire(std::function<void(T&)> wiring) {
    for (auto& [i, item] : items_) wiring(*item);
    wirings_.push_back(std::move(wiring));
  }
  // Click of any element, with its index.
  void OnClick(std::function<void(int index)> handler) {
    Wire([handler](T& e) { e.OnClick = [handler, &e] { handler(e.Index()); }; });
  }

  void Insert(Control* control) override {
    T* item = dynamic_cast<T*>(control);
    if (!item) throw std::logic_error("control array element of another type");
    items_[item->Index()] = item;
    for (auto& wiring : wirings_) wiring(*item);
  }
  void Remove(Control* control) override {
    auto it = items_.find(control->Index());
    if (it != items_.end() && it->second == control) items_.erase(it);
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::map<int, T*> items_;
  std::vector<std::function<void(T&)>> wirings_;
};

}  // namespace forms
