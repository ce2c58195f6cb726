// The media browser in the program as a real process: started without a
// movie it shows the page of the user's movie folder first and makes the
// missing thumbnails behind it, which then show on the page (a folder of
// thousands of movies too, the window answering meanwhile); the wheel
// scrolls the page, a folder typed in the address bar is listed with the
// progress window over its thumbnails (and Shift+Delete typed there leaves
// the thumbnails), a double click plays a movie, and Ctrl+Insert twice
// writes two numbered pictures of its frame.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/flash/FlashTestSupport.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "images/cDIBSection.h"
#include "moviefiles/MovieBytes.h"
#include "moviefiles/MovieCache.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "services/RegistryModule.h"
#include "services/XmlDocument.h"

using namespace player_test;
namespace fs = std::filesystem;

namespace {

constexpr int kMovies = 12, kOthers = 40;
constexpr int kHeader = 72;  // the page's header above the grid

// One frame of the background colour; with boxes, a red one over the top
// left and a blue one over the bottom right of the 550x400 stage.
moviebytes::Bytes ColourMovie(uint8_t r, uint8_t g, uint8_t b, bool boxes = false) {
  using namespace moviebytes;
  Movie m;
  m.frames = 1;
  m.tags = {BackgroundTag(r, g, b)};
  if (boxes) {
    m.tags.insert(m.tags.end(), {BoxShape(1, 250 * 20, 150 * 20, 230, 20, 20), flashtest::Place(1, 1, 0, 0),
                                 BoxShape(2, 250 * 20, 150 * 20, 20, 20, 230),
                                 flashtest::Place(2, 2, 300 * 20, 250 * 20)});
  }
  m.tags.insert(m.tags.end(), {ShowFrame(), EndTag()});
  return m.Plain();
}

std::wstring CacheThumb(const std::wstring& movie) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"SWF.zel Cache\\" + GetCacheFileName(movie, L".jpg", true, true);
}

