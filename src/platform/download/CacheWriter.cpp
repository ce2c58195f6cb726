#include "platform/download/CacheWriter.h"

#include <wininet.h>

#include <algorithm>
#include <cwctype>

namespace download {

namespace {

// "swf" for ".../movie.swf?x=1"; "" when the last path segment has no short
// extension of letters and digits.
std::wstring ExtensionOf(const std::wstring& url) {
  std::wstring path = url.substr(0, url.find_first_of(L"?#"));
  const size_t slash = path.rfind(L'/');
  if (slash != std::wstring::npos) path.erase(0, slash + 1);
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return L"";
  std::wstring extension = path.substr(dot + 1);
  if (extension.empty() || extension.size() > 8 ||
      !std::all_of(extension.begin(), extension.end(), [](wchar_t c) { return c < 0x80 && std::iswalnum(c); })) {
    return L"";
  }
  return extension;
}

bool SetDeleteOnClose(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition = {static_cast<BOOLEAN>(remove)};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

}  // namespace

CacheWriter::~CacheWriter() { Discard(); }

bool CacheWriter::Begin(const std::wstring& url, uint64_t expectedSize) {
  Discard();
  url_ = url;
  extension_ = ExtensionOf(url);
  wchar_t name[MAX_PATH + 1] = {};
  const DWORD expected = static_cast<DWORD>(std::min<uint64_t>(expectedSize, MAXDWORD));
  if (!CreateUrlCacheEntryW(url.c_str(), expected, extension_.empty() ? nullptr : extension_.c_str(), name, 0)) {
    return false;
  }
  file_ = name;
  handle_ = ScopedHandle(CreateFileW(file_.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle_ || !SetDeleteOnClose(handle_.get(), true)) {
    Discard();
    return false;
  }
  return true;
}

bool CacheWriter::Write(const char* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    if (!handle_ || !WriteFile(handle_.get(), data, piece, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool CacheWriter::Commit(const std::wstring& head) {
  if (!handle_ || !SetDeleteOnClose(handle_.get(), false)) {
    Discard();
    return false;
  }
  handle_.reset();
  const FILETIME none = {};
  std::wstring headers = head;
  if (!CommitUrlCacheEntryW(url_.c_str(), file_.c_str(), none, none, NORMAL_CACHE_ENTRY, headers.data(),
                            static_cast<DWORD>(headers.size()), extension_.empty() ? nullptr : extension_.c_str(),
                            nullptr)) {
    DeleteFileW(file_.c_str());
    file_.clear();
    return false;
  }
  url_.clear();
  return true;
}

void CacheWriter::Discard() {
  handle_.reset();  // a file still open was marked for deletion and goes now
  if (!url_.empty() && !file_.empty()) DeleteFileW(file_.c_str());  // not committed
  url_.clear();
  file_.clear();
}

}  // namespace download
