#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "services/Services.h"
#include "ui/CFormEvents.h"
#include "ui/HookEvents.h"
#include "ui/ToolTips.h"
#include "ui/Window.h"

using namespace forms;

namespace {

template <class A>
A At(const wchar_t* name, int left, int top, int width, int height, Container* in = nullptr) {
  A a;
  a.Name = name;
  a.Left = left, a.Top = top, a.Width = width, a.Height = height;
  a.Container = in;
  return a;
}
// The arguments with one more field set: With(At<LabelArgs>(...), &LabelArgs::ToolTipText, L"Title").
template <class A, class B, class T, class V>
A With(A a, T B::*field, V value) {
  a.*field = value;
  return a;
}
MenuArgs MenuItem(const wchar_t* name, const wchar_t* caption) {
  MenuArgs m;
  m.Name = name;
  m.Caption = caption;
  return m;
}

// What MouseTo waits for: the mouse move over Under reaching Target as WM_SETCURSOR.
HWND mouseTarget = nullptr, mouseUnder = nullptr;
bool mouseArrived = false;

LRESULT CALLBACK SeeSetCursor(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_SETCURSOR && m->hwnd == mouseTarget &&
      HIWORD(m->lParam) == WM_MOUSEMOVE && reinterpret_cast<HWND>(m->wParam) == mouseUnder)
    mouseArrived = true;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Puts the mouse on a client point of a window and lets the messages run until
// the move has reached the window (however slowly the display delivers it).
void MouseTo(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  mouseTarget = window;
  mouseUnder = WindowFromPoint(p);
  mouseArrived = false;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, SeeSetCursor, nullptr, GetCurrentThreadId());
  SetCursorPos(p.x, p.y);
  for (int i = 0; i < 150 && !mouseArrived; ++i) Wait(20);
  if (hook) UnhookWindowsHookEx(hook);
  Wait(20);
}

class VisualDialog : public Form {
 public:
  VisualDialog() : Form(L"frmVisual") {}
  void SetVisual() override { ++visuals; }
  int visuals = 0;
};

}  // namespace

TEST(FormEventsOnForms, MouseEntersAndLeavesControlsNotLabelsOrTheForm) {
  Form form(L"frmMouse", FormArgs{.Caption = L"mouse", .Left = 50, .Top = 50, .Width = 400, .Height = 300});
  ASSERT_TRUE(form.Load());
  form.Add<CommandButton>(At<CommandButtonArgs>(L"cbOne", 10, 10, 80, 30));
  form.Add<CommandButton>(At<CommandButtonArgs>(L"cbTwo", 120, 10, 80, 30));
  form.Add<Label>(At<LabelArgs>(L"lblText", 10, 60, 80, 30));
  auto& pic = form.Add<PictureBox>(At<PictureBoxArgs>(L"picBox", 120, 60, 150, 100));
  form.Add<CommandButton>(At<CommandButtonArgs>(L"cbInner", 10, 10, 60, 25, &pic));
  form.Show();
  CFormEvents events;
  ASSERT_TRUE(events.SetHookedForm(&form));
  EXPECT_EQ(events.hWnd(), form.hWnd());
  std::vector<std::wstring> seen;
  events.MouseEnter = [&](Control& c) { seen.push_back(L"enter " + c.Name()); };
  events.MouseExit = [&](Control& c) { seen.push_back(L"exit " + c.Name()); };

  // The bare form, a button, within the same button, another button, a label (it has no window), the bare
  // form, a button inside the picture box, the picture box itself.
  for (POINT p : {POINT{300, 250}, {20, 20}, {30, 22}, {130, 20}, {20, 70}, {300, 250}, {135, 75}, {250, 140}})
    MouseTo(form.hWnd(), p.x, p.y);
  const std::vector<std::wstring> expected = {L"enter cbOne",   L"exit cbOne",  L"enter cbTwo", L"exit cbTwo",
                                              L"enter cbInner", L"exit cbInner", L"enter picBox"};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(events.EnteredControl(), &pic);

  // Hooking the same form again keeps its slot; none lets it go.
  const int slot = events.Slot();
  EXPECT_TRUE(events.SetHookedForm(&form));
  EXPECT_EQ(events.Slot(), slot);
  EXPECT_TRUE(events.SetHookedForm(nullptr));
  EXPECT_EQ(events.hWnd(), nullptr);
  EXPECT_EQ(events.Slot(), 0);
  form.Unload();
}

