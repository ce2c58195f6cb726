// The media browser without a window: the listing under its filters and
// sorts, the folder a request names, browse.xml as the page reads it, the
// address bar's history, the thumbnail run after the page (missing list,
// the cells in view first, Stop, a broken movie after a good one) and the
// pictures of frames, and the snapshot settings the options give.
#include <gtest/gtest.h>

#include <tuple>

#include "PlayerFakes.h"
#include "base/TextConv.h"
#include "images/cDIBSection.h"
#include "platform/flash/pages/BrowsePage.h"
#include "player/lists/MediaBrowser.h"
#include "player/movie/Thumbnails.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"
#include "ui/frmFlashShot.h"

using namespace player_test;
using player::BrowseItem;
using player::BrowseSettings;
using player::BrowseSort;

namespace {

class RecordingBrowser : public player::BrowserWindow {
 public:
  std::vector<std::wstring> rows;
  int selected = -1;
  std::vector<std::wstring> made, shown;  // movies rendered; thumbnails the page was told of (in view: "*")
  int stopAfter = 0;                      // Stop pressed while this many-th thumbnail is made
  int first = 1, last = 0;                // the cells in view
  int ended = 0;
  std::unique_ptr<player::ThumbnailProgress> progress;  // what OpenProgress hands out once
  double clock = 0;
  player::ThumbnailRun run{[this] { return clock += 1; }};  // one thumbnail a step

