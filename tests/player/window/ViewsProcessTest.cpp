// The display modes as a real process: the wheel over the movie moves it by
// a second; full screen from a second start covers the screen and gives the
// rectangle back; the pointer at the edges brings the bars back in full
// screen and with the interface hidden; a skin with mask colours shapes the
// window. The pictures of the last three are saved.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <functional>

#include "FormsTestSupport.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "platform/flash/FlashTestSupport.h"
#include "platform/flash/RenderMovies.h"
#include "images/cDIBSection.h"

using namespace player_test;

namespace {

constexpr COLORREF kStage = RGB(0x33, 0x66, 0x99), kRed = RGB(255, 0, 0);

// 200 frames at 12 a second of a blue 320 x 240 stage with a yellow patch,
// stopping itself at its second frame; red covers the stage one second
// later (frame 13) only.
moviebytes::Bytes LongMovie() {
  using namespace flashtest;
  rendertest::ShapeBuilder red, yellow;
  red.Fill(rendertest::Solid({255, 0, 0, 255})).Rect(0, 0, 320 * 20, 240 * 20, 1);
  yellow.Fill(rendertest::Solid({255, 220, 60, 255})).Rect(0, 0, 80 * 20, 60 * 20, 1);
  moviebytes::Movie m;
  m.rateWhole = 12;
  m.frames = 200;
  m.rect = moviebytes::Rect(0, 320 * 20, 0, 240 * 20);
  m.tags = {moviebytes::BackgroundTag(0x33, 0x66, 0x99), red.Tag(1), yellow.Tag(2), Place(2, 2, 600, 600)};
  for (int i = 0; i < 200; ++i) {
    if (i == 1) m.tags.push_back(DoAction({ActStop()}));
    if (i == 13) m.tags.push_back(Place(1, 1, 0, 0));
    if (i == 14) m.tags.push_back(Remove(1));
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

// Polls (bounded) until the condition holds; this thread's windows paint meanwhile.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  return testing_support::WaitUntil(done, timeoutMs, true);
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}
bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
bool Captioned(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != 0; }

// One statement through a second start, which hands it over and ends.
void Statement(const std::wstring& statement) {
  ProgramProcess second(L"/exec " + statement);
  EXPECT_TRUE(second.WaitForExit(15000)) << statement;
}

// The program in a folder of its own whose skin is a bar and two corner
// panels, magenta where the window's top corners are rounded; the panels'
// pictures are in the user skin folder for the run.
class ShapedProgram {
 public:
  explicit ShapedProgram(const std::wstring& folder) : folder_(folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    for (const wchar_t* item : {L"SWF.zel.exe", L"jpegzel.dll", L"Languages", L"Media"})
      fs::copy(fs::path(testing_support::ProgramDir()) / item, fs::path(folder) / item, fs::copy_options::recursive);
    testing_support::WriteText(folder + L"Media\\Skin\\skin.xml", R"(<THEME name="Shaped" minWidth="0" minHeight="0">
  <VIEW name="viewNormal" backColor="#202020"/>
  <SUBVIEW name="bar" image="mid.bmp" left="0" top="400" width="640" height="52"/>
  <SUBVIEW name="left" image="shaped-left.bmp" width="65" height="24" windowMask="#FF00FF"/>
  <SUBVIEW name="right" image="shaped-right.bmp" left="575" width="65" height="24" windowMask="#FF00FF"/>
  <VIEW name="viewFullScreen" backColor="#000000"/>
</THEME>)");
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    base_ = std::wstring(appData) + L"\\SWF.zel\\Skin\\base\\";
    fs::create_directories(base_);
    Corner(L"shaped-left.bmp", 0);
    Corner(L"shaped-right.bmp", -21);
  }
  ~ShapedProgram() {
    for (const wchar_t* name : {L"shaped-left.bmp", L"shaped-right.bmp"}) DeleteFileW((base_ + name).c_str());
  }
  std::wstring Program() const { return folder_ + L"SWF.zel.exe"; }

 private:
  // A grey 65 x 24 panel with one rounded top corner, magenta outside it.
  void Corner(const wchar_t* name, int left) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(65, 24));
    const RECT all{0, 0, 65, 24};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255)), grey = CreateSolidBrush(RGB(0x50, 0x50, 0x58));
    FillRect(dib.hdc(), &all, magenta);
    HGDIOBJ brush = SelectObject(dib.hdc(), grey), pen = SelectObject(dib.hdc(), GetStockObject(NULL_PEN));
    RoundRect(dib.hdc(), left, 0, left + 87, 45, 40, 40);
    SelectObject(dib.hdc(), brush), SelectObject(dib.hdc(), pen);
    DeleteObject(magenta), DeleteObject(grey);
    ASSERT_TRUE(dib.SavePicture(base_ + name));
  }
  std::wstring folder_, base_;
};

class ViewsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    SaveSetting(L"System", L"FirstRun", L"False");
    SaveSetting(L"Update", L"Auto", L"False");
    movie = temp.File(L"long.swf");
    ASSERT_TRUE(testing_support::WriteBytes(movie, LongMovie()));
  }
  // The program's main window on the long movie, in front of the others.
  HWND Start(ProgramProcess& run) {
    HWND main = run.WaitForMainWindow();
    if (!main) return nullptr;
    EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - long.swf"));
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return main;
  }
  PrivateProgramKey key;
  testing_support::TempDir temp;
  std::wstring movie;
};

}  // namespace

