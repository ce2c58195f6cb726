// The program's one set of scoped handle owners: GDI objects, device contexts
// and selections, registry keys, kernel handles, file searches, memory handed
// over by an API, and COM interface pointers.
// Each releases what it holds when it leaves its scope; owners of long-lived
// handles (fonts, brushes, regions) can also be moved and reset.
// Declare a DC, then its objects, then their selections, so they are undone in reverse.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <utility>

// Owns a handle of type H, released by Free (a function object); Empty is the
// value that means "nothing held".
template <typename H, typename Free, H Empty = H{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : h_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Empty; }
  // Gives the handle up without releasing it.
  H release() { return std::exchange(h_, Empty); }
  void reset(H handle = Empty) {
    H old = std::exchange(h_, handle);
    if (old != Empty && old != handle) Free{}(old);
  }
  // For out-parameters: releases what is held and returns the slot.
  H* put() {
    reset();
    return &h_;
  }

 private:
  H h_ = Empty;
};

struct GdiObjectFree {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MemoryDCFree {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct RegKeyFree {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
struct KernelHandleFree {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct IconFree {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct FindFree {
  void operator()(HANDLE h) const { FindClose(h); }
};
struct GlobalMemFree {
  void operator()(HGLOBAL h) const { GlobalFree(h); }
};
struct CoTaskMemBlockFree {
  void operator()(void* p) const { CoTaskMemFree(p); }
};

// GDI objects of each kind.
template <typename H>
using GdiOwner = UniqueHandle<H, GdiObjectFree>;
using ScopedFont = GdiOwner<HFONT>;
using ScopedBrush = GdiOwner<HBRUSH>;
using ScopedPen = GdiOwner<HPEN>;
using ScopedBitmap = GdiOwner<HBITMAP>;
using ScopedRegion = GdiOwner<HRGN>;
using ScopedIcon = UniqueHandle<HICON, IconFree>;
using ScopedHKey = UniqueHandle<HKEY, RegKeyFree>;
// A kernel handle (file, process, thread, event); CreateFile's INVALID_HANDLE_VALUE counts as empty.
class ScopedHandle : public UniqueHandle<HANDLE, KernelHandleFree> {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE h) : UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};

// A FindFirstFile search (FindClose); INVALID_HANDLE_VALUE counts as empty.
class ScopedFind : public UniqueHandle<HANDLE, FindFree> {
 public:
  ScopedFind() = default;
  explicit ScopedFind(HANDLE h) : UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};

// Global memory handed over by an API (GlobalFree).
using ScopedGlobal = UniqueHandle<HGLOBAL, GlobalMemFree>;

// Memory the shell or COM allocated for the caller (CoTaskMemFree), such as an item ID list.
template <typename T>
using CoTaskMem = UniqueHandle<T*, CoTaskMemBlockFree>;

// A memory device context (DeleteDC).
class ScopedMemoryDC : public UniqueHandle<HDC, MemoryDCFree> {
 public:
  ScopedMemoryDC() = default;
  explicit ScopedMemoryDC(HDC compatibleWith) : UniqueHandle(CreateCompatibleDC(compatibleWith)) {}
};

// A device context made with CreateDC or handed over by a dialog (DeleteDC).
using ScopedCreatedDC = UniqueHandle<HDC, MemoryDCFree>;

// Any GDI object held for a moment, deleted on leaving the scope.
class ScopedGdiObject : public UniqueHandle<HGDIOBJ, GdiObjectFree> {
 public:
  ScopedGdiObject() = default;
  explicit ScopedGdiObject(HGDIOBJ object) : UniqueHandle(object) {}
};

// A window's device context from GetDC (the screen's for a null window), given back with ReleaseDC.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedWindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC; the previous one is selected back on leaving the scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelect() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory device context compatible with the screen, the screen's context being
// released at once; null when either can't be had.
inline HDC CreateScreenCompatibleDC() {
  ScopedWindowDC screen(nullptr);
  return screen ? CreateCompatibleDC(screen.get()) : nullptr;
}

// COM for the current thread for a scope, apartment-threaded: a worker
// thread's own, undone when the scope ends (interface pointers of the
// apartment must be released before).
class ScopedComApartment {
 public:
  ScopedComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;
  bool Ready() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

// Owns one COM interface pointer.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}  // takes over a reference
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  // A new reference to p (AddRef), for sharing a pointer the caller keeps.
  static ComPtr Ref(T* p) {
    if (p) p->AddRef();
    return ComPtr(p);
  }

  // For out-parameters: releases what is held and returns the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

 private:
  T* p_ = nullptr;
};
