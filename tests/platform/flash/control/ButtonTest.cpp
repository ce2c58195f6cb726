// Buttons under the pointer: synthetic mouse messages sent to a control, the
// states read back from painted pixels and the actions counted as events.
#include <gtest/gtest.h>

#include <memory>

#include "RenderMovies.h"
#include "platform/flash/control/FlashControl.h"

using namespace rendertest;
using flashtest::ActGetUrl;
using flashtest::ActGoto;

namespace {

constexpr Color kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0};
constexpr uint32_t kWhite = 0xFFFFFF, kRedPx = 0xFF0000, kBluePx = 0x0000FF, kGreenPx = 0x00FF00;

// A filled rectangle of pixels x0..x1, y0..y1.
Bytes Box(uint16_t id, Color c, int x0, int y0, int x1, int y1) {
  ShapeBuilder s;
  s.Fill(Solid(c)).Rect(x0 * 20, y0 * 20, x1 * 20, y1 * 20, 1);
  return s.Tag(id);
}

Bytes Record(uint8_t states, uint16_t character, uint16_t depth, bool second) {
  Bytes r = Bytes{states} + U16(character) + U16(depth) + Translate(0, 0);
  return second ? r + Cxform(256, 256, 256, 256, 0, 0, 0, 0) : r;
}

Bytes Actions(const std::vector<Bytes>& actions) {
  Bytes b;
  for (const Bytes& a : actions) moviebytes::Append(b, a);
  return b + Bytes{0};
}

// DefineButton: its actions run on release inside.
Bytes Button1(uint16_t id, const Bytes& records, const std::vector<Bytes>& actions) {
  return moviebytes::Tag(7, U16(id) + records + Bytes{0} + Actions(actions), true);
}

struct Condition {
  uint16_t flags;
  std::vector<Bytes> actions;
};

// DefineButton2 with condition actions.
Bytes Button2(uint16_t id, const Bytes& records, const std::vector<Condition>& conditions) {
  Bytes conds;
  for (size_t i = 0; i < conditions.size(); ++i) {
    const Bytes body = Actions(conditions[i].actions);
    const uint32_t size = i + 1 < conditions.size() ? static_cast<uint32_t>(4 + body.size()) : 0;
    conds = conds + U16(size) + Bytes{uint8_t(conditions[i].flags), uint8_t(conditions[i].flags >> 8)} + body;
  }
  const uint32_t offset = conditions.empty() ? 0 : static_cast<uint32_t>(2 + records.size() + 1);
  return moviebytes::Tag(34, U16(id) + Bytes{0} + U16(offset) + records + Bytes{0} + conds, true);
}

Bytes Command(const std::string& name) { return ActGetUrl("FSCommand:" + name, ""); }

// Red up, blue over, green down, all drawn over 20..60; the hit area is only 20..40.
Bytes StatesButton(uint16_t id, const std::vector<Condition>& conditions) {
  const Bytes records = Record(flash::kButtonUp, 1, 1, true) + Record(flash::kButtonOver, 2, 2, true) +
                        Record(flash::kButtonDown, 4, 3, true) + Record(flash::kButtonHit, 5, 4, true);
  return Button2(id, records, conditions);
}
std::vector<Bytes> StateShapes() {
  return {Box(1, kRed, 20, 20, 60, 60), Box(2, kBlue, 20, 20, 60, 60), Box(4, kGreen, 20, 20, 60, 60),
          Box(5, kRed, 20, 20, 40, 40)};
}

