// Forms: load and unload, events, geometry, subclassing, modal show,
// keyboard handling and persistent drawing, with real windows.
#include <gtest/gtest.h>

#include <thread>

#include "FormsTestSupport.h"
#include "TestSupport.h"
#include "platform/forms/Forms.h"

using namespace forms;
using forms_test::PrintedPixel;
using forms_test::PumpUntil;
using forms_test::ScreenPixel;

namespace {

class DialogForm : public Form {
 public:
  DialogForm() : Form(L"frmDialog", Design()) {}
  CommandButton* ok = nullptr;
  CommandButton* cancel = nullptr;
  TextBox* text = nullptr;
  int okClicks = 0, cancelClicks = 0;

 protected:
  static FormArgs Design() {
    FormArgs d;
    d.Caption = L"Dialog";
    d.ClientWidth = 300;
    d.ClientHeight = 120;
    d.BorderStyle = vbFixedDialog;
    return d;
  }
  void CreateControls() override {
    TextBoxArgs t;
    t.Name = L"txtName";
    t.Left = 10, t.Top = 10, t.Width = 200, t.Height = 22;
    text = &Add<TextBox>(t);
    CommandButtonArgs b;
    b.Name = L"cbOK";
    b.Caption = L"OK";
    b.Default = true;
    b.Left = 10, b.Top = 60, b.Width = 80, b.Height = 26;
    ok = &Add<CommandButton>(b);
    ok->OnClick = [this] { ++okClicks; };
    b.Name = L"cbCancel";
    b.Caption = L"Cancel";
    b.Default = false;
    b.Cancel = true;
    b.Left = 100;
    cancel = &Add<CommandButton>(b);
    cancel->OnClick = [this] { ++cancelClicks; };
  }
};

}  // namespace

TEST(Form, LoadAndUnloadAreExplicitAndRaiseTheirEvents) {
  DialogForm f;
  int loads = 0, queries = 0, unloads = 0;
  bool cancelQuery = true;
  int lastMode = -1;
  f.OnLoad = [&] {
    ++loads;
    EXPECT_NE(f.ok, nullptr);  // controls exist before Load
  };
  f.OnQueryUnload = [&](bool& cancel, int mode) {
    ++queries;
    lastMode = mode;
    cancel = cancelQuery;
  };
  f.OnUnload = [&](bool&) { ++unloads; };

  EXPECT_FALSE(f.IsLoaded());
  ASSERT_TRUE(f.Load());
  ASSERT_TRUE(f.Load());  // already loaded: no second Load event
  EXPECT_EQ(loads, 1);
  EXPECT_NE(std::find(LoadedForms().begin(), LoadedForms().end(), &f), LoadedForms().end());
  EXPECT_EQ(FormFromHwnd(f.ok->hWnd()), &f);
  EXPECT_EQ(ControlFromHwnd(f.ok->hWnd()), f.ok);
  EXPECT_EQ(f.ScaleWidth(), 300);
  EXPECT_EQ(f.ScaleHeight(), 120);

  // The close box asks first; a cancelled query keeps the form.
  SendMessageW(f.hWnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(f.IsLoaded());
  EXPECT_EQ(lastMode, vbFormControlMenu);
  EXPECT_EQ(unloads, 0);

  cancelQuery = false;
  EXPECT_TRUE(f.Unload());
  EXPECT_EQ(lastMode, vbFormCode);
  EXPECT_EQ(unloads, 1);
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_TRUE(f.Controls().empty());
  EXPECT_EQ(std::find(LoadedForms().begin(), LoadedForms().end(), &f), LoadedForms().end());
  EXPECT_FALSE(f.Unload());  // nothing to unload; nothing reloads by itself
  EXPECT_FALSE(f.IsLoaded());

  // Loading again builds a fresh set of controls.
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(loads, 2);
  EXPECT_EQ(f.Controls().size(), 3u);
  // A window destroyed from outside leaves the form unloaded, without events.
  DestroyWindow(f.hWnd());
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_TRUE(f.Controls().empty());
  EXPECT_EQ(unloads, 1);
}

TEST(Form, ResizeIsRaisedSynchronouslyAndGeometryIsInPixels) {
  Form f(L"frmResize");
  int resizes = 0, seenWidth = 0;
  f.OnResize = [&] {
    ++resizes;
    seenWidth = f.ScaleWidth();
  };
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(resizes, 0);  // not before the form is shown
  f.Show();
  EXPECT_EQ(resizes, 1);
  f.Move(50, 60, 320, 240);
  EXPECT_GE(resizes, 2);  // inside Move, not later
  EXPECT_EQ(seenWidth, f.ScaleWidth());
  EXPECT_EQ(f.Width(), 320);
  EXPECT_EQ(f.Height(), 240);
  f.SetClientSize(200, 100);
  EXPECT_EQ(f.ScaleWidth(), 200);
  EXPECT_EQ(f.ScaleHeight(), 100);
  EXPECT_EQ(TwipsToPixels(22.5), 2);  // halves go to the even neighbour
  f.Unload();
}

namespace {
WNDPROC g_previous = nullptr;
int g_seen = 0;
LRESULT CALLBACK CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  ++g_seen;
  return CallWindowProcW(g_previous, h, m, w, l);
}
}  // namespace

