#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <tuple>

#include "services/RegistryModule.h"

namespace {

// A section of its own under the program key, removed afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  std::wstring section = L"Test Registry " + std::to_wstring(GetCurrentProcessId());
  std::wstring KeyPath() const { return AppRegistryKey() + L"\\" + section; }
  void TearDown() override {
    SetKeyAccess(KEY_ALL_ACCESS);
    RegDeleteTreeW(HKEY_CURRENT_USER, KeyPath().c_str());
  }

  // Writes a value of any type directly.
  void WriteRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void WriteSz(const std::wstring& name, const std::wstring& text) {
    WriteRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  // Lets everyone open the key with Access only (and change its access list).
  bool SetKeyAccess(REGSAM access) {
    wchar_t sddl[64];
    swprintf(sddl, 64, L"D:(A;;0x%lx;;;WD)", static_cast<unsigned long>(access | DELETE | WRITE_DAC | READ_CONTROL));
    PSECURITY_DESCRIPTOR sd = nullptr;
    HKEY key = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath().c_str(), 0, WRITE_DAC, &key);
    if (rc == ERROR_SUCCESS) rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), RegCloseKey(key);
    LocalFree(sd);
    return rc == ERROR_SUCCESS;
  }
};

TEST_F(RegistryTest, RoundTripsAndMissingValuesGiveTheDefault) {
  EXPECT_EQ(GetRegString(section, L"Nothing", L"dflt"), L"dflt");
  EXPECT_EQ(GetRegLong(section, L"Nothing", 77), 77);
  EXPECT_EQ(GetRegString(section + L"\\No Such Key", L"x", L"d"), L"d");
  SaveRegString(section, L"Text", L"Hello \u05e9\u05dc\u05d5\u05dd");
  EXPECT_EQ(GetRegString(section, L"Nothing", L"dflt"), L"dflt");
  EXPECT_EQ(GetRegString(section, L"Text", L""), L"Hello \u05e9\u05dc\u05d5\u05dd");
  SaveRegString(section, L"Empty", L"");
  EXPECT_EQ(GetRegString(section, L"Empty", L"dflt"), L"");
  SaveRegString(section, L"", L"the default value");
  EXPECT_EQ(GetRegString(section, L"", L"x"), L"the default value");
  SaveRegLong(section, L"Big", 2147483647);
  EXPECT_EQ(GetRegLong(section, L"Big", 5), 2147483647);
  SaveRegLong(section, L"Number", -1);
  EXPECT_EQ(GetRegLong(section, L"Number", 5), -1);
  EXPECT_EQ(GetRegString(section, L"Number", L"x"), L"-1");  // REG_DWORD read as text

  // Section may also be the whole key, without the program key.
  SaveRegString(KeyPath() + L"\\Sub", L"v", L"direct", false, HKEY_CURRENT_USER);
  EXPECT_EQ(GetRegString(section + L"\\Sub", L"v", L""), L"direct");
  EXPECT_EQ(GetRegString(KeyPath() + L"\\Sub", L"v", L"", false), L"direct");
}

TEST_F(RegistryTest, TextReadAsNumbersAndOtherTypesAsMissing) {
  // Out of range: the default, not a wrapped number.
  const std::vector<std::pair<std::wstring, long>> numbers = {
      {L"42", 42}, {L" -7 apples", -7}, {L"abc", 0}, {L"99999999999", 5}, {L"2147483648", 5},
      {L"-2147483648", -2147483647L - 1}};
  for (const auto& [text, value] : numbers) {
    WriteSz(L"N", text);
    EXPECT_EQ(GetRegLong(section, L"N", 5), value) << text;
  }
  // A REG_SZ without any data reads as "" and 0.
  WriteRaw(L"NoData", REG_SZ, nullptr, 0);
  EXPECT_EQ(GetRegString(section, L"NoData", L"d"), L"");
  EXPECT_EQ(GetRegLong(section, L"NoData", 5), 0);

  const BYTE bytes[] = {1, 2, 3, 4};
  const wchar_t expand[] = L"%TEMP%", multi[] = L"a\0b\0";
  ULONGLONG q = 12;
  WriteRaw(L"Binary", REG_BINARY, bytes, sizeof(bytes));
  WriteRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
  WriteRaw(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
  WriteRaw(L"Qword", REG_QWORD, &q, sizeof(q));
  for (const wchar_t* name : {L"Binary", L"Expand", L"Multi", L"Qword"}) {
    EXPECT_EQ(GetRegString(section, name, L"d"), L"d") << name;
    EXPECT_EQ(GetRegLong(section, name, 9), 9) << name;
  }
}

TEST_F(RegistryTest, BooleansAreStoredAsText) {
  SaveRegBool(section, L"Flag", false);
  EXPECT_EQ(GetRegString(section, L"Flag", L"True"), L"False");
  EXPECT_FALSE(GetRegBool(section, L"Flag", true));
  SaveRegBool(section, L"Flag", true);
  EXPECT_EQ(GetRegString(section, L"Flag", L""), L"True");
  EXPECT_TRUE(GetRegBool(section, L"Missing", true));
  for (const auto& [text, dflt, value] : std::vector<std::tuple<std::wstring, bool, bool>>{
           {L"false", true, false}, {L"1", false, true}, {L"maybe", true, true}, {L"maybe", false, false}}) {
    WriteSz(L"B", text);
    EXPECT_EQ(GetRegBool(section, L"B", dflt), value) << text;
  }
}

TEST_F(RegistryTest, ReadsNeedOnlyReadAccessAndWritesOnlyWriteAccess) {
  SaveRegString(section, L"Kept", L"value");
  // As on a class key that an ordinary user may read but not change.
  ASSERT_TRUE(SetKeyAccess(KEY_READ));
  EXPECT_EQ(GetRegString(section, L"Kept", L"lost"), L"value");
  EXPECT_EQ(GetRegLong(section, L"Kept", 3), 0);

  ASSERT_TRUE(SetKeyAccess(KEY_WRITE));
  SaveRegString(section, L"Written", L"new");
  SaveRegLong(section, L"Number", 12);
  ASSERT_TRUE(SetKeyAccess(KEY_ALL_ACCESS));
  EXPECT_EQ(GetRegString(section, L"Written", L"missing"), L"new");
  EXPECT_EQ(GetRegLong(section, L"Number", 0), 12);
}

}  // namespace
