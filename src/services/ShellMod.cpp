#include "services/ShellMod.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <stdexcept>

#include "services/AppIdentity.h"
#include "base/BinaryFile.h"
#include "base/ErrorLog.h"
#include "services/XmlDocument.h"

namespace {

ShellSeam RealShell() {
  ShellSeam seam;
  seam.open = [](const std::wstring& file, const std::wstring& verb) -> intptr_t {
    return reinterpret_cast<intptr_t>(
        ShellExecuteW(nullptr, verb.empty() ? nullptr : verb.c_str(), file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  };
  seam.changeNotify = [](LONG eventId, UINT flags, const void* item1, const void* item2) {
    SHChangeNotify(eventId, flags, item1, item2);
  };
  return seam;
}

// A double-NUL-terminated list of paths for SHFileOperation.
std::wstring PathList(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const auto& p : paths) {
    list += p;
    list += L'\0';
  }
  list += L'\0';
  return list;
}

// Runs one shell file operation; true only when it succeeded and nothing was cancelled.
bool RunFileOperation(HWND owner, UINT func, const std::vector<std::wstring>& from, const std::wstring* to,
                      FILEOP_FLAGS flags) {
  if (from.empty()) return false;
  for (const auto& p : from) {
    // An empty entry would end the list early; a missing source is a failure
    // even where the shell quietly does nothing.
    if (p.empty() || GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  }
  std::wstring fromList = PathList(from);
  std::wstring toList = to ? PathList({*to}) : std::wstring();
  SHFILEOPSTRUCTW op = {};
  op.hwnd = owner;
  op.wFunc = func;
  op.pFrom = fromList.c_str();
  op.pTo = to ? toList.c_str() : nullptr;
  op.fFlags = flags;
  int rc = SHFileOperationW(&op);
  return rc == 0 && !op.fAnyOperationsAborted;
}

void SetLastWin32Error(DWORD code) {
  wchar_t* buffer = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = buffer ? buffer : L"System error " + std::to_wstring(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  SetError(static_cast<long>(code), app::kTitle, text);
}

// Writes bytes to a new file beside Path and then puts it in Path's place, so
// that a failed write leaves an existing file as it was.
bool ReplaceFileWith(const std::wstring& path, const void* data, size_t size) {
  std::wstring temp = path + L".~new";
  BinaryFile f;
  if (!f.Create(temp)) return false;
  bool ok = f.Write(std::span<const uint8_t>(static_cast<const uint8_t*>(data), size));
  if (!f.CloseChecked() || !ok) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return CommitTempFile(temp, path);
}

}  // namespace

ShellSeam& CurrentShell() {
  static ShellSeam seam = RealShell();
  return seam;
}

void ResetShellSeam() { CurrentShell() = RealShell(); }

std::wstring AddBackslash(const std::wstring& path) {
  // A leading "\\" (UNC and "\\?\" paths) is kept; every other doubled
  // separator is collapsed once, left to right.
  size_t keep = path.compare(0, 2, L"\\\\") == 0 ? 2 : 0;
  std::wstring rest = path.substr(keep) + L"\\";
  std::wstring out = path.substr(0, keep);
  out.reserve(rest.size() + keep);
  for (size_t i = 0; i < rest.size(); ++i) {
    out += rest[i];
    if (rest[i] == L'\\' && i + 1 < rest.size() && rest[i + 1] == L'\\') ++i;
  }
  return out;
}

std::wstring GetFileTitle(const std::wstring& path, bool noExtension) {
  size_t slash = path.rfind(L'\\');
  std::wstring title = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (noExtension) {
    size_t dot = title.rfind(L'.');
    if (dot != std::wstring::npos) title.resize(dot);
  }
  return title;
}

std::wstring GetFileExt(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return L"";
  size_t slash = path.rfind(L'\\');
  if (slash != std::wstring::npos && slash > dot) return L"";
  return path.substr(dot);
}

std::wstring GetFolderPart(const std::wstring& path) {
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

std::wstring TrimNull(const std::wstring& text) {
  size_t nul = text.find(L'\0');
  return nul == std::wstring::npos ? text : text.substr(0, nul);
}

bool StrEqualNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::wstring FullPathName(const std::wstring& path) {
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return L"";
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return L"";
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return L"";
  full.resize(n);
  return full;
}

std::wstring CanonicalPath(const std::wstring& path) {
  const std::wstring full = FullPathName(path);
  if (full.empty()) return L"";
  DWORD n;
  // The long form of short (8.3) names, where the path exists.
  n = GetLongPathNameW(full.c_str(), nullptr, 0);
  if (n == 0) return full;
  std::wstring longForm(n, L'\0');
  n = GetLongPathNameW(full.c_str(), longForm.data(), n);
  if (n == 0 || n >= longForm.size()) return full;
  longForm.resize(n);
  return longForm;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  const std::wstring ca = CanonicalPath(a), cb = CanonicalPath(b);
  return !ca.empty() && ca.size() == cb.size() &&
         CompareStringOrdinal(ca.data(), static_cast<int>(ca.size()), cb.data(), static_cast<int>(cb.size()), TRUE) ==
             CSTR_EQUAL;
}

long CheckUShort(long value) {
  if (value < 0 || value > 65535) throw std::overflow_error("Overflow");
  return value;
}

namespace {

long TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text with its middle replaced by "...", as much kept as fits (half of it
// from each end); "..." alone when nothing else fits.
std::wstring CutInTheMiddle(const std::wstring& text, long width, HDC dc) {
  auto cut = [&text](size_t kept) {
    size_t head = kept / 2, tail = kept - head;
    if (head > 0 && IsLowSurrogate(text[head])) --head;  // a pair is kept whole or not at all
    if (tail > 0 && IsLowSurrogate(text[text.size() - tail])) --tail;
    return text.substr(0, head) + L"..." + text.substr(text.size() - tail);
  };
  size_t low = 0, high = text.size();  // low fits (or is "..."), high does not
  while (high - low > 1) {
    const size_t middle = (low + high) / 2;
    (TextWidth(dc, cut(middle)) <= width ? low : high) = middle;
  }
  return cut(low);
}

}  // namespace

std::wstring CompactPath(const std::wstring& path, long width, HDC dc) {
  const std::wstring source = TrimNull(path);
  if (!dc || TextWidth(dc, source) <= width) return source;
  // The system's way keeps the file name whole; it works in a MAX_PATH buffer.
  if (source.size() < MAX_PATH) {
    wchar_t buffer[MAX_PATH] = {};
    source.copy(buffer, MAX_PATH - 1);
    if (PathCompactPathW(dc, buffer, static_cast<UINT>(width < 0 ? 0 : width))) {
      const std::wstring compact = TrimNull(std::wstring(buffer, MAX_PATH));
      if (TextWidth(dc, compact) <= width) return compact;
    }
  }
  // A name too wide by itself, or a path too long for the system: cut in the middle.
  return CutInTheMiddle(source, width, dc);
}

std::wstring FormatByteSize(int64_t bytes) {
  wchar_t buffer[32] = {};
  if (!StrFormatByteSizeW(bytes, buffer, 32)) return L"";
  return TrimNull(std::wstring(buffer, 32));
}

std::wstring GetSpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return L"";
  std::wstring path = TrimNull(std::wstring(buffer, MAX_PATH + 1));
  return path.empty() ? path : AddBackslash(path);
}

bool FileExists(const std::wstring& path) {
  if (path.empty()) return false;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void MakeDir(const std::wstring& path) {
  if (!path.empty()) CreateDirectoryW(path.c_str(), nullptr);
}

bool MakeDirs(const std::wstring& path) {
  std::wstring folder = path;
  while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty()) return false;
  if (PathIsDirectoryW(folder.c_str()) || PathIsDirectoryW((folder + L"\\").c_str())) return true;
  const size_t slash = folder.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0) MakeDirs(folder.substr(0, slash));
  CreateDirectoryW(folder.c_str(), nullptr);
  return PathIsDirectoryW(folder.c_str()) != FALSE;
}

intptr_t ShellOpen(const std::wstring& file, const std::wstring& verb) {
  if (file.empty() || !CurrentShell().open) return 0;
  return CurrentShell().open(file, verb);
}

bool ShellDelete(const std::wstring& path, bool confirm) {
  return RunFileOperation(MainForm, FO_DELETE, {path}, nullptr,
                          FOF_ALLOWUNDO | (confirm ? 0 : FOF_NOCONFIRMATION));
}

bool ShellCopyMove(const std::vector<std::wstring>& from, const std::wstring& to, bool move, bool confirm) {
  if (to.empty()) return false;
  return RunFileOperation(MainForm, move ? FO_MOVE : FO_COPY, from, &to,
                          FOF_ALLOWUNDO | (confirm ? 0 : FOF_NOCONFIRMATION));
}

bool ShellCopyMove(const std::wstring& from, const std::wstring& to, bool move, bool confirm) {
  return ShellCopyMove(std::vector<std::wstring>{from}, to, move, confirm);
}

bool ShellMove(const std::wstring& from, const std::wstring& to, bool silent) {
  if (to.empty()) return false;
  return RunFileOperation(nullptr, FO_MOVE, {from}, &to, silent ? FOF_NOCONFIRMATION : FOF_ALLOWUNDO);
}

std::wstring ReadTextFile(const std::wstring& path) {
  BinaryFile f;
  std::string bytes;
  bool ok = f.OpenRead(path);
  if (ok) {
    const int64_t size = f.Size();
    ok = size >= 0 && size < 0x40000000;
    if (ok) {
      bytes.resize(static_cast<size_t>(size));
      ok = f.ReadExactAt(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()));
    }
  }
  if (!ok) {
    DWORD code = GetLastError();
    SetLastWin32Error(code ? code : ERROR_READ_FAULT);
    ReportError(L"Reading File", L"");
    return L"";
  }
  std::wstring text;
  if (!bytes.empty()) {
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(n > 0 ? n : 0);
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  }
  // Line by line: CR LF, CR or LF end a line; every line gets CR LF.
  std::wstring out;
  out.reserve(text.size() + 2);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) {
      out += text.substr(start);
      out += L"\r\n";
      break;
    }
    out += text.substr(start, end - start);
    out += L"\r\n";
    start = end + 1;
    if (text[end] == L'\r' && start < text.size() && text[start] == L'\n') ++start;
  }
  return out;
}

