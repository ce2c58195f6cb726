// The desktop background window over a recording shell: the calls and the
// item's record of OK, the files in the shell's folder (a compressed movie
// arriving plain, the played copy itself kept, a Cyrillic folder), the icons
// setting, the failure message, the page's placeholders, the miniature, and
// the window's picture.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "FormsTestSupport.h"
#include "ToolsTestSupport.h"
#include "images/cDIBSection.h"
#include "moviefiles/SWFModule.h"
#include "platform/forms/Forms.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "tools/desktop/frmDesktop.h"

using namespace tools;
using testing_support::ProgramDir;
using testing_support::ReadBytes;
using testing_support::TempDir;

namespace {

constexpr long kScreenW = 1280, kScreenH = 1024;

struct ShellLog {
  std::vector<std::wstring> calls;
  std::vector<COMPONENT> records;
  bool present = false;
  HRESULT answer = S_OK;
};

class RecordingShell : public DesktopShell {
 public:
  explicit RecordingShell(std::shared_ptr<ShellLog> log) : log_(std::move(log)) {}
  HRESULT GetDesktopItemBySource(const std::wstring&, COMPONENT& item) override {
    return log_->present && item.dwSize == sizeof(COMPONENT) ? S_OK : E_INVALIDARG;
  }
  HRESULT GetWallpaper(std::wstring& path) override {
    path = ProgramDir() + L"Media\\Images\\nomedia.png";
    return S_OK;
  }
  HRESULT RemoveDesktopItem(const COMPONENT& item) override { return Record(L"Remove", item); }
  HRESULT AddDesktopItem(const COMPONENT& item) override { return Record(L"Add", item); }
  HRESULT ApplyChanges(DWORD flags) override {
    log_->calls.push_back(L"Apply" + std::to_wstring(flags));
    return log_->answer;
  }

 private:
  HRESULT Record(const wchar_t* name, const COMPONENT& item) {
    log_->calls.push_back(name);
    log_->records.push_back(item);
    return log_->answer;
  }
  std::shared_ptr<ShellLog> log_;
};

struct RecordingDesktopHost : DesktopHost {
  std::shared_ptr<ShellLog> log = std::make_shared<ShellLog>();
  DesktopPlace place;
  int minimized = 0;
  std::vector<std::wstring> reports;
  std::vector<bool> menu;  // true: opening
  std::unique_ptr<DesktopShell> Shell() override { return std::make_unique<RecordingShell>(log); }
  DesktopPlace Place() override { return place; }
  std::wstring Caption() override { return L"SWF.zel - <&> movie"; }
  void Minimize() override { ++minimized; }
  void Report(const std::wstring& text) override { reports.push_back(text); }
  void SetMenuEnabled(bool opening) override { menu.push_back(opening); }
  SIZE Screen() override { return {kScreenW, kScreenH}; }
};

std::string Utf8Of(const std::wstring& path) {
  const auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder outside the system's code page, as a user's name may make it.
    host.place.Folder = temp.File(L"\u0420\u0430\u0431\u043e\u0447\u0438\u0439 \u0441\u0442\u043e\u043b\\");
    host.place.SoundMovie = ProgramDir() + L"Media\\Flash\\sound.swf";
    host.place.TemplatePath = ProgramDir() + L"Media\\Desktop.html";
    host.place.DataFolder = temp.File(L"data\\");
    host.place.IconsKey = AppRegistryKey() + L"\\Explorer\\Advanced";
    ImagesFolder = ProgramDir() + L"Media\\Images\\";
    CacheFolder = temp.File(L"cache\\");
    CreateDirectoryW(CacheFolder.c_str(), nullptr);
    // The movie the menu command read in full: a compressed copy of the sample.
    auto plain = ReadBytes(ProgramDir() + L"Media\\Flash\\sample.swf");
    uLongf size = compressBound(static_cast<uLong>(plain.size() - 8));
    std::vector<uint8_t> cws(plain.begin(), plain.begin() + 8);
    cws[0] = 'C';
    cws.resize(8 + size);
    compress2(cws.data() + 8, &size, plain.data() + 8, static_cast<uLong>(plain.size() - 8), 9);
    cws.resize(8 + size);
    testing_support::WriteBytes(temp.File(L"movie.swf"), cws);
    ASSERT_EQ(GetSWFInfo(temp.File(L"movie.swf"), record, true), L"");
    DesktopWindow().SetHost(&host);
  }
  void TearDown() override {
    DesktopWindow().Close();
    DesktopWindow().SetHost(nullptr);
    ImagesFolder = images_;
    CacheFolder = cache_;
  }
  frmDesktop& Open() {
    frmDesktop& w = DesktopWindow();
    w.OpenFor(record, -1);
    return w;
  }
  static void Set(forms::CheckBox* box, bool on) { box->SetValue(on ? forms::vbChecked : forms::vbUnchecked); }

