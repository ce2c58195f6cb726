// The update check's window against the tests' loopback server (the language
// file names it as the web site): automatic checks show only an update and
// renew the date only after a feed was read; checks by the user report every
// outcome and name what was wrong; the reminder, the download and a window
// closed mid-load; and the running program checking at start-up and from a
// script statement, and dropping a feed without end while it answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "ToolsTestSupport.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "player/start/OptionStore.h"
#include "player/window/PlayerWindow.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "support/LoopbackServer.h"
#include "tools/network/frmUpdate.h"

using forms_test::PumpUntil;
using testing_support::HttpAnswer;
using testing_support::LoopbackServer;
using tools::frmUpdate;

namespace {

constexpr long kBuild = 883;

struct FeedItem {
  long build;
  std::string title, url = "http://dl.example/setup.exe", app = "SWF.zel";
  long length = 2097152;
};

std::string FeedOf(const std::vector<FeedItem>& items) {
  std::string xml = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>News</title>";
  for (const FeedItem& i : items)
    xml += "<item><title>" + i.title + "</title><pubDate>1 Mar 2024</pubDate><description>About " + i.title +
           "</description><update app=\"" + i.app + "\" build=\"" + std::to_string(i.build) +
           "\"/><enclosure url=\"" + i.url + "\" length=\"" + std::to_string(i.length) + "\"/></item>";
  return xml + "</channel></rss>";
}

const std::string kTwoNewer = FeedOf({{890, "Build 890", "http://dl.example/890.exe", "SWF.zel", 1024},
                                      {900, "Build 900"},
                                      {950, "Other program", "http://dl.example/other.exe", "Other"}});
const std::string kNothingNewer = FeedOf({{kBuild, "This build"}});

// The feed with a DOCTYPE after its XML declaration.
std::string WithDoctype(const std::string& feed, const std::string& doctype) {
  const size_t declarationEnd = feed.find("?>") + 2;
  return feed.substr(0, declarationEnd) + doctype + feed.substr(declarationEnd);
}
const std::string kRss091 =
    "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
    "\"http://127.0.0.1:1/publish/formats/rss-0.91.dtd\">";

// A language file whose web site is the server: "PLAYER/MNUWEB" = "127.0.0.1:<port>".
std::wstring LanguageNaming(unsigned short port) {
  return L"<LANG title=\"Loopback\" langID=\"1033\"><PLAYER><MNUWEB text=\"127.0.0.1:" + std::to_wstring(port) +
         L"\"/></PLAYER></LANG>";
}

class UpdateCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    LangDoc().LoadXML(LanguageNaming(server.Port()));
    CurrentShell().open = [this](const std::wstring& file, const std::wstring& verb) -> intptr_t {
      opened.push_back(verb + L" " + file);
      return 33;
    };
    player::Options().Update = {true, kBuild, L"3-2-2024"};
    SaveRegString(L"Update", L"Date", L"3-2-2024");
    w.Today = [] { return std::wstring(L"3-10-2024"); };
    w.AskRemind = [this](const std::wstring& prompt) {
      asked.push_back(prompt);
      return remind;
    };
  }
  void TearDown() override {
    w.Close();
    w.Today = nullptr;
    w.AskRemind = nullptr;
    player::Player.SilentCheck = false;
    ResetShellSeam();
    LangDoc().LoadXML(L"");
  }
  // Opens the window as the main window does and waits for the check's end.
  void Run(bool automatic) {
    player::Player.SilentCheck = automatic;
    w.Open(automatic ? -1 : forms::vbModeless);
    ASSERT_TRUE(PumpUntil([&] { return !w.IsLoaded() || (w.Check() && w.Check()->ReadyState() == 4); }, 30000));
  }
  std::wstring Status() const { return w.lblStatus->Caption(); }

  tools_test::ProgramState state;
  LoopbackServer server;
  frmUpdate& w = tools::UpdateWindow();
  std::vector<std::wstring> opened, asked;
  bool remind = true;
};

