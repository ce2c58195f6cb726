// The log file as the program writes it: the line ends, the characters and
// the markup a line may carry, and the limit that stops its growth.
#include <gtest/gtest.h>

#include "base/ErrorLog.h"
#include "base/LogFile.h"
#include "support/TestSupport.h"

namespace {

TEST(LogFile, LinesAreAsciiWithOnlyTheLogsOwnMarkup) {
  const struct {
    std::wstring text;
    bool newLine;
    std::string written;
  } cases[] = {
      {L"", true, "<br>\r\n"},
      {L"Loading... ", false, "Loading... "},
      {L"<B>ALERT:</B> Proc<BR>Overflow", true, "<B>ALERT:</B> Proc<BR>Overflow<br>\r\n"},
      {L"<b>x</b> <I>y</I> <FONT color=\"#33aa00\">z</FONT>", false, "<b>x</b> <I>y</I> <FONT color=\"#33aa00\">z</FONT>"},
      // Names and a movie's texts show as written and never become tags or scripts.
      {L"<script>alert(1)</script>", false, "&lt;script>alert(1)&lt;/script>"},
      {L"C:\\<![CDATA[x.swf", false, "C:\\&lt;![CDATA[x.swf"},
      {L"<img src=x onerror=y> <b onclick=z> <font color=\"red\"> <br", false,
       "&lt;img src=x onerror=y> &lt;b onclick=z> &lt;font color=\"red\"> &lt;br"},
      {L"a &amp; b &#60; \"c\"", false, "a &amp; b &#60; \"c\""},
      // Other characters as references: the file reads the same in any code page.
      {L"\u00e9t\u00e9 \u6620\u753b \U0001F600", false, "&#233;t&#233; &#26144;&#30011; &#128512;"},
      {std::wstring(L"a\r\nb\tc\x01") + wchar_t(0xD800) + L"d", false, "a  b\tc??d"},
  };
  for (const auto& c : cases) EXPECT_EQ(LogFileText(c.text, c.newLine), c.written);
}

TEST(LogFile, WriteLogAppendsToTheAttachedFileUpToItsLimit) {
  testing_support::TempDir dir;
  const std::wstring path = dir.File(L"log.html");
  ASSERT_TRUE(testing_support::WriteText(path, "<html>\r\n"));
  const auto text = [&] {
    const auto bytes = testing_support::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_FALSE(AttachLogFile(dir.File(L"missing.html")));
  ASSERT_TRUE(AttachLogFile(path, 40));  // 8 bytes of head: 32 for the lines
  WriteLog(L"Loading ", false);
  WriteLog(L"done");
  EXPECT_EQ(text(), "<html>\r\nLoading done<br>\r\n");
  WriteLog(L"too long for the rest");  // 14 bytes left: the limit is reached and said once
  WriteLog(L"x");
  const std::string limited = "<html>\r\nLoading done<br>\r\n<b>The log reached its limit of 40 bytes: later lines are left out</b><br>\r\n";
  EXPECT_EQ(text(), limited);

  // A line left open when the limit comes is ended first; a detached file gets nothing.
  ASSERT_TRUE(AttachLogFile(L""));
  ASSERT_TRUE(testing_support::WriteText(path, ""));
  ASSERT_TRUE(AttachLogFile(path, 10));
  WriteLog(L"12345 ", false);
  WriteLog(L"67890");
  EXPECT_EQ(text(), "12345 <br>\r\n<b>The log reached its limit of 10 bytes: later lines are left out</b><br>\r\n");
  ASSERT_TRUE(AttachLogFile(L""));
  ASSERT_TRUE(testing_support::WriteText(path, ""));
  WriteLog(L"after");
  EXPECT_EQ(text(), "");
}

// A start-up that makes its log file late holds its lines for it.
TEST(LogFile, LinesHeldUntilTheFileIsAttachedGoFirst) {
  testing_support::TempDir dir;
  const std::wstring path = dir.File(L"log.html");
  const auto text = [&] {
    const auto bytes = testing_support::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
  };
  HoldLogLines();
  WriteLog(L"before ", false);
  WriteLog(L"the file");
  ASSERT_TRUE(AttachLogFile(L""));  // a detach keeps them held
  ASSERT_TRUE(testing_support::WriteText(path, "<html>\r\n"));
  ASSERT_TRUE(AttachLogFile(path));
  WriteLog(L"after");
  EXPECT_EQ(text(), "<html>\r\nbefore the file<br>\r\nafter<br>\r\n");

  // Past the bound they are counted in a line of their own.
  ASSERT_TRUE(AttachLogFile(L""));
  ASSERT_TRUE(testing_support::WriteText(path, ""));
  HoldLogLines();
  const std::wstring line(1000, L'x');  // 1006 bytes with its end: 260 fit
  for (int i = 0; i < 300; ++i) WriteLog(line);
  ASSERT_TRUE(AttachLogFile(path));
  const std::string written = text();
  EXPECT_EQ(written.size(), 260 * 1006 + 63u);
  EXPECT_EQ(written.substr(260 * 1006), "40 lines logged before the log file was made are left out<br>\r\n");
  ASSERT_TRUE(AttachLogFile(L""));
}

}  // namespace
