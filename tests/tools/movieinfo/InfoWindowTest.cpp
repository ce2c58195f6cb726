// The movie information window: every row's value rule (the pure row
// function), and the window over real movies: where its thumbnail is made,
// a double-click making it afresh, an unreadable movie, the path row and the
// clipboard, closing, and its picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <functional>

#include "FormsTestSupport.h"
#include "ToolMovies.h"
#include "ToolsTestSupport.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/SWFModule.h"
#include "platform/forms/Forms.h"
#include "services/Options.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "tools/movieinfo/frmInfo.h"
#include "ui/frmFlashShot.h"

using namespace tools;

namespace {

SWFInfo Record() {
  SWFInfo r;
  r.RequestedPath = L"C:\\Movies\\a.swf";
  r.FileTitle = L"a.swf";
  r.Version = 8;
  r.MovieLength = 100000;
  r.FileSize = 100000;
  r.Width = 550, r.Height = 400;
  r.FrameRate = 12;
  r.FrameCount = 120;
  return r;
}

}  // namespace

TEST(InfoRows, EachRowFollowsItsRule) {
  struct Case {
    const char* what;
    std::function<void(SWFInfo&, MovieInfoTexts&)> change;
    std::wstring MovieInfoRows::*row;
    std::wstring expected;
  };
  auto none = [](SWFInfo&, MovieInfoTexts&) {};
  auto codec = [](uint8_t id) { return [id](SWFInfo& r, MovieInfoTexts&) { r.VideoCodecID = id; }; };
  auto version = [](uint8_t v) { return [v](SWFInfo& r, MovieInfoTexts&) { r.Version = v; }; };
  const Case cases[] = {
      {"uncompressed", none, &MovieInfoRows::Compression, L"None"},
      {"compressed", [](SWFInfo& r, MovieInfoTexts&) { r.Compressed = true, r.FileSize = r.MovieFileSize = 4530, r.MovieLength = 10000; },
       &MovieInfoRows::Compression, L"45.3% of Original"},
      {"projector", [](SWFInfo& r, MovieInfoTexts&) { r.Compressed = true, r.PathChanged = true, r.FileSize = 904530,
                                                     r.MovieFileSize = 610, r.MovieLength = 10000; },
       &MovieInfoRows::Compression, L"6.1% of Original"},
      {"codec 2", codec(2), &MovieInfoRows::Compression, L"Sorenson H.263"},
      {"codec 3", codec(3), &MovieInfoRows::Compression, L"Screen Video"},
      {"codec 4", codec(4), &MovieInfoRows::Compression, L"On2 Truemotion VP6"},
      {"codec 6", codec(6), &MovieInfoRows::Compression, L"Screen Video 2"},
      {"codec 5", codec(5), &MovieInfoRows::Compression, L"None"},
      {"version 6", version(6), &MovieInfoRows::Version, L"6 \"MX\""},
      {"version 7", version(7), &MovieInfoRows::Version, L"7 \"MX 2004\""},
      {"version 8", version(8), &MovieInfoRows::Version, L"8"},
      {"two rates", [](SWFInfo& r, MovieInfoTexts&) { r.VideoDataRate = 400, r.AudioDataRate = 96; },
       &MovieInfoRows::Bitrate, L"400 kbps (video) + 96 kbps (audio)"},
      {"video rate", [](SWFInfo& r, MovieInfoTexts&) { r.VideoDataRate = 400; }, &MovieInfoRows::Bitrate, L"400 kbps"},
      // 100,000 bytes over 10 seconds: 10,000 bytes a second, 80 kilobits.
      {"average", none, &MovieInfoRows::Bitrate, L"80 kbps (average)"},
      {"no frames", [](SWFInfo& r, MovieInfoTexts&) { r.FrameCount = 0; }, &MovieInfoRows::Bitrate, L"??"},
      {"no rate", [](SWFInfo& r, MovieInfoTexts&) { r.FrameRate = 0; }, &MovieInfoRows::Bitrate, L"??"},
      {"frame", none, &MovieInfoRows::Frame, L"550x400, 12 fps"},
      {"rate's fraction", [](SWFInfo& r, MovieInfoTexts&) { r.FrameRate = 29.97f; }, &MovieInfoRows::Frame,
       L"550x400, 29.97 fps"},
      {"video's measured rate", [](SWFInfo& r, MovieInfoTexts&) { r.FrameRate = 24.016459f; }, &MovieInfoRows::Frame,
       L"550x400, 24.016 fps"},
      // Half a frame a second: 120 frames play four minutes, 100,000 bytes over 240 seconds.
      {"slow rate", [](SWFInfo& r, MovieInfoTexts&) { r.FrameRate = 0.5f; }, &MovieInfoRows::Frame, L"550x400, 0.5 fps"},
      {"slow time", [](SWFInfo& r, MovieInfoTexts&) { r.FrameRate = 0.5f; }, &MovieInfoRows::Time, L"4:00 (120)"},
      {"slow bit rate", [](SWFInfo& r, MovieInfoTexts&) { r.FrameRate = 0.5f; }, &MovieInfoRows::Bitrate,
       L"3.3 kbps (average)"},
      {"user's decimal", [](SWFInfo& r, MovieInfoTexts& t) { r.FrameRate = 12.5f, t.Decimal = L','; },
       &MovieInfoRows::Frame, L"550x400, 12,5 fps"},
      {"time", [](SWFInfo& r, MovieInfoTexts&) { r.FrameCount = 780; }, &MovieInfoRows::Time, L"1:05 (780)"},
      {"file title", none, &MovieInfoRows::Title, L"a.swf"},
      {"title", [](SWFInfo& r, MovieInfoTexts&) { r.Title = L"Intro"; }, &MovieInfoRows::Title, L"Intro"},
      {"movie", none, &MovieInfoRows::Type, L"Flash Movie (SWF)"},
      {"video", [](SWFInfo& r, MovieInfoTexts&) { r.IsFLV = true; }, &MovieInfoRows::Type, L"Flash Video (FLV)"},
      {"projector", [](SWFInfo& r, MovieInfoTexts&) { r.PathChanged = true; }, &MovieInfoRows::Type,
       L"Flash Projector (EXE)"},
      {"menu's caption", [](SWFInfo& r, MovieInfoTexts& t) { r.IsFLV = true, t.VideoType = L"Flash-Video"; },
       &MovieInfoRows::Type, L"Flash-Video"},
  };
  for (const Case& c : cases) {
    SWFInfo r = Record();
    MovieInfoTexts texts;
    c.change(r, texts);
    EXPECT_EQ(InfoRows(r, texts, L"1/2/2024 10:00").*c.row, c.expected) << c.what;
  }
  EXPECT_EQ(InfoRows(Record(), {}, L"").Modified, L"??");
  // A record that was not read keeps every initial text.
  EXPECT_EQ(InfoRows(SWFInfo{}, {}, L"1/2/2024"), MovieInfoRows{});
  EXPECT_EQ(Rounded(45.25, 1, L'.'), L"45.2");  // halves to even
  EXPECT_EQ(Rounded(1e300, 1, L'.'), std::nullopt);
  EXPECT_EQ(std::tuple(Rounded(-2.05, 3, L','), Rounded(3.0001, 3, L'.')), std::tuple(L"-2,05", L"3"));
}

