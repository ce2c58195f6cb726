#include <gtest/gtest.h>

#include <shlobj.h>

#include <stdexcept>

#include "LogCapture.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "support/TestSupport.h"
#include "services/ShellMod.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteText;

namespace {

using Cases = std::vector<std::pair<std::wstring, std::wstring>>;

template <class F>
void ExpectAll(F f, const Cases& cases) {
  for (const auto& [in, out] : cases) EXPECT_EQ(f(in), out) << in;
}

std::string FileText(const std::wstring& path) {
  auto b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

HANDLE LockFile(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(PathHelpers, RootsUncDotsAndNamesWithoutExtension) {
  // UNC and long-path prefixes keep their leading "\\".
  ExpectAll(AddBackslash, {{L"C:\\Movies", L"C:\\Movies\\"}, {L"C:\\Movies\\", L"C:\\Movies\\"}, {L"C:\\", L"C:\\"},
                           {L"C:", L"C:\\"}, {L"C:\\a\\\\b", L"C:\\a\\b\\"},
                           {L"\\\\server\\share", L"\\\\server\\share\\"},
                           {L"\\\\server\\share\\", L"\\\\server\\share\\"},
                           {L"\\\\?\\C:\\Movies", L"\\\\?\\C:\\Movies\\"}});
  ExpectAll([](const std::wstring& p) { return GetFileTitle(p); },
            {{L"C:\\Movies\\intro.swf", L"intro.swf"}, {L"intro.swf", L"intro.swf"}, {L"C:\\", L""}});
  ExpectAll([](const std::wstring& p) { return GetFileTitle(p, true); },
            {{L"C:\\Movies\\intro.swf", L"intro"}, {L"C:\\Movies\\a.b.swf", L"a.b"}, {L"C:\\Movies\\.hidden", L""},
             {L"C:\\my.folder\\readme", L"readme"}});
  ExpectAll(GetFileExt, {{L"C:\\Movies\\intro.SWF", L".SWF"}, {L"C:\\my.folder\\readme", L""},
                         {L"\\\\server\\share.d\\file", L""}, {L"movie", L""}, {L"C:\\", L""}});
  ExpectAll(GetFolderPart, {{L"C:\\Movies\\intro.swf", L"C:\\Movies\\"}, {L"C:\\", L"C:\\"},
                            {L"\\\\server\\share\\x.swf", L"\\\\server\\share\\"}, {L"intro.swf", L""}});
}

TEST(PathHelpers, FullAndCanonicalPaths) {
  // Dots and doubled or forward separators resolve; what cannot be made full is "".
  ExpectAll(FullPathName, {{L"C:\\Movies\\..\\Games\\.\\a.swf", L"C:\\Games\\a.swf"},
                           {L"C:/Movies//a.swf", L"C:\\Movies\\a.swf"},
                           {L"C:\\Movies\\..\\..\\..", L"C:\\"},
                           {L"\\\\server\\share\\x\\..\\y.swf", L"\\\\server\\share\\y.swf"},
                           {L"", L""},
                           {std::wstring(L"C:\\a\0..\\b", 9), L""}});
  const std::wstring relative = FullPathName(L"a.swf");
  EXPECT_TRUE(relative.size() > 5 && relative.compare(relative.size() - 6, 6, L"\\a.swf") == 0) << relative;
  EXPECT_TRUE(SamePath(L"C:\\Movies\\..\\GAMES\\a.swf", L"c:/games/A.SWF"));
  EXPECT_FALSE(SamePath(L"C:\\Games\\a.swf", L"C:\\Games\\a.swf.txt"));
  EXPECT_FALSE(SamePath(L"", L""));
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

TEST(TextHelpers, HTMLEncodeAndURLEncode) {
  ExpectAll(HTMLEncode, {{L"<a href=\"x\">", L"&#60;a href=&#34;x&#34;&#62;"}, {L"Tom & Jerry", L"Tom &#38; Jerry"},
                         {L"&#38; stays", L"&#38; stays"}, {L"end &", L"end &#38;"},
                         {L"\u05e9\u05dc\u05d5\u05dd", L"\u05e9\u05dc\u05d5\u05dd"}});
  // Everything beyond ASCII as its UTF-8 bytes, whatever the code page.
  ExpectAll(URLEncode, {{L"C:\\a b.swf", L"C%3A\\a%20b%2Eswf"}, {L"\t", L"%09"},
                        {L"09@AZaz~\x7f", L"%30%39%40AZaz~\x7f"}, {L"", L""}, {L"\u00e9", L"%C3%A9"},
                        {L"\u00b9", L"%C2%B9"}, {L"C:\\\u05e9.swf", L"C%3A\\%D7%A9%2Eswf"},
                        {L"\u65e5\u672c", L"%E6%97%A5%E6%9C%AC"}, {L"\U0001F600", L"%F0%9F%98%80"}});
  EXPECT_EQ(StrToMultiByte(L"\u00e9", CP_UTF8), "\xC3\xA9");
}

TEST(TextHelpers, FormatAndCompact) {
  // Unit names and decimal marks follow the user's language: only the numbers are checked.
  EXPECT_EQ(FormatByteSize(2048).substr(0, 1), L"2");
  EXPECT_EQ(FormatByteSize(2048).find(L"2048"), std::wstring::npos);
  EXPECT_EQ(FormatByteSize(5LL << 32).substr(0, 2), L"20");
  ScopedCreatedDC memory(CreateCompatibleDC(nullptr));
  HDC dc = memory.get();
  auto width = [dc](const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  };
  struct Case {
    const char* what;
    std::wstring path;
    long width;
    std::wstring head, tail;  // what the shortened path begins and ends with
  };
  const std::wstring longName(200, L'n');
  const Case cases[] = {
      {"folders", L"C:\\A rather long folder name\\and another one\\and a third\\movie.swf", 160, L"C:\\",
       L"...\\movie.swf"},
      {"a folder's long last name", L"C:\\Flash\\" + longName + L"z\\", 200, L"C:\\Flash\\", L"nnz\\"},
      {"a name too wide alone", L"C:\\" + longName + L".swf", 150, L"C:\\n", L"n.swf"},
      {"longer than the system takes", L"C:\\" + std::wstring(300, L'x') + L"\\movie.swf", 200, L"C:\\x",
       L"movie.swf"},
  };
  for (const Case& c : cases) {
    const std::wstring shown = CompactPath(c.path, c.width, dc);
    EXPECT_LE(width(shown), c.width) << c.what;
    EXPECT_NE(shown.find(L"..."), std::wstring::npos) << c.what;
    EXPECT_EQ(shown.rfind(c.head, 0), 0u) << c.what << ": " << WideToUtf8(shown);
    EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), c.tail.size())), c.tail) << c.what;
  }
  EXPECT_EQ(CompactPath(L"C:\\a.swf", 200, dc), L"C:\\a.swf") << "as it is when it fits";
  EXPECT_EQ(CompactPath(L"C:\\x\\a.swf", 1, dc), L"...") << "nothing else fits";
}