class ButtonTest : public ::testing::Test {
 protected:
  void TearDown() override {
    control.reset();
    flashtest::PumpMessages();
  }
  void Load(const Bytes& movie) {
    const std::wstring path = dir.File(L"buttons.swf");
    testing_support::WriteBytes(path, movie);
    control = std::make_unique<flash::FlashControl>(host.get(), 0, 0, 100, 100);
    control->OnFSCommand = [this](const std::wstring& c, const std::wstring&) { commands.push_back(c); };
    control->LoadMovie(0, path);
    flashtest::PumpMessages();
  }
  // A mouse message at (x, y); the events it raised are delivered.
  void Mouse(UINT msg, int x, int y) {
    if (msg == WM_LBUTTONDOWN) held = true;
    if (msg == WM_LBUTTONUP) held = false;
    SendMessageW(control->hWnd(), msg, held ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    flashtest::PumpMessages();
  }
  uint32_t Pixel(int x, int y) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -100, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(control->hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
    const uint32_t px = static_cast<const uint32_t*>(bits)[y * 100 + x] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return px;
  }

  testing_support::TempDir dir;
  flashtest::HostWindow host{100, 100};
  std::unique_ptr<flash::FlashControl> control;
  std::vector<std::wstring> commands;
  bool held = false;  // the mouse button, as the messages sent say
};

// Each step: a message at a point, then the colour of the button's middle.
TEST_F(ButtonTest, StatesFollowThePointerThroughTheHitArea) {
  std::vector<Bytes> tags = StateShapes();
  tags.push_back(StatesButton(3, {}));
  tags.push_back(Place(1, 3, Translate(0, 0)));
  Load(Movie(100, 100, tags));
  struct Step {
    UINT msg;
    int x, y;
    uint32_t shown;
  } steps[] = {
      {WM_MOUSEMOVE, 50, 50, kRedPx},     // drawn there, but outside the hit area
      {WM_MOUSEMOVE, 30, 30, kBluePx},    // over
      {WM_MOUSEMOVE, 80, 80, kRedPx},     // off again
      {WM_MOUSEMOVE, 25, 35, kBluePx},
      {WM_LBUTTONDOWN, 25, 35, kGreenPx}, // down while pressed over it
      {WM_MOUSEMOVE, 90, 10, kRedPx},     // dragged out: up
      {WM_MOUSEMOVE, 30, 30, kGreenPx},   // and back in: down
      {WM_LBUTTONUP, 30, 30, kBluePx},    // released over it
      {WM_MOUSELEAVE, 0, 0, kRedPx},      // the host's tracking says the pointer left
      {WM_LBUTTONDOWN, 80, 80, kRedPx},   // a press elsewhere does not take the button
      {WM_MOUSEMOVE, 30, 30, kRedPx},
      {WM_LBUTTONUP, 30, 30, kBluePx},
  };
  EXPECT_EQ(Pixel(45, 45), kRedPx);
  int i = 0;
  for (const Step& s : steps) {
    Mouse(s.msg, s.x, s.y);
    EXPECT_EQ(Pixel(45, 45), s.shown) << "step " << i;
    ++i;
  }
}

TEST_F(ButtonTest, RepaintsOnlyWhenAStateChanges) {
  std::vector<Bytes> tags = StateShapes();
  tags.push_back(StatesButton(3, {}));
  tags.push_back(Place(1, 3, Translate(0, 0)));
  Load(Movie(100, 100, tags));
  ShowWindow(host.get(), SW_SHOWNOACTIVATE);
  auto pendingAfter = [&](UINT msg, int x, int y) {
    ValidateRect(control->hWnd(), nullptr);
    SendMessageW(control->hWnd(), msg, 0, MAKELPARAM(x, y));
    RECT r;
    return GetUpdateRect(control->hWnd(), &r, FALSE) != 0;
  };
  EXPECT_FALSE(pendingAfter(WM_MOUSEMOVE, 80, 80));
  EXPECT_TRUE(pendingAfter(WM_MOUSEMOVE, 30, 30));
  EXPECT_FALSE(pendingAfter(WM_MOUSEMOVE, 31, 30));
  EXPECT_TRUE(pendingAfter(WM_MOUSEMOVE, 80, 80));
  ShowWindow(host.get(), SW_HIDE);
}

TEST_F(ButtonTest, ReleaseInsideRaisesTheButtonsCommand) {
  const Bytes records = Record(flash::kButtonUp | flash::kButtonHit, 1, 1, false);
  Load(Movie(100, 100, {Box(1, kRed, 20, 20, 40, 40),
                        Button1(3, records, {Command("clicked"), ActGetUrl("http://example.com/", "_blank")}),
                        Place(1, 3, Translate(0, 0))}));
  struct Case {
    const char* name;
    POINT down, up;
    size_t raised;
  } cases[] = {
      {"inside", {30, 30}, {31, 31}, 1},
      {"released outside", {30, 30}, {70, 70}, 0},
      {"pressed outside", {70, 70}, {30, 30}, 0},
  };
  for (const Case& c : cases) {
    commands.clear();
    Mouse(WM_MOUSEMOVE, c.down.x, c.down.y);
    Mouse(WM_LBUTTONDOWN, c.down.x, c.down.y);
    Mouse(WM_MOUSEMOVE, c.up.x, c.up.y);
    Mouse(WM_LBUTTONUP, c.up.x, c.up.y);
    ASSERT_EQ(commands.size(), c.raised) << c.name;
    if (c.raised) EXPECT_EQ(commands[0], L"clicked");
  }
}

TEST_F(ButtonTest, ConditionActionsRunOnTheirTransitions) {
  moviebytes::Movie m;
  m.rect = moviebytes::Rect(0, 2000, 0, 2000);
  m.rateWhole = 12;
  m.frames = 2;
  const Bytes button = StatesButton(3, {{flash::kIdleToOverUp, {Command("over")}},
                                        {flash::kOverUpToIdle, {Command("out")}},
                                        {flash::kOverUpToOverDown, {Command("press")}},
                                        {flash::kOverDownToOverUp, {Command("release"), ActGoto(1)}},
                                        {flash::kOutDownToIdle, {Command("outside")}}});
  m.tags = StateShapes();
  for (const Bytes& t : {button, Place(1, 3, Translate(0, 0)), flashtest::DoAction({flashtest::ActStop()}),
                         moviebytes::ShowFrame(), moviebytes::ShowFrame(), moviebytes::EndTag()})
    m.tags.push_back(t);
  Load(m.Plain());
  Mouse(WM_MOUSEMOVE, 30, 30);
  Mouse(WM_LBUTTONDOWN, 30, 30);
  Mouse(WM_LBUTTONUP, 30, 30);
  EXPECT_EQ(control->CurrentFrame(), 1);  // the release went to frame 1, where the button stays over
  EXPECT_EQ(Pixel(45, 45), kBluePx);
  Mouse(WM_MOUSEMOVE, 80, 80);
  Mouse(WM_LBUTTONDOWN, 80, 80);
  Mouse(WM_MOUSEMOVE, 30, 30);  // a press that began elsewhere runs nothing
  Mouse(WM_LBUTTONUP, 30, 30);
  Mouse(WM_MOUSEMOVE, 30, 30);
  Mouse(WM_LBUTTONDOWN, 30, 30);
  Mouse(WM_LBUTTONUP, 80, 80);
  EXPECT_EQ(commands, (std::vector<std::wstring>{L"over", L"press", L"release", L"out", L"over", L"press", L"outside"}));
}

// Where buttons overlap the top-most one takes the pointer; a clip layer
// hides its buttons where it does not cover; a button in a sprite follows
// the sprite's matrix.
TEST_F(ButtonTest, TopMostUnmaskedButtonTakesThePointer) {
  const Bytes hit = Record(flash::kButtonUp | flash::kButtonHit, 1, 1, false);
  const Bytes hitMask = Box(2, kBlue, 0, 0, 50, 100);  // covers the left half of the stage
  Load(Movie(100, 100, {Box(1, kRed, 0, 0, 20, 20), hitMask,
                        Button1(10, hit, {Command("low")}), Button1(11, hit, {Command("high")}),
                        Button1(12, hit, {Command("masked")}), Button1(13, hit, {Command("nested")}),
                        flashtest::Sprite(20, {flashtest::Place(1, 13, 0, 0), moviebytes::ShowFrame()}),
                        Place(1, 10, Translate(0, 0)), Place(2, 11, Translate(200, 200)),
                        Place(3, 2, Translate(0, 0), {}, -1, 4), Place(4, 12, Translate(800, 1400)),
                        Place(5, 20, Translate(1400, 0))}));
  struct Case {
    int x, y;
    const wchar_t* raised;
  } cases[] = {
      {5, 5, L"low"},    {15, 15, L"high"},   {25, 25, L"high"}, {45, 75, L"masked"},
      {55, 75, nullptr}, {75, 5, L"nested"}, {65, 5, nullptr},  {5, 45, nullptr},
  };
  for (const Case& c : cases) {
    commands.clear();
    Mouse(WM_MOUSEMOVE, c.x, c.y);
    Mouse(WM_LBUTTONDOWN, c.x, c.y);
    Mouse(WM_LBUTTONUP, c.x, c.y);
    Mouse(WM_MOUSELEAVE, 0, 0);
    if (c.raised) {
      EXPECT_EQ(commands, std::vector<std::wstring>{c.raised}) << c.x << "," << c.y;
    } else {
      EXPECT_TRUE(commands.empty()) << c.x << "," << c.y;
    }
  }
}

TEST_F(ButtonTest, HandCursorOverAButtonWithActions) {
  const Bytes hit = Record(flash::kButtonUp | flash::kButtonHit, 1, 1, false);
  Load(Movie(100, 100, {Box(1, kRed, 0, 0, 20, 20), Button1(10, hit, {Command("x")}), Button1(11, hit, {}),
                        Place(1, 10, Translate(0, 0)), Place(2, 11, Translate(1000, 0))}));
  const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  auto cursorAt = [&](int x, int y) {
    Mouse(WM_MOUSEMOVE, x, y);
    SetCursor(nullptr);
    SendMessageW(control->hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control->hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  EXPECT_EQ(cursorAt(10, 10), hand);
  EXPECT_NE(cursorAt(60, 10), hand);  // a button without actions
  EXPECT_NE(cursorAt(90, 90), hand);
}

// Hit areas that place their own button, or double at every level, are
// tested as far as drawing goes and end: off the square no button takes the
// pointer; over it the button takes it (its over state shows nothing) unless
// its only hit area is itself.
TEST_F(ButtonTest, SelfPlacingHitAreasEnd) {
  for (const HostileMovie& h : HostileMovies()) {
    Load(h.movie);
    Mouse(WM_MOUSEMOVE, 80, 80);
    EXPECT_NE(Pixel(40, 40), kWhite) << h.name;
    Mouse(WM_MOUSEMOVE, 40, 40);
    EXPECT_EQ(Pixel(40, 40) == kWhite, h.takesPointer) << h.name;
    Mouse(WM_MOUSEMOVE, 80, 80);
    EXPECT_NE(Pixel(40, 40), kWhite) << h.name;
  }
}

}  // namespace

namespace {

// A button drawn twice as large whose hit area is the 10 px square in the
// top left corner of its 40 px content: under a grid of 10..30 px the
// corner keeps its size, and so does the area that takes the pointer.
TEST_F(ButtonTest, ScalingGridShapesTheHitArea) {
  struct Case {
    int x, y;
    bool gridded, plain;
  } cases[] = {{5, 5, true, true}, {15, 5, false, true}, {5, 15, false, true}, {25, 25, false, false}};
  for (bool grid : {true, false}) {
    std::vector<Bytes> tags{Box(1, kGreen, 0, 0, 40, 40), Box(4, kRed, 0, 0, 10, 10),
                            Button1(3, Record(flash::kButtonUp, 1, 1, false) + Record(flash::kButtonHit, 4, 2, false),
                                    {Command("hit")})};
    if (grid) tags.push_back(moviebytes::Tag(78, U16(3) + moviebytes::Rect(200, 600, 200, 600), true));
    tags.push_back(Place(1, 3, Mat(2, 0, 0, 2, 0, 0)));
    control.reset();
    Load(Movie(100, 100, tags));
    for (const Case& c : cases) {
      commands.clear();
      Mouse(WM_MOUSEMOVE, c.x, c.y);
      Mouse(WM_LBUTTONDOWN, c.x, c.y);
      Mouse(WM_LBUTTONUP, c.x, c.y);
      Mouse(WM_MOUSELEAVE, 0, 0);
      EXPECT_EQ(!commands.empty(), grid ? c.gridded : c.plain) << grid << " " << c.x << "," << c.y;
    }
  }
}

}  // namespace
