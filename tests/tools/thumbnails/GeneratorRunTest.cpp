// The thumbnail generator's run without its window, over crafted movies in a
// temporary folder and the real snapshot renderer: the index and what it
// holds, the thumbnails written (and only those counted), overwriting, a stop
// during the search and after the first file (an earlier index kept), a source
// that is missing or relative, settings changed during a run, the launch, a
// hostile title, the frame rate under a decimal-comma locale, the background
// colours and the watermark; and the pure helpers' edge cases.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <clocale>
#include <tuple>

#include "ImageTestSupport.h"
#include "ToolsTestSupport.h"
#include "moviefiles/MovieBytes.h"
#include "moviefiles/SWFModule.h"
#include "services/FileSearch.h"
#include "services/Options.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"
#include "tools/thumbnails/GeneratorRun.h"
#include "tools/thumbnails/SnapshotThumbnails.h"
#include "ui/frmFlashShot.h"

using namespace moviebytes;
using namespace tools;
using testing_support::TempDir;

namespace {

struct RecordingHost : GeneratorHost {
  std::vector<std::wstring> stages, summaries, launched, explored, problems;
  bool launchWorks = true, askShowFiles = false;
  std::function<void()> onCurrent;
  void Stage(const std::wstring& text) override { stages.push_back(text); }
  void Current(const std::wstring&) override {
    if (onCurrent) onCurrent();
  }
  void Status(double) override {}
  bool Launch(const std::wstring& program) override {
    launched.push_back(program);
    return launchWorks;
  }
  bool Summary(const std::wstring& text, bool) override {
    summaries.push_back(text);
    return askShowFiles;
  }
  void Explore(const std::wstring& folder) override { explored.push_back(folder); }
  void Problem(const std::wstring& text) override { problems.push_back(text); }
};

Bytes MovieA() {
  Movie m;
  m.version = 8, m.rateWhole = 12, m.frames = 780;
  m.tags = {BackgroundTag(0xFF, 0xCC, 0x00), ShowFrame(), EndTag()};
  return m.Plain();
}

Bytes MovieB() {
  Movie m;
  m.version = 9, m.rect = Rect(0, 320 * 20, 0, 240 * 20), m.rateWhole = 24, m.frames = 100;
  m.tags = {MetadataTag("Tom &amp; Jerry &lt;1&gt;", "D"), ShowFrame(), EndTag()};
  return m.Compressed();
}

std::wstring ShippedStub() { return testing_support::ProgramDir() + L"Media\\Binary\\projector.dll"; }

class GeneratorRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = std::tuple(CacheFolder, ProjectorStubPath, FileSearchYield().IntervalSeconds, FileSearchYield().Pump);
    CacheFolder = dir.File(L"cache\\");
    CreateDirectoryW(CacheFolder.c_str(), nullptr);
    ProjectorStubPath = ShippedStub();
    GenericProjectors = true;
    source = dir.File(L"m\\");
    CreateDirectoryW(source.c_str(), nullptr);
    CreateDirectoryW((source + L"sub").c_str(), nullptr);
    settings = player::GeneratorSettings{};
    settings.Source = dir.File(L"m");
    settings.Info = true;
    settings.Show = false;
  }
  void TearDown() override {
    std::tie(CacheFolder, ProjectorStubPath, FileSearchYield().IntervalSeconds, FileSearchYield().Pump) = saved;
    frmFlashShot.Unload();
  }
  void Put(const std::wstring& name, const Bytes& bytes) { testing_support::WriteBytes(source + name, bytes); }
  void PutAll() {
    Put(L"a.swf", MovieA());
    Put(L"sub\\b.swf", MovieB());
    Put(L"p.exe", Projector(testing_support::ReadBytes(ShippedStub()), MovieA()));
    Put(L"q.exe", Projector(Text("MZ no version information"), MovieA()));
    Put(L"bad.swf", Bytes{'F', 'W', 'S', 8, 0, 0, 0});
  }
  GeneratorOutcome Go(bool autoMode = false) {
    GeneratorRun run(settings, maker, host);
    stop = [&run] { run.RequestStop(); };
    GeneratorOutcome out = run.Run(autoMode);
    run.Finish(out, autoMode);
    return out;
  }
  std::vector<XmlNode> Movies(XmlDocument& doc) {
    EXPECT_TRUE(doc.Load(source + L"Flash Info.xml"));
    return doc.SelectNodes(L"/FLASHINFO/MOVIE");
  }

  tools_test::ProgramState state;
  TempDir dir;
  std::wstring source;
  player::GeneratorSettings settings;
  SnapshotThumbnails maker;
  RecordingHost host;
  std::function<void()> stop;
  std::tuple<std::wstring, std::wstring, double, std::function<void()>> saved;
};

