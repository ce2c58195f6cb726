// Controls: windowless labels and images under windowed controls, hit
// testing, containers changed at run time, control arrays, the Controls
// collection, timers, and the behaviour of the standard controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "FormsTestSupport.h"
#include "TestSupport.h"
#include "platform/forms/Forms.h"

using namespace forms;
using forms_test::PumpUntil;
using forms_test::ScreenPixel;

namespace {

FormArgs PlainDesign() {
  FormArgs d;
  d.ClientWidth = 300;
  d.ClientHeight = 200;
  // Pixels are read off the screen.
  forms_test::PlaceOutOfTheWay(d, 300, 200);
  d.BackColor = RGB(255, 255, 255);
  return d;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace

TEST(Controls, WindowlessControlsArePaintedBelowWindowedOnesAndHitTested) {
  Form f(L"frmLayers", PlainDesign());
  ASSERT_TRUE(f.Load());
  LabelArgs la;
  la.Name = L"lblBack";
  la.Left = 10, la.Top = 10, la.Width = 100, la.Height = 40;
  la.BackColor = RGB(255, 0, 0);
  Label& label = f.Add<Label>(la);
  ImageArgs ia;
  ia.Name = L"imgDot";
  ia.Left = 150, ia.Top = 10;
  ia.Picture = forms_test::SolidPicture(30, 20, RGB(0, 0, 255));
  Image& image = f.Add<Image>(ia);
  EXPECT_EQ(image.Width(), 30);  // an image without Stretch takes its picture's size
  EXPECT_EQ(image.Height(), 20);
  PictureBoxArgs pa;
  pa.Name = L"picTop";
  pa.Left = 60, pa.Top = 20, pa.Width = 100, pa.Height = 50;
  pa.BackColor = RGB(0, 255, 0);
  PictureBox& pic = f.Add<PictureBox>(pa);
  EXPECT_EQ(label.hWnd(), nullptr);
  EXPECT_FALSE(label.HasDC());
  EXPECT_NE(pic.hWnd(), nullptr);
  EXPECT_TRUE(pic.HasDC());
  f.Show();

  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 20, 20), RGB(255, 0, 0)));   // label alone
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 80, 30), RGB(0, 255, 0)));   // the picture box covers the label
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 160, 15), RGB(0, 0, 255)));  // the image
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 250, 150), RGB(255, 255, 255)));

  // The container routes its mouse to the front-most windowless control.
  EXPECT_EQ(f.HitTest(20, 20), &label);
  EXPECT_EQ(f.HitTest(250, 150), nullptr);
  int labelClicks = 0, formClicks = 0, downX = -1, downY = -1;
  label.OnMouseDown = [&](int button, int, int x, int y) {
    EXPECT_EQ(button, vbLeftButton);
    downX = x;
    downY = y;
  };
  label.OnClick = [&] { ++labelClicks; };
  f.OnClick = [&] { ++formClicks; };
  SendMessageW(f.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(25, 30));
  SendMessageW(f.hWnd(), WM_LBUTTONUP, 0, At(25, 30));
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(downX, 15);  // in the label's own coordinates
  EXPECT_EQ(downY, 20);
  SendMessageW(f.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(250, 150));
  SendMessageW(f.hWnd(), WM_LBUTTONUP, 0, At(250, 150));
  EXPECT_EQ(formClicks, 1);
  // Pressed on the label, released elsewhere: no click.
  SendMessageW(f.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(25, 30));
  SendMessageW(f.hWnd(), WM_LBUTTONUP, 0, At(250, 150));
  EXPECT_EQ(labelClicks, 1);
  // A hidden or disabled label lets the mouse through to the form.
  label.SetEnabled(false);
  SendMessageW(f.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(25, 30));
  SendMessageW(f.hWnd(), WM_LBUTTONUP, 0, At(25, 30));
  EXPECT_EQ(formClicks, 2);
  label.SetVisible(false);
  EXPECT_EQ(f.HitTest(20, 20), nullptr);
  EXPECT_TRUE(forms_test::ShownAs(ScreenPixel(f.hWnd(), 20, 20), RGB(255, 255, 255)));

  // Z-order among windowless controls: the front one wins the hit test.
  label.SetVisible(true);
  image.Move(20, 20, 30, 20);
  EXPECT_EQ(f.HitTest(25, 25), &image);
  image.ZOrder(vbSendToBack);
  EXPECT_EQ(f.HitTest(25, 25), &label);
  f.Unload();
}