  tools_test::ProgramState state;
  TempDir temp;
  RecordingDesktopHost host;
  SWFInfo record;  // the record the menu command read in full
  std::wstring images_ = ImagesFolder, cache_ = CacheFolder;
};

}  // namespace

TEST_F(Desktop, OkEnabledRemovesThenAddsTheFullScreenItemWithItsThreeFilesAndMinimises) {
  frmDesktop& w = Open();
  EXPECT_EQ(host.menu, std::vector<bool>{true});
  Set(w.chkEnable, true);
  Set(w.chkTransparent, false);
  Set(w.chkMute, false);
  w.cbGo_Click();

  EXPECT_EQ(host.log->calls, (std::vector<std::wstring>{L"Remove", L"Apply7", L"Add", L"Apply7"}));
  ASSERT_EQ(host.log->records.size(), 2u);
  const COMPONENT& c = host.log->records[1];
  EXPECT_EQ(std::memcmp(&c, &host.log->records[0], sizeof c), 0) << "the same record removed and added";
  const COMPSTATEINFO &o = c.csiOriginal, &r = c.csiRestored;
  EXPECT_EQ((std::vector<long>{long(c.dwSize), c.iComponentType, c.fChecked != 0, c.fDirty != 0, c.fNoScroll != 0,
                               long(c.cpPos.dwSize), c.cpPos.iLeft, c.cpPos.iTop, c.cpPos.izIndex,
                               long(c.cpPos.dwWidth), long(c.cpPos.dwHeight), long(c.dwCurItemState),
                               long(o.dwSize), o.iLeft, o.iTop, long(o.dwWidth), long(o.dwHeight),
                               long(o.dwItemState)}),
            (std::vector<long>{8976, 0, 1, 1, 1, 44, 0, 0, 0, kScreenW, kScreenH, 2, 24, 0, 0, kScreenW, kScreenH, 2}));
  EXPECT_EQ(std::memcmp(&o, &r, sizeof o), 0);
  EXPECT_STREQ(c.wszFriendlyName, L"Zoruv Uredare");
  EXPECT_EQ(c.wszSource, host.place.PagePath());
  EXPECT_STREQ(c.wszSubscribedURL, L"");
  const auto movie = ReadBytes(host.place.MoviePath());
  EXPECT_EQ(movie, ReadBytes(record.Path));
  EXPECT_EQ(std::string(movie.begin(), movie.begin() + 3), "FWS") << "the compressed movie arrives plain";
  EXPECT_EQ(ReadBytes(host.place.SoundPath()), ReadBytes(host.place.SoundMovie));
  const std::string page = Utf8Of(host.place.PagePath());
  EXPECT_NE(page.find(WideToUtf8(host.place.MoviePath())), std::string::npos) << "the Cyrillic folder as UTF-8";
  EXPECT_NE(page.find("opaque"), std::string::npos);
  EXPECT_NE(page.find("sound.swf?volume=100&x=550&y=400"), std::string::npos);
  EXPECT_EQ(host.minimized, 1);
  EXPECT_TRUE(host.reports.empty());
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_EQ(host.menu, (std::vector<bool>{true, false}));
  // The choices last beyond this run.
  EXPECT_EQ(GetRegString(L"Desktop", L"Transparent", L"?"), L"False");
  EXPECT_EQ(GetRegString(L"Desktop", L"Mute", L"?"), L"False");
}