imgtest::Image Jpeg(const std::wstring& path) { return imgtest::WicDecode(path); }
COLORREF PixelOf(const imgtest::Image& img, int x, int y) {
  const uint8_t* p = &img.bgra[(static_cast<size_t>(y) * img.width + x) * 4];
  return RGB(p[2], p[1], p[0]);
}
bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) < 12 && std::abs(GetGValue(a) - GetGValue(b)) < 12 &&
         std::abs(GetBValue(a) - GetBValue(b)) < 12;
}

}  // namespace

TEST_F(GeneratorRunTest, AFolderGivesItsIndexAndAThumbnailForEveryMovieItCanRead) {
  PutAll();
  settings.Width = 160, settings.Height = 120;
  const GeneratorOutcome out = Go();
  EXPECT_EQ(settings.Source, source) << "the folder gets its backslash";

  XmlDocument doc;
  const std::vector<XmlNode> movies = Movies(doc);
  EXPECT_EQ(doc.Root().Attribute(L"app"), L"SWF.zel");
  EXPECT_EQ(doc.Root().Attribute(L"build"), L"760");
  ASSERT_EQ(movies.size(), 3u);
  EXPECT_EQ(movies[0].Text(), L"a.swf");
  EXPECT_EQ(movies[1].Text(), L"b.swf");
  EXPECT_EQ(movies[2].Text(), L"p.exe");
  const XmlNode& a = movies[0];
  for (const wchar_t* absent : {L"@path", L"@title", L"@description"}) EXPECT_FALSE(a.SelectSingleNode(absent));
  const std::pair<const wchar_t*, std::wstring> expectedA[] = {
      {L"width", L"550"},          {L"height", L"400"},    {L"time", L"1:05"},
      {L"size", std::to_wstring(MovieA().size())},         {L"version", L"8"},
      {L"compressed", L"False"},   {L"frameRate", L"12"},  {L"bgColor", L"FFCC00"},
      {L"frames", L"780"}};
  for (const auto& [name, value] : expectedA) EXPECT_EQ(a.Attribute(name), value) << name;
  const XmlNode& b = movies[1];
  EXPECT_EQ(b.Attribute(L"path"), L"sub\\");
  EXPECT_EQ(b.Attribute(L"title"), L"Tom & Jerry <1>");
  EXPECT_EQ(b.Attribute(L"description"), L"D");
  EXPECT_EQ(b.Attribute(L"time"), L"0:04");
  EXPECT_EQ(b.Attribute(L"compressed"), L"True");
  EXPECT_EQ(b.Attribute(L"bgColor"), L"000000");

  for (const wchar_t* name : {L"a.jpg", L"sub\\b.jpg", L"p.jpg"}) {
    const imgtest::Image img = Jpeg(source + name);
    ASSERT_TRUE(img.ok) << name;
    EXPECT_EQ(std::pair(img.width, img.height), std::pair(160, 120)) << name;
  }
  for (const wchar_t* name : {L"q.jpg", L"bad.jpg"}) EXPECT_FALSE(FileExists(source + name)) << name;
  EXPECT_EQ(out.ThumbsCreated, 3);
  ASSERT_EQ(host.summaries.size(), 1u);
  EXPECT_EQ(host.summaries[0], L"Thumbnail Generation Complete!\r\n\r\nThumbnails created: 3 of 5\r\nFolders Searched: 2");
  EXPECT_TRUE(host.launched.empty());

  // Per-cent sizes; one file as the source: its folder's index, no folder counted.
  settings.Size = false, settings.Percent = 50;
  settings.Source = source + L"a.swf";
  host.askShowFiles = true;
  const GeneratorOutcome one = Go();
  const imgtest::Image half = Jpeg(source + L"a.jpg");
  EXPECT_EQ(std::pair(half.width, half.height), std::pair(275, 200));
  EXPECT_EQ(std::tuple(one.MovieCount, one.FoldersSearched, one.ThumbsCreated), std::tuple(1L, 0L, 1L));
  EXPECT_EQ(Movies(doc).size(), 1u);
  EXPECT_EQ(host.explored, std::vector<std::wstring>{source});
}

