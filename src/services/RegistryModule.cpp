#include "services/RegistryModule.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <variant>

#include "base/Handles.h"
#include "base/TextConv.h"
#include "services/AppIdentity.h"

std::wstring TestRunName() {
  wchar_t name[66] = {};
  const DWORD n = GetEnvironmentVariableW(kTestKeyVariable, name, 66);
  bool usable = n > 0 && n <= 64;
  for (DWORD i = 0; usable && i < n; ++i) {
    const wchar_t c = name[i];
    const bool alnum = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
    usable = alnum || (i > 0 && (c == L'_' || c == L'-' || c == L'.'));
  }
  return usable ? std::wstring(name, n) : L"";
}

std::wstring AppRegistryKey() {
  const std::wstring name = TestRunName();
  if (name.empty()) return app::kRegistryKey;
  return std::wstring(app::kRegistryKey) + L" tests\\" + name;
}

namespace {

std::wstring KeyPath(const std::wstring& section, bool useAppKey) {
  if (!useAppKey) return section;
  return AppRegistryKey() + L"\\" + section;
}

using RegValue = std::variant<std::wstring, long>;

// Reads a REG_SZ (as text) or REG_DWORD (as number) value; nothing for a
// missing key or value and for any other type.
std::optional<RegValue> RegReadValue(HKEY key, const std::wstring& name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type == REG_SZ) {
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (size > 0 &&
        RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
            ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (type != REG_SZ) return std::nullopt;
    buffer.resize(std::min<size_t>(buffer.size(), bytes / sizeof(wchar_t)));
    size_t nul = buffer.find(L'\0');
    if (nul != std::wstring::npos) buffer.resize(nul);
    return RegValue(buffer);
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD value = 0, bytes = sizeof(value);
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
      return std::nullopt;
    }
    return RegValue(static_cast<long>(static_cast<int32_t>(value)));
  }
  return std::nullopt;
}

std::optional<RegValue> ReadValue(const std::wstring& section, const std::wstring& name, bool useAppKey,
                                  HKEY root) {
  ScopedHKey key;
  // Read access only: full access fails on keys an ordinary user may only read.
  if (RegOpenKeyExW(root, KeyPath(section, useAppKey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return RegReadValue(key.get(), name);
}

void RegWriteValue(const std::wstring& section, const std::wstring& name, DWORD type, const BYTE* data,
                   DWORD size, bool useAppKey, HKEY root) {
  ScopedHKey key;
  if (RegCreateKeyExW(root, KeyPath(section, useAppKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key.get(), name.c_str(), 0, type, data, size);
}

}  // namespace

std::wstring GetRegString(const std::wstring& section, const std::wstring& name, const std::wstring& def,
                          bool useAppKey, HKEY root) {
  auto value = ReadValue(section, name, useAppKey, root);
  if (!value) return def;
  if (auto* text = std::get_if<std::wstring>(&*value)) return *text;
  return std::to_wstring(std::get<long>(*value));
}

void SaveRegString(const std::wstring& section, const std::wstring& name, const std::wstring& value,
                   bool useAppKey, HKEY root) {
  RegWriteValue(section, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), useAppKey, root);
}

long GetRegLong(const std::wstring& section, const std::wstring& name, long def, bool useAppKey, HKEY root) {
  auto value = ReadValue(section, name, useAppKey, root);
  if (!value) return def;
  if (auto* number = std::get_if<long>(&*value)) return *number;
  // Text that holds a number too large for 32 bits reads as the default.
  return TextToLongChecked(std::get<std::wstring>(*value)).value_or(def);
}

void SaveRegLong(const std::wstring& section, const std::wstring& name, long value, bool useAppKey, HKEY root) {
  DWORD data = static_cast<DWORD>(value);
  RegWriteValue(section, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data), useAppKey, root);
}

bool GetRegBool(const std::wstring& section, const std::wstring& name, bool def, bool useAppKey, HKEY root) {
  return TextToBool(GetRegString(section, name, BoolToText(def), useAppKey, root), def);
}

void SaveRegBool(const std::wstring& section, const std::wstring& name, bool value, bool useAppKey, HKEY root) {
  SaveRegString(section, name, BoolToText(value), useAppKey, root);
}

std::optional<RegRawValue> GetRegRaw(const std::wstring& section, const std::wstring& name, bool useAppKey,
                                     HKEY root) {
  ScopedHKey key;
  if (RegOpenKeyExW(root, KeyPath(section, useAppKey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // The value may grow between the size query and the read: ask again until it fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    RegRawValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.Type, nullptr, &size) != ERROR_SUCCESS) break;
    value.Data.resize(size);
    LONG rc = RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    value.Data.resize(size);
    return value;
  }
  return std::nullopt;
}

void SaveRegRaw(const std::wstring& section, const std::wstring& name, const RegRawValue& value, bool useAppKey,
                HKEY root) {
  RegWriteValue(section, name, value.Type, value.Data.data(), static_cast<DWORD>(value.Data.size()), useAppKey,
                root);
}

std::wstring RegRawText(const RegRawValue& value) {
  if (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ) return L"";
  std::wstring text(value.Data.size() / sizeof(wchar_t), L'\0');
  std::copy(value.Data.begin(), value.Data.begin() + text.size() * sizeof(wchar_t),
            reinterpret_cast<BYTE*>(text.data()));
  return text.substr(0, text.find(L'\0'));
}

RegRawValue RegRawFromText(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return RegRawValue{REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}