TEST(FormEventsOnForms, AnUnloadedFormGivesItsSlotBackAndCanBeHookedAgain) {
  Form form(L"frmReload");
  ASSERT_TRUE(form.Load());
  CFormEvents events;
  ASSERT_TRUE(events.SetHookedForm(&form));
  ASSERT_NE(events.Slot(), 0);
  form.Unload();
  EXPECT_EQ(events.Slot(), 0);
  for (int i = 1; i <= SubclassSlotCount; ++i) EXPECT_EQ(SubclassTable[i].Owner, nullptr);
  ASSERT_TRUE(form.Load());
  ASSERT_TRUE(events.SetHookedForm(&form));
  EXPECT_NE(events.Slot(), 0);
  int compacted = 0;
  events.CompactingMemory = [&] { compacted++; };
  SendMessageW(form.hWnd(), WM_COMPACTING, 0, 0);
  EXPECT_EQ(compacted, 1);
  form.Unload();
}

TEST(EnableAll, NestedCallsGiveBackTheOriginalStates) {
  Form form(L"frmEnable");
  ASSERT_TRUE(form.Load());
  auto& button = form.Add<CommandButton>(At<CommandButtonArgs>(L"cbGo", 10, 10, 80, 25));
  auto& box = form.Add<CheckBox>(With(At<CheckBoxArgs>(L"chkOff", 10, 40, 80, 25), &CheckBoxArgs::Enabled, false));
  auto& frame =
      form.Add<PictureBox>(With(At<PictureBoxArgs>(L"picFrame", 100, 10, 120, 80), &PictureBoxArgs::Enabled, false));
  auto& inner = form.Add<CommandButton>(At<CommandButtonArgs>(L"cbInner", 5, 5, 60, 25, &frame));
  auto& timer = form.Add<Timer>(With(At<TimerArgs>(L"tmrTick", 0, 0, 0, 0), &TimerArgs::Interval, 1000u));
  auto& menu = form.AddMenu(MenuItem(L"mnuFile", L"&File"));

  EnableAllControls(form, true);
  for (Control* c : form.Controls()) EXPECT_FALSE(c->Enabled()) << c->Name();
  EXPECT_FALSE(timer.Running());
  EnableAllControls(form, true);  // nested
  EnableAllControls(form, false);
  for (Control* c : form.Controls()) EXPECT_FALSE(c->Enabled());
  EnableAllControls(form, false);
  EXPECT_TRUE(button.Enabled());
  EXPECT_FALSE(box.Enabled());
  EXPECT_FALSE(frame.Enabled());
  EXPECT_FALSE(inner.Enabled());  // inside a frame that is disabled: left as it is
  EXPECT_TRUE(timer.Enabled());
  EXPECT_TRUE(timer.Running());
  EXPECT_TRUE(menu.Enabled());
  EnableAllControls(form, false);  // nothing saved: nothing changes
  EXPECT_TRUE(button.Enabled());

  // With the frame enabled first, its contents come back too.
  frame.SetEnabled(true);
  EnableAllControls(form, true);
  EnableAllControls(form, false);
  EXPECT_TRUE(frame.Enabled());
  EXPECT_FALSE(inner.Enabled());  // its saved state was the disabled one
  inner.SetEnabled(true);
  EnableAllControls(form, true);
  EnableAllControls(form, false);
  EXPECT_TRUE(inner.Enabled());
  form.Unload();
}