// The window's picture as the screen shows it.
bool Capture(HWND window, cDIBSection& dib) {
  RECT r{};
  GetWindowRect(window, &r);
  if (!dib.Create(r.right - r.left, r.bottom - r.top)) return false;
  HDC screen = GetDC(nullptr);
  BitBlt(dib.hdc(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return true;
}

uint64_t RegionHash(HWND window, const RECT& area) {
  cDIBSection dib;
  if (!Capture(window, dib)) return 0;
  uint64_t h = 1469598103934665603ull;
  for (int y = area.top; y < area.bottom; y += 3)
    for (int x = area.left; x < area.right; x += 3) h = (h ^ GetPixel(dib.hdc(), x, y)) * 1099511628211ull;
  return h;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) { return testing_support::WaitUntil(done, timeoutMs); }

// Whether the first cell of the page shows the first movie's thumbnail (its green background).
bool FirstCellShowsItsThumbnail(HWND flash, COLORREF* seen = nullptr) {
  cDIBSection page;
  if (!Capture(flash, page)) return false;
  const COLORREF cell = GetPixel(page.hdc(), 75, kHeader + 50);
  if (seen) *seen = cell;
  return GetGValue(cell) > 170 && GetRValue(cell) < 80;
}

// Whether the keyboard focus of the window's thread is the window or one inside it.
std::wstring BrowseDocumentFolder() {
  wchar_t appData[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
  XmlDocument doc;
  if (!doc.Load(std::wstring(appData) + L"\\SWF.zel\\browse.xml")) return L"";
  return doc.SelectSingleNode(L"BROWSE/FOLDER").Text();
}

class BrowserRun : public ::testing::Test {
 protected:
  void SetUp() override {
    SaveSetting(L"System", L"FirstRun", L"False");
    SaveSetting(L"Update", L"Auto", L"False");
    movies = dir.File(L"movies\\");
    other = dir.File(L"other\\");
    fs::create_directories(movies);
    fs::create_directories(other);
    for (int i = 1; i <= kMovies; ++i) {
      wchar_t name[16];
      swprintf(name, 16, L"m%02d.swf", i);
      testing_support::WriteBytes(movies + name,
                                  ColourMovie(static_cast<uint8_t>(20 * i), 200, static_cast<uint8_t>(240 - 15 * i), i == 1));
      thumbs.push_back(CacheThumb(movies + name));
      DeleteFileW(thumbs.back().c_str());
    }
    for (int i = 0; i < kOthers; ++i) {
      const std::wstring movie = other + L"x" + std::to_wstring(i) + L".swf";
      testing_support::WriteBytes(movie, ColourMovie(1, 2, static_cast<uint8_t>(i)));
      otherThumbs.push_back(CacheThumb(movie));
      DeleteFileW(otherThumbs.back().c_str());
    }
    SaveSetting(L"Recent", L"", movies.c_str());
    SaveSetting(L"Recent", L"MyFlash", movies.c_str());
  }
  void TearDown() override {
    for (const auto& t : thumbs) DeleteFileW(t.c_str());
    for (const auto& t : otherThumbs) DeleteFileW(t.c_str());
  }
  static bool AllExist(const std::vector<std::wstring>& files) {
    return std::all_of(files.begin(), files.end(),
                       [](const std::wstring& f) { return GetFileAttributesW(f.c_str()) != INVALID_FILE_ATTRIBUTES; });
  }
  PrivateProgramKey key;
  testing_support::TempDir dir;
  std::wstring movies, other;
  std::vector<std::wstring> thumbs, otherThumbs;
};

TEST_F(BrowserRun, StartsOnThePageOfThumbnailsAndWalksFoldersAndPlays) {
  ProgramProcess program(L"");
  ASSERT_TRUE(program.Started());
  // The page first, the thumbnails behind it: the start shows no progress window.
  HWND main = program.WaitForMainWindow(60000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - Browse Media", 60000)) << Caption(main);
  bool progressShown = false;
  EXPECT_TRUE(WaitFor([&] {
    progressShown = progressShown || program.WaitForWindow(L"Thumbnails Creation", 0);
    return AllExist(thumbs);
  }, 60000));
  EXPECT_FALSE(progressShown);
  EXPECT_EQ(BrowseDocumentFolder(), movies);
  HWND flash = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(flash, nullptr);

  // The first cell shows its movie's thumbnail (the movie's green background) once made.
  COLORREF cell = 0;
  EXPECT_TRUE(WaitFor([&] { return FirstCellShowsItsThumbnail(flash, &cell); }, 10000)) << std::hex << cell;
  cDIBSection window;  // the whole window, for a look
  if (Capture(main, window)) window.SavePicture(testing_support::ProgramDir() + L"browser-window.bmp");

  // The wheel scrolls the page.
  RECT client{};
  GetClientRect(flash, &client);
  const RECT grid{0, kHeader, client.right - 20, client.bottom};
  const uint64_t before = RegionHash(flash, grid);
  POINT at{100, kHeader + 100};
  ClientToScreen(flash, &at);
  PostMessageW(flash, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(at.x, at.y));
  EXPECT_TRUE(WaitFor([&] { return RegionHash(flash, grid) != before; }, 5000));
  PostMessageW(flash, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
  EXPECT_TRUE(WaitFor([&] { return RegionHash(flash, grid) == before; }, 5000));

  // A folder typed in the address bar with Enter is listed; Shift+Delete there leaves the thumbnails.
  HWND bar = FindChildOfClass(main, L"ComboBox");
  ASSERT_NE(bar, nullptr);
  HWND edit = FindWindowExW(bar, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  RECT er{};
  GetWindowRect(edit, &er);
  POINT ec{(er.left + er.right) / 2, (er.top + er.bottom) / 2};
  ScreenToClient(main, &ec);
  ASSERT_TRUE(ClickAt(main, ec));
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
  ASSERT_TRUE(PressKeys(main, {{VK_SHIFT, VK_DELETE}}));
  EXPECT_TRUE(KeysBeforeHandled(main, edit));
  for (const auto& t : thumbs) EXPECT_NE(GetFileAttributesW(t.c_str()), INVALID_FILE_ATTRIBUTES) << t;
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
  ASSERT_TRUE(PressKeys(main, {{VK_RETURN}}));
  EXPECT_TRUE(WaitFor([&] { return BrowseDocumentFolder() == other; }, 20000)) << BrowseDocumentFolder();
  // A listing the user started: the progress window shows over its thumbnails.
  HWND progress = program.WaitForWindow(L"Thumbnails Creation", 20000);
  EXPECT_NE(progress, nullptr);
  if (progress) {
    cDIBSection shot;
    if (Capture(progress, shot)) shot.SavePicture(testing_support::ProgramDir() + L"thumbnail-progress.bmp");
  }
  EXPECT_TRUE(WaitFor([&] { return AllExist(otherThumbs) && !program.WaitForWindow(L"Thumbnails Creation", 0); }, 60000));
  // The document is written before the page loads and takes the focus.
  EXPECT_TRUE(WaitFor([&] { return FocusInside(flash); }, 20000));
  // The page may take the focus again as its thumbnails arrive: the folder is
  // typed again, with the address bar clicked first, until the page lists it.
  EXPECT_TRUE(WaitFor(
      [&] {
        if (BrowseDocumentFolder() == movies) return true;
        if (!FocusInside(edit)) {
          ClickAt(main, ec);
          return false;
        }
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(movies.c_str()));
        PressKeys(main, {{VK_RETURN}});
        return WaitFor([&] { return BrowseDocumentFolder() == movies; }, 3000);
      },
      30000))
      << BrowseDocumentFolder();

  // A double click on the first cell plays its movie, once the page shows it.
  EXPECT_TRUE(WaitFor([&] { return FirstCellShowsItsThumbnail(flash); }, 20000));
  PostMessageW(flash, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(75, kHeader + 60));
  PostMessageW(flash, WM_LBUTTONUP, 0, MAKELPARAM(75, kHeader + 60));
  PostMessageW(flash, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(75, kHeader + 60));
  PostMessageW(flash, WM_LBUTTONUP, 0, MAKELPARAM(75, kHeader + 60));
  ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - m01.swf", 20000)) << Caption(main);

  // Ctrl+Insert twice: two pictures of the frame, the second numbered.
  const std::wstring shots = movies + L"ScreenShots\\";
  ASSERT_TRUE(PressKeys(main, {{VK_CONTROL, VK_INSERT}}));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(shots) && !fs::is_empty(shots); }, 10000));
  ASSERT_TRUE(PressKeys(main, {{VK_CONTROL, VK_INSERT}}));
  std::vector<std::wstring> names;
  WaitFor([&] {
    names.clear();
    for (const auto& e : fs::directory_iterator(shots)) names.push_back(e.path().filename().wstring());
    return names.size() >= 2;
  }, 10000);
  // The plain name first, then the numbered one.
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.size() < b.size(); });
  ASSERT_EQ(names.size(), 2u);
  const std::wstring first = names[0];
  ASSERT_GT(first.size(), 8u);
  const std::wstring stem = first.substr(0, first.size() - 4);  // "m01.<frame>"
  EXPECT_EQ(stem.rfind(L"m01.", 0), 0u) << first;
  EXPECT_EQ(names[1], stem + L"(1).jpg");
  CopyFileW((shots + first).c_str(), (testing_support::ProgramDir() + L"frame-picture.jpg").c_str(), FALSE);
  // The picture is a JPEG of the frame: the movie's teal background with the red box at the top left and
  // the blue one at the bottom right.
  const auto bytes = testing_support::ReadBytes(shots + first);
  const auto picture = flash::DecodeWithCodecs(bytes);
  ASSERT_NE(picture, nullptr);
  ASSERT_GT(picture->width, 0);
  auto colourAt = [&](double x, double y) {  // a fraction of the way across and down
    const uint32_t p = picture->pixels[static_cast<size_t>(y * picture->height) * picture->width +
                                       static_cast<size_t>(x * picture->width)];
    return std::tuple(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  };
  const auto [cr, cg, cb] = colourAt(0.5, 0.5);
  EXPECT_TRUE(cg > 170 && cr < 60) << cr << " " << cg << " " << cb;
  const auto [rr, rg, rb] = colourAt(0.2, 0.2);
  EXPECT_TRUE(rr > 170 && rg < 60 && rb < 60) << rr << " " << rg << " " << rb;
  const auto [br, bg, bb] = colourAt(0.8, 0.8);
  EXPECT_TRUE(bb > 170 && br < 60 && bg < 60) << br << " " << bg << " " << bb;
  cDIBSection view;  // for a look at it
  if (view.Create(picture->width, picture->height)) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), picture->width, -picture->height, 1, 32, BI_RGB};
    SetDIBitsToDevice(view.hdc(), 0, 0, picture->width, picture->height, 0, 0, 0, picture->height,
                      picture->pixels.data(), &bi, DIB_RGB_COLORS);
    view.SavePicture(testing_support::ProgramDir() + L"frame-picture.bmp");
  }
  EXPECT_TRUE(program.Close());
}