TEST(Form, WindowProcedureCanBeSubclassed) {
  Form f(L"frmHooked");
  ASSERT_TRUE(f.Load());
  TimerArgs ta;
  ta.Name = L"tmrTick";
  ta.Interval = 10;
  Timer& t = f.Add<Timer>(ta);
  int ticks = 0, resizes = 0;
  t.OnTimer = [&] { ++ticks; };
  f.OnResize = [&] { ++resizes; };
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(f.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
  f.Show();
  f.Move(10, 10, 300, 200);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  EXPECT_GT(g_seen, 0);
  EXPECT_GE(resizes, 1);
  SetWindowLongPtrW(f.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  f.Unload();
}

TEST(Form, ModalShowRunsItsOwnLoopAndDisablesOtherForms) {
  Form main(L"frmMain");
  main.Load();
  main.Show();
  DialogForm dlg;
  bool mainWasDisabled = false;
  dlg.OnLoad = [&] {
    TimerArgs ta;
    ta.Name = L"tmrClose";
    ta.Interval = 20;
    Timer& t = dlg.Add<Timer>(ta);
    t.OnTimer = [&] {
      mainWasDisabled = !IsWindowEnabled(main.hWnd());
      EXPECT_TRUE(dlg.IsModal());
      dlg.Unload();
    };
  };
  dlg.Show(vbModal, main.hWnd());
  EXPECT_TRUE(mainWasDisabled);
  EXPECT_FALSE(dlg.IsLoaded());
  EXPECT_FALSE(dlg.IsModal());
  EXPECT_TRUE(IsWindowEnabled(main.hWnd()));
  main.Unload();
}

// Automation tools press a modal form's buttons with messages sent from
// another thread or process: a button that unloads or hides the form ends
// its modal loop as a click does.
TEST(Form, AModalFormClosedByASentClickEndsItsLoop) {
  for (bool unload : {true, false}) {
    DialogForm dlg;
    ASSERT_TRUE(dlg.Load());
    dlg.ok->OnClick = [&] { unload ? static_cast<void>(dlg.Unload()) : dlg.Hide(); };
    const HWND ok = dlg.ok->hWnd();
    const DWORD loopThread = GetCurrentThreadId();
    HANDLE returned = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool pressed = false, stuck = false;
    std::thread tool([&] {
      testing_support::WaitUntil([&] { return IsWindowVisible(ok) != FALSE; }, 5000);
      pressed = SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, nullptr) != 0;
      // A loop still asleep long after the form went is stuck: wake it so that the test can end.
      stuck = WaitForSingleObject(returned, 10000) == WAIT_TIMEOUT;
      if (stuck) PostThreadMessageW(loopThread, WM_NULL, 0, 0);
    });
    dlg.Show(vbModal);
    SetEvent(returned);
    tool.join();
    CloseHandle(returned);
    EXPECT_TRUE(pressed) << unload;
    EXPECT_FALSE(stuck) << (unload ? "unloaded" : "hidden") << " by a sent click, the modal loop slept on";
    EXPECT_FALSE(dlg.IsModal());
    dlg.Unload();
  }
}

TEST(Form, ActivationRaisesActivateAndDeactivate) {
  Form a(L"frmA"), b(L"frmB");
  std::vector<std::wstring> events;
  a.OnActivate = [&] { events.push_back(L"A+"); };
  a.OnDeactivate = [&] { events.push_back(L"A-"); };
  b.OnActivate = [&] { events.push_back(L"B+"); };
  a.Show();
  SetActiveWindow(a.hWnd());
  b.Show();  // takes the activation
  events.clear();
  SetActiveWindow(a.hWnd());
  SetActiveWindow(b.hWnd());
  EXPECT_EQ(events, (std::vector<std::wstring>{L"A+", L"A-", L"B+"}));
  b.Unload();
  a.Unload();
}

TEST(Form, EnterAndEscapeClickTheDefaultAndCancelButtons) {
  DialogForm f;
  f.Show();
  f.text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == f.text->hWnd(); }));
  PostMessageW(f.text->hWnd(), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(f.text->hWnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpUntil([&] { return f.okClicks && f.cancelClicks; }, 1000);
  EXPECT_EQ(f.okClicks, 1);
  EXPECT_EQ(f.cancelClicks, 1);
  // A disabled default button is not clicked.
  f.ok->SetEnabled(false);
  PostMessageW(f.text->hWnd(), WM_KEYDOWN, VK_RETURN, 0);
  forms::DoEvents();  // the key and all it posts
  EXPECT_EQ(f.okClicks, 1);

  // Key preview: the form sees the key first and may swallow it.
  int formKeys = 0, textKeys = 0;
  f.SetKeyPreview(true);
  f.OnKeyDown = [&](int& key, int) {
    ++formKeys;
    if (key == 'X') key = 0;
  };
  f.text->OnKeyDown = [&](int&, int) { ++textKeys; };
  PostMessageW(f.text->hWnd(), WM_KEYDOWN, 'X', 0);
  PostMessageW(f.text->hWnd(), WM_KEYDOWN, 'Y', 0);
  PumpUntil([&] { return formKeys == 2; }, 1000);
  EXPECT_EQ(formKeys, 2);
  EXPECT_EQ(textKeys, 1);
  f.Unload();
}

TEST(Form, ValidateChecksTheBoxTheFocusLeavesAndBeforeTheDefaultButton) {
  DialogForm f;
  f.Show();
  f.cancel->SetCausesValidation(false);
  TextBoxArgs t;
  t.Name = L"txtOther";
  t.Left = 10, t.Top = 34, t.Width = 200, t.Height = 22;
  TextBox& other = f.Add<TextBox>(t);
  int checks = 0;
  bool refuse = true;
  f.text->OnValidate = [&](bool& cancel) {
    ++checks;
    cancel = refuse;
  };
  auto focused = [&](Control& c) { return GetFocus() == c.hWnd(); };
  f.text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return focused(*f.text); }));
  auto enter = [&] {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    forms::DoEvents();  // the key and all it posts
  };

  // Refused: the focus comes back and Enter does not press the default button.
  other.SetFocus();
  PumpUntil([&] { return focused(*f.text); }, 1000);
  EXPECT_EQ(checks, 1);
  EXPECT_TRUE(focused(*f.text));
  enter();
  EXPECT_EQ(checks, 2);
  EXPECT_EQ(f.okClicks, 0);
  // A button that causes no validation takes the focus without a check.
  f.cancel->SetFocus();
  PumpUntil([&] { return focused(*f.cancel); });
  EXPECT_EQ(checks, 2);
  EXPECT_TRUE(focused(*f.cancel));

  // Accepted: Enter presses the button once the box is checked; the focus moves on.
  refuse = false;
  f.text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return focused(*f.text); }));
  const int before = checks;
  enter();
  EXPECT_EQ(checks, before + 1);
  EXPECT_EQ(f.okClicks, 1);
  other.SetFocus();
  PumpUntil([&] { return focused(other); });
  EXPECT_EQ(checks, before + 2);
  EXPECT_TRUE(focused(other));
  EXPECT_TRUE(f.ValidateActiveControl());  // the other box has no handler
  f.Unload();
}