TEST_F(UpdateCheck, AutomaticShowsOnlyAnUpdateAndRenewsTheDateOnlyAfterAFeedWasRead) {
  HttpAnswer cut = HttpAnswer::Ok(kTwoNewer, "text/xml");
  cut.declaredLength = static_cast<int64_t>(kTwoNewer.size());
  cut.closeAfter = kTwoNewer.size() / 2;
  const struct Case {
    const char* name;
    HttpAnswer answer;
    bool shown;
    const wchar_t* date;
  } cases[] = {
      {"update", HttpAnswer::Ok(kTwoNewer, "text/xml"), true, L"3-10-2024"},
      {"no update", HttpAnswer::Ok(kNothingNewer, "text/xml"), false, L"3-10-2024"},
      {"server error", HttpAnswer::Status(500), false, L"3-2-2024"},
      {"not xml", HttpAnswer::Ok("not xml"), false, L"3-2-2024"},
      {"cut short", cut, false, L"3-2-2024"},
      {"update, bare DOCTYPE", HttpAnswer::Ok(WithDoctype(kTwoNewer, "<!DOCTYPE rss>"), "text/xml"), true,
       L"3-10-2024"},
      {"update, RSS 0.91 DOCTYPE", HttpAnswer::Ok(WithDoctype(kTwoNewer, kRss091), "text/xml"), true, L"3-10-2024"},
      {"entities declared", HttpAnswer::Ok(WithDoctype(kTwoNewer, "<!DOCTYPE rss [<!ENTITY e \"x\">]>"), "text/xml"),
       false, L"3-2-2024"},
  };
  size_t requests = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    player::Options().Update.Date = L"3-2-2024";
    SaveRegString(L"Update", L"Date", L"3-2-2024");
    server.Serve("/rss.php", c.answer);
    Run(true);
    ASSERT_EQ(server.Requests().size(), ++requests);
    EXPECT_EQ(server.Requests().back().method + " " + server.Requests().back().path, "GET /rss.php");
    EXPECT_EQ(w.IsLoaded() && w.Visible(), c.shown);
    if (c.shown) {
      EXPECT_EQ(w.Caption(), L"Check for Updates");
      EXPECT_EQ(Status(), L"Update is Available");
    }
    EXPECT_EQ(GetRegString(L"Update", L"Date", L""), c.date);
    EXPECT_EQ(player::Options().Update.Date, c.date);
    w.Close();
  }
  EXPECT_TRUE(opened.empty()) << "nothing opened without the user";
}

TEST_F(UpdateCheck, ByTheUserEveryOutcomeStaysShown) {
  // Two newer items: both in the details in feed order; the higher keeps the download.
  server.Serve("/rss.php", HttpAnswer::Ok(kTwoNewer, "text/xml"));
  Run(false);
  ASSERT_TRUE(w.Visible());
  EXPECT_EQ(Status(), L"Update is Available");
  EXPECT_TRUE(w.cbUpdate->Visible());
  EXPECT_EQ(w.lblSize->Caption(), L"Size: " + FormatByteSize(2097152));
  EXPECT_EQ(w.DownloadURL, L"http://dl.example/setup.exe");
  const std::wstring details = w.txtDetails->Text();
  EXPECT_LT(details.find(L"Build 890"), details.find(L"Build 900"));
  EXPECT_EQ(details.find(L"Other program"), std::wstring::npos);
  // The details expand below the band and collapse again.
  ASSERT_TRUE(w.cbDetails->Visible());
  const int collapsed = w.ScaleHeight();
  w.cbDetails->PerformClick();
  EXPECT_TRUE(w.txtDetails->Visible());
  EXPECT_EQ(w.cbDetails->Caption(), L"5");
  EXPECT_GE(w.cbUpdate->Top(), w.txtDetails->Top() + w.txtDetails->Height() + 16);
  EXPECT_TRUE(forms_test::PumpUntilSettled(w.hWnd()));
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"update-found.bmp"));
  w.cbDetails->PerformClick();
  EXPECT_FALSE(w.txtDetails->Visible());
  EXPECT_EQ(w.ScaleHeight(), collapsed);
  w.Close();

  // A feed naming no web address for the download: no Download button.
  server.Serve("/rss.php", HttpAnswer::Ok(FeedOf({{900, "Build 900", "file:///C:/x.exe"}}), "text/xml"));
  Run(false);
  EXPECT_EQ(Status(), L"Update is Available");
  EXPECT_FALSE(w.cbUpdate->Visible());
  EXPECT_FALSE(w.lblSize->Visible());
  w.Close();

  server.Serve("/rss.php", HttpAnswer::Ok(kNothingNewer, "text/xml"));
  Run(false);
  EXPECT_EQ(Status(), L"No Update Needed");
  EXPECT_FALSE(w.cbUpdate->Visible());
  EXPECT_FALSE(w.cbDetails->Visible());
  w.Close();

  player::Options().Update.Date = L"3-2-2024";
  server.Serve("/rss.php", HttpAnswer::Status(500));
  Run(false);
  ASSERT_TRUE(w.Visible());
  EXPECT_EQ(Status(), L"Check Failed");
  EXPECT_EQ(w.txtDetails->Text(), L"Failure Reason:\r\nHTTP 500");
  EXPECT_TRUE(w.cbDetails->Visible());
  EXPECT_EQ(player::Options().Update.Date, L"3-2-2024");
  w.cbDetails->PerformClick();
  EXPECT_TRUE(forms_test::PumpUntilSettled(w.hWnd()));
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"update-failed.bmp"));
  EXPECT_TRUE(asked.empty()) << "closing without an update asks nothing";
}

