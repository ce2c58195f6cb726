// The program's log as a real process writes it: recreated with its head at
// every start, a line for each step from the start-up on, each ending in
// "<br>", and a movie's text in it shown as written, never as markup.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "platform/flash/FlashTestSupport.h"
#include "services/AppIdentity.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

using namespace player_test;
using moviebytes::Bytes;

namespace {

// The log of the programs this test program starts (a test run's own).
std::wstring ProgramLog() {
  return GetSpecialFolder(CSIDL_APPDATA) + app::kTitle + L"\\" + app::kLogName + L" (" + TestRunName() + L").Log.html";
}

std::string LogText() {
  const auto bytes = testing_support::ReadBytes(ProgramLog());
  return std::string(bytes.begin(), bytes.end());
}

bool WaitForLog(const std::function<bool(const std::string&)>& done, DWORD timeoutMs = 20000) {
  return testing_support::WaitUntil([&] { return done(LogText()); }, timeoutMs);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A movie that traces a line with markup in its first frame.
Bytes TracingMovie() {
  moviebytes::Movie m;
  m.rateWhole = 12;
  m.frames = 2;
  m.rect = moviebytes::Rect(0, 320 * 20, 0, 240 * 20);
  m.tags = {moviebytes::BackgroundTag(0x33, 0x66, 0x99),
            flashtest::Script("push '<script>alert(1)</script> & <b>bold</b>'; trace"), moviebytes::ShowFrame(),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  return m.Plain();
}

TEST(ProgramLog, WrittenFromTheStartUpOnAndRecreatedAtEveryStart) {
  PrivateProgramKey key;
  testing_support::TempDir temp;
  const std::wstring movie = temp.File(L"Tom & Jerry \u00e9t\u00e9.swf");
  ASSERT_TRUE(testing_support::WriteBytes(movie, TracingMovie()));
  const std::string head = "<html>\r\n<head>\r\n<title>SWF.zel | Execution Log</title>\r\n</head>\r\n<body>\r\n";
  ASSERT_TRUE(testing_support::WriteText(ProgramLog(), "an old log"));
  {
    ProgramProcess run(L"\"" + movie + L"\"");
    ASSERT_NE(run.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(WaitForLog([](const std::string& t) { return Has(t, "Movie trace :: "); })) << LogText();
    const std::string text = LogText();
    EXPECT_EQ(text.rfind(head + "<b>SWF.zel</b><br>\r\n", 0), 0u) << text;
    EXPECT_TRUE(Has(text, "<br>\r\n :: Start Up<br>\r\n")) << text;
    // The movie's name, outside ASCII as references; its trace as text.
    EXPECT_TRUE(Has(text, "Tom & Jerry &#233;t&#233;.swf")) << text;
    EXPECT_TRUE(Has(text, "Movie trace :: &lt;script>alert(1)&lt;/script> & <b>bold</b><br>\r\n")) << text;
    EXPECT_FALSE(Has(text, "an old log"));
    EXPECT_TRUE(run.Close());
  }
  EXPECT_TRUE(WaitForLog([](const std::string& t) { return Has(t, "<B>Quit: "); })) << LogText();
  // The next start begins a new log: one start-up in it, its own.
  ProgramProcess again(L"");
  ASSERT_NE(again.WaitForMainWindow(), nullptr);
  EXPECT_TRUE(WaitForLog([](const std::string& t) { return Has(t, "Argument: <br>"); })) << LogText();
  const std::string text = LogText();
  EXPECT_EQ(text.find(" :: Start Up<br>"), text.rfind(" :: Start Up<br>")) << text;
  EXPECT_FALSE(Has(text, "<B>Quit: ")) << text;
  EXPECT_TRUE(again.Close());
}

}  // namespace
