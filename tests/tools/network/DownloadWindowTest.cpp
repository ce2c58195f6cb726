// The downloader: which addresses start, the status lines, and the window
// against the tests' loopback server: a movie into the Internet cache (also
// after redirects that come back to the first address), every kind of failure
// ending idle with "Download Failed" and its reason, the rate while it runs,
// Stop ending idle with no message (the download layer's own tests see that no
// thread stays behind).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "ToolsTestSupport.h"
#include "platform/forms/TextBox.h"
#include "services/ShellMod.h"
#include "support/LoopbackServer.h"
#include "support/TestSupport.h"
#include "tools/network/frmDownload.h"

using forms_test::PumpUntil;
using testing_support::HttpAnswer;
using testing_support::LoopbackServer;
using tools::frmDownload;

namespace {

TEST(Downloader, WhichAddressesStartAndTheStatusLines) {
  for (const auto& [text, accepted] : std::vector<std::pair<std::wstring, bool>>{
           {L"HTTP://abc.de/x", true}, {L"http://abc", true}, {L"https://abc.de/x", false},
           {L"http://a", false}, {L"ftp://abc.de/x", false}, {L"", false}})
    EXPECT_EQ(tools::DownloadAddressAccepted(text), accepted) << WideToUtf8(text);
  const struct {
    long code;
    const wchar_t* line;
  } lines[] = {{1, L"Finding Resource... :: text"}, {2, L"Connecting... :: text"},
               {3, L"Redirecting... :: text"},      {4, L"Downloading... :: text"},
               {5, L"Downloading... :: text"},      {11, L"Sending Request... :: text"},
               {7, L"7 :: text"}};
  for (const auto& l : lines) EXPECT_EQ(tools::DownloadStatusLine(l.code, L"text"), l.line);
  // While downloading, the rate; the bar never past its end.
  download::Progress report{download::kDownloading, L"http://a.b/m.swf", 5025, 10};
  report.BytesPerSecond = 3 * 1024 * 1024 / 2;
  EXPECT_EQ(tools::DownloadStatusLine(report),
            L"Downloading... :: http://a.b/m.swf (" + FormatByteSize(report.BytesPerSecond) + L"/s)");
  EXPECT_EQ(tools::DownloadFraction(report), 1.0);
  report.Total = 0;
  EXPECT_EQ(tools::DownloadFraction(report), 0.0);
  report.BytesPerSecond = 0;
  EXPECT_EQ(tools::DownloadStatusLine(report), L"Downloading... :: http://a.b/m.swf");
}

class DownloadWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    w.Report = [this](const std::wstring& title, const std::wstring& prompt) {
      reports.push_back(title + L"|" + prompt);
      // The control's values still hold while the end is reported.
      cacheDuringEnd = w.Downloader()->CacheFile;
    };
    w.Open(forms::vbModeless);
  }
  void TearDown() override {
    w.Close();
    w.Report = nullptr;
  }
  // Types the address, presses Download and waits for the end.
  void Fetch(const std::wstring& url) {
    w.txtSource->SetText(url);
    ASSERT_TRUE(w.cbGo->Enabled());
    const size_t before = reports.size();
    w.cbGo->PerformClick();
    EXPECT_FALSE(w.txtSource->Visible());
    EXPECT_TRUE(w.cbCancel->Visible());
    ASSERT_TRUE(PumpUntil([&] { return reports.size() > before; }, 30000));
  }
  void ExpectIdle() {
    EXPECT_TRUE(w.txtSource->Visible());
    EXPECT_FALSE(w.Progress()->Surface().Visible());
    EXPECT_TRUE(w.cbGo->Enabled());
    EXPECT_FALSE(w.cbCancel->Visible());
    EXPECT_TRUE(w.cbDone->Visible());
    EXPECT_EQ(w.Downloader()->CacheFile, L"");
    EXPECT_EQ(w.Downloader()->MimeType, L"");
  }

  tools_test::ProgramState state;
  LoopbackServer server;
  frmDownload& w = tools::DownloadWindow();
  std::vector<std::wstring> reports;
  std::wstring cacheDuringEnd;
};

