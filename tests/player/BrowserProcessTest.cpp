// The media browser in the program as a real process: started without a
// movie it lists the user's movie folder, makes the missing thumbnails under
// the progress window and shows them on the page; the wheel scrolls the page,
// a folder typed in the address bar is listed (and Shift+Delete typed there
// leaves the thumbnails), a double click plays a movie, and Ctrl+Insert twice
// writes two numbered pictures of its frame.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <tuple>

#include "../flash/FlashTestSupport.h"
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

constexpr int kMovies = 12;
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

template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!pred()) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

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
    testing_support::WriteBytes(other + L"x.swf", ColourMovie(1, 2, 3));
    SaveSetting(L"Recent", L"", movies.c_str());
    SaveSetting(L"Recent", L"MyFlash", movies.c_str());
  }
  void TearDown() override {
    for (const auto& t : thumbs) DeleteFileW(t.c_str());
    DeleteFileW(CacheThumb(other + L"x.swf").c_str());
  }
  PrivateProgramKey key;
  testing_support::TempDir dir;
  std::wstring movies, other;
  std::vector<std::wstring> thumbs;
};

TEST_F(BrowserRun, StartsOnThePageOfThumbnailsAndWalksFoldersAndPlays) {
  ProgramProcess program(L"");
  ASSERT_TRUE(program.Started());
  // The progress window shows while the thumbnails are made.
  if (HWND progress = program.WaitForWindow(L"Thumbnails Creation", 30000)) {
    WaitFor([&] { return GetFileAttributesW(thumbs[2].c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000);
    cDIBSection shot;
    if (Capture(progress, shot)) shot.SavePicture(testing_support::ProgramDir() + L"thumbnail-progress.bmp");
  }
  HWND main = program.WaitForMainWindow(60000);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - Browse Media", 60000)) << Caption(main);
  for (const auto& t : thumbs) EXPECT_NE(GetFileAttributesW(t.c_str()), INVALID_FILE_ATTRIBUTES) << t;
  EXPECT_EQ(BrowseDocumentFolder(), movies);
  HWND flash = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(flash, nullptr);

  // The first cell shows its movie's thumbnail (the movie's green background).
  Sleep(500);
  cDIBSection page;
  ASSERT_TRUE(Capture(flash, page));
  const COLORREF cell = GetPixel(page.hdc(), 75, kHeader + 50);
  EXPECT_GT(GetGValue(cell), 170) << std::hex << cell;
  EXPECT_LT(GetRValue(cell), 80) << std::hex << cell;
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
  Sleep(300);
  for (const auto& t : thumbs) EXPECT_NE(GetFileAttributesW(t.c_str()), INVALID_FILE_ATTRIBUTES) << t;
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
  ASSERT_TRUE(PressKeys(main, {{VK_RETURN}}));
  EXPECT_TRUE(WaitFor([&] { return BrowseDocumentFolder() == other; }, 20000)) << BrowseDocumentFolder();
  Sleep(700);  // the document is written before the page loads and takes the focus
  ASSERT_TRUE(ClickAt(main, ec));
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(movies.c_str()));
  ASSERT_TRUE(PressKeys(main, {{VK_RETURN}}));
  EXPECT_TRUE(WaitFor([&] { return BrowseDocumentFolder() == movies; }, 20000)) << BrowseDocumentFolder();

  // A double click on the first cell plays its movie.
  Sleep(500);
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

}  // namespace
