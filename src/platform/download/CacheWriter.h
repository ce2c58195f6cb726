// A download's file in the Internet cache, written as the body arrives. The
// file is marked for deletion while it is written, so that a transfer that
// fails, is stopped or dies with its process leaves nothing behind; Commit
// keeps it and enters it in the cache under its address.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Handles.h"

namespace download {

class CacheWriter {
 public:
  CacheWriter() = default;
  ~CacheWriter();  // a file not committed is removed
  CacheWriter(const CacheWriter&) = delete;
  CacheWriter& operator=(const CacheWriter&) = delete;

  // A new cache file for url (the extension of its path kept); false when the
  // cache gives none.
  bool Begin(const std::wstring& url, uint64_t expectedSize);
  const std::wstring& File() const { return file_; }
  bool Write(const char* data, size_t size);
  // Keeps the file and enters it in the cache with the answer's head (the
  // status line and header fields, CR LF separated); false when that fails
  // (the file is then removed).
  bool Commit(const std::wstring& head);
  void Discard();

 private:
  std::wstring url_, file_, extension_;
  ScopedHandle handle_;
};

}  // namespace download