TEST_F(Desktop, OkDisabledOnlyRemovesTheItemDeletesItsFilesAndStoresTheIconsSetting) {
  for (bool hide : {true, false}) {
    SCOPED_TRACE(hide);
    host.log->calls.clear();
    frmDesktop& w = Open();
    Set(w.chkEnable, true);
    w.cbGo_Click();
    ASSERT_TRUE(FileExists(host.place.PagePath()));
    host.log->calls.clear();
    Open();
    Set(w.chkEnable, false);
    Set(w.chkHideIcons, hide);
    w.cbGo_Click();
    EXPECT_EQ(host.log->calls, (std::vector<std::wstring>{L"Remove", L"Apply7"}));
    for (const std::wstring& file : {host.place.MoviePath(), host.place.SoundPath(), host.place.PagePath()})
      EXPECT_FALSE(FileExists(file)) << file;
    const auto stored = GetRegRaw(host.place.IconsKey, L"HideIcons", false);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(GetRegLong(host.place.IconsKey, L"HideIcons", -1, false), hide ? 1 : 0);
    Open();
    EXPECT_EQ(w.chkHideIcons->Value(), hide ? forms::vbChecked : forms::vbUnchecked) << "read back";
    w.Close();
  }
}

TEST_F(Desktop, OpeningShowsWhetherTheItemIsThereAndAFailingShellIsReportedWithoutMinimising) {
  for (bool present : {false, true}) {
    host.log->present = present;
    frmDesktop& w = Open();
    EXPECT_EQ(w.chkEnable->Value(), present ? forms::vbChecked : forms::vbUnchecked);
    EXPECT_EQ(w.chkMute->Enabled(), present);
    EXPECT_EQ(w.lblHideIcons->Visible(), !present);
    w.Close();
  }
  host.log->answer = E_NOTIMPL;  // as Wine answers
  frmDesktop& w = Open();
  w.cbGo_Click();
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_NE(host.reports[0].find(L"could not be put on the desktop"), std::wstring::npos) << host.reports[0];
  EXPECT_NE(host.reports[0].find(L"0x80004001"), std::wstring::npos) << "the system's reason";
  EXPECT_EQ(host.minimized, 0);
  // A missing template is reported, and no item is added over its missing page
  // (nor one already there taken off).
  host.log->answer = S_OK;
  host.log->calls.clear();
  host.place.TemplatePath = temp.File(L"none.html");
  Open();
  Set(w.chkEnable, true);
  w.cbGo_Click();
  ASSERT_EQ(host.reports.size(), 2u);
  EXPECT_NE(host.reports[1].find(L"none.html"), std::wstring::npos) << host.reports[1];
  EXPECT_TRUE(host.log->calls.empty());
  EXPECT_EQ(host.minimized, 0);
}

TEST_F(Desktop, AMovieThatCannotBeCopiedLeavesTheItemAndItsFilesAsTheyWere) {
  frmDesktop& w = Open();
  Set(w.chkEnable, true);
  w.cbGo_Click();
  const auto movie = ReadBytes(host.place.MoviePath());
  const auto page = ReadBytes(host.place.PagePath());
  ASSERT_FALSE(movie.empty() || page.empty());
  auto filesInFolder = [&] {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((host.place.Folder + L"*").c_str(), &d);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &d))
      if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(d.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto files = filesInFolder();
  EXPECT_EQ(files.size(), 3u);

  // Another movie that is gone by the time OK copies it: the failure is told,
  // and the item, its movie and its page stay as they were, with nothing left beside them.
  host.log->calls.clear();
  const std::wstring played = record.Path;
  record.Path = temp.File(L"gone.swf");
  record.Width = 640;
  Open();
  Set(w.chkEnable, true);
  w.cbGo_Click();
  ASSERT_EQ(host.reports.size(), 1u);
  EXPECT_NE(host.reports[0].find(L"could not be put on the desktop"), std::wstring::npos) << host.reports[0];
  EXPECT_NE(host.reports[0].find(L"gone.swf"), std::wstring::npos) << host.reports[0];
  EXPECT_TRUE(host.log->calls.empty());
  EXPECT_EQ(host.minimized, 1);
  EXPECT_EQ(ReadBytes(host.place.MoviePath()), movie);
  EXPECT_EQ(ReadBytes(host.place.PagePath()), page);
  EXPECT_EQ(filesInFolder(), files);

  // Once the movie is there again OK sets the item as ever.
  record.Path = played;
  Open();
  Set(w.chkEnable, true);
  w.cbGo_Click();
  EXPECT_EQ(host.log->calls, (std::vector<std::wstring>{L"Remove", L"Apply7", L"Add", L"Apply7"}));
  EXPECT_NE(Utf8Of(host.place.PagePath()).find("x=640"), std::string::npos);
  EXPECT_EQ(filesInFolder(), files);
}

