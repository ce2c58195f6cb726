// Files: an owned Win32 file handle with
// positioned reads, a read window that serves small reads from one buffer, and
// whole-file writing through a temporary file in the target's folder.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile() { Close(); }
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;
  BinaryFile(BinaryFile&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
  BinaryFile& operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
      Close();
      h_ = other.h_;
      other.h_ = INVALID_HANDLE_VALUE;
    }
    return *this;
  }

  bool OpenRead(const std::wstring& path);
  bool Create(const std::wstring& path);  // replaces an existing file
  // Opens for writing from the start, keeping an existing file's space until
  // Truncate cuts it at the current position. The file is held for this
  // handle alone: false while anyone else has it open (a reader is never
  // written under), and no one opens it until it is closed.
  bool OpenForOverwrite(const std::wstring& path);
  bool Truncate();
  bool IsOpen() const { return h_ != INVALID_HANDLE_VALUE; }
  void Close();
  bool CloseChecked();  // false when the last writes could not be flushed

  int64_t Size() const;
  FILETIME LastWriteTime() const;
  // Reads up to out.size() bytes at pos; returns how many were read.
  size_t ReadAt(uint64_t pos, std::span<uint8_t> out);
  bool ReadExactAt(uint64_t pos, std::span<uint8_t> out) { return ReadAt(pos, out) == out.size(); }
  bool Write(std::span<const uint8_t> bytes);

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Small positioned reads over an open file, served from a buffer that is
// refilled only when a read leaves it.
class FileWindow {
 public:
  explicit FileWindow(BinaryFile& file, size_t bufferSize = 16384) : FileWindow(file, file.Size(), bufferSize) {}
  FileWindow(BinaryFile& file, int64_t knownSize, size_t bufferSize);
  int64_t Size() const { return size_; }
  // The n bytes at pos (0-based); empty when they do not all lie in the file.
  // The view stays valid until the next call.
  std::span<const uint8_t> Get(uint64_t pos, size_t n);

 private:
  BinaryFile& file_;
  int64_t size_;
  size_t bufferSize_;
  std::vector<uint8_t> buf_;
  uint64_t start_ = 0;
  size_t len_ = 0;
};

// Size of a file, or -1 when it cannot be read.
int64_t FileSizeOf(const std::wstring& path);
// A new empty file beside target for writing it in one piece; "" on failure.
std::wstring TempFileBeside(const std::wstring& target);
// Moves a finished temporary file over target; deletes it on failure (GetLastError
// then tells why the move failed).
bool CommitTempFile(const std::wstring& temp, const std::wstring& target);
// path with "(n)" before the extension of its file name: ("a.5.jpg", 2) gives "a.5(2).jpg".
std::wstring NumberedName(const std::wstring& path, int n);
// Moves a finished temporary file to target or, while that name is taken, to
// NumberedName(target, 1), (target, 2) ... up to maxNumber: never over an
// existing file. The name it took; "" on failure, the temporary file deleted.
std::wstring CommitTempFileAsNew(const std::wstring& temp, const std::wstring& target, int maxNumber);
// Writes bytes as the whole content of path (an existing file is replaced).
bool WriteWholeFile(const std::wstring& path, std::span<const uint8_t> bytes);