  std::vector<std::wstring> HistoryRows() const override { return rows; }
  int HistoryIndex() const override { return selected; }
  void SetHistory(const std::vector<std::wstring>& r, int s) override { rows = r, selected = s; }
  void FocusMovie() override {}
  void RedrawMenuBar() override { made.push_back(L"redraw"); }
  std::wstring AskFolder(const std::wstring&, const std::wstring&) override { return L""; }
  std::unique_ptr<player::ThumbnailProgress> OpenProgress(int) override { return std::move(progress); }
  void StartThumbnails(std::vector<player::MissingThumbnail> jobs, std::unique_ptr<player::ThumbnailProgress> p) override {
    run.Start(*this, std::move(jobs), std::move(p));
  }
  bool MakeThumbnail(const std::wstring& movie, const std::wstring& thumb, player::ThumbnailProgress* p) override {
    made.push_back(movie);
    testing_support::WriteText(thumb, "jpeg");
    if (static_cast<int>(made.size()) == stopAfter && p) p->PressStop();
    return true;
  }
  void VisibleItems(int& f, int& l) override { f = first, l = last; }
  void ThumbnailMade(const std::wstring& name, bool inView) override { shown.push_back(inView ? L"*" + name : name); }
  void EndThumbnails() override { ++ended; }
  // Runs the timer's ticks until the run ends; their number.
  int RunToEnd() {
    int ticks = 0;
    while (run.Step(*this) && ticks < 1000) ++ticks;
    return ticks;
  }
};

// The progress window as a run drives it: its steps, and Stop pressed at one of them.
struct RecordingProgress : player::ThumbnailProgress {
  std::vector<int>& steps;
  int stopAt;
  RecordingProgress(std::vector<int>& s, int stop) : steps(s), stopAt(stop) {}
  void Step(int index, int, const std::wstring&, const std::wstring&) override {
    steps.push_back(index);
    if (index == stopAt) PressStop();
  }
  void Preview(const cDIBSection&) override {}
  void DoEvents() override {}
};

std::vector<std::wstring> Names(const std::vector<BrowseItem>& items) {
  std::vector<std::wstring> out;
  for (const auto& i : items) out.push_back(i.Name);
  return out;
}

class MediaBrowserTest : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    saved_ = {UserDataFolder, CacheFolder};
    UserDataFolder = temp.File(L"");
    folder = temp.File(L"movies\\");
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* d : {L"beta", L"Alpha"}) CreateDirectoryW((folder + d).c_str(), nullptr);
    const struct {
      const wchar_t* name;
      size_t size;
    } files[] = {{L"b.swf", 300}, {L"a.swf", 100}, {L"v.flv", 200}, {L"p.exe", 50}, {L"t.txt", 10}, {L"h.swf", 400}};
    for (const auto& f : files) {
      testing_support::WriteBytes(folder + f.name, std::vector<uint8_t>(f.size, 'x'));
      // Distinct dates, in the opposite order of the sizes' listing.
      ScopedHandle h(CreateFileW((folder + f.name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      SYSTEMTIME st{2020, 1, 0, static_cast<WORD>(29 - static_cast<WORD>(f.size / 20)), 12, 0, 0, 0};
      FILETIME ft{};
      SystemTimeToFileTime(&st, &ft);
      SetFileTime(h.get(), nullptr, nullptr, &ft);
    }
    SetFileAttributesW((folder + L"h.swf").c_str(), FILE_ATTRIBUTE_HIDDEN);
    // The folder's own order, folders and files apart.
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    do {
      const std::wstring n = data.cFileName;
      if (n == L"." || n == L"..") continue;
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? dirOrder : fileOrder).push_back(n);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  void TearDown() override {
    std::tie(UserDataFolder, CacheFolder) = saved_;
    PlayerFixture::TearDown();
  }
  std::vector<std::wstring> InOrder(std::initializer_list<const wchar_t*> names, bool folders) const {
    std::vector<std::wstring> out;
    for (const auto& n : folders ? dirOrder : fileOrder)
      for (const wchar_t* want : names)
        if (n == want) out.push_back(n);
    return out;
  }
  static std::vector<std::wstring> Join(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
  static std::vector<std::wstring> Reversed(std::vector<std::wstring> a) {
    std::reverse(a.begin(), a.end());
    return a;
  }

  std::wstring folder;
  std::vector<std::wstring> dirOrder, fileOrder;

 private:
  std::tuple<std::wstring, std::wstring> saved_;
};

TEST_F(MediaBrowserTest, ListingUnderFiltersAndSorts) {
  const auto dirs = InOrder({L"beta", L"Alpha"}, true);
  const auto files = InOrder({L"b.swf", L"a.swf", L"v.flv", L"p.exe", L"h.swf"}, false);
  struct Case {
    const char* what;
    BrowseSettings s;
    std::vector<std::wstring> expected;
  };
  auto with = [](auto change) {
    BrowseSettings s;
    change(s);
    return s;
  };
  const std::vector<Case> cases = {
      {"all by name", {}, Join(dirs, files)},
      {"no movies", with([](BrowseSettings& s) { s.ShowMovies = false; }), Join(dirs, InOrder({L"v.flv", L"p.exe"}, false))},
      {"no folders, videos, projectors", with([](BrowseSettings& s) {
         s.ShowFolders = s.ShowVideos = s.ShowProjectors = false;
       }),
       InOrder({L"b.swf", L"a.swf", L"h.swf"}, false)},
      {"generic projectors only", with([](BrowseSettings& s) { s.GenericProjectors = true; }),
       Join(dirs, InOrder({L"b.swf", L"a.swf", L"v.flv", L"h.swf"}, false))},
      {"by size", with([](BrowseSettings& s) { s.Sort = BrowseSort::Size; }),
       Join(dirs, {L"p.exe", L"a.swf", L"v.flv", L"b.swf", L"h.swf"})},
      {"by size back: folders stay", with([](BrowseSettings& s) { s.Sort = BrowseSort::Size, s.Backward = true; }),
       Join(dirs, {L"h.swf", L"b.swf", L"v.flv", L"a.swf", L"p.exe"})},
      {"by date", with([](BrowseSettings& s) { s.Sort = BrowseSort::Date; }),
       Join(dirs, {L"h.swf", L"b.swf", L"v.flv", L"a.swf", L"p.exe"})},
      {"by name back: folders reversed too", with([](BrowseSettings& s) { s.Backward = true; }),
       Join(Reversed(dirs), Reversed(files))},
  };
  for (const Case& c : cases) {
    const player::FolderListing l = player::ListFolder(folder, c.s, CacheFolder);
    EXPECT_EQ(Names(l.Items), c.expected) << c.what;
    EXPECT_EQ(l.Folders, c.s.ShowFolders ? 2 : 0) << c.what;
  }
  // By type: movies, projectors, videos, each kind in the listing's order.
  BrowseSettings byType;
  byType.Sort = BrowseSort::Type;
  EXPECT_EQ(Names(player::ListFolder(folder, byType, CacheFolder).Items),
            Join(Join(dirs, InOrder({L"b.swf", L"a.swf", L"h.swf"}, false)), {L"p.exe", L"v.flv"}));
}

TEST(MediaBrowserSortTest, StableAndSixtyFourBit) {
  std::vector<BrowseItem> items;
  const std::pair<const wchar_t*, int64_t> rows[] = {
      {L"dir", 0}, {L"a", 5}, {L"b", 3LL << 30}, {L"c", 5}, {L"d", 1LL << 31}, {L"e", 3}};
  for (const auto& [name, size] : rows) items.push_back(BrowseItem{name, name, 1, size});
  player::SortListing(items, 1, BrowseSort::Size, false);
  EXPECT_EQ(Names(items), (std::vector<std::wstring>{L"dir", L"e", L"a", L"c", L"d", L"b"}));
  player::SortListing(items, 1, BrowseSort::Size, true);  // backward: the ascending order reversed
  EXPECT_EQ(Names(items), (std::vector<std::wstring>{L"dir", L"b", L"d", L"c", L"a", L"e"}));
}

TEST(MediaBrowserFolderTest, RequestsBecomeFullFoldersOrTheDriveList) {
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring parent = GetFolderPart(std::wstring(cwd));
  struct Case {
    std::wstring folder, current, myFlash, expected;
  } cases[] = {
      {L":\\", L"C:\\x\\", L"", player::kDriveList},
      {L"C:\\..", L"", L"", player::kDriveList},
      {L"c:\\..\\", L"", L"", player::kDriveList},
      {L":\\C:\\", L"", L"", L"C:\\"},
      {L"C:\\a\\..\\..\\", L"", L"", L"C:\\"},
      {L"C:\\Movies\\..", L"", L"", L"C:\\"},
      {L"..\\x", L"", L"", AddBackslash(parent) + L"x\\"},
      {L"", L"D:\\cur\\", L"E:\\my\\", L"D:\\cur\\"},
      {L"", L"", L"E:\\my", L"E:\\my\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(player::ResolveBrowseFolder(c.folder, c.current, c.myFlash), c.expected) << c.folder;
  const auto drives = player::DriveList();
  ASSERT_FALSE(drives.empty());
  for (const auto& d : drives) {
    EXPECT_EQ(d.Kind, 3);
    EXPECT_EQ(d.Path.back(), L'\\');
  }
  EXPECT_TRUE(std::any_of(drives.begin(), drives.end(), [](const BrowseItem& d) { return StrEqualNoCase(d.Path, L"C:\\"); }));
}

// The document's elements in order, and their texts as the page reads them.
std::vector<std::pair<std::wstring, std::wstring>> Elements(const std::wstring& text) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadXML(text)) << doc.ParseError().reason;
  std::vector<std::pair<std::wstring, std::wstring>> out;
  for (const XmlNode& n : doc.Root().ChildNodes()) out.emplace_back(n.NodeName(), n.Text());
  return out;
}

TEST(BrowseDocumentTest, ElementsTitlesAndEscapes) {
  std::vector<BrowseItem> items = {{L"R&#D", L"C:\\R&#D\\R&#D", 3}, {L"b.swf", L"C:\\R&#D\\b.swf", 1, 2000}};
  items[1].Thumb = L"C@R&#D#b.swf.jpg";
  player::BrowseDocumentArgs args;
  args.Font = L"Tahoma & Co";
  args.Folder = L"C:\\R&#D\\";
  args.Cache = L"C:\\cache\\";
  args.Message = L"<b>&\"x\" &#65;";
  args.Scroll = 42;
  const auto e = Elements(player::BuildBrowseDocument(items, args));
  std::vector<std::wstring> names;
  for (const auto& [n, t] : e) names.push_back(n);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"FONT", L"FOUND", L"SCROLL", L"FOLDER", L"CACHE", L"WAIT", L"ERROR",
                                              L"JPEG", L"TITLE", L"TYPE", L"JPEG", L"TITLE", L"TYPE"}));
  EXPECT_EQ(e[0].second, L"Tahoma & Co");
  EXPECT_EQ(e[1].second, L"Media Files Found: 1");
  EXPECT_EQ(e[2].second, L"42");
  EXPECT_EQ(e[3].second, L"C:\\R&#D\\");
  EXPECT_EQ(e[6].second, L"<b>&\"x\" &#65;");
  EXPECT_EQ(e[8].second, L"R&amp;#D");  // a title is HTML, its name text within it
  EXPECT_EQ(e[10].second, L"C@R&#D#b.swf.jpg");
  EXPECT_EQ(e[11].second, L"b.swf<BR><font size='10'>1.95 KB");
  EXPECT_EQ(e[12].second, L"1");
  // The page reads what the browser writes.
  testing_support::TempDir dir;
  ASSERT_TRUE(player::WriteBrowseDocument(dir.File(L"browse.xml"), player::BuildBrowseDocument(items, args)));
  flash::BrowseDocument page;
  ASSERT_TRUE(flash::ReadBrowseDocument(dir.File(L"browse.xml"), page));
  EXPECT_EQ(page.folder, L"C:\\R&#D\\");
  EXPECT_EQ(page.error, args.Message);
  ASSERT_EQ(page.entries.size(), 2u);
  EXPECT_EQ(page.entries[0].name, L"R&#D");
  EXPECT_EQ(page.entries[1].name + L"|" + page.entries[1].sizeLine, L"b.swf|1.95 KB");
}