// A start on a folder of thousands of movies without thumbnails: the window
// and the page come first, the thumbnails follow in the background, those of
// the first cells (in view) before the last, and the window answers meanwhile.
TEST_F(BrowserRun, AFolderOfThousandsShowsItsPageFirstAndStaysAnswering) {
  constexpr int kMany = 2000;
  const std::wstring many = dir.File(L"many\\");
  fs::create_directories(many);
  const moviebytes::Bytes movie = ColourMovie(10, 200, 10);
  std::vector<std::wstring> made;
  for (int i = 0; i < kMany; ++i) {
    wchar_t name[16];
    swprintf(name, 16, L"n%04d.swf", i);
    testing_support::WriteBytes(many + name, movie);
    made.push_back(CacheThumb(many + name));
    DeleteFileW(made.back().c_str());
  }
  SaveSetting(L"Recent", L"", many.c_str());
  ProgramProcess program(L"");
  HWND main = program.WaitForMainWindow(10000);
  ASSERT_NE(main, nullptr) << "no window within 10 s";
  EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - Browse Media", 10000)) << Caption(main);
  EXPECT_TRUE(WaitFor([&] { return GetFileAttributesW(made[0].c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000));
  EXPECT_EQ(GetFileAttributesW(made[kMany - 1].c_str()), INVALID_FILE_ATTRIBUTES) << "the last cell's came first";
  for (int probe = 0; probe < 5; ++probe) {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) << probe;
  }
  EXPECT_TRUE(program.Close());
  for (const auto& t : made) DeleteFileW(t.c_str());
}

}  // namespace
