// The skin's elements under the mouse, on a recording window: one table of
// presses, moves, releases and clicks (our skin's seek fill and volume level
// are images, another skin's picture boxes), bars without room, hover
// pictures and the states while another program is active.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/forms/FormTypes.h"
#include "player/window/SkinMouse.h"

using player::SkinElement;
using player::SkinKind;
using Calls = std::vector<std::wstring>;

namespace {

constexpr int L = forms::vbLeftButton, R = forms::vbRightButton;

// Items 1 to 26 (1 a view, 14 to 16 labels): a seek track 202 wide, a
// volume track 52 high, a volume level 30 high; 7 has a down picture, 9 an
// over picture, 10 a disabled one.
class FakeSkin : public player::SkinMouseHost {
 public:
  std::map<int, SkinElement> items;
  Calls calls;

  FakeSkin() {
    for (int i = 1; i <= 26; ++i) items[i] = SkinElement{i == 1 ? 0 : i >= 14 && i <= 16 ? 3 : 2, 1};
    items[5].Width = 202, items[23].Height = 52, items[24].Height = 30;
    items[7].HasDown = items[9].HasOver = items[10].HasDisabled = true;
  }
  std::optional<SkinElement> Element(int index) const override {
    return items.count(index) ? std::optional<SkinElement>(items.at(index)) : std::nullopt;
  }
  int ElementCount() const override { return 26; }
  int CurrentView() const override { return 1; }
  void SetState(int index, int state) override { Log(L"State " + N(index) + L" " + N(state)); }
  void SetEnabled(int index, bool on) override { Log((on ? L"Enable " : L"Disable ") + N(index)); }
  void GoToFrame(double f) override { Log(L"Seek " + std::to_wstring(f).substr(0, 5)); }
  void SetSound(int volume, int pan) override { Log(L"Volume " + N(volume) + L" " + N(pan)); }
  void MoveWindow() override { Log(L"Drag"); }
  void ShowPopUp(bool overPlaylist, bool root) override { Log(L"PopUp " + N(overPlaylist) + N(root)); }
  void ToggleTimeMode() override { Log(L"TimeMode"); }

 private:
  static std::wstring N(long n) { return std::to_wstring(n); }
  void Log(const std::wstring& c) { calls.push_back(c); }
};

enum Event { Down, Move, Up, Dbl, Click };

Calls Fire(FakeSkin& skin, SkinKind kind, const wchar_t* tag, Event event, int button, int x, int y) {
  skin.calls.clear();
  switch (event) {
    case Down: player::SkinMouseDown(skin, kind, tag, button, x, y); break;
    case Move: player::SkinMouseMove(skin, kind, tag, button, x, y); break;
    case Up: player::SkinMouseUp(skin, kind, tag, button, x, y); break;
    case Dbl: player::SkinDblClick(skin, kind, tag); break;
    case Click: player::SkinClick(skin, kind, tag); break;
  }
  return skin.calls;
}

}  // namespace