// Every name reaches the page as written, whatever markup it looks like.
TEST(BrowseDocumentTest, ThePageShowsEveryNameAsWritten) {
  const std::vector<std::wstring> names = {
      L"<![CDATA[x.swf", L"a]]>b.swf", L"<b>bold</b>.swf", L"x<BR>y.swf", L"1 < 2 > 0.swf", L"Tom & Jerry.swf",
      L"&lt;not a tag&gt;.swf", L"&#60;&#x3C;.swf", L"&amp;.swf", L"\"quoted\" 'single'.swf", L"<font size='99'>",
      L"&", L"&;", L"&#;.swf", L"<", L"\u00e9t\u00e9 \u6620\u753b.swf"};
  std::vector<BrowseItem> items;
  for (const std::wstring& name : names) items.push_back({name, L"C:\\m\\" + name, 1, 10});
  items.push_back({L"<folder & co>", L"C:\\<folder & co>\\", 3});
  testing_support::TempDir dir;
  ASSERT_TRUE(player::WriteBrowseDocument(dir.File(L"browse.xml"), player::BuildBrowseDocument(items, {})));
  Elements(player::BuildBrowseDocument(items, {}));  // well-formed for any XML reader
  flash::BrowseDocument page;
  ASSERT_TRUE(flash::ReadBrowseDocument(dir.File(L"browse.xml"), page));
  ASSERT_EQ(page.entries.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(page.entries[i].name, items[i].Name);
    EXPECT_EQ(page.entries[i].sizeLine, items[i].Kind == 3 ? L"" : FormatByteSize(10)) << items[i].Name;
  }
}