TEST(Form, DrawingPersistsAfterCoveringAndResizing) {
  FormArgs d;
  d.ClientWidth = 200;
  d.ClientHeight = 150;
  d.BorderStyle = vbSizable;
  d.BackColor = RGB(255, 255, 255);
  forms_test::PlaceOutOfTheWay(d, 300, 200);  // the largest size it takes
  Form f(L"frmCanvas", d);
  f.Show();
  f.Line(10, 10, 60, 40, RGB(255, 0, 0), LineStyle::BoxFilled);
  f.PSet(100, 100, RGB(0, 0, 255));
  f.PaintPicture(forms_test::SolidPicture(4, 4, RGB(0, 255, 0)), 150, 20, 20, 20);  // stretched, not blended
  EXPECT_EQ(f.Point(30, 30), RGB(255, 0, 0));
  EXPECT_EQ(f.Point(100, 100), RGB(0, 0, 255));
  EXPECT_EQ(f.Point(160, 30), RGB(0, 255, 0));
  EXPECT_EQ(f.Point(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(f.Point(-1, 5), CLR_INVALID);

  // Drawing straight into hDC shows after Refresh.
  SetPixelV(f.hDC(), 120, 120, RGB(1, 2, 3));
  f.Refresh();
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 120, 120), RGB(1, 2, 3)));

  // Cover the form with another window, then uncover it.
  RECT area;
  GetWindowRect(f.hWnd(), &area);
  HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, area.left,
                               area.top, 400, 300, nullptr, nullptr, nullptr, nullptr);
  PumpUntil([&] { return forms_test::ShownAs(ScreenPixel(f.hWnd(), 30, 30), RGB(0, 0, 0)); });  // covered
  DestroyWindow(cover);
  PumpUntil([&] { return forms_test::ShownAs(ScreenPixel(f.hWnd(), 30, 30), RGB(255, 0, 0)); });
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 30, 30), RGB(255, 0, 0)));
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 100, 100), RGB(0, 0, 255)));

  // Shrink and grow again: the drawing is still there, new area is back colour.
  f.SetClientSize(50, 50);
  f.SetClientSize(300, 200);
  EXPECT_EQ(f.Point(100, 100), RGB(0, 0, 255));
  EXPECT_EQ(f.Point(250, 180), RGB(255, 255, 255));
  EXPECT_EQ(PrintedPixel(f.hWnd(), 30, 30), RGB(255, 0, 0));  // WM_PRINTCLIENT answers with the drawing
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 160, 30), RGB(0, 255, 0)));

  f.Cls();
  EXPECT_EQ(f.Point(30, 30), RGB(255, 255, 255));
  f.SetBackColor(RGB(0, 0, 0));
  EXPECT_EQ(f.Point(30, 30), RGB(0, 0, 0));
  f.Unload();
}

