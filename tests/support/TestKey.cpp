// Compiled into every test program: the program's code under test, and every
// program a test starts, keep their settings under a registry key of this
// test program's own (see AppRegistryKey), emptied when the test program
// starts and when it ends. The user's live key is never read or written, so a
// test run killed halfway leaves it as it was.
#include <windows.h>

#include <string>

#include "services/AppIdentity.h"
#include "services/RegistryModule.h"

namespace {

class TestKey {
 public:
  TestKey() {
    // A program started by a test program keeps the key it was given.
    if (GetEnvironmentVariableW(kTestKeyVariable, nullptr, 0) != 0) return;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    name = name.substr(0, name.find_last_of(L'.'));
    SetEnvironmentVariableW(kTestKeyVariable, name.c_str());
    if (AppRegistryKey() == app::kRegistryKey) return;  // an unusable name: leave everything alone
    owner_ = true;
    RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());  // what a killed run left
  }
  ~TestKey() {
    if (owner_) RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());
  }

 private:
  bool owner_ = false;
};

TestKey testKey;

}  // namespace