TEST(BrowseHistoryTest, SameFolderAddsNoRowAndANewOneDropsTheForwardRows) {
  std::vector<std::wstring> rows;
  int selected = -1;
  for (const wchar_t* f : {L"C:\\a\\", L"C:\\b\\", L"c:\\B\\", L"C:\\c\\"}) player::AddToHistory(rows, selected, f);
  EXPECT_EQ(rows, (std::vector<std::wstring>{L"C:\\a\\", L"C:\\b\\", L"C:\\c\\"}));
  selected = 0;  // Back twice
  player::AddToHistory(rows, selected, L"C:\\d\\");
  EXPECT_EQ(rows, (std::vector<std::wstring>{L"C:\\a\\", L"C:\\d\\"}));
  EXPECT_EQ(selected, 1);
}

TEST_F(MediaBrowserTest, BrowseFolderShowsThePageThenMakesTheMissingThumbnails) {
  RecordingBrowser window;
  WriteMovie(L"Flash\\browse.swf");
  host.options.GenericProjectors = false;
  for (const wchar_t* item : {L"mnuShowFolder", L"mnuShowMovie", L"mnuShowVideo", L"mnuShowProjector", L"mnuSortName"})
    host.Menu(item).checked = true;
  // One thumbnail exists already; the run makes the others, in listing order.
  const std::wstring have = player::ThumbnailPath(folder + L"a.swf", false);
  testing_support::WriteText(have, "old");
  player::BrowseFolder(host, window, folder + L"beta\\..", false);
  EXPECT_EQ(host.options.CurrentFolder, folder);
  EXPECT_TRUE(window.made.empty()) << "the page comes first";
  EXPECT_EQ(host.state.BrowseItemCount(), 7);
  EXPECT_EQ(window.rows, (std::vector<std::wstring>{folder}));
  EXPECT_TRUE(host.state.Browsed);
  const auto loads = host.Only(L"LoadMovie 0 " + FlashFolder + L"browse.swf?myXML=");
  EXPECT_EQ(loads.size(), 1u);
  window.RunToEnd();
  EXPECT_EQ(window.made.size(), 4u);
  EXPECT_EQ(std::count(window.made.begin(), window.made.end(), folder + L"a.swf"), 0);
  EXPECT_EQ(window.shown.size(), 4u);
  EXPECT_EQ(window.ended, 1);
  EXPECT_TRUE(Logged(L"Thumbnail Generation (4 of 4)"));
  // Satellite: thumbnails beside the movies, named like them; a Stop ends the run.
  host.options.Satellite = true;
  window.made.clear();
  window.stopAfter = 2;
  std::vector<int> steps;
  window.progress = std::make_unique<RecordingProgress>(steps, 0);
  player::BrowseFolder(host, window, folder, false);
  window.RunToEnd();
  EXPECT_EQ(window.made.size(), 2u);
  EXPECT_TRUE(FileExists(folder + GetFileTitle(window.made[0], true) + L".jpg"));
  EXPECT_EQ(player::ThumbnailName(folder + L"clip.swf", true), L"clip.jpg");
  EXPECT_EQ(player::ThumbnailName(L"C:\\Movies\\clip.swf", false), L"C@Movies#clip.swf.jpg");
  // A folder that cannot be listed says so on the page.
  player::BrowseFolder(host, window, folder + L"missing", false);
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(UserDataFolder + L"browse.xml"));
  EXPECT_NE(doc.SelectSingleNode(L"BROWSE/ERROR").Text().find(folder + L"missing\\"), std::wstring::npos);
  EXPECT_EQ(doc.SelectSingleNode(L"BROWSE/FOLDER").Text(), folder + L"missing\\");
}