bool WriteBinaryFile(const std::wstring& path, const std::wstring& text) {
  std::string bytes = StrToMultiByte(text, -1);
  return ReplaceFileWith(path, bytes.data(), bytes.size());
}

bool SaveXML(const std::wstring& path, const std::wstring& xmlText) {
  XmlDocument doc;
  if (!doc.LoadXML(xmlText)) {
    const XmlParseError& e = doc.ParseError();
    WriteLog(L"SaveXML: " + e.reason + L" (" + std::to_wstring(e.line) + L" - " + std::to_wstring(e.linepos) + L")");
    WriteLog(e.srcText);
    return false;
  }
  // Saved beside the target first, so a failed save keeps the old file.
  std::wstring temp = path + L".~new";
  if (!doc.Save(temp)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return CommitTempFile(temp, path);
}

std::string StrToMultiByte(const std::wstring& text, int codePage, DWORD flags) {
  if (text.empty()) return {};
  UINT cp = codePage == -1 ? GetACP() : static_cast<UINT>(codePage);
  int n = WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(n, '\0');
  WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring URLEncode(const std::wstring& text) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  out.reserve(text.size() * 3);
  auto escape = [&](unsigned char b) {
    out += L'%';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  };
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c <= 64) {
      escape(static_cast<unsigned char>(c));
    } else if (c <= 127) {
      out += c;
    } else {
      // Any other character as the bytes of its UTF-8 form (a surrogate pair together).
      size_t len = 1;
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) len = 2;
      for (unsigned char b : StrToMultiByte(text.substr(i, len), CP_UTF8)) escape(b);
      i += len - 1;
    }
  }
  return out;
}
