// A whole file mapped read-only into memory for one pass over its bytes (no
// copy, no read buffer). The file stays open, and on Windows undeletable,
// only while the object lives; an empty or unreadable file maps to nothing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "base/Handles.h"

class MappedFile {
 public:
  // False when the file can't be opened or mapped, is empty, or is larger than maxSize.
  bool Open(const std::wstring& path, uint64_t maxSize);
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  struct ViewFree {
    void operator()(const void* view) const { UnmapViewOfFile(view); }
  };
  ScopedHandle file_;
  ScopedHandle mapping_;
  UniqueHandle<const void*, ViewFree> view_;
  std::span<const uint8_t> bytes_;
};