TEST_F(GeneratorRunTest, NothingIsLost) {
  // Overwrite off: an existing thumbnail stays, is not counted, and its movie is listed.
  Put(L"a.swf", MovieA());
  Put(L"a.exe", Projector(testing_support::ReadBytes(ShippedStub()), MovieA()));
  testing_support::WriteBytes(source + L"a.jpg", Text("mine"));
  settings.Overwrite = false;
  GeneratorOutcome out = Go();
  EXPECT_EQ(testing_support::ReadBytes(source + L"a.jpg"), Text("mine"));
  XmlDocument doc;
  EXPECT_EQ(Movies(doc).size(), 2u);
  EXPECT_NE(host.summaries.back().find(L"created: 0 of 2"), std::wstring::npos);
  // On: a.swf and a.exe both make a.jpg.
  settings.Overwrite = true;
  EXPECT_EQ(Go().ThumbsCreated, 2);
  // Folders where the files would go (Wine replaces read-only files): not counted, said, kept.
  DeleteFileW((source + L"a.exe").c_str());
  for (const wchar_t* name : {L"a.jpg", L"Flash Info.xml"}) {
    DeleteFileW((source + name).c_str());
    CreateDirectoryW((source + name).c_str(), nullptr);
  }
  out = Go();
  EXPECT_EQ(out.ThumbsCreated, 0);
  EXPECT_TRUE(out.IndexFailed);
  EXPECT_NE(host.summaries.back().find(L"The movie index could not be written: " + source + L"Flash Info.xml"),
            std::wstring::npos);
}

TEST_F(GeneratorRunTest, AnExecutableCountsOnlyAsAGenericProjectorWhileThatIsAsked) {
  // A bare movie named as a program, a projector, and one of another stub.
  Put(L"bare.exe", MovieA());
  Put(L"p.exe", Projector(testing_support::ReadBytes(ShippedStub()), MovieA()));
  Put(L"q.exe", Projector(Text("MZ no version information"), MovieA()));
  XmlDocument doc;
  EXPECT_EQ(Go().ThumbsCreated, 1);
  std::vector<XmlNode> movies = Movies(doc);
  ASSERT_EQ(movies.size(), 1u);
  EXPECT_EQ(movies[0].Text(), L"p.exe");
  EXPECT_EQ(movies[0].Attribute(L"size"), std::to_wstring(FileSizeOf(source + L"p.exe")));
  EXPECT_FALSE(FileExists(source + L"bare.jpg"));
  EXPECT_FALSE(FileExists(source + L"q.jpg"));

  // Any executable holding a movie, when generic projectors are not asked for.
  GenericProjectors = false;
  EXPECT_EQ(Go().ThumbsCreated, 3);
  movies = Movies(doc);
  ASSERT_EQ(movies.size(), 3u);
  EXPECT_EQ(movies[0].Text(), L"bare.exe");
  EXPECT_TRUE(FileExists(source + L"bare.jpg"));
}

TEST_F(GeneratorRunTest, AStopMakesNoMoreThumbnailsAndKeepsTheEarlierIndex) {
  PutAll();
  Go();
  const std::vector<uint8_t> whole = testing_support::ReadBytes(source + L"Flash Info.xml");
  XmlDocument doc;
  ASSERT_EQ(Movies(doc).size(), 3u);
  const std::wstring kept = L"\r\n\r\nThe movie index was not written, as the run was cancelled.";

  // During the search: nothing made.
  FileSearchYield().IntervalSeconds = 0;
  FileSearchYield().Pump = [this] { stop(); };
  GeneratorOutcome out = Go();
  EXPECT_TRUE(out.Cancelled);
  EXPECT_EQ(out.ThumbsCreated, 0);
  EXPECT_EQ(testing_support::ReadBytes(source + L"Flash Info.xml"), whole);
  EXPECT_EQ(host.summaries.back().rfind(L"Thumbnail Generation Cancelled!", 0), 0u);
  EXPECT_EQ(host.summaries.back().substr(host.summaries.back().size() - kept.size()), kept);

  // During the first file: it is finished, the second never begun.
  FileSearchYield().Pump = nullptr;
  int files = 0;
  host.onCurrent = [&] {
    if (++files == 1) stop();
  };
  out = Go();
  EXPECT_TRUE(out.Cancelled);
  EXPECT_EQ(out.ThumbsCreated, 1);
  EXPECT_TRUE(out.IndexKept);
  EXPECT_FALSE(out.IndexFailed);
  EXPECT_EQ(testing_support::ReadBytes(source + L"Flash Info.xml"), whole);
  EXPECT_NE(host.summaries.back().find(kept), std::wstring::npos);
  // A run that ends writes it anew; one without an index says nothing of it.
  host.onCurrent = nullptr;
  EXPECT_FALSE(Go().IndexKept);
  EXPECT_EQ(host.summaries.back().find(L"not written"), std::wstring::npos);
}

