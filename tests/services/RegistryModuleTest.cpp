#include <gtest/gtest.h>

#include "services/AppIdentity.h"
#include "services/RegistryModule.h"

namespace {

// A section of its own under the program key, removed afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  std::wstring section = L"Test Registry " + std::to_wstring(GetCurrentProcessId());
  std::wstring KeyPath() const { return std::wstring(app::kRegistryKey) + L"\\" + section; }
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
  // Lets everyone open the key with Access only (and change its access list).
  bool SetKeyAccess(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath().c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    alignas(8) BYTE aclBuffer[256];
    auto* acl = reinterpret_cast<ACL*>(aclBuffer);
    InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    AddAccessAllowedAce(acl, ACL_REVISION, access | DELETE | WRITE_DAC | READ_CONTROL, everyone);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    LONG rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
    FreeSid(everyone);
    return rc == ERROR_SUCCESS;
  }
  void WriteSz(const std::wstring& name, const std::wstring& text) {
    WriteRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
};

TEST_F(RegistryTest, MissingKeysAndValuesGiveTheDefault) {
  EXPECT_EQ(GetRegString(section, L"Nothing", L"dflt"), L"dflt");
  EXPECT_EQ(GetRegLong(section, L"Nothing", 77), 77);
  EXPECT_EQ(GetRegString(section + L"\\No Such Key", L"x", L"d"), L"d");
  SaveRegString(section, L"Other", L"1");
  EXPECT_EQ(GetRegString(section, L"Nothing", L"dflt"), L"dflt");
}

TEST_F(RegistryTest, TextAndNumbersRoundTrip) {
  SaveRegString(section, L"Text", L"Hello \u05e9\u05dc\u05d5\u05dd");
  EXPECT_EQ(GetRegString(section, L"Text", L""), L"Hello \u05e9\u05dc\u05d5\u05dd");
  SaveRegString(section, L"Empty", L"");
  EXPECT_EQ(GetRegString(section, L"Empty", L"dflt"), L"");
  SaveRegString(section, L"", L"the default value");
  EXPECT_EQ(GetRegString(section, L"", L"x"), L"the default value");
  SaveRegLong(section, L"Number", -1);
  EXPECT_EQ(GetRegLong(section, L"Number", 5), -1);
  SaveRegLong(section, L"Big", 2147483647);
  EXPECT_EQ(GetRegLong(section, L"Big", 5), 2147483647);
}

TEST_F(RegistryTest, TypesConvertAcrossReads) {
  SaveRegLong(section, L"Number", -1);
  EXPECT_EQ(GetRegString(section, L"Number", L"x"), L"-1");  // REG_DWORD read as text

  WriteSz(L"Digits", L"42");
  WriteSz(L"Signed", L" -7 apples");
  WriteSz(L"Word", L"abc");
  WriteSz(L"Huge", L"99999999999");
  WriteSz(L"JustTooBig", L"2147483648");
  WriteSz(L"Lowest", L"-2147483648");
  EXPECT_EQ(GetRegLong(section, L"Digits", 5), 42);
  EXPECT_EQ(GetRegLong(section, L"Signed", 5), -7);
  EXPECT_EQ(GetRegLong(section, L"Word", 5), 0);
  EXPECT_EQ(GetRegLong(section, L"Huge", 5), 5);  // out of range: the default, not a wrapped number
  EXPECT_EQ(GetRegLong(section, L"JustTooBig", 5), 5);
  EXPECT_EQ(GetRegLong(section, L"Lowest", 5), -2147483647L - 1);

  // A REG_SZ without any data reads as "" and 0.
  WriteRaw(L"NoData", REG_SZ, nullptr, 0);
  EXPECT_EQ(GetRegString(section, L"NoData", L"d"), L"");
  EXPECT_EQ(GetRegLong(section, L"NoData", 5), 0);
}

TEST_F(RegistryTest, OtherTypesCountAsMissing) {
  const BYTE bytes[] = {1, 2, 3, 4};
  WriteRaw(L"Binary", REG_BINARY, bytes, sizeof(bytes));
  const wchar_t expand[] = L"%TEMP%";
  WriteRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
  const wchar_t multi[] = L"a\0b\0";
  WriteRaw(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
  ULONGLONG q = 12;
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
  WriteSz(L"Lower", L"false");
  WriteSz(L"One", L"1");
  WriteSz(L"Junk", L"maybe");
  EXPECT_FALSE(GetRegBool(section, L"Lower", true));
  EXPECT_TRUE(GetRegBool(section, L"One", false));
  EXPECT_TRUE(GetRegBool(section, L"Junk", true));
  EXPECT_FALSE(GetRegBool(section, L"Junk", false));
  EXPECT_TRUE(GetRegBool(section, L"Missing", true));
}

TEST_F(RegistryTest, SectionIsTheWholeKeyWithoutTheProgramKey) {
  SaveRegString(KeyPath() + L"\\Sub", L"v", L"direct", false, HKEY_CURRENT_USER);
  EXPECT_EQ(GetRegString(section + L"\\Sub", L"v", L""), L"direct");
  EXPECT_EQ(GetRegString(KeyPath() + L"\\Sub", L"v", L"", false), L"direct");
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
