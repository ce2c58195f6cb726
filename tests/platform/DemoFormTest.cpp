// A small demonstration form with one of each control, shown under the test
// display; its picture is saved as demo-form.bmp beside the test program so
// a person can look at it.
#include <gtest/gtest.h>

#include <cmath>

#include "FormsTestSupport.h"
#include "platform/forms/Forms.h"

using namespace forms;

namespace {

class DemoForm : public Form {
 public:
  DemoForm() : Form(L"frmDemo", Design()) {}
  PictureBox* stage = nullptr;
  Label* ticks = nullptr;
  int tickCount = 0;

 private:
  static FormArgs Design() {
    FormArgs d;
    d.Caption = L"SWF.zel - forms demonstration";
    d.ClientWidth = 520;
    d.ClientHeight = 330;
    d.BorderStyle = vbFixedSingle;
    d.MaxButton = false;
    forms_test::PlaceOutOfTheWay(d, 520, 330);
    return d;
  }

  template <class A>
  static A At(const wchar_t* name, int l, int t, int w, int h) {
    A a;
    a.Name = name;
    a.Left = l, a.Top = t, a.Width = w, a.Height = h;
    return a;
  }

  void CreateControls() override {
    MenuArgs file, open, sep, exit, view, top, help, about;
    file.Name = L"mnuFile", file.Caption = L"&File";
    open.Name = L"mnuOpen", open.Caption = L"&Open...\tCtrl+O";
    sep.Name = L"mnuSep", sep.Caption = L"-";
    exit.Name = L"mnuExit", exit.Caption = L"E&xit";
    view.Name = L"mnuView", view.Caption = L"&View";
    top.Name = L"mnuTopMost", top.Caption = L"Always on &Top", top.Checked = true;
    help.Name = L"mnuHelp", help.Caption = L"&Help";
    about.Name = L"mnuAbout", about.Caption = L"&About";
    file.Items = {open, sep, exit};
    view.Items = {top};
    help.Items = {about};
    AddMenus({file, view, help});

    auto title = At<LabelArgs>(L"lblTitle", 12, 8, 300, 24);
    title.Caption = L"Label: one of each control";
    title.BackStyle = 0;
    title.UseFormFont = false;
    title.Font.Size = 12;
    title.Font.Bold = true;
    Add<Label>(title);

    auto path = At<TextBoxArgs>(L"txtPath", 12, 40, 300, 22);
    path.Text = L"C:\\Movies\\intro.swf";
    Add<TextBox>(path);

    auto loop = At<CheckBoxArgs>(L"chkLoop", 12, 70, 140, 20);
    loop.Caption = L"Check box: &Loop";
    loop.Value = vbChecked;
    Add<CheckBox>(loop);

    auto style = At<ComboBoxArgs>(L"cmbStyle", 160, 68, 152, 0);
    style.Style = 2;
    ComboBox& combo = Add<ComboBox>(style);
    for (const wchar_t* s : {L"Simply Flat", L"Smooth Gradients", L"Glassy Look!"}) combo.AddItem(s);
    combo.SetListIndex(1);

    auto list = At<ListBoxArgs>(L"PlayList", 12, 100, 300, 170);
    list.MultiSelect = 2;
    list.OwnerDraw = true;
    ListBox& pl = Add<ListBox>(list);
    pl.OnDrawItem = [&pl](const DRAWITEMSTRUCT& d) {
      bool sel = d.itemState & ODS_SELECTED;
      COLORREF back = sel ? GetSysColor(COLOR_HIGHLIGHT) : (d.itemID % 2 ? RGB(232, 238, 250) : RGB(255, 255, 255));
      HBRUSH b = CreateSolidBrush(back);
      FillRect(d.hDC, &d.rcItem, b);
      DeleteObject(b);
      RECT icon{d.rcItem.left + 4, d.rcItem.top + 4, d.rcItem.left + 20, d.rcItem.bottom - 4};
      FillRect(d.hDC, &icon, GetSysColorBrush(COLOR_3DSHADOW));
      SetBkMode(d.hDC, TRANSPARENT);
      SetTextColor(d.hDC, GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      RECT r = d.rcItem;
      r.left += 26;
      std::wstring text = pl.List(static_cast<int>(d.itemID));
      DrawTextW(d.hDC, text.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      return true;
    };
    for (const wchar_t* s : {L"List box: owner-drawn rows", L"intro.swf", L"menu.swf", L"clock.swf", L"game.swf"})
      pl.AddItem(s);
    pl.SetSelected(2, true);
    pl.SetSelected(3, true);

    auto play = At<CommandButtonArgs>(L"cbPlay", 12, 280, 90, 28);
    play.Caption = L"&Play";
    play.Default = true;
    Add<CommandButton>(play);
    auto cancel = At<CommandButtonArgs>(L"cbCancel", 110, 280, 90, 28);
    cancel.Caption = L"Cancel";
    cancel.Cancel = true;
    Add<CommandButton>(cancel);

    // A label half under the picture box: windowless controls stay below windowed ones.
    auto under = At<LabelArgs>(L"lblUnder", 300, 8, 80, 40);
    under.Caption = L"under";
    under.BackColor = RGB(255, 220, 120);
    under.Alignment = vbCenter;
    Add<Label>(under);

    auto pic = At<PictureBoxArgs>(L"picStage", 330, 20, 176, 200);
    pic.BorderStyle = 1;
    pic.BackColor = RGB(30, 40, 70);
    stage = &Add<PictureBox>(pic);
    for (int y = 0; y < 200; y += 2)
      stage->Line(0, y, 176, y, RGB(30 + y / 3, 40 + y / 4, 70 + y / 2));
    for (int i = 0; i < 12; ++i) {
      double a = i * 3.14159265 / 6;
      stage->Line(88, 110, 88 + static_cast<int>(60 * std::cos(a)), 110 + static_cast<int>(60 * std::sin(a)),
                  RGB(255, 255, 255));
    }
    stage->Line(20, 160, 60, 190, RGB(255, 80, 80), LineStyle::BoxFilled);
    stage->Line(116, 160, 156, 190, RGB(255, 255, 0), LineStyle::Box);

    auto inside = At<LabelArgs>(L"lblStage", 8, 6, 160, 36);
    inside.Container = stage;
    inside.Caption = L"Picture box drawn in pixels, with a label on it";
    inside.BackStyle = 0;
    inside.ForeColor = RGB(255, 255, 255);
    Add<Label>(inside);

    auto img = At<ImageArgs>(L"imgIcon", 72, 150, 32, 32);
    img.Container = stage;
    img.Picture = forms_test::SolidPicture(32, 32, RGB(0, 200, 120));
    Add<Image>(img);

    auto ticksArgs = At<LabelArgs>(L"lblTicks", 330, 230, 176, 20);
    ticksArgs.Caption = L"Timer: 0 ticks";
    ticksArgs.BorderStyle = 1;
    ticks = &Add<Label>(ticksArgs);
    TimerArgs t;
    t.Name = L"tmrTick";
    t.Interval = 20;
    Timer& timer = Add<Timer>(t);
    timer.OnTimer = [this, &timer] {
      ticks->SetCaption(L"Timer: " + std::to_wstring(++tickCount) + L" ticks");
      if (tickCount == 3) timer.SetEnabled(false);
    };

    auto imgArgs = At<ImageArgs>(L"imgLogo", 330, 258, 176, 50);
    imgArgs.Stretch = true;
    imgArgs.Picture = forms_test::SolidPicture(4, 4, RGB(90, 120, 200));
    Add<Image>(imgArgs);
    auto logo = At<LabelArgs>(L"lblLogo", 330, 272, 176, 20);
    logo.Caption = L"Image (stretched) + label";
    logo.BackStyle = 0;
    logo.Alignment = vbCenter;
    logo.ForeColor = RGB(255, 255, 255);
    Add<Label>(logo);
  }
};

}  // namespace

TEST(DemoForm, ShowsEachControlAndSavesItsPicture) {
  DemoForm f;
  f.Show();
  ASSERT_TRUE(forms_test::PumpUntil([&] { return f.tickCount >= 3; }));
  f.Refresh();
  ASSERT_TRUE(forms_test::SaveWindowShot(f.hWnd(), L"demo-form.bmp"));
  EXPECT_GT(GetFileAttributesW(L"demo-form.bmp"), 0u);
  EXPECT_NE(GetFileAttributesW(L"demo-form.bmp"), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(forms_test::ShownAs(forms_test::ScreenPixel(f.stage->hWnd(), 30, 170), RGB(255, 80, 80)));
  EXPECT_EQ(f.ticks->Caption(), L"Timer: 3 ticks");
  f.Unload();
}