// A check by the user that failed says what was wrong, and renews nothing.
TEST_F(UpdateCheck, AFailedCheckNamesWhatWasWrong) {
  HttpAnswer declaredHuge = HttpAnswer::Generated(10ull << 30);
  HttpAnswer endless = HttpAnswer::Generated(HttpAnswer::kEndless);
  const struct Case {
    const char* name;
    HttpAnswer answer;
    const wchar_t* reason;  // its start
  } cases[] = {
      {"10 GB declared", declaredHuge, L"Too large"},
      {"without end", endless, L"Too large"},
      {"a web page", HttpAnswer::Ok("<html><body><p>Moved</body></html>", "text/html"), L"Not XML: "},
      {"another document", HttpAnswer::Ok("<?xml version=\"1.0\"?><feed/>", "text/xml"), L"No rss element"},
      {"entities declared", HttpAnswer::Ok(WithDoctype(kTwoNewer, "<!DOCTYPE rss [<!ENTITY e \"x\">]>"), "text/xml"),
       L"The feed declares a DTD"},
      {"a byte a second", HttpAnswer::Trickle(kTwoNewer), L"Timed out"},
  };
  w.FeedLimits.DeadlineMs = 1500;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.Serve("/rss.php", c.answer);
    Run(false);
    ASSERT_TRUE(w.Visible());
    EXPECT_EQ(Status(), L"Check Failed");
    const std::wstring details = w.txtDetails->Text();
    const std::wstring expected = L"Failure Reason:\r\n" + std::wstring(c.reason);
    EXPECT_EQ(details.compare(0, expected.size(), expected), 0) << WideToUtf8(details);
    EXPECT_EQ(player::Options().Update.Date, L"3-2-2024");
    w.Close();
  }
  w.FeedLimits = download::Transfer::FeedOptions();
}

TEST_F(UpdateCheck, ClosingWhileASlowServerSendsDropsTheAnswer) {
  HttpAnswer slow = HttpAnswer::Ok(kTwoNewer, "text/xml");
  slow.chunkSize = 64;
  slow.chunkPauseMs = 100;
  server.Serve("/rss.php", slow);
  player::Player.SilentCheck = false;
  w.Open(forms::vbModeless);
  ASSERT_TRUE(PumpUntil([&] { return !server.Requests().empty(); }, 30000));
  EXPECT_EQ(Status(), L"Downloading Info");
  w.Close();
  EXPECT_EQ(w.Check(), nullptr);
  server.WaitForAnswers(1, 30000);
  // Whatever was still on its way (posted before the close) arrives at nobody.
  EXPECT_TRUE(forms_test::PumpPostedMessages());
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_EQ(player::Options().Update.Date, L"3-2-2024");
}

TEST_F(UpdateCheck, TheReminderTheDownloadAndTheTitleBar) {
  server.Serve("/rss.php", HttpAnswer::Ok(kTwoNewer, "text/xml"));
  // Yes: the build is announced again.
  remind = true;
  Run(false);
  w.cbCancel->PerformClick();
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_EQ(asked, std::vector<std::wstring>{L"Remind you about this update next time?"});
  EXPECT_EQ(player::Options().Update.Build, kBuild);
  // The title bar's close asks nothing.
  Run(false);
  w.Unload(forms::vbFormControlMenu);
  EXPECT_EQ(asked.size(), 1u);
  // No: the newest build is stored on exit and the same feed has nothing new.
  remind = false;
  Run(false);
  w.chkAutoUpdate->SetValue(forms::vbUnchecked);
  w.cbCancel->PerformClick();
  EXPECT_EQ(player::Options().Update.Build, 900);
  EXPECT_FALSE(player::Options().Update.Auto);
  player::WriteOptionSet(player::Options());
  EXPECT_EQ(GetRegLong(L"Update", L"Build", 0), 900);
  Run(false);
  EXPECT_EQ(Status(), L"No Update Needed");
  w.Close();
  // Download hands the address to the shell, and only that.
  player::Options().Update.Build = kBuild;
  Run(false);
  EXPECT_TRUE(opened.empty());
  w.cbUpdate->PerformClick();
  EXPECT_EQ(opened, std::vector<std::wstring>{L"open http://dl.example/setup.exe"});
  EXPECT_FALSE(w.IsLoaded());
}

// ------------------------------------------------------------ the program

// The program's language names the server as its web site while a test runs.
class LoopbackLanguage {
 public:
  explicit LoopbackLanguage(unsigned short port) : path_(testing_support::ProgramDir() + L"Languages\\Loopback.xml") {
    testing_support::WriteText(path_, WideToUtf8(LanguageNaming(port)));
    player_test::SaveSetting(L"System", L"Language", L"Loopback");
  }
  ~LoopbackLanguage() { DeleteFileW(path_.c_str()); }