TEST(Controls, ContainerCanChangeAtRunTime) {
  Form f(L"frmContainers", PlainDesign());
  ASSERT_TRUE(f.Load());
  PictureBoxArgs pa;
  pa.Name = L"picPanel";
  pa.Left = 100, pa.Top = 50, pa.Width = 150, pa.Height = 100;
  PictureBox& panel = f.Add<PictureBox>(pa);
  CommandButtonArgs ba;
  ba.Name = L"cbGo";
  ba.Left = 10, ba.Top = 10, ba.Width = 60, ba.Height = 24;
  CommandButton& button = f.Add<CommandButton>(ba);
  LabelArgs la;
  la.Name = L"lblNote";
  la.Left = 5, la.Top = 5, la.Width = 40, la.Height = 20;
  Label& label = f.Add<Label>(la);

  EXPECT_EQ(button.Container(), &f);
  button.SetContainer(&panel);
  label.SetContainer(&panel);
  EXPECT_EQ(GetParent(button.hWnd()), panel.hWnd());
  EXPECT_EQ(button.Container(), &panel);
  EXPECT_EQ(panel.HitTest(10, 10), &label);
  EXPECT_EQ(f.HitTest(10, 10), nullptr);
  // A container cannot go inside its own contents.
  PictureBoxArgs inner = pa;
  inner.Name = L"picInner";
  inner.Container = &panel;
  PictureBox& nested = f.Add<PictureBox>(inner);
  panel.SetContainer(&nested);
  EXPECT_EQ(panel.Container(), &f);

  // Unloading a container takes its contents with it.
  size_t before = f.Controls().size();
  EXPECT_TRUE(f.UnloadControl(panel));
  EXPECT_EQ(f.Controls().size(), before - 4);
  EXPECT_EQ(f.FindControl(L"lblNote"), nullptr);
  f.Unload();
}

TEST(Controls, ControlArraysCloneElementZeroAndStartHidden) {
  Form f(L"frmArrays", PlainDesign());
  ASSERT_TRUE(f.Load());
  PictureBoxArgs pa;
  pa.Name = L"picHost";
  pa.Left = 0, pa.Top = 0, pa.Width = 200, pa.Height = 200;
  PictureBox& host = f.Add<PictureBox>(pa);
  LabelArgs la;
  la.Name = L"LBL";
  la.Index = 0;
  la.Caption = L"zero";
  la.Tag = L"7";
  la.Left = 3, la.Top = 4, la.Width = 50, la.Height = 16;
  la.Alignment = vbCenter;
  la.Container = &host;
  f.Add<Label>(la);
  ControlArray<Label>& lbl = f.Array<Label>(L"LBL");
  std::vector<int> clicked;
  lbl.OnClick([&](int index) { clicked.push_back(index); });

  EXPECT_EQ(lbl.Count(), 1);
  EXPECT_EQ(lbl.UBound(), 0);
  Label& one = lbl.Load(lbl.Count());
  Label& two = lbl.Load(lbl.Count());
  EXPECT_EQ(lbl.Count(), 3);
  EXPECT_EQ(lbl.UBound(), 2);
  EXPECT_EQ(&lbl[2], &two);
  EXPECT_EQ(one.Index(), 1);
  EXPECT_FALSE(one.Visible());
  EXPECT_TRUE(lbl[0].Visible());
  EXPECT_EQ(one.Caption(), L"zero");
  EXPECT_EQ(one.Tag(), L"7");
  EXPECT_EQ(one.Alignment(), vbCenter);
  EXPECT_EQ(one.Container(), &host);
  EXPECT_EQ(one.Width(), 50);
  EXPECT_EQ(&lbl.Load(1), &one);  // loading a loaded element gives it back

  // Handlers wired on the array reach the new elements with their index.
  two.SetVisible(true);
  two.Move(100, 100, 50, 16);
  SendMessageW(host.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(110, 105));
  SendMessageW(host.hWnd(), WM_LBUTTONUP, 0, At(110, 105));
  SendMessageW(host.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  SendMessageW(host.hWnd(), WM_LBUTTONUP, 0, At(5, 5));
  EXPECT_EQ(clicked, (std::vector<int>{2, 0}));

  // Iteration in index order; unloading; element 0 stays.
  std::vector<int> seen;
  for (auto& [index, element] : lbl) seen.push_back(element->Index());
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(lbl.Unload(1));
  EXPECT_FALSE(lbl.Exists(1));
  EXPECT_EQ(lbl.Count(), 2);
  EXPECT_EQ(lbl.UBound(), 2);
  EXPECT_FALSE(lbl.Unload(0));
  EXPECT_EQ(lbl.Item(1), nullptr);
  EXPECT_EQ(f.FindControl(L"lbl", 2), &two);  // names compare without case
  f.Unload();
}

TEST(Controls, TheControlsCollectionKeepsCreationOrder) {
  Form f(L"frmOrder", PlainDesign());
  ASSERT_TRUE(f.Load());
  PictureBoxArgs pa;
  pa.Name = L"picA";
  pa.Width = 50, pa.Height = 50;
  PictureBox& a = f.Add<PictureBox>(pa);
  CheckBoxArgs ca;
  ca.Name = L"chkIn";
  ca.Container = &a;
  f.Add<CheckBox>(ca);
  TimerArgs ta;
  ta.Name = L"tmrX";
  f.Add<Timer>(ta);
  MenuArgs file;
  file.Name = L"mnuFile";
  file.Caption = L"&File";
  MenuArgs exit;
  exit.Name = L"mnuExit";
  exit.Caption = L"E&xit";
  file.Items = {exit};
  f.AddMenus({file});
  std::vector<std::wstring> names;
  for (Control* c : f.Controls()) names.push_back(c->Name());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"picA", L"chkIn", L"tmrX", L"mnuFile", L"mnuExit"}));
  EXPECT_EQ(f.FindMenu(L"mnuExit")->Container(), nullptr);  // menus have no container
  EXPECT_EQ(f.Find<Timer>(L"tmrX")->Container(), &f);
  f.Unload();
}