TEST(TitleBarOnForms, CaptionAndButtonsComeBackFromTheForm) {
  Form form(L"frmTitle", FormArgs{.Caption = L"SWF.zel - clip", .MaxButton = false});
  ASSERT_TRUE(form.Load());
  RECT before, after;
  GetWindowRect(form.hWnd(), &before);
  ShowTitleBar(form, false);
  EXPECT_EQ(GetWindowLongPtrW(form.hWnd(), GWL_STYLE) & 0x00CF0000, 0);
  EXPECT_EQ(form.Caption(), L"SWF.zel - clip");
  EXPECT_EQ(form.Tag(), L"");  // the Tag is the form's own business
  ShowTitleBar(form, true);
  GetWindowRect(form.hWnd(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  const LONG_PTR style = GetWindowLongPtrW(form.hWnd(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(form.Caption(), L"SWF.zel - clip");
  form.Unload();
}

TEST(TitleBarOnForms, AKeptCaptionGoesWithTheWindow) {
  Form form(L"frmReloaded", FormArgs{.Caption = L"before"});
  ASSERT_TRUE(form.Load());
  ShowTitleBar(form, false);
  form.SetCaption(L"after");
  form.Unload();
  ASSERT_TRUE(form.Load());
  ShowTitleBar(form, false);
  ShowTitleBar(form, true);
  EXPECT_EQ(form.Caption(), L"after");  // not the caption kept from the window before
  form.Unload();
}

TEST(AnimateBounds, MinusOneKeepsAndCentreKeepsTheMiddle) {
  VisualDialog form;
  ASSERT_TRUE(form.Load());
  form.Move(100, 100, 300, 200);
  long l = -1, t = -1, w = -1, h = -1;
  AnimateFormBounds(form, l, t, w, h, true);
  EXPECT_EQ(l, 100 * TwipsPerPixelX());
  EXPECT_EQ(h, 200 * TwipsPerPixelY());
  EXPECT_EQ(form.visuals, 0);
  EXPECT_TRUE(form.Enabled());

  const long left0 = l;
  w = 300 * TwipsPerPixelX() - 200;
  h = FormHeightForClient(form, 120);
  l = t = -1;
  AnimateFormBounds(form, l, t, w, h, true);
  EXPECT_EQ(l, left0 + 100);
  EXPECT_EQ(form.visuals, 1);
  EXPECT_EQ(form.ScaleHeight(), 120);
  EXPECT_TRUE(form.Enabled());

  // A form that was disabled (say by a modal dialog) stays disabled.
  form.SetEnabled(false);
  l = t = w = h = -1;
  AnimateFormBounds(form, l, t, w, h, false);
  EXPECT_FALSE(form.Enabled());
  form.Unload();
}

TEST(RegionsOnForms, PictureBoxDrawingGivesItsRegion) {
  Form form(L"frmRegion");
  ASSERT_TRUE(form.Load());
  auto& pic = form.Add<PictureBox>(
      With(At<PictureBoxArgs>(L"picShape", 0, 0, 20, 10), &PictureBoxArgs::BackColor, RGB(255, 0, 255)));
  pic.Cls();
  pic.Line(2, 3, 19, 3, RGB(0, 0, 0), LineStyle::BoxFilled);  // columns 2..19 of row 3
  RegionPtr r = RegionFromMaskColor(pic, RGB(255, 0, 255));
  RegionPtr expected(CreateRectRgn(2, 3, 20, 4));
  EXPECT_TRUE(EqualRgn(r.get(), expected.get()));
  form.Unload();
}

TEST(ToolTipsOnForms, TheControlsOwnTextMovesIntoTheBalloon) {
  InitControls(ICC_BAR_CLASSES);
  Form form(L"frmTips");
  ASSERT_TRUE(form.Load());
  auto& button = form.Add<CommandButton>(
      With(At<CommandButtonArgs>(L"cbPlay", 10, 10, 80, 25), &CommandButtonArgs::ToolTipText, L"Play"));
  auto& label = form.Add<Label>(With(At<LabelArgs>(L"lblTitle", 10, 50, 80, 25), &LabelArgs::ToolTipText, L"Title"));
  std::wstring text;
  SetToolTip(button, text);
  EXPECT_EQ(text, L"Play");
  EXPECT_EQ(button.ToolTipText(), L"");
  EXPECT_NE(ToolTipOf(button.hWnd()), nullptr);
  std::wstring none;
  const size_t before = ToolTipWindows().size();
  SetToolTip(label, none);  // no window, no balloon
  EXPECT_EQ(ToolTipWindows().size(), before);
  form.Unload();
  EXPECT_TRUE(ToolTipWindows().empty());
}

TEST(ShowFormTest, DialogsTakeTheMainWindowAsOwnerAndItsTopMostState) {
  Form main(L"frmMain", FormArgs{.Caption = L"SWF.zel"});
  ASSERT_TRUE(main.Load());
  MenuArgs top = MenuItem(L"mnuView", L"&View");
  top.Items.push_back(MenuItem(L"mnuTopMost", L"Always on &top"));
  top.Items[0].Checked = true;
  main.AddMenus({top});
  main.Show();
  MainForm = main.hWnd();
  PlayerReady = true;

  Form dialog(L"frmDialog");
  ShowForm(dialog, vbModeless);
  EXPECT_EQ(dialog.Owner(), main.hWnd());
  EXPECT_TRUE(GetWindowLongPtrW(dialog.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  dialog.Unload();

  Form modal(L"frmModal");
  ASSERT_TRUE(modal.Load());
  SetWindowPos(modal.hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  bool topMostWhenShown = true;
  modal.OnUnload = [&](bool&) { topMostWhenShown = GetWindowLongPtrW(modal.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST; };
  PostMessageW(modal.hWnd(), WM_CLOSE, 0, 0);  // closes it from inside its modal loop
  main.FindMenu(L"mnuTopMost")->SetChecked(false);
  ShowForm(modal, vbModal);
  EXPECT_FALSE(modal.IsLoaded());
  EXPECT_FALSE(topMostWhenShown) << "the main window's state, not the dialog's own";
  EXPECT_EQ(GetActiveWindow(), main.hWnd());

  // A failure is logged, not raised.
  std::vector<std::wstring> log;
  SetLogSink([&](const std::wstring& text, bool) { log.push_back(text); });
  ShowForm(main, vbModal);  // already shown
  SetLogSink(nullptr);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], L"ShowForm: 400 - Form already displayed; can't show modally");
  modal.Unload();

  PlayerReady = false;
  MainForm = nullptr;
  main.Unload();
}