TEST_F(Desktop, ThePlayedMovieBeingTheItemsOwnCopyStaysIntact) {
  frmDesktop& w = Open();
  Set(w.chkEnable, true);
  w.cbGo_Click();
  const auto before = ReadBytes(host.place.MoviePath());
  ASSERT_FALSE(before.empty());
  ASSERT_EQ(GetSWFInfo(host.place.MoviePath(), record, true), L"");
  Open();
  Set(w.chkEnable, true);
  w.cbGo_Click();
  EXPECT_EQ(ReadBytes(host.place.MoviePath()), before);
  EXPECT_EQ(host.minimized, 2);
}

TEST(DesktopPage, EveryPlaceholderIsReplacedEverywhereWithTheChoicesValues) {
  const std::wstring pageTemplate = testing_support::ProgramDir() + L"Media\\Desktop.html";
  const auto bytes = ReadBytes(pageTemplate);
  const std::wstring text = Utf8ToWide(std::string(bytes.begin(), bytes.end()));
  ASSERT_NE(text.find(L"charset=\"utf-8\""), std::wstring::npos);
  const std::wstring title = L"SWF.zel - <&> [WMODE]\u0444\u0438\u043b\u044c\u043c";
  struct Case {
    bool transparent, mute;
    const wchar_t *wmode, *sound;
  };
  for (const Case& c : {Case{true, true, L"\"transparent\"", L"sound.swf?volume=0&x=550&y=400"},
                        Case{false, false, L"\"opaque\"", L"sound.swf?volume=100&x=550&y=400"}}) {
    DesktopPageValues v;
    v.Title = title;
    v.MoviePath = L"C:\\A & B\\Desktop.swf";
    v.DataPath = L"C:\\Data\\";
    v.BackColor = L"12AB3F";
    v.ScreenWidth = 1280;
    v.ScreenHeight = 1024;
    v.MovieWidth = 550;
    v.MovieHeight = 400;
    v.Transparent = c.transparent;
    v.Mute = c.mute;
    const std::wstring page = FillDesktopPage(text, v);
    for (const wchar_t* name : {L"[TITLE]", L"[MOVIEPATH]", L"[DATAPATH]", L"[BGCOLOR]", L"[MOVIEWIDTH]",
                                L"[MOVIEHEIGHT]", L"[SCALEMODE]", L"[WMODE]", L"[SOUND]"}) {
      EXPECT_NE(text.find(name), std::wstring::npos) << "the template uses " << name;
      // Left only inside the title, which is never read for placeholders.
      std::wstring rest = page;
      for (size_t at; (at = rest.find(L"[WMODE]\u0444")) != std::wstring::npos;) rest.erase(at, 7);
      EXPECT_EQ(rest.find(name), std::wstring::npos) << name;
    }
    const std::wstring escaped = L"SWF.zel - &#60;&#38;&#62; [WMODE]\u0444\u0438\u043b\u044c\u043c";
    EXPECT_NE(page.find(escaped), page.rfind(escaped)) << "the title twice";
    EXPECT_NE(page.find(L"C:\\A &#38; B\\Desktop.swf"), std::wstring::npos);
    EXPECT_NE(page.find(c.wmode), std::wstring::npos);
    EXPECT_NE(page.find(c.sound), std::wstring::npos);
    EXPECT_NE(page.find(L"\"showall\""), std::wstring::npos);
    EXPECT_NE(page.find(L"#12AB3F"), std::wstring::npos);
    EXPECT_NE(page.find(L"\"1280\""), std::wstring::npos);
  }
}