TEST_F(ViewsRun, TheWheelFullScreenAndHideUIWithTheirBarsAtTheEdges) {
  ProgramProcess run(L"\"" + movie + L"\"");
  HWND main = Start(run);
  ASSERT_NE(main, nullptr);
  HWND flash = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(flash, nullptr);
  auto centre = [&] {
    const RECT r = WindowRect(flash);
    return ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  ASSERT_TRUE(WaitFor([&] { return centre() == kStage; }));
  PostMessageW(flash, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(10, 10));
  EXPECT_TRUE(WaitFor([&] { return centre() == kRed; })) << "a notch towards the user: one second on";
  PostMessageW(flash, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(10, 10));
  EXPECT_TRUE(WaitFor([&] { return centre() == kStage; })) << "and back";

  const RECT before = WindowRect(main);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Statement(L"FullScreen True, False, False");
  EXPECT_TRUE(WaitFor([&] { return Same(WindowRect(main), screen) && !Captioned(main); }));
  EXPECT_EQ(Caption(main).rfind(L"SWF.zel - ", 0), 0u);
  // The pointer over the movie puts the bars away; at the bottom edge the control bar comes back.
  const POINT bar{screen.right / 2, screen.bottom - 20};
  SetCursorPos(screen.right / 2, screen.bottom / 2);
  EXPECT_TRUE(WaitFor([&] { return ScreenPixel(bar.x, bar.y) == kStage; })) << "the bar put away";
  SetCursorPos(screen.right / 2, screen.bottom - 3);
  EXPECT_TRUE(WaitFor([&] { return ScreenPixel(bar.x, bar.y) != kStage; })) << "the bar back";
  EXPECT_TRUE(forms_test::SaveScreenArea(screen, testing_support::ProgramDir() + L"main-window-fullscreen.bmp"));
  SetCursorPos(screen.right / 2, screen.bottom / 2);
  Statement(L"FullScreen False, False, False");
  EXPECT_TRUE(WaitFor([&] { return Same(WindowRect(main), before) && Captioned(main); }));

  Statement(L"FullScreen True, True, True");
  ASSERT_TRUE(WaitFor([&] { return !Captioned(main) && !GetMenu(main); }));
  EXPECT_TRUE(Same(WindowRect(main), before)) << "Hide UI keeps the window's size and place";
  SetCursorPos((before.left + before.right) / 2, before.top + 1);
  EXPECT_TRUE(WaitFor([&] { return GetMenu(main) != nullptr; })) << "the menu bar at the top edge";
  EXPECT_TRUE(forms_test::SaveWindowShot(main, testing_support::ProgramDir() + L"main-window-hideui.bmp"));
  SetCursorPos((before.left + before.right) / 2, (before.top + before.bottom) / 2);
  EXPECT_TRUE(WaitFor([&] { return !GetMenu(main); })) << "and goes with the pointer";
  EXPECT_TRUE(run.Close());
}

TEST_F(ViewsRun, ASkinWithMaskColoursShapesTheWindow) {
  SaveSetting(L"Window", L"MenuBar", L"False");  // a window with its menu bar is never skin-shaped
  SaveSetting(L"View", L"Playlist", L"False");
  ShapedProgram program(temp.File(L"program\\"));
  // A white backdrop shows what was cut away.
  WNDCLASSW cls{};
  cls.lpfnWndProc = DefWindowProcW;
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  cls.lpszClassName = L"SWFzelTestBackdrop";
  RegisterClassW(&cls);
  HWND backdrop = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  nullptr, nullptr);
  ProgramProcess run(L"\"" + movie + L"\"", ProgramProcess::Start::Usual, program.Program());
  HWND main = Start(run);
  ASSERT_NE(main, nullptr);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return GetWindowRgn(main, shape) == COMPLEXREGION; }));
  const RECT window = WindowRect(main);
  POINT client{0, 0};
  ClientToScreen(main, &client);
  client.x -= window.left, client.y -= window.top;
  RECT inner{};
  GetClientRect(main, &inner);
  EXPECT_FALSE(PtInRegion(shape, client.x + 10, client.y / 2)) << "the caption is cut away";
  EXPECT_FALSE(PtInRegion(shape, client.x + 1, client.y + 1)) << "the rounded top-left corner";
  EXPECT_FALSE(PtInRegion(shape, client.x + inner.right - 2, client.y + 1)) << "the rounded top-right corner";
  EXPECT_TRUE(PtInRegion(shape, client.x + 30, client.y + 30));
  EXPECT_TRUE(PtInRegion(shape, client.x + inner.right / 2, client.y + 1));
  DeleteObject(shape);
  EXPECT_TRUE(WaitFor([&] { return ScreenPixel(window.left + client.x + 1, window.top + client.y + 1) == RGB(255, 255, 255); }));
  EXPECT_TRUE(forms_test::SaveWindowShot(main, testing_support::ProgramDir() + L"main-window-shaped.bmp"));
  EXPECT_TRUE(run.Close());
  DestroyWindow(backdrop);
}