// A large folder: the page first, then one thumbnail a tick, those of the
// cells in view first (wherever the view is when the tick comes), then the
// rest in order; the progress window, when there is one, counts them and its
// Stop ends the run; a new listing ends the run before it.
TEST_F(MediaBrowserTest, TheCellsInViewGetTheirThumbnailsFirst) {
  RecordingBrowser window;
  WriteMovie(L"Flash\\browse.swf");
  for (const wchar_t* item : {L"mnuShowMovie", L"mnuSortName"}) host.Menu(item).checked = true;
  const std::wstring many = temp.File(L"many\\");
  CreateDirectoryW(many.c_str(), nullptr);
  std::vector<std::wstring> movies;
  for (int i = 0; i < 30; ++i) {
    wchar_t name[16];
    swprintf(name, 16, L"m%02d.swf", i);
    movies.push_back(many + name);
    testing_support::WriteBytes(movies.back(), std::vector<uint8_t>(20, 'x'));
  }
  testing_support::WriteText(player::ThumbnailPath(movies[22], false), "made before");
  window.first = 21, window.last = 24;  // the page scrolled to the eighth row
  player::BrowseFolder(host, window, many, false);
  EXPECT_TRUE(window.made.empty());
  EXPECT_EQ(window.run.Count(), 29);
  for (int i = 0; i < 4; ++i) window.run.Step(window);
  EXPECT_EQ(window.made, (std::vector<std::wstring>{movies[20], movies[21], movies[23], movies[0]}));
  EXPECT_EQ(window.shown[0], L"*" + player::ThumbnailName(movies[20], false));
  EXPECT_EQ(window.shown[3], player::ThumbnailName(movies[0], false)) << "out of view";
  window.first = 5, window.last = 8;  // scrolled while the run goes on
  window.run.Step(window);
  EXPECT_EQ(window.made.back(), movies[4]);
  window.RunToEnd();
  EXPECT_EQ(window.made.size(), 29u);
  EXPECT_EQ(std::count(window.made.begin(), window.made.end(), movies[4]), 1);
  EXPECT_FALSE(window.run.Running());

  // Started by the user: the progress window counts the run, its Stop ends it.
  for (const auto& m : movies) DeleteFileW(player::ThumbnailPath(m, false).c_str());
  std::vector<int> steps;
  window.made.clear();
  window.progress = std::make_unique<RecordingProgress>(steps, 3);
  player::BrowseFolder(host, window, many, false);
  window.RunToEnd();
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(window.made.size(), 2u);
  // A new listing ends the run of the one before.
  window.made.clear();
  player::BrowseFolder(host, window, many, false);
  window.run.Step(window);
  const int ended = window.ended;
  player::BrowseFolder(host, window, folder, false);
  EXPECT_EQ(window.ended, ended + 1);
}