TEST(SkinMouse, EachElementAnswersByItsIndex) {
  const auto P = SkinKind::Picture, I = SkinKind::Image, B = SkinKind::Label;
  const struct Case {
    SkinKind kind;
    const wchar_t* tag;
    Event event;
    int button, x, y;  // button: those held for a move
    Calls calls;
  } cases[] = {
      // The seek fill: 100 pixels on a 202-pixel bar (2 of border) is half; never a drag.
      {I, L"6", Down, L, 100, 5, {L"Seek 0.500"}}, {P, L"6", Down, L, 100, 5, {L"Seek 0.500"}},
      {I, L"6", Move, L, 50, 5, {L"Seek 0.250"}},  {I, L"6", Move, 0, 50, 5, {}},
      {I, L"6", Up, L, 50, 5, {}},
      // The track seeks on a held move and on the release only.
      {I, L"5", Down, L, 101, 5, {}}, {I, L"5", Move, L, 101, 5, {L"Seek 0.500"}}, {I, L"5", Up, L, 202, 5, {L"Seek 1.000"}},
      // The level: 10 pixels above its bottom on a 52-pixel bar is 20; the track by its own rule.
      {I, L"24", Down, L, 3, 20, {L"Volume 20 0"}}, {P, L"24", Move, L, 3, 30, {L"Volume 0 0"}},
      {I, L"23", Move, L, 3, 25, {L"Volume 50 0"}}, {I, L"23", Up, L, 3, 0, {L"Volume 100 0"}},
      {I, L"23", Down, L, 3, 0, {}},
      // Dragging: the bars, any other image, any label but the time labels.
      {P, L"2", Move, L, 1, 1, {L"Drag"}}, {P, L"18", Move, L, 1, 1, {L"Drag"}}, {P, L"7", Move, L, 1, 1, {}},
      {I, L"3", Move, L, 1, 1, {L"Drag"}}, {B, L"16", Move, L, 1, 1, {L"Drag"}}, {B, L"14", Move, L, 1, 1, {}},
      {B, L"16", Move, R, 1, 1, {}},
      // The time labels cycle the time display.
      {B, L"14", Click, 0, 0, 0, {L"TimeMode"}}, {B, L"15", Click, 0, 0, 0, {L"TimeMode"}}, {B, L"16", Click, 0, 0, 0, {}},
      // A right press anywhere opens the movie's menu.
      {P, L"7", Down, R, 1, 1, {L"PopUp 00"}}, {I, L"6", Down, R, 1, 1, {L"PopUp 00"}}, {B, L"14", Down, R, 1, 1, {L"PopUp 00"}},
      // Down pictures only where there is one; a double click presses.
      {P, L"7", Down, L, 1, 1, {L"State 7 3"}}, {P, L"7", Dbl, 0, 0, 0, {L"State 7 3"}}, {P, L"7", Up, L, 1, 1, {L"State 7 1"}},
      {P, L"8", Down, L, 1, 1, {}}, {P, L"8", Up, L, 1, 1, {}},
      // A Tag outside the table, or none, does nothing.
      {P, L"", Down, R, 1, 1, {}}, {I, L"99", Move, L, 1, 1, {}},
  };
  FakeSkin skin;
  for (const Case& c : cases)
    EXPECT_EQ(Fire(skin, c.kind, c.tag, c.event, c.button, c.x, c.y), c.calls) << &c - cases;

  // Bars of their border's size, then missing, leave the step out.
  skin.items[5].Width = 2, skin.items[23].Height = 2;
  EXPECT_EQ(Fire(skin, I, L"6", Down, L, 1, 1), Calls{});
  EXPECT_EQ(Fire(skin, I, L"24", Down, L, 1, 1), Calls{});
  EXPECT_EQ(Fire(skin, I, L"5", Move, L, 1, 1), Calls{L"Seek 0.500"});
  skin.items.erase(5), skin.items.erase(23);
  EXPECT_EQ(Fire(skin, I, L"6", Move, L, 1, 1), Calls{});
  EXPECT_EQ(Fire(skin, I, L"23", Move, L, 1, 1), Calls{});
}

TEST(SkinMouse, HoverPicturesAndTheStatesWhileAnotherProgramIsActive) {
  FakeSkin skin;
  player::SkinHover(skin, SkinKind::Picture, L"9", true);
  player::SkinHover(skin, SkinKind::Picture, L"9", false);
  player::SkinHover(skin, SkinKind::Picture, L"7", true);  // no over picture
  player::SkinHover(skin, SkinKind::Image, L"9", true);    // picture boxes only
  EXPECT_EQ(skin.calls, (Calls{L"State 9 2", L"State 9 1"}));

  skin.items[12].View = 2;  // another view's item stays as it is
  for (bool active : {false, true}) {
    skin.calls.clear();
    player::SkinActivateApp(skin, active);
    const std::wstring change = active ? L"Enable " : L"Disable ";
    auto count = [&](const std::wstring& c) { return std::count(skin.calls.begin(), skin.calls.end(), c); };
    EXPECT_EQ(count(change + L"2"), 1);
    EXPECT_EQ(count(change + L"1") + count(change + L"14") + count(change + L"12"), 0) << "views, labels, others";
    EXPECT_EQ(count(active ? L"State 10 1" : L"State 10 4"), 1);
    EXPECT_EQ(std::count_if(skin.calls.begin(), skin.calls.end(), [](auto& c) { return c.rfind(L"State", 0) == 0; }),
              1);
  }
}