TEST(Files, FileExistsAndReadTextFileLineEnds) {
  TempDir dir;
  const std::wstring empty = dir.File(L"empty.swf");
  EXPECT_FALSE(FileExists(dir.File(L"missing.swf")));
  EXPECT_FALSE(FileExists(dir.Path()));  // a folder is not a file
  EXPECT_FALSE(FileExists(L""));
  EXPECT_FALSE(FileExists(dir.Path() + std::wstring(300, L'a')));
  ASSERT_TRUE(WriteText(empty, ""));
  EXPECT_TRUE(FileExists(empty));
  HANDLE locked = LockFile(empty);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FileExists(empty));
  CloseHandle(locked);
  EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA).back(), L'\\');

  for (const auto& [text, read] : std::vector<std::pair<std::string, std::wstring>>{
           {"one\r\ntwo\nthree\rfour", L"one\r\ntwo\r\nthree\r\nfour\r\n"}, {"", L""}, {"a\r\n\r\n", L"a\r\n\r\n"}}) {
    ASSERT_TRUE(WriteText(dir.File(L"t.txt"), text));
    EXPECT_EQ(ReadTextFile(dir.File(L"t.txt")), read);
  }
  LogCapture log;
  EXPECT_EQ(ReadTextFile(dir.File(L"missing.txt")), L"");
  ASSERT_EQ(log.lines.size(), 7u);
  EXPECT_EQ(log.lines[2], L"Reading File");
  EXPECT_NE(log.lines[1], L"<B><FONT color=\"#000000\">0");
}