TEST_F(GeneratorRunTest, ASourceThatIsNoFullPathIsRefusedAndNothingIsWritten) {
  PutAll();
  // The current folder holds the movies: a relative source would find them there.
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  SetCurrentDirectoryW(dir.Path().c_str());
  for (const wchar_t* relative : {L"m", L"m\\", L".\\m", L"m\\a.swf", L"\\m", L"C:m"}) {
    settings.Source = relative;
    host.problems.clear();
    const GeneratorOutcome out = Go();
    EXPECT_FALSE(out.Started) << relative;
    EXPECT_EQ(host.problems, std::vector<std::wstring>{L"A folder must be given by its full path, such as "
                                                       L"C:\\My Flash\\. This is not one:\r\n" +
                                                       std::wstring(relative)});
    EXPECT_EQ(settings.Source, relative) << "not completed from the current folder";
  }
  SetCurrentDirectoryW(current);
  for (const wchar_t* name : {L"a.jpg", L"sub\\b.jpg", L"Flash Info.xml"}) EXPECT_FALSE(FileExists(source + name)) << name;
  EXPECT_TRUE(host.summaries.empty());
}

TEST_F(GeneratorRunTest, ARunKeepsTheSettingsItStartedWith) {
  Put(L"a.swf", MovieA());
  Put(L"b.swf", MovieA());
  settings.Width = 120, settings.Height = 90, settings.Info = false;
  // Changed while the first movie is made: the second is made as the first.
  host.onCurrent = [this] { settings.Width = 50, settings.Height = 50; };
  GeneratorRun run(settings, maker, host);
  const GeneratorOutcome out = run.Run(false);
  EXPECT_EQ(out.ThumbsCreated, 2);
  for (const wchar_t* name : {L"a.jpg", L"b.jpg"}) {
    const imgtest::Image img = Jpeg(source + name);
    EXPECT_EQ(std::pair(img.width, img.height), std::pair(120, 90)) << name;
  }
  EXPECT_EQ(run.Settings().Width, 120);
  // The next run takes them.
  host.onCurrent = nullptr;
  run.Run(false);
  EXPECT_EQ(Jpeg(source + L"a.jpg").width, 50);
}

TEST_F(GeneratorRunTest, AScriptRunShowsNothingAndTheLaunchIsChecked) {
  Put(L"a.swf", MovieA());
  settings.Exec = true;
  settings.App = L"C:\\no such\\program.exe";
  host.launchWorks = false;
  Go(true);
  EXPECT_TRUE(host.summaries.empty());
  EXPECT_EQ(host.launched, std::vector<std::wstring>{settings.App});
  Go();
  const std::wstring& text = host.summaries.back();
  EXPECT_EQ(text.substr(text.find(L"\r\n\r\nCould")), L"\r\n\r\nCould not execute: " + settings.App);
  host.launchWorks = true;
  Go();
  EXPECT_NE(host.summaries.back().find(L"Executed: " + settings.App), std::wstring::npos);

  // A missing source: said once, nothing written; from a script only logged.
  settings.Source = dir.File(L"gone");
  const size_t summaries = host.summaries.size();
  EXPECT_FALSE(Go().Started);
  EXPECT_FALSE(Go(true).Started);
  EXPECT_EQ(host.problems.size(), 1u);
  EXPECT_EQ(host.summaries.size(), summaries);
}