namespace {

class InfoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CacheFolder;
    CacheFolder = temp.File(L"cache\\");
    CreateDirectoryW(CacheFolder.c_str(), nullptr);
    player::Options().SampleFrom = 0, player::Options().SampleTo = 100;
  }
  void TearDown() override {
    tools::InfoWindow().Close();
    CacheFolder = saved_;
  }
  std::wstring Write(const std::wstring& name, const moviebytes::Bytes& bytes) {
    const std::wstring path = temp.File(name);
    testing_support::WriteBytes(path, bytes);
    return path;
  }
  frmInfo& Open(const std::wstring& movie, frmInfo& w = tools::InfoWindow()) {
    SWFInfo record;
    GetSWFInfo(movie, record, false);
    w.OpenFor(record, -1);
    return w;
  }
  std::wstring Value(const wchar_t* name) { return tools::InfoWindow().Find<forms::TextBox>(name)->Text(); }

  tools_test::ProgramState state;
  testing_support::TempDir temp;

 private:
  std::wstring saved_;
};

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  CloseClipboard();
  return text;
}

}  // namespace

TEST_F(InfoWindow, TheThumbnailIsMadeInTheCacheOrBesideTheMovieAndADoubleClickMakesItAfresh) {
  const std::wstring movie = Write(L"box.swf", tools_test::MovingBoxMovie(200).Plain());
  frmInfo& w = Open(movie);
  const std::wstring cached = GetCacheFileName(movie, L".jpg", true, false);
  EXPECT_EQ(w.ThumbFile(), cached);
  ASSERT_TRUE(FileExists(cached));

  // A fresh picture of another frame each time (a random frame of 200).
  const auto before = testing_support::ReadBytes(cached);
  bool changed = false;
  for (int i = 0; i < 5 && !changed; ++i) {
    w.Page_DblClick();
    changed = testing_support::ReadBytes(cached) != before;
  }
  EXPECT_TRUE(changed);
  EXPECT_TRUE(frmFlashShot.IsLoaded());

  // Closing releases the snapshot window and clears the record.
  w.cbClose_Click();
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_FALSE(frmFlashShot.IsLoaded());
  EXPECT_TRUE(w.Movie().RequestedPath.empty());

  player::Options().Satellite = true;
  Open(movie);
  EXPECT_EQ(tools::InfoWindow().ThumbFile(), temp.File(L"box.jpg"));
  EXPECT_TRUE(FileExists(temp.File(L"box.jpg")));
}

