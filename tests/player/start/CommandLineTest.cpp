#include <gtest/gtest.h>

#include "player/start/CommandLine.h"

using player::SplitCommandLine;
using Names = std::vector<std::wstring>;

TEST(CommandLine, SplitsNamesAsTheSplitterReadsThem) {
  struct Case {
    const wchar_t* text;
    Names names;
  } cases[] = {
      {L"a.swf b.swf", {L"a.swf", L"b.swf"}},
      {L"\"C:\\My Movies\\a.swf\"", {L"C:\\My Movies\\a.swf"}},
      {L"\"a b\" cc dd", {L"a b", L"cc", L"dd"}},
      {L"aa   bb", {L"aa", L"bb"}},
      {L"  aa bb  ", {L"aa", L"bb"}},
      {L"aa b", {L"aa"}},                   // a last name of one character is not added
      {L"a bb", {L"a", L"bb"}},             // but one in the middle is
      {L"\"a b\"", {L"a b"}},               // no blank after the closing quote
      {L"x \"a b\"", {L"x", L"a b"}},
      {L"\"a b\" \"c d\"", {L"a b", L"c d"}},
      {L"\"unclosed path", {L"unclosed", L"path"}},  // no closing quote: the blanks separate
      {L"ab\"cd", {L"abcd"}},
      {L"", {}},
      {L"a", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.names) << c.text;
}

TEST(CommandLine, ExecPrefixAnyCaseAndTheStatementKeepsItsBlank) {
  EXPECT_TRUE(player::IsExecCommand(L"/exec Uninstall"));
  EXPECT_TRUE(player::IsExecCommand(L"/EXEC Uninstall"));
  EXPECT_TRUE(player::IsExecCommand(L"/execfoo"));  // goes to the loader as a whole...
  EXPECT_FALSE(player::IsScriptStatement(L"/execfoo"));  // ...which treats it as a path
  EXPECT_TRUE(player::IsScriptStatement(L"/ExEc SetRepeatMode 2"));
  EXPECT_FALSE(player::IsExecCommand(L"/exe"));
  EXPECT_FALSE(player::IsExecCommand(L"a.swf"));
  EXPECT_EQ(player::ScriptStatementOf(L"/exec Uninstall"), L" Uninstall");
  EXPECT_EQ(player::ScriptStatementOf(L"/exec OpenMovie \rC:\\a b.swf\r"), L" OpenMovie \"C:\\a b.swf\"");
}

TEST(CommandLine, TailIsTheTextAfterTheProgramTokenVerbatim) {
  struct Case {
    const wchar_t* full;
    const wchar_t* tail;
  } cases[] = {
      {L"\"C:\\Program Files\\SWF.zel\\SWF.zel.exe\" \"C:\\a b.swf\" c.swf", L"\"C:\\a b.swf\" c.swf"},
      {L"SWF.zel.exe /exec FullScreen True,  False", L"/exec FullScreen True,  False"},
      {L"SWF.zel.exe", L""},
      {L"\"SWF.zel.exe\"", L""},
      {L"SWF.zel.exe   a.swf ", L"a.swf "},
      {L"\"C:\\x\\SWF.zel.exe\"a.swf", L"a.swf"},
  };
  for (const Case& c : cases) EXPECT_EQ(player::CommandLineTail(c.full), c.tail) << c.full;
}

TEST(CommandLine, AScriptCommandLineQuotedByTheArgumentRulesIsReadBack) {
  struct Case {
    const wchar_t* text;
    const wchar_t* read;
  } cases[] = {
      // As Wine passes the words of a Unix shell: each quote escaped, words with blanks in quotes.
      {L"/exec Quit \\\"Check\\\", True", L"/exec Quit \"Check\", True"},
      {L"/exec Quit(\\\"x\\\")", L"/exec Quit(\"x\")"},
      {L"\"/exec Player.Quit \\\"x\\\", True\"", L"/exec Player.Quit \"x\", True"},
      {L"/exec OpenMovie \\\"C:\\dir\\\\\\\"", L"/exec OpenMovie \"C:\\dir\\\""},  // a backslash before a quote
      {L"/exec OpenMovie \\\"C:\\a b.swf\\\"", L"/exec OpenMovie \"C:\\a b.swf\""},
      // Typed as they stand: kept.
      {L"/exec Quit \"Check\", True", L"/exec Quit \"Check\", True"},
      {L"/exec OpenMovie \"C:\\dir\\\"", L"/exec OpenMovie \"C:\\dir\\\""},
      {L"/exec FullScreen True,  False", L"/exec FullScreen True,  False"},
      // Not a script command line: kept for the name splitter.
      {L"\"C:\\a b.swf\" c.swf", L"\"C:\\a b.swf\" c.swf"},
      {L"a\\\"b.swf", L"a\\\"b.swf"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(player::ScriptCommandLine(c.text), c.read) << c.text;
}
