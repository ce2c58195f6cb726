#include "base/BinaryFile.h"

#include <algorithm>

bool BinaryFile::OpenRead(const std::wstring& path) {
  Close();
  h_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return IsOpen();
}

bool BinaryFile::Create(const std::wstring& path) {
  Close();
  h_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                   nullptr);
  return IsOpen();
}

bool BinaryFile::OpenForOverwrite(const std::wstring& path) {
  Close();
  h_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen();
}

bool BinaryFile::Truncate() { return IsOpen() && SetEndOfFile(h_); }

void BinaryFile::Close() {
  if (IsOpen()) CloseHandle(h_);
  h_ = INVALID_HANDLE_VALUE;
}

bool BinaryFile::CloseChecked() {
  if (!IsOpen()) return false;
  bool ok = CloseHandle(h_) != 0;
  h_ = INVALID_HANDLE_VALUE;
  return ok;
}

int64_t BinaryFile::Size() const {
  LARGE_INTEGER size{};
  if (!IsOpen() || !GetFileSizeEx(h_, &size)) return -1;
  return size.QuadPart;
}

FILETIME BinaryFile::LastWriteTime() const {
  FILETIME t{};
  if (IsOpen()) GetFileTime(h_, nullptr, nullptr, &t);
  return t;
}

size_t BinaryFile::ReadAt(uint64_t pos, std::span<uint8_t> out) {
  if (!IsOpen()) return 0;
  size_t done = 0;
  while (done < out.size()) {
    OVERLAPPED ov{};
    uint64_t at = pos + done;
    ov.Offset = static_cast<DWORD>(at);
    ov.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD want = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(h_, out.data() + done, want, &got, &ov) || got == 0) break;
    done += got;
  }
  return done;
}

bool BinaryFile::Write(std::span<const uint8_t> bytes) {
  if (!IsOpen()) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(h_, bytes.data() + done, want, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

FileWindow::FileWindow(BinaryFile& file, int64_t knownSize, size_t bufferSize)
    : file_(file), size_(knownSize), bufferSize_(bufferSize) {}

std::span<const uint8_t> FileWindow::Get(uint64_t pos, size_t n) {
  if (size_ < 0 || pos > static_cast<uint64_t>(size_) || n > static_cast<uint64_t>(size_) - pos) return {};
  if (pos >= start_ && pos + n <= start_ + len_) return std::span<const uint8_t>(buf_).subspan(pos - start_, n);
  size_t want = std::max(n, bufferSize_);
  want = static_cast<size_t>(std::min<uint64_t>(want, static_cast<uint64_t>(size_) - pos));
  if (buf_.size() < want) buf_.resize(want);
  len_ = file_.ReadAt(pos, std::span<uint8_t>(buf_.data(), want));
  start_ = pos;
  if (len_ < n) return {};
  return std::span<const uint8_t>(buf_).subspan(0, n);
}

int64_t FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring TempFileBeside(const std::wstring& target) {
  size_t slash = target.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
  wchar_t name[MAX_PATH + 16] = {};
  if (folder.size() >= MAX_PATH - 14) return L"";
  if (!GetTempFileNameW(folder.c_str(), L"swz", 0, name)) return L"";
  return name;
}

bool CommitTempFile(const std::wstring& temp, const std::wstring& target) {
  if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  const DWORD error = GetLastError();  // why the move failed, not what the clean-up did
  DeleteFileW(temp.c_str());
  SetLastError(error);
  return false;
}

std::wstring NumberedName(const std::wstring& path, int n) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t dot = path.find_last_of(L'.');
  const size_t at = dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? path.size() : dot;
  return path.substr(0, at) + L"(" + std::to_wstring(n) + L")" + path.substr(at);
}

std::wstring CommitTempFileAsNew(const std::wstring& temp, const std::wstring& target, int maxNumber) {
  for (int n = 0; n <= maxNumber; ++n) {
    const std::wstring name = n == 0 ? target : NumberedName(target, n);
    if (MoveFileExW(temp.c_str(), name.c_str(), 0)) return name;
    // Only a taken name is worth another try.
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) break;
  }
  DeleteFileW(temp.c_str());
  return L"";
}

bool WriteWholeFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  BinaryFile f;
  if (!f.Create(path)) return false;
  bool ok = f.Write(bytes);
  ok = f.CloseChecked() && ok;
  return ok;
}