TEST(Controls, TimersTickWhileEnabledAndStopWhenDisabled) {
  Form f(L"frmTimers", PlainDesign());
  ASSERT_TRUE(f.Load());
  TimerArgs ta;
  ta.Name = L"tmrBeat";
  ta.Interval = 15;
  Timer& t = f.Add<Timer>(ta);
  int ticks = 0;
  t.OnTimer = [&] {
    if (++ticks == 3) t.SetEnabled(false);  // a timer may stop itself
  };
  EXPECT_TRUE(t.Running());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  // A second timer at the same pace ticks five times; the stopped one stays quiet.
  ta.Name = L"tmrWitness";
  int witnessTicks = 0;
  Timer& witness = f.Add<Timer>(ta);
  witness.OnTimer = [&] { ++witnessTicks; };
  EXPECT_TRUE(PumpUntil([&] { return witnessTicks >= 5; }));
  witness.SetEnabled(false);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(t.Running());
  // Interval 0 keeps an enabled timer quiet.
  t.SetInterval(0);
  t.SetEnabled(true);
  EXPECT_FALSE(t.Running());
  t.SetInterval(10);
  EXPECT_TRUE(t.Running());
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; }));
  f.Unload();
}

TEST(Controls, StandardControlsRaiseTheirEvents) {
  Form f(L"frmStandard", PlainDesign());
  ASSERT_TRUE(f.Load());
  f.Show();
  CheckBoxArgs ca;
  ca.Name = L"chkOption";
  ca.Caption = L"Option";
  ca.Width = 100, ca.Height = 20;
  CheckBox& check = f.Add<CheckBox>(ca);
  int checkClicks = 0;
  check.OnClick = [&] { ++checkClicks; };
  SendMessageW(check.hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(check.Value(), vbChecked);
  EXPECT_EQ(SendMessageW(check.hWnd(), BM_GETCHECK, 0, 0), BST_CHECKED);
  check.SetValue(vbGrayed);
  EXPECT_EQ(SendMessageW(check.hWnd(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_EQ(checkClicks, 2);
  check.SetValue(vbGrayed);  // no change, no Click
  EXPECT_EQ(checkClicks, 2);

  TextBoxArgs ta;
  ta.Name = L"txtPath";
  ta.Top = 30, ta.Width = 150, ta.Height = 22;
  TextBox& text = f.Add<TextBox>(ta);
  int changes = 0;
  text.OnChange = [&] { ++changes; };
  text.SetText(L"C:\\Movies");
  EXPECT_EQ(text.Text(), L"C:\\Movies");
  EXPECT_EQ(changes, 1);
  text.SetSel(3, 6);
  EXPECT_EQ(text.SelStart(), 3);
  EXPECT_EQ(text.SelLength(), 6);

  ListBoxArgs la;
  la.Name = L"PlayList";
  la.Top = 60, la.Width = 150, la.Height = 100;
  la.MultiSelect = 2;
  la.OwnerDraw = true;
  ListBox& list = f.Add<ListBox>(la);
  int drawn = 0;
  list.OnDrawItem = [&](const DRAWITEMSTRUCT& d) {
    ++drawn;
    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(d.itemID % 2 ? COLOR_3DLIGHT : COLOR_WINDOW));
    return true;
  };
  for (const wchar_t* name : {L"a.swf", L"b.swf", L"c.swf"}) list.AddItem(name);
  EXPECT_EQ(list.ListCount(), 3);
  EXPECT_EQ(SendMessageW(list.hWnd(), LB_GETITEMHEIGHT, 0, 0), 24);
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  EXPECT_EQ(list.SelCount(), 2);
  EXPECT_TRUE(list.Selected(2));
  EXPECT_FALSE(list.Selected(1));
  list.SetItemData(1, 42);
  list.SetList(1, L"B.swf");
  EXPECT_EQ(list.List(1), L"B.swf");
  EXPECT_EQ(list.ItemData(1), 42);
  UpdateWindow(list.hWnd());
  EXPECT_GT(drawn, 0);

  // A box without data: only the number of its rows, set at once; rows are
  // selected and removed by index and drawn from the owner's data.
  ListBoxArgs na = la;
  na.Name = L"BigList";
  na.Left = 160;
  na.HasStrings = false;
  na.NoData = true;
  ListBox& rows = f.Add<ListBox>(na);
  std::vector<UINT> drawnRows;
  rows.OnDrawItem = [&](const DRAWITEMSTRUCT& d) {
    drawnRows.push_back(d.itemID);
    return true;
  };
  EXPECT_NE(GetWindowLongW(rows.hWnd(), GWL_STYLE) & LBS_NODATA, 0);
  rows.SetCount(100000);
  EXPECT_EQ(rows.ListCount(), 100000);
  rows.SetSelected(99999, true);
  EXPECT_TRUE(rows.Selected(99999));
  SendMessageW(rows.hWnd(), LB_DELETESTRING, 5, 0);
  EXPECT_EQ(rows.ListCount(), 99999);
  drawnRows.clear();
  InvalidateRect(rows.hWnd(), nullptr, TRUE);
  UpdateWindow(rows.hWnd());
  ASSERT_FALSE(drawnRows.empty());
  EXPECT_LT(drawnRows.size(), 10u);  // the rows in view only
  for (UINT row : drawnRows) EXPECT_LT(row, 99999u);

  ComboBoxArgs cb;
  cb.Name = L"cmbStyle";
  cb.Style = 2;
  cb.Left = 160, cb.Width = 120;
  ComboBox& combo = f.Add<ComboBox>(cb);
  int comboClicks = 0;
  combo.OnClick = [&] { ++comboClicks; };
  for (const wchar_t* s : {L"Simply Flat", L"Smooth Gradients", L"Glassy Look!"}) combo.AddItem(s);
  combo.SetText(L"Glassy Look!");
  EXPECT_EQ(combo.ListIndex(), 2);
  EXPECT_EQ(combo.Text(), L"Glassy Look!");
  EXPECT_EQ(comboClicks, 1);
  EXPECT_GT(combo.Height(), 0);
  EXPECT_LT(combo.Height(), 60);  // the closed box, not the open list

  // Keys typed into an editable combo box's field are the combo box's.
  ComboBoxArgs ab;
  ab.Name = L"AddressBar";
  ab.Top = 170, ab.Width = 200;
  ComboBox& address = f.Add<ComboBox>(ab);
  int keys = 0;
  address.OnKeyDown = [&](int& key, int) {
    if (key == VK_RETURN) ++keys;
  };
  HWND field = GetWindow(address.hWnd(), GW_CHILD);
  ASSERT_NE(field, nullptr);
  SendMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(keys, 1);
  f.Unload();
}

TEST(Controls, PlainToolTipsFollowTheirControls) {
  Form f(L"frmTips", PlainDesign());
  ASSERT_TRUE(f.Load());
  CommandButtonArgs ba;
  ba.Name = L"cbHelp";
  ba.Caption = L"?";
  ba.Width = 30, ba.Height = 24;
  ba.ToolTipText = L"Help";
  CommandButton& help = f.Add<CommandButton>(ba);
  LabelArgs la;
  la.Name = L"lblInfo";
  la.Top = 40, la.Width = 80, la.Height = 20;
  Label& info = f.Add<Label>(la);
  HWND tip = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM p) {
        wchar_t cls[64];
        GetClassNameW(h, cls, 64);
        if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0) *reinterpret_cast<HWND*>(p) = h;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(GetWindow(tip, GW_OWNER), f.hWnd());
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  info.SetToolTipText(L"A windowless control's tip");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 2);
  help.SetToolTipText(L"");  // as balloon tooltips do when they take over
  info.SetToolTipText(L"");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  f.Unload();
}

TEST(Controls, PicturesLoadFromBmpFiles) {
  testing_support::TempDir dir;
  std::wstring path = dir.File(L"forms-picture-test.bmp");
  // Write a 100 x 3 BMP through a picture box's drawing.
  Form f(L"frmPictures", PlainDesign());
  ASSERT_TRUE(f.Load());
  f.Show();
  PictureBoxArgs pa;
  pa.Name = L"picSrc";
  pa.Width = 100, pa.Height = 3;
  pa.BackColor = RGB(10, 20, 30);
  PictureBox& pic = f.Add<PictureBox>(pa);
  ASSERT_TRUE(forms_test::SaveWindowShot(pic.hWnd(), path));
  Picture loaded = LoadPicture(path);
  ASSERT_FALSE(loaded.Empty());
  EXPECT_EQ(loaded.Width(), 100);
  EXPECT_EQ(loaded.Height(), 3);
  EXPECT_EQ(loaded.HimetricWidth(), 2646);
  pic.SetPicture(loaded);
  EXPECT_TRUE(forms_test::ShownAs(pic.Point(50, 1), RGB(10, 20, 30)));  // the file holds what the screen showed
  // A failed load leaves the picture it was asked to fill as it was.
  Picture kept;
  ASSERT_TRUE(LoadPictureFile(kept, path));
  DeleteFileW(path.c_str());
  EXPECT_FALSE(LoadPictureFile(kept, path));
  EXPECT_EQ(kept.Width(), 100);
  EXPECT_TRUE(LoadPicture(path).Empty());
  EXPECT_TRUE(LoadPicture(L"").Empty());
  f.Unload();
}

TEST(Controls, OptionButtonsOfOneContainerAreOneGroupAndSettingOneRaisesClick) {
  Form f(L"frmOptionsGroup", PlainDesign());
  ASSERT_TRUE(f.Load());
  f.Show();
  PictureBoxArgs pa = Placed<PictureBoxArgs>(L"picOther", 200, 0, 100, 60);
  OptionButtonArgs oa = Placed<OptionButtonArgs>(L"optOther", 0, 0, 100, 20);
  oa.Container = &f.Add<PictureBox>(pa);
  OptionButton& outside = f.Add<OptionButton>(oa);
  outside.SetValue(true);
  for (int i : {0, 1}) {
    OptionButtonArgs a = Placed<OptionButtonArgs>(L"optSize", 0, 24 * i, 100, 20);
    a.Index = i;
    f.Add<OptionButton>(a);
  }
  ControlArray<OptionButton>& size = f.Array<OptionButton>(L"optSize");
  std::vector<int> clicks;
  size.OnClick([&](int index) { clicks.push_back(index); });
  size[0].SetValue(true);
  size[1].SetValue(true);
  SendMessageW(size[0].hWnd(), BM_CLICK, 0, 0);  // the user's click
  size[0].SetValue(true);                          // no change, no Click
  EXPECT_EQ(clicks, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(SendMessageW(size[1].hWnd(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(outside.Value()) << "another container is another group";
  EXPECT_FALSE(size.Load(2).Value()) << "a new element never takes the choice";
  f.Unload();
}