TEST(DesktopMiniature, TheMovieColourTheWallpaperAndTheIconsAsChosen) {
  tools_test::ProgramState state;
  cDIBSection wallpaper, preview;
  ASSERT_TRUE(wallpaper.Create(120, 90));
  RECT all{0, 0, 120, 90};
  ScopedBrush green(CreateSolidBrush(RGB(0, 200, 0)));
  FillRect(wallpaper.hdc(), &all, green.get());
  ASSERT_TRUE(preview.Create(120, 90));
  MiniDesktop m;
  m.Wallpaper = &wallpaper;
  m.MovieColor = MovieBackColor(L"3366CC");
  m.ImagesFolder = ImagesFolder;
  struct Case {
    bool enable, transparent, hide;
    COLORREF open;  // a pixel clear of the pictures
    bool icons;
  };
  for (const Case& c : {Case{true, false, false, RGB(0x33, 0x66, 0xCC), true},
                        Case{true, true, true, RGB(0, 200, 0), false},
                        Case{false, false, false, RGB(0, 200, 0), true}}) {
    m.Enable = c.enable;
    m.Transparent = c.transparent;
    m.HideIcons = c.hide;
    DrawMiniDesktop(preview.hdc(), 120, 90, m);
    EXPECT_EQ(GetPixel(preview.hdc(), 100, 10), c.open);
    // The movie's picture covers the middle, the icons the top-left corner.
    EXPECT_EQ(GetPixel(preview.hdc(), 60, 45) != c.open, c.enable);
    EXPECT_EQ(GetPixel(preview.hdc(), 8, 8) != c.open, c.icons);
  }
}

TEST_F(Desktop, PictureOfTheWindowEnabledAndOpaque) {
  host.log->present = true;
  frmDesktop& w = Open();
  Set(w.chkTransparent, false);
  w.Show();
  ASSERT_TRUE(forms_test::PumpUntil([&] { return IsWindowVisible(w.hWnd()) != FALSE; }));
  EXPECT_EQ(GetPixel(w.picDesktop->hDC(), 100, 10), RGB(0x33, 0x66, 0x99)) << "the sample's colour";
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"desktop.bmp"));
}

TEST_F(Desktop, AnUnchangedPageIsLeftInPlaceAndAChangedOneReplaced) {
  // The page's own file: a page written again (beside it, then moved over) is another file.
  auto pageFile = [&] {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE h = CreateFileW(host.place.PagePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::pair<DWORD, DWORD>(0, 0);
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return std::pair(info.nFileIndexHigh, info.nFileIndexLow);
  };
  auto ok = [&](bool mute) {
    frmDesktop& w = Open();
    Set(w.chkEnable, true);
    Set(w.chkMute, mute);
    w.cbGo_Click();
  };
  ok(true);
  const auto first = pageFile();
  const std::string text = Utf8Of(host.place.PagePath());
  ASSERT_NE(first, (std::pair<DWORD, DWORD>(0, 0)));
  ok(true);
  EXPECT_EQ(pageFile(), first);
  EXPECT_EQ(Utf8Of(host.place.PagePath()), text);
  EXPECT_EQ(host.log->calls.size(), 8u) << "the item set again both times";
  ok(false);
  EXPECT_NE(pageFile(), first);
  EXPECT_NE(Utf8Of(host.place.PagePath()), text);
  EXPECT_NE(Utf8Of(host.place.PagePath()).find("volume=100"), std::string::npos);

  // A changed movie takes the earlier one's place, which leaves nothing behind.
  auto movie = ReadBytes(record.Path);
  movie.resize(movie.size() + 100, 0);
  testing_support::WriteBytes(record.Path, movie);
  ok(false);
  EXPECT_EQ(ReadBytes(host.place.MoviePath()), movie);
  int files = 0;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((host.place.Folder + L"*").c_str(), &d);
  for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &d))
    files += !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  EXPECT_EQ(files, 3) << "the movie, the sound movie and the page";
}
