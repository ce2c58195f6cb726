#include "TestSupport.h"

#include <atomic>
#include <functional>
#include <string>

#include "base/BinaryFile.h"
#include "base/Handles.h"
#include "services/RegistryModule.h"

namespace testing_support {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  wchar_t base[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, base);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::wstring candidate = std::wstring(base) + L"swfzel-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(counter++) + L"\\";
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
}

TempDir::~TempDir() {
  if (!path_.empty()) RemoveTree(path_);
}

void RemoveTree(const std::wstring& path) {
  std::wstring dir = path;
  if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + name;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(full);
      } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(full.c_str());
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);  // a folder marked read-only or system
  RemoveDirectoryW(dir.c_str());
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  BinaryFile f;
  const int64_t size = f.OpenRead(path) ? f.Size() : -1;
  if (size <= 0 || size >= (1LL << 31)) return bytes;
  bytes.resize(static_cast<size_t>(size));
  bytes.resize(f.ReadAt(0, bytes));
  return bytes;
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) { return WriteWholeFile(path, bytes); }

bool WriteText(const std::wstring& path, const std::string& utf8) {
  return WriteBytes(path, std::vector<uint8_t>(utf8.begin(), utf8.end()));
}

std::wstring ProgramDir() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

void RegistryGuard::Key(HKEY root, const std::wstring& key) {
  ScopedHKey open;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, open.put()) != ERROR_SUCCESS) newKeys_.emplace_back(root, key);
}

void RegistryGuard::Value(HKEY root, const std::wstring& key, const std::wstring& name) {
  Key(root, key);
  Saved saved{root, key, name, false, REG_NONE, {}};
  ScopedHKey open;
  DWORD size = 0;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, open.put()) == ERROR_SUCCESS &&
      RegQueryValueExW(open.get(), name.c_str(), nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
    saved.data.resize(size);
    saved.existed = RegQueryValueExW(open.get(), name.c_str(), nullptr, &saved.type, saved.data.data(), &size) ==
                    ERROR_SUCCESS;
    saved.data.resize(size);
  }
  values_.push_back(std::move(saved));
}

void RegistryGuard::AppValue(const std::wstring& section, const std::wstring& name) {
  Value(HKEY_CURRENT_USER, AppRegistryKey() + L"\\" + section, name);
}

RegistryGuard::~RegistryGuard() {
  for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
    ScopedHKey open;
    if (RegOpenKeyExW(it->root, it->key.c_str(), 0, KEY_SET_VALUE, open.put()) != ERROR_SUCCESS) continue;
    if (it->existed) {
      RegSetValueExW(open.get(), it->name.c_str(), 0, it->type, it->data.data(), static_cast<DWORD>(it->data.size()));
    } else {
      RegDeleteValueW(open.get(), it->name.c_str());
    }
  }
  for (auto it = newKeys_.rbegin(); it != newKeys_.rend(); ++it) RegDeleteTreeW(it->first, it->second.c_str());
}

// Runs a program of the host system (Wine starts them too) and waits until Done says so.
static bool RunHost(std::string cmd, const std::function<bool()>& done) {
  STARTUPINFOA si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  // For a host program Wine gives no process handle and leaves stray values in
  // the rest (a "thread handle" such as 0x66): closing that would close a
  // handle of this process's own. Only a pair with a process handle is real.
  ScopedHandle process(pi.hProcess), thread(pi.hProcess ? pi.hThread : nullptr);
  if (process) WaitForSingleObject(process.get(), 10000);
  // A host program may still be finishing when its handle is signalled.
  return WaitUntil(done, 5000);
}

static std::string HostPath(const std::wstring& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName =
      reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  char* p = unixName ? unixName(path.c_str()) : nullptr;
  if (!p) return "";
  std::string s = p;
  HeapFree(GetProcessHeap(), 0, p);
  return s;
}

static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Makes Link a directory link to Target: through the system, else as a link of the host file system.
bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target) {
  CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
  if (Exists(link)) return true;
  std::string l = HostPath(link), t = HostPath(target);
  if (l.empty() || t.empty()) return false;
  return RunHost("Z:\\bin\\ln -s \"" + t + "\" \"" + l + "\"", [&] { return Exists(link); });
}

void RemoveDirectoryLink(const std::wstring& link) {
  if (!RemoveDirectoryW(link.c_str()) && !DeleteFileW(link.c_str()) && Exists(link))
    RunHost("Z:\\bin\\rm \"" + HostPath(link) + "\"", [&] { return !Exists(link); });
}


void PumpMessages() {
  MSG msg;
  for (int guard = 0; guard < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, bool pump) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    if (pump) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      PumpMessages();
    } else {
      Sleep(50);
    }
  }
  return true;
}

namespace {
constexpr UINT kMarkerMessage = WM_APP + 0x3A;
}

PostedMarker::PostedMarker() {
  if (window_.Create(L"SWFzelTestMarker", Proc, this)) PostMessageW(window_.get(), kMarkerMessage, 0, 0);
}

LRESULT CALLBACK PostedMarker::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kMarkerMessage) return DefWindowProcW(hwnd, msg, wp, lp);
  if (PostedMarker* marker = MessageWindow::Owner<PostedMarker>(hwnd)) marker->handled_ = true;
  return 0;
}

}  // namespace testing_support
