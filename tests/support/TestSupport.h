// Helpers shared by the test programs: a temporary folder removed at the end,
// byte-exact file reading and writing, registry state put back at the end, the
// program's folder, directory links, waits on a condition or a posted marker.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/MessageWindow.h"

namespace testing_support {

// A fresh folder under the temporary folder (ending in "\"), deleted with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + name; }

 private:
  std::wstring path_;
};

std::vector<uint8_t> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteText(const std::wstring& path, const std::string& utf8);
// The folder of the running test program (in the build folder, where the build stages
// the program's data), ending in "\".
std::wstring ProgramDir();
// Deletes a folder tree; used by TempDir.
void RemoveTree(const std::wstring& path);

// Keeps registry values as they are (type and bytes, or their absence) and puts
// them back on destruction; a key that did not exist is deleted with all below it.
class RegistryGuard {
 public:
  RegistryGuard() = default;
  ~RegistryGuard();
  RegistryGuard(const RegistryGuard&) = delete;
  RegistryGuard& operator=(const RegistryGuard&) = delete;
  // Keeps one value ("" is the key's default value); its key is kept as well.
  void Value(HKEY root, const std::wstring& key, const std::wstring& name);
  // Deletes the key on destruction when it does not exist now.
  void Key(HKEY root, const std::wstring& key);
  // Keeps a value under the program's key (AppRegistryKey()\<section>).
  void AppValue(const std::wstring& section, const std::wstring& name);

 private:
  struct Saved {
    HKEY root;
    std::wstring key, name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::vector<Saved> values_;
  std::vector<std::pair<HKEY, std::wstring>> newKeys_;
};

// Makes link a directory link to target: through the system, else (under Wine,
// which cannot make one from the Windows side) as a link of the host file system.
bool MakeDirectoryLink(const std::wstring& link, const std::wstring& target);
void RemoveDirectoryLink(const std::wstring& link);

// Dispatches the thread's pending messages (at most 10,000 a call).
void PumpMessages();

// Checks done every 50 ms until it holds or timeoutMs has passed, and says
// whether it held; with pump, the thread's messages are dispatched between
// checks (for windows of the test's own thread).
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000, bool pump = false);

// A message posted to the thread's own queue when made: Handled() holds once a
// message loop of the thread has dispatched it, and with it every message
// posted to the thread before it (which is how a test sees that something
// on its way has arrived, or that nothing more was on its way).
class PostedMarker {
 public:
  PostedMarker();
  PostedMarker(const PostedMarker&) = delete;
  PostedMarker& operator=(const PostedMarker&) = delete;
  bool Handled() const { return handled_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool handled_ = false;
  MessageWindow window_;
};

}  // namespace testing_support