TEST(Files, LockedFilesLongPathsAndMissingFoldersLoseNothing) {
  TempDir dir;
  std::wstring path = dir.File(L"locked.xml");
  ASSERT_TRUE(WriteText(path, "<OLD/>"));
  HANDLE locked = LockFile(path);
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

  ASSERT_TRUE(WriteText(path, std::string(100, 'z')));
  EXPECT_TRUE(WriteBinaryFile(path, L"<p>short</p>"));
  EXPECT_EQ(FileText(path), "<p>short</p>");
  EXPECT_FALSE(WriteBinaryFile(dir.File(L"no such folder\\page.html"), L"x"));
  EXPECT_FALSE(FileExists(dir.File(L"no such folder\\page.html")));

  std::wstring longPath = dir.Path() + std::wstring(300, L'p') + L".txt";
  LogCapture log;
  EXPECT_EQ(ReadTextFile(longPath), L"");
  EXPECT_FALSE(WriteBinaryFile(longPath, L"x"));
  EXPECT_FALSE(SaveXML(longPath, L"<A/>"));
  EXPECT_FALSE(ShellDelete(longPath, false));
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
  EXPECT_EQ(calls, (std::vector<std::wstring>{L"open https://www.swfzel.example/", L"edit C:\\x.swf"}));
}

TEST(Shell, FileOperationsReportFailure) {
  TempDir dir;
  auto F = [&](const wchar_t* name) { return dir.File(name); };
  ASSERT_TRUE(WriteText(F(L"a.swf"), "FWS"));
  CreateDirectoryW(F(L"sub").c_str(), nullptr);

  EXPECT_TRUE(ShellCopyMove(F(L"a.swf"), F(L"sub"), false, false));
  EXPECT_TRUE(FileExists(F(L"a.swf")) && FileExists(F(L"sub\\a.swf")));
  EXPECT_TRUE(ShellMove(F(L"sub\\a.swf"), F(L"sub\\b.swf"), true));
  EXPECT_TRUE(FileExists(F(L"sub\\b.swf")));
  EXPECT_FALSE(FileExists(F(L"sub\\a.swf")));
  EXPECT_TRUE(ShellCopyMove(std::vector<std::wstring>{F(L"sub\\b.swf")}, dir.Path(), true, false));
  EXPECT_TRUE(FileExists(F(L"b.swf")));
  EXPECT_TRUE(ShellDelete(F(L"b.swf"), false));
  EXPECT_FALSE(FileExists(F(L"b.swf")));

  // Several sources in one text, separated by NULs and ended by two (as the clipboard gives them).
  ASSERT_TRUE(WriteText(F(L"c.swf"), "FWS") && WriteText(F(L"d.swf"), "FWS"));
  EXPECT_TRUE(ShellCopyMove(F(L"c.swf") + L'\0' + F(L"d.swf") + L'\0' + L'\0', F(L"sub"), false, false));
  EXPECT_TRUE(FileExists(F(L"sub\\c.swf")) && FileExists(F(L"sub\\d.swf")));
  EXPECT_FALSE(ShellCopyMove(F(L"c.swf") + L'\0' + F(L"gone.swf") + L'\0' + L'\0', F(L"sub"), false, false));

  // Failures are reported, not only cancellations.
  EXPECT_FALSE(ShellDelete(F(L"missing.swf"), false));
  EXPECT_FALSE(ShellCopyMove(F(L"missing.swf"), F(L"sub"), false, false));
  EXPECT_FALSE(ShellMove(F(L"missing.swf"), F(L"other.swf"), true));
  EXPECT_FALSE(ShellDelete(L"", false));
  EXPECT_TRUE(FileExists(F(L"a.swf")));
}

}  // namespace
