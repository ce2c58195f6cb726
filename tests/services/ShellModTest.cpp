#include <gtest/gtest.h>

#include <shlobj.h>

#include <stdexcept>

#include "LogCapture.h"
#include "support/TestSupport.h"
#include "services/ShellMod.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteText;

namespace {

std::string FileText(const std::wstring& path) {
  auto b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

TEST(PathHelpers, AddBackslash) {
  EXPECT_EQ(AddBackslash(L"C:\\Movies"), L"C:\\Movies\\");
  EXPECT_EQ(AddBackslash(L"C:\\Movies\\"), L"C:\\Movies\\");
  EXPECT_EQ(AddBackslash(L"C:\\"), L"C:\\");
  EXPECT_EQ(AddBackslash(L"C:"), L"C:\\");
  EXPECT_EQ(AddBackslash(L"C:\\a\\\\b"), L"C:\\a\\b\\");
  // UNC and long-path prefixes keep their leading "\\".
  EXPECT_EQ(AddBackslash(L"\\\\server\\share"), L"\\\\server\\share\\");
  EXPECT_EQ(AddBackslash(L"\\\\server\\share\\"), L"\\\\server\\share\\");
  EXPECT_EQ(AddBackslash(L"\\\\?\\C:\\Movies"), L"\\\\?\\C:\\Movies\\");
}

TEST(PathHelpers, TitleExtensionAndFolder) {
  EXPECT_EQ(GetFileTitle(L"C:\\Movies\\intro.swf"), L"intro.swf");
  EXPECT_EQ(GetFileTitle(L"C:\\Movies\\intro.swf", true), L"intro");
  EXPECT_EQ(GetFileTitle(L"C:\\Movies\\a.b.swf", true), L"a.b");
  EXPECT_EQ(GetFileTitle(L"C:\\Movies\\.hidden", true), L"");
  EXPECT_EQ(GetFileTitle(L"C:\\my.folder\\readme", true), L"readme");
  EXPECT_EQ(GetFileTitle(L"intro.swf"), L"intro.swf");
  EXPECT_EQ(GetFileTitle(L"C:\\"), L"");

  EXPECT_EQ(GetFileExt(L"C:\\Movies\\intro.SWF"), L".SWF");
  EXPECT_EQ(GetFileExt(L"C:\\my.folder\\readme"), L"");
  EXPECT_EQ(GetFileExt(L"\\\\server\\share.d\\file"), L"");
  EXPECT_EQ(GetFileExt(L"movie"), L"");
  EXPECT_EQ(GetFileExt(L"C:\\"), L"");

  EXPECT_EQ(GetFolderPart(L"C:\\Movies\\intro.swf"), L"C:\\Movies\\");
  EXPECT_EQ(GetFolderPart(L"C:\\"), L"C:\\");
  EXPECT_EQ(GetFolderPart(L"\\\\server\\share\\x.swf"), L"\\\\server\\share\\");
  EXPECT_EQ(GetFolderPart(L"intro.swf"), L"");
}

TEST(TextHelpers, TrimNullCompareAndRange) {
  EXPECT_EQ(TrimNull(std::wstring(L"abc\0def\0\0", 9)), L"abc");
  EXPECT_EQ(TrimNull(L"abc"), L"abc");
  EXPECT_TRUE(StrEqualNoCase(L"Movie.SWF", L"movie.swf"));
  EXPECT_FALSE(StrEqualNoCase(L"movie.swf", L"movie.swf "));
  EXPECT_EQ(CheckUShort(0), 0);
  EXPECT_EQ(CheckUShort(65535), 65535);
  EXPECT_THROW(CheckUShort(-1), std::overflow_error);
  EXPECT_THROW(CheckUShort(65536), std::overflow_error);
}

TEST(TextHelpers, HTMLEncode) {
  EXPECT_EQ(HTMLEncode(L"<a href=\"x\">"), L"&#60;a href=&#34;x&#34;&#62;");
  EXPECT_EQ(HTMLEncode(L"Tom & Jerry"), L"Tom &#38; Jerry");
  EXPECT_EQ(HTMLEncode(L"&#38; stays"), L"&#38; stays");
  EXPECT_EQ(HTMLEncode(L"end &"), L"end &#38;");
  EXPECT_EQ(HTMLEncode(L"\u05e9\u05dc\u05d5\u05dd"), L"\u05e9\u05dc\u05d5\u05dd");
}

TEST(TextHelpers, URLEncode) {
  EXPECT_EQ(URLEncode(L"C:\\a b.swf"), L"C%3A\\a%20b%2Eswf");
  EXPECT_EQ(URLEncode(L"\t"), L"%09");
  EXPECT_EQ(URLEncode(L"09@AZaz~\x7f"), L"%30%39%40AZaz~\x7f");
  EXPECT_EQ(URLEncode(L""), L"");
  // Everything beyond ASCII as its UTF-8 bytes, whatever the code page.
  EXPECT_EQ(URLEncode(L"\u00e9"), L"%C3%A9");
  EXPECT_EQ(URLEncode(L"\u00b9"), L"%C2%B9");
  EXPECT_EQ(URLEncode(L"C:\\\u05e9.swf"), L"C%3A\\%D7%A9%2Eswf");
  EXPECT_EQ(URLEncode(L"\u65e5\u672c"), L"%E6%97%A5%E6%9C%AC");
  EXPECT_EQ(URLEncode(L"\U0001F600"), L"%F0%9F%98%80");
  EXPECT_EQ(StrToMultiByte(L"\u00e9", CP_UTF8), "\xC3\xA9");
}

TEST(TextHelpers, FormatAndCompact) {
  EXPECT_NE(FormatByteSize(2048).find(L"KB"), std::wstring::npos);
  EXPECT_FALSE(FormatByteSize(5LL << 32).empty());
  HDC dc = CreateCompatibleDC(nullptr);
  std::wstring path = L"C:\\A rather long folder name\\and another one\\and a third\\movie.swf";
  std::wstring shortPath = CompactPath(path, 120, dc);
  EXPECT_LT(shortPath.size(), path.size());
  EXPECT_NE(shortPath.find(L"..."), std::wstring::npos);
  std::wstring huge = L"C:\\" + std::wstring(300, L'x') + L"\\movie.swf";
  EXPECT_LE(CompactPath(huge, 200, dc).size(), static_cast<size_t>(MAX_PATH));
  DeleteDC(dc);
}

TEST(Files, FileExists) {
  TempDir dir;
  EXPECT_FALSE(FileExists(dir.File(L"missing.swf")));
  EXPECT_FALSE(FileExists(dir.Path()));  // a folder is not a file
  EXPECT_FALSE(FileExists(L""));
  EXPECT_FALSE(FileExists(dir.Path() + std::wstring(300, L'a')));
  ASSERT_TRUE(WriteText(dir.File(L"empty.swf"), ""));
  EXPECT_TRUE(FileExists(dir.File(L"empty.swf")));
  HANDLE locked = CreateFileW(dir.File(L"empty.swf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FileExists(dir.File(L"empty.swf")));
  CloseHandle(locked);
  EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA).back(), L'\\');
}

TEST(Files, ReadTextFileEndsEveryLineWithCrLf) {
  TempDir dir;
  ASSERT_TRUE(WriteText(dir.File(L"t.txt"), "one\r\ntwo\nthree\rfour"));
  EXPECT_EQ(ReadTextFile(dir.File(L"t.txt")), L"one\r\ntwo\r\nthree\r\nfour\r\n");
  ASSERT_TRUE(WriteText(dir.File(L"e.txt"), ""));
  EXPECT_EQ(ReadTextFile(dir.File(L"e.txt")), L"");
  ASSERT_TRUE(WriteText(dir.File(L"b.txt"), "a\r\n\r\n"));
  EXPECT_EQ(ReadTextFile(dir.File(L"b.txt")), L"a\r\n\r\n");

  LogCapture log;
  EXPECT_EQ(ReadTextFile(dir.File(L"missing.txt")), L"");
  ASSERT_EQ(log.lines.size(), 7u);
  EXPECT_EQ(log.lines[2], L"Reading File");
  EXPECT_NE(log.lines[1], L"<B><FONT color=\"#000000\">0");
}

TEST(Files, LockedFilesAndLongPathsLoseNothing) {
  TempDir dir;
  std::wstring path = dir.File(L"locked.xml");
  ASSERT_TRUE(WriteText(path, "<OLD/>"));
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  {
    LogCapture log;
    EXPECT_EQ(ReadTextFile(path), L"");
    EXPECT_EQ(log.lines.size(), 7u);
  }
  EXPECT_FALSE(WriteBinaryFile(path, L"<NEW/>"));
  EXPECT_FALSE(SaveXML(path, L"<NEW/>"));
  CloseHandle(locked);
  EXPECT_EQ(FileText(path), "<OLD/>");
  EXPECT_FALSE(FileExists(path + L".~new"));

  std::wstring longPath = dir.Path() + std::wstring(300, L'p') + L".txt";
  LogCapture log;
  EXPECT_EQ(ReadTextFile(longPath), L"");
  EXPECT_FALSE(WriteBinaryFile(longPath, L"x"));
  EXPECT_FALSE(SaveXML(longPath, L"<A/>"));
  EXPECT_FALSE(ShellDelete(longPath, false));
}

TEST(Files, WriteBinaryFileReplacesTheFile) {
  TempDir dir;
  std::wstring path = dir.File(L"page.html");
  ASSERT_TRUE(WriteText(path, std::string(100, 'z')));
  EXPECT_TRUE(WriteBinaryFile(path, L"<p>short</p>"));
  EXPECT_EQ(FileText(path), "<p>short</p>");
  EXPECT_FALSE(WriteBinaryFile(dir.File(L"no such folder\\page.html"), L"x"));
  EXPECT_FALSE(FileExists(dir.File(L"no such folder\\page.html")));
}

TEST(Files, SaveXMLKeepsTheOldFileOnBadText) {
  TempDir dir;
  std::wstring path = dir.File(L"list.xml");
  EXPECT_TRUE(SaveXML(path, L"<LIST><ITEM name=\"a\"/></LIST>"));
  std::string saved = FileText(path);
  EXPECT_NE(saved.find("<ITEM name=\"a\"/>"), std::string::npos) << saved;

  LogCapture log;
  EXPECT_FALSE(SaveXML(path, L"<LIST><ITEM></LIST>"));
  EXPECT_EQ(FileText(path), saved);
  ASSERT_FALSE(log.lines.empty());
  EXPECT_EQ(log.lines[0].rfind(L"SaveXML: ", 0), 0u);

  EXPECT_FALSE(SaveXML(dir.File(L"new.xml"), L"not xml"));
  EXPECT_FALSE(FileExists(dir.File(L"new.xml")));
  EXPECT_FALSE(SaveXML(dir.File(L"missing\\x.xml"), L"<A/>"));
}

// The shell seam: ShellOpen never reaches the real shell in tests.
TEST(Shell, ShellOpenGoesThroughTheSeam) {
  std::vector<std::wstring> calls;
  CurrentShell().open = [&](const std::wstring& file, const std::wstring& verb) -> intptr_t {
    calls.push_back(verb + L" " + file);
    return 42;
  };
  EXPECT_EQ(ShellOpen(L"https://www.swfzel.example/"), 42);
  EXPECT_EQ(ShellOpen(L"C:\\x.swf", L"edit"), 42);
  EXPECT_EQ(ShellOpen(L""), 0);
  ResetShellSeam();
  std::vector<std::wstring> expected = {L"open https://www.swfzel.example/", L"edit C:\\x.swf"};
  EXPECT_EQ(calls, expected);
}

TEST(Shell, FileOperationsReportFailure) {
  TempDir dir;
  ASSERT_TRUE(WriteText(dir.File(L"a.swf"), "FWS"));
  CreateDirectoryW(dir.File(L"sub").c_str(), nullptr);

  EXPECT_TRUE(ShellCopyMove(dir.File(L"a.swf"), dir.File(L"sub"), false, false));
  EXPECT_TRUE(FileExists(dir.File(L"a.swf")));
  EXPECT_TRUE(FileExists(dir.File(L"sub\\a.swf")));

  EXPECT_TRUE(ShellMove(dir.File(L"sub\\a.swf"), dir.File(L"sub\\b.swf"), true));
  EXPECT_TRUE(FileExists(dir.File(L"sub\\b.swf")));
  EXPECT_FALSE(FileExists(dir.File(L"sub\\a.swf")));

  EXPECT_TRUE(ShellCopyMove(std::vector<std::wstring>{dir.File(L"sub\\b.swf")}, dir.Path(), true, false));
  EXPECT_TRUE(FileExists(dir.File(L"b.swf")));

  EXPECT_TRUE(ShellDelete(dir.File(L"b.swf"), false));
  EXPECT_FALSE(FileExists(dir.File(L"b.swf")));

  // Several sources in one text, separated by NULs and ended by two (as the clipboard gives them).
  ASSERT_TRUE(WriteText(dir.File(L"c.swf"), "FWS"));
  ASSERT_TRUE(WriteText(dir.File(L"d.swf"), "FWS"));
  std::wstring both = dir.File(L"c.swf") + L'\0' + dir.File(L"d.swf") + L'\0' + L'\0';
  EXPECT_TRUE(ShellCopyMove(both, dir.File(L"sub"), false, false));
  EXPECT_TRUE(FileExists(dir.File(L"sub\\c.swf")));
  EXPECT_TRUE(FileExists(dir.File(L"sub\\d.swf")));
  std::wstring oneMissing = dir.File(L"c.swf") + L'\0' + dir.File(L"gone.swf") + L'\0' + L'\0';
  EXPECT_FALSE(ShellCopyMove(oneMissing, dir.File(L"sub"), false, false));

  // Failures are reported, not only cancellations.
  EXPECT_FALSE(ShellDelete(dir.File(L"missing.swf"), false));
  EXPECT_FALSE(ShellCopyMove(dir.File(L"missing.swf"), dir.File(L"sub"), false, false));
  EXPECT_FALSE(ShellMove(dir.File(L"missing.swf"), dir.File(L"other.swf"), true));
  EXPECT_FALSE(ShellDelete(L"", false));
  EXPECT_TRUE(FileExists(dir.File(L"a.swf")));
}

}  // namespace