TEST(Form, UnloadGivesTheDrawingUp) {
  FormArgs d;
  d.ClientWidth = 100;
  d.ClientHeight = 80;
  d.BackColor = RGB(255, 255, 255);
  Form f(L"frmRedrawn", d);
  ASSERT_TRUE(f.Load());
  f.PSet(10, 10, RGB(255, 0, 0));
  ASSERT_EQ(f.Point(10, 10), RGB(255, 0, 0));
  f.Unload();
  EXPECT_EQ(f.hDC(), nullptr);  // no bitmap kept while unloaded
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.Point(10, 10), RGB(255, 255, 255));
  f.Unload();
}

TEST(Form, AnExceptionOfAHandlerStaysInTheLayer) {
  std::wstring where;
  SetFaultSink([&](const std::wstring& w, const std::wstring&) { where = w; });
  DialogForm f;
  f.Show();
  f.ok->OnClick = [] { throw std::runtime_error("boom"); };
  SendMessageW(f.ok->hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(where, L"Click");
  SetFaultSink(nullptr);
  f.Unload();
}

TEST(Form, TitleBarButtonsChangedAtRunTimeFollowTheBorderStyle) {
  FormArgs sizable;
  Form f(L"frmButtons", sizable);
  FormArgs toolDesign;
  toolDesign.BorderStyle = vbFixedToolWindow;
  Form tool(L"frmToolButtons", toolDesign);
  ASSERT_TRUE(f.Load());
  ASSERT_TRUE(tool.Load());
  auto style = [](Form& form) { return GetWindowLongW(form.hWnd(), GWL_STYLE); };
  f.SetMaxButton(false);
  EXPECT_TRUE(style(f) & WS_MINIMIZEBOX);
  EXPECT_FALSE(style(f) & WS_MAXIMIZEBOX);
  // A tool window never gets minimize or maximize boxes, as at creation.
  tool.SetControlBox(true);
  EXPECT_TRUE(style(tool) & WS_SYSMENU);
  EXPECT_FALSE(style(tool) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  tool.Unload();
  f.Unload();
}