TEST_F(GeneratorRunTest, HostileTitlesAndADecimalCommaLocaleStillGiveAnIndexThatParses) {
  Movie m;
  m.rateFraction = 0x80, m.rateWhole = 0x17;
  m.tags = {MetadataTag("&amp;#xZZ; &amp;#38; end", "D &lt;&amp;&gt;"), ShowFrame(), EndTag()};
  Put(L"odd & 'n#1;\x00E9.swf", m.Plain());
  Movie slow;  // half a frame a second
  slow.rateFraction = 0x80, slow.rateWhole = 0;
  slow.tags = {ShowFrame(), EndTag()};
  Put(L"slow.swf", slow.Plain());
  const char* before = setlocale(LC_ALL, nullptr);
  const std::string kept = before ? before : "C";
  setlocale(LC_ALL, "German");
  Go();
  setlocale(LC_ALL, kept.c_str());
  XmlDocument doc;
  const std::vector<XmlNode> movies = Movies(doc);
  ASSERT_EQ(movies.size(), 2u);
  EXPECT_EQ(movies[0].Text(), L"odd & 'n#1;\x00E9.swf");
  EXPECT_EQ(movies[0].Attribute(L"frameRate"), L"23.5");
  EXPECT_EQ(std::tuple(movies[1].Attribute(L"frameRate"), movies[1].Attribute(L"time")), std::tuple(L"0.5", L"4:00"));
  EXPECT_EQ(movies[0].Attribute(L"title"), L"&#xZZ; &#38; end");
  EXPECT_EQ(movies[0].Attribute(L"description"), L"D <&>");
  EXPECT_TRUE(FileExists(source + L"odd & 'n#1;\x00E9.jpg"));
}

TEST_F(GeneratorRunTest, BackgroundIsTheFixedColourOrTheMoviesAndTheWatermarkSitsBottomRight) {
  Put(L"a.swf", MovieA());
  settings.Info = false;
  settings.BackColor = L"0000FF";
  Go();
  imgtest::Image img = Jpeg(source + L"a.jpg");
  ASSERT_TRUE(img.ok);
  EXPECT_TRUE(Near(PixelOf(img, 60, 45), RGB(0, 0, 255)));
  settings.Color = false;
  Go();
  img = Jpeg(source + L"a.jpg");
  EXPECT_TRUE(Near(PixelOf(img, 60, 45), RGB(0xFF, 0xCC, 0)));

  const std::wstring logo = dir.File(L"logo.png");
  Bytes raw;
  for (int i = 0; i < 30 * 20; ++i) Append(raw, Bytes{255, 0, 255, 255});
  testing_support::WriteBytes(logo, imgtest::SimplePng(30, 20, 8, 6, raw));
  settings.Watermark = true, settings.LogoPath = logo;
  Go();
  img = Jpeg(source + L"a.jpg");
  EXPECT_TRUE(Near(PixelOf(img, 110, 82), RGB(255, 0, 255)));
  EXPECT_TRUE(Near(PixelOf(img, 20, 20), RGB(0xFF, 0xCC, 0)));
}

TEST(GeneratorHelpers, SizesFrameRatesAndEscapes) {
  player::GeneratorSettings s;
  SWFInfo r;
  s.Width = 0, s.Height = 99999;
  EXPECT_EQ(ThumbnailSize(s, r), std::pair(1, kMaxThumbnailSide));
  s.Size = false;
  struct Case {
    long percent;
    int width, height;
    std::pair<int, int> expected;
  };
  for (const Case& c : {Case{1, 50, 150, {1, 2}}, Case{0, 550, 400, {6, 4}}, Case{200, 30000, 1000, {4096, 137}}}) {
    s.Percent = c.percent;
    r.Width = c.width, r.Height = c.height;
    EXPECT_EQ(ThumbnailSize(s, r), c.expected) << c.percent << " " << c.width;
  }
  EXPECT_EQ(FrameRateText(29.97f), L"29.97");
  EXPECT_EQ(FrameRateText(1.0f / 3), L"0.3333333");
  EXPECT_EQ(IndexEscape(L"a&#38;<b>\"\x01\xFFFF\xD800x\xD83D\xDE00"), L"a&#38;#38;&#60;b&#62;&#34;x\xD83D\xDE00");
  XmlDocument doc;  // white space comes back after parsing
  ASSERT_TRUE(doc.LoadXML(L"<A v=\"" + IndexEscape(L"tab\tline\r\nend") + L"\"/>"));
  EXPECT_EQ(doc.Root().Attribute(L"v"), L"tab\tline\r\nend");
}