TEST_F(InfoWindow, AnUnreadableMovieShowsTheInitialTextsAndWritesNoThumbnail) {
  const std::wstring movie = Write(L"cut.swf", moviebytes::Text("FWS\x08"));
  frmInfo& w = Open(movie);
  EXPECT_TRUE(w.ThumbFile().empty());
  EXPECT_EQ(Value(L"TypeValue"), L"Flash Movie");
  EXPECT_EQ(Value(L"FrameValue"), L"0 x 0");
  EXPECT_EQ(Value(L"ModifiedValue"), L"??");
  w.Page_DblClick();
  WIN32_FIND_DATAW found;
  HANDLE none = FindFirstFileW((CacheFolder + L"*.jpg").c_str(), &found);
  EXPECT_EQ(none, INVALID_HANDLE_VALUE) << "no thumbnail in the cache";
  if (none != INVALID_HANDLE_VALUE) FindClose(none);
}

TEST_F(InfoWindow, AProjectorShowsItsKindAndTheDateOfTheExecutable) {
  GenericProjectors = false;
  const std::wstring exe = Write(L"game.exe", moviebytes::Projector(moviebytes::Text("MZ projector stub"),
                                                                     tools_test::MovingBoxMovie(2).Plain()));
  {
    HANDLE file = CreateFileW(exe.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME old{2001, 3, 0, 4, 12, 0, 0, 0};
    FILETIME when;
    SystemTimeToFileTime(&old, &when);
    SetFileTime(file, nullptr, nullptr, &when);
    CloseHandle(file);
  }
  frmInfo& w = Open(exe);
  EXPECT_EQ(Value(L"TypeValue"), L"Flash Projector (EXE)");
  EXPECT_EQ(Value(L"ModifiedValue"), FileModifiedText(exe));
  EXPECT_NE(FileModifiedText(exe), FileModifiedText(w.Movie().Path)) << "not the movie taken out";
  EXPECT_EQ(w.ThumbFile(), GetCacheFileName(exe, L".jpg", true, false));
}

TEST_F(InfoWindow, AProjectorsCompressionIsItsMoviesOwnAndTheRateKeepsItsFraction) {
  GenericProjectors = false;
  moviebytes::Movie m = tools_test::MovingBoxMovie(300);
  m.rateFraction = 0xF8, m.rateWhole = 29;  // 29.97
  const moviebytes::Bytes movie = m.Compressed();
  moviebytes::Bytes stub = moviebytes::Text("MZ");
  stub.resize(60000, 7);
  const std::wstring exe = Write(L"big.exe", moviebytes::Projector(stub, movie));
  Open(exe);
  wchar_t ratio[32];  // the movie's compressed size over its own length, not the executable's
  swprintf(ratio, 32, L"%.1f", std::nearbyint(movie.size() * 1000.0 / m.Plain().size()) / 10);
  std::wstring expected = ratio;
  if (expected.ends_with(L".0")) expected.resize(expected.size() - 2);
  EXPECT_EQ(Value(L"lblNone"), expected + L"% of Original");
  EXPECT_EQ(Value(L"FrameValue"), L"550x400, 29.97 fps");
  EXPECT_EQ(Value(L"TimeValue"), L"0:10 (300)");
}

TEST_F(InfoWindow, ALongPathIsShortenedWithItsWholeTextInTheTipAndADoubleClickCopiesIt) {
  std::wstring folder = temp.File(L"");
  for (int i = 0; i < 6; ++i) {
    folder += L"a rather long folder name " + std::to_wstring(i) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  const std::wstring movie = folder + L"movie.swf";
  testing_support::WriteBytes(movie, tools_test::MovingBoxMovie(2).Plain());
  frmInfo& w = Open(movie);
  EXPECT_NE(w.WhereValue->Text(), movie);
  EXPECT_NE(w.WhereValue->Text().find(L"..."), std::wstring::npos);
  EXPECT_EQ(w.WhereValue->ToolTipText(), movie);
  EXPECT_NE(Value(L"ModifiedValue"), L"??");
  w.lblWhere_DblClick();
  EXPECT_EQ(ClipboardText(), movie);
}

TEST_F(InfoWindow, TwoWindowsEachShowAndClearOnlyTheirOwnMovie) {
  const std::wstring one = Write(L"one.swf", tools_test::MovingBoxMovie(2).Plain());
  moviebytes::Movie m = tools_test::MovingBoxMovie(300);
  m.rateFraction = 0xF8, m.rateWhole = 29;
  const std::wstring two = Write(L"two.swf", m.Compressed());
  frmInfo other;
  frmInfo& first = Open(one);
  Open(two, other);
  auto frames = [](frmInfo& w) { return w.Find<forms::TextBox>(L"FrameValue")->Text(); };
  EXPECT_EQ(first.Movie().RequestedPath, one);
  EXPECT_EQ(other.Movie().RequestedPath, two);
  EXPECT_EQ(first.WhereValue->ToolTipText(), one);
  EXPECT_EQ(other.WhereValue->ToolTipText(), two);
  EXPECT_EQ(frames(other), L"550x400, 29.97 fps");
  EXPECT_NE(frames(first), frames(other));
  EXPECT_NE(first.ThumbFile(), other.ThumbFile());

  other.Close();
  EXPECT_TRUE(other.Movie().RequestedPath.empty());
  EXPECT_EQ(first.Movie().RequestedPath, one) << "the other window's closing leaves this one's record";
  first.ShowInfo();
  EXPECT_EQ(first.WhereValue->ToolTipText(), one);
}

TEST_F(InfoWindow, Picture) {
  moviebytes::Movie m = tools_test::MovingBoxMovie(780);
  m.tags.insert(m.tags.begin(), moviebytes::MetadataTag("Red Box", "A red box crossing the stage, one step a frame."));
  const std::wstring movie = Write(L"Red Box.swf", m.Compressed());
  SWFInfo record;
  GetSWFInfo(movie, record, false);
  frmInfo& w = tools::InfoWindow();
  w.OpenFor(record, 0);
  EXPECT_TRUE(forms_test::PumpUntilSettled(w.hWnd()));
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"info.bmp"));
}