 private:
  std::wstring path_;
};

std::wstring SampleMovie() { return L"\"" + testing_support::ProgramDir() + L"Media\\Flash\\sample.swf\""; }

// The text of the window's (hidden) details box.
std::wstring DetailsText(HWND window) {
  HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr);
  wchar_t text[512] = {};
  DWORD_PTR n = 0;
  if (edit) SendMessageTimeoutW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, &n);
  return text;
}

TEST(UpdateCheckProcess, AtStartUpAWeekLaterTheProgramAsksAndShowsOnlyAnUpdate) {
  const struct {
    const char* name;
    std::string feed;
    bool newer;
  } runs[] = {{"newer", kTwoNewer, true},
              {"newer, with a DOCTYPE", WithDoctype(kTwoNewer, kRss091), true},
              {"none", kNothingNewer, false}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.name);
    const bool newer = run.newer;
    player_test::PrivateProgramKey key;
    LoopbackServer server;
    server.Serve("/rss.php", HttpAnswer::Ok(run.feed, "text/xml"));
    LoopbackLanguage language(server.Port());
    player_test::SaveSetting(L"System", L"FirstRun", L"False");
    player_test::SaveSetting(L"Update", L"Auto", L"True");
    player_test::SaveSetting(L"Update", L"Date", L"1-1-2000");
    player_test::ProgramProcess p(SampleMovie(), player_test::ProgramProcess::Start::First);
    ASSERT_NE(p.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(server.WaitForAnswers(1, 30000));
    EXPECT_EQ(server.Requests()[0].path, "/rss.php");
    HWND update = p.WaitForWindow(L"Check for Updates", newer ? 20000 : 2000);
    EXPECT_EQ(update != nullptr, newer);
    if (update) {
      EXPECT_NE(DetailsText(update).find(L"Build 900"), std::wstring::npos);
    }
    EXPECT_NE(GetRegString(L"Update", L"Date", L""), L"1-1-2000") << "renewed";
  }
}

TEST(UpdateCheckProcess, AScriptStatementChecksAndAStoppedServerFails) {
  player_test::PrivateProgramKey key;
  LoopbackLanguage language(testing_support::RefusingPort());
  player_test::ProgramProcess p(SampleMovie());
  ASSERT_NE(p.WaitForMainWindow(), nullptr);
  player_test::ProgramProcess second(L"/exec WebUpdate False");
  HWND update = p.WaitForWindow(L"Check for Updates");
  ASSERT_NE(update, nullptr);
  std::wstring details;
  EXPECT_TRUE(PumpUntil([&] { return (details = DetailsText(update)).find(L"Failure Reason:") == 0; }, 30000))
      << WideToUtf8(details);
}

// A feed of 10 GB, declared or not, or of 100 MB declared: the running
// program drops the connection early (the feed's limit is 1 MB; what the
// server counts as sent also holds what the loopback's socket buffers took in,
// several MB on a busy machine), says why, and its main window answers
// throughout.
TEST(UpdateCheckProcess, AFeedOfTenGigabytesIsDroppedWhileTheProgramAnswers) {
  const struct {
    const char* name;
    uint64_t bytes;
    bool declared;
  } feeds[] = {{"10 GB declared", 10ull << 30, true},
               {"10 GB undeclared", 10ull << 30, false},
               {"100 MB declared", 100u << 20, true}};
  for (const auto& feed : feeds) {
    SCOPED_TRACE(feed.name);
    player_test::PrivateProgramKey key;
    LoopbackServer server;
    HttpAnswer huge = HttpAnswer::Generated(feed.bytes);
    if (!feed.declared) huge.declaredLength = -1;
    server.Serve("/rss.php", huge);
    LoopbackLanguage language(server.Port());
    player_test::ProgramProcess p(SampleMovie());
    HWND main = p.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    player_test::ProgramProcess second(L"/exec WebUpdate False");
    HWND update = p.WaitForWindow(L"Check for Updates");
    ASSERT_NE(update, nullptr);
    std::wstring details;
    bool answered = true;
    EXPECT_TRUE(PumpUntil(
        [&] {
          DWORD_PTR result = 0;
          answered = answered && SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
          return (details = DetailsText(update)).find(L"Failure Reason:") == 0;
        },
        30000))
        << WideToUtf8(details);
    EXPECT_NE(details.find(L"Too large"), std::wstring::npos) << WideToUtf8(details);
    EXPECT_TRUE(answered) << "the main window stopped answering";
    ASSERT_TRUE(server.WaitForAnswers(1, 30000));
    EXPECT_FALSE(server.Requests()[0].answeredFully);
    EXPECT_LT(server.Requests()[0].bodyBytesSent, 32u << 20);
  }
}

}  // namespace