TEST_F(MediaBrowserTest, AStatementShowsOnThePageOnlyWhenNoMovieStays) {
  player::RunCommandLineStatement(host, L"/exec PauseMedia");
  EXPECT_EQ(host.Only(L"ShowBrowsePage"), (Calls{L"ShowBrowsePage Execution:  PauseMedia >> "}));
  host.calls.clear();
  host.control.frame = 5;  // a movie plays: the statement acts on it and it stays
  player::RunCommandLineStatement(host, L"/exec GoToFrame 0.5");
  EXPECT_TRUE(host.Only(L"ShowBrowsePage").empty());
  EXPECT_TRUE(host.Has(L"Execute GoToFrame 0.5"));
}

TEST_F(MediaBrowserTest, SetBrowseMenusAndRelisting) {
  RecordingBrowser window;
  player::SetBrowseMenus(host, window, true, true, true);
  EXPECT_FALSE(host.Menu(L"MenuPlayback").enabled);
  EXPECT_TRUE(host.Menu(L"mnuBrowseSort").enabled);
  EXPECT_EQ(window.made, (std::vector<std::wstring>{L"redraw"}));
  player::SetBrowseMenus(host, window, false, true, false);
  EXPECT_TRUE(host.Menu(L"MenuPlayback").enabled);
  EXPECT_FALSE(host.Menu(L"mnuBrowseShow").enabled);
}