TEST_F(DownloadWindow, AServedMovieLandsInTheCache) {
  w.txtSource->SetText(L"https://abc.de/movie.swf");
  EXPECT_FALSE(w.cbGo->Enabled());
  const HttpAnswer movie = HttpAnswer::Ok(std::string(40000, 'F'), "application/x-shockwave-flash");
  server.Serve("/movie.swf", movie);
  // /flip -> /flop -> /flip, which answers with the movie the second time.
  server.Serve("/flip", std::vector<HttpAnswer>{HttpAnswer::Redirect("/flop"), movie});
  server.Serve("/flop", HttpAnswer::Redirect("/flip"));
  for (const char* path : {"/movie.swf", "/flip"}) {
    SCOPED_TRACE(path);
    reports.clear();
    Fetch(server.Url(path));
    ASSERT_EQ(reports.size(), 1u);
    const std::wstring& r = reports[0];
    ASSERT_EQ(r.rfind(L"Download Complete|Cache: ", 0), 0u) << WideToUtf8(r);
    const size_t end = r.find(L"\r\n");
    ASSERT_NE(end, std::wstring::npos);
    const std::wstring file = r.substr(25, end - 25);
    EXPECT_TRUE(FileExists(file)) << WideToUtf8(file);
    EXPECT_EQ(file, cacheDuringEnd);
    EXPECT_EQ(r.substr(end), L"\r\nMIME: application/x-shockwave-flash");
    const std::vector<uint8_t> bytes = testing_support::ReadBytes(file);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(40000, 'F'));
    ExpectIdle();
  }
}

TEST_F(DownloadWindow, FailuresEndIdleWithDownloadFailedAndNoCacheFile) {
  HttpAnswer truncated = HttpAnswer::Ok(std::string(20000, 'x'), "application/x-shockwave-flash");
  truncated.declaredLength = 40000;
  HttpAnswer longer = HttpAnswer::Ok(std::string(5025, 'x'), "application/x-shockwave-flash");
  longer.declaredLength = 10;
  server.Serve("/truncated.swf", truncated);
  server.Serve("/longer.swf", longer);
  server.Serve("/huge.swf", HttpAnswer::Generated(10ull << 30));
  server.Serve("/redirect.swf", HttpAnswer::Redirect("file:///C:/windows/win.ini"));
  server.Serve("/trickle.swf", HttpAnswer::Trickle(std::string(100, 'x')));
  w.Downloader()->Limits.ReceiveTimeoutMs = 300;
  const struct {
    const char* path;
    const wchar_t* reason;  // its start
  } cases[] = {{"/missing.swf", L"HTTP 404"},         {"/truncated.swf", L"Connection closed after"},
               {"/longer.swf", L"Longer than"},       {"/huge.swf", L"Too large"},
               {"/redirect.swf", L"Redirected to a"}, {"/trickle.swf", L"Timed out"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    reports.clear();
    Fetch(server.Url(c.path));
    ASSERT_EQ(reports.size(), 1u);
    const std::wstring expected = L"Download Failed|" + std::wstring(c.reason);
    EXPECT_EQ(reports[0].compare(0, expected.size(), expected), 0) << WideToUtf8(reports[0]);
    EXPECT_EQ(cacheDuringEnd, L"");
    ExpectIdle();
  }
}

TEST_F(DownloadWindow, StopDuringASlowBodyEndsIdleWithoutAMessage) {
  HttpAnswer slow = HttpAnswer::Ok(std::string(64 * 1024, 'F'), "application/x-shockwave-flash");
  slow.chunkSize = 4096;
  slow.chunkPauseMs = 150;
  server.Serve("/slow.swf", slow);
  w.txtSource->SetText(server.Url("/slow.swf"));
  w.cbGo->PerformClick();
  SmoothProgress& bar = *w.Progress();
  // The line shows the rate once there is one.
  ASSERT_TRUE(PumpUntil([&] { return bar.FillWidth() > 0 && bar.Caption().find(L"/s)") != std::wstring::npos; }, 30000))
      << WideToUtf8(bar.Caption());
  EXPECT_LT(bar.FillWidth(), bar.TrackWidth());
  EXPECT_EQ(bar.Caption().rfind(L"Downloading... :: " + server.Url("/slow.swf") + L" (", 0), 0u)
      << WideToUtf8(bar.Caption());
  EXPECT_TRUE(w.cbCancel->Visible());
  EXPECT_TRUE(forms_test::PumpUntilSettled(w.hWnd()));
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"downloader.bmp"));
  w.cbCancel->PerformClick();
  ExpectIdle();
  // Reports posted before the stop are handled by now, and raise nothing.
  EXPECT_TRUE(forms_test::PumpPostedMessages());
  EXPECT_TRUE(reports.empty());
}

}  // namespace
