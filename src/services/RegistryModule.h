// Settings in the registry: one named value under a section key, either under
// the program key (HKCU\Software\SWF.zel\<section>) or under a root directly.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The program's key under HKEY_CURRENT_USER: "Software\SWF.zel". A test run
// names a key of its own in the environment variable SWFZEL_TEST_KEY (a letter or
// digit, then also "_", "-" and ".", at most 64), which gives "Software\SWF.zel tests\<name>":
// the tests and the programs they start never touch the user's settings.
std::wstring AppRegistryKey();
// The test run's name from SWFZEL_TEST_KEY when it is usable as above, else "".
std::wstring TestRunName();
// The environment variable that names the test key.
inline constexpr const wchar_t* kTestKeyVariable = L"SWFZEL_TEST_KEY";

std::wstring GetRegString(const std::wstring& section, const std::wstring& name, const std::wstring& def,
                          bool useAppKey = true, HKEY root = HKEY_CURRENT_USER);
void SaveRegString(const std::wstring& section, const std::wstring& name, const std::wstring& value,
                   bool useAppKey = true, HKEY root = HKEY_CURRENT_USER);
long GetRegLong(const std::wstring& section, const std::wstring& name, long def, bool useAppKey = true,
                HKEY root = HKEY_CURRENT_USER);
void SaveRegLong(const std::wstring& section, const std::wstring& name, long value, bool useAppKey = true,
                 HKEY root = HKEY_CURRENT_USER);
// Booleans are stored as the texts "True" and "False".
bool GetRegBool(const std::wstring& section, const std::wstring& name, bool def, bool useAppKey = true,
                HKEY root = HKEY_CURRENT_USER);
void SaveRegBool(const std::wstring& section, const std::wstring& name, bool value, bool useAppKey = true,
                 HKEY root = HKEY_CURRENT_USER);

// A value exactly as stored: its type (REG_SZ, REG_EXPAND_SZ, ...) and its bytes.
struct RegRawValue {
  DWORD Type = REG_SZ;
  std::vector<BYTE> Data;
  bool operator==(const RegRawValue&) const = default;
};
// The value as stored; nothing for a missing key or value.
std::optional<RegRawValue> GetRegRaw(const std::wstring& section, const std::wstring& name, bool useAppKey = true,
                                     HKEY root = HKEY_CURRENT_USER);
void SaveRegRaw(const std::wstring& section, const std::wstring& name, const RegRawValue& value,
                bool useAppKey = true, HKEY root = HKEY_CURRENT_USER);
// The text of a REG_SZ or REG_EXPAND_SZ value (unexpanded, up to its first NUL); "" for other types.
std::wstring RegRawText(const RegRawValue& value);
// A REG_SZ value holding text.
RegRawValue RegRawFromText(const std::wstring& text);