// A real snapshot: a truncated movie after a good one gets its own picture, not the good one's.
TEST_F(MediaBrowserTest, BrokenMovieAfterAGoodOneGetsNoMediaPicture) {
  const std::wstring good = WriteMovie(L"good.swf", 20);
  moviebytes::Bytes bytes = Frames(20).Plain();
  bytes.resize(12);
  const std::wstring broken = Write(L"broken.swf", bytes);
  ASSERT_TRUE(player::MakeMovieThumbnail(good, SWFInfo{}, temp.File(L"good.jpg"), 255, player::OptionSet{}, nullptr, L""));
  player::MakeMovieThumbnail(broken, SWFInfo{}, temp.File(L"broken.jpg"), 255, player::OptionSet{}, nullptr, L"");
  frmFlashShot.Unload();  // the hidden window goes, as after a run
  ASSERT_TRUE(FileExists(temp.File(L"broken.jpg")));
  EXPECT_NE(testing_support::ReadBytes(temp.File(L"good.jpg")), testing_support::ReadBytes(temp.File(L"broken.jpg")));
}

// The player's snapshots follow its options; each option set gives its own settings.
TEST(SnapshotSettingsTest, TakenFromTheOptionsWithTheSampleInOrder) {
  player::OptionSet first, second;
  first.HQShots = false, first.SampleFrom = 80, first.SampleTo = 20, first.CacheMode = 2;
  second.SampleFrom = 10, second.SampleTo = 40, second.CacheMode = 0;
  const ShotSettings a = player::SnapshotSettings(first), b = player::SnapshotSettings(second);
  EXPECT_EQ(std::tuple(a.HQShots, a.SampleFrom, a.SampleTo, a.CacheMode), std::tuple(false, 20, 80, 2));
  EXPECT_EQ(std::tuple(b.HQShots, b.SampleFrom, b.SampleTo, b.CacheMode), std::tuple(true, 10, 40, 0));
  EXPECT_FALSE(a.ShotDoEvents || a.FixedBackColor || a.Watermark);
}

player::FrameSource Frame(long frame, bool paints = true) {
  player::FrameSource s;
  s.loaded = true;
  s.frame = frame;
  s.width = 64;
  s.height = 48;
  s.paint = [paints](HDC dc, int w, int h) {
    RECT r{0, 0, w, h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return paints;
  };
  return s;
}

TEST_F(MediaBrowserTest, FramePicturesAreNumberedAndNeverOverwrite) {
  const std::wstring shots = temp.File(L"shots\\");
  const SIZE screen{320, 240};
  const std::wstring wall = temp.File(L"wall.jpg");
  auto take = [&](const player::FrameSource& s, bool wallpaper) {
    return player::TakePicture(s, wallpaper, L"intro", shots, wall, screen, 80);
  };
  EXPECT_EQ(take(Frame(12), false), shots + L"intro.12.jpg");
  EXPECT_EQ(take(Frame(12), false), shots + L"intro.12(1).jpg");
  for (int n = 2; n <= 1000; ++n) testing_support::WriteText(shots + L"intro.12(" + std::to_wstring(n) + L").jpg", "");
  EXPECT_EQ(take(Frame(12), false), shots + L"intro.12(1001).jpg");
  // No movie, or a frame that cannot be drawn: nothing written, the old desktop picture kept.
  testing_support::WriteText(wall, "old");
  EXPECT_EQ(take(player::FrameSource{}, true), L"");
  EXPECT_EQ(take(Frame(3, false), true), L"");
  EXPECT_EQ(testing_support::ReadBytes(wall), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(take(Frame(3), true), wall);
  EXPECT_EQ(player::JpegQuality(255, 70), 70);
  EXPECT_EQ(player::JpegQuality(0, 70), 0);
  EXPECT_EQ(player::JpegQuality(100, 70), 100);
}

}  // namespace
