// A small demonstration form with one of each control, styled in the glassy
// visual style, with the playlist rows, a slide bar, a progress bar at 40 per
// cent and its owner-drawn File menu opened, shown under the test display; its
// picture is saved as demo-form.bmp beside the test program so a person can
// look at it, and the message box with a long prompt and its check box as
// demo-message.bmp.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "DrawTestSupport.h"
#include "FormsTestSupport.h"
#include "base/ErrorLog.h"
#include "platform/forms/Forms.h"
#include "ui/CFormEvents.h"
#include "ui/DrawingModule.h"
#include "ui/OwnerDrawn.h"
#include "ui/SlideBar.h"
#include "ui/SmoothProgress.h"
#include "ui/frmMessage.h"

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
    d.ClientWidth = 700;
    d.ClientHeight = 500;
    d.BorderStyle = vbFixedSingle;
    d.MaxButton = false;
    forms_test::PlaceOutOfTheWay(d, 700, 500 + 40);  // room below for the opened menu
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
    MenuArgs file, open, sep, mloop, shuffle, disabled, exit, view, top, help, about;
    file.Name = L"mnuFile", file.Caption = L"&File";
    open.Name = L"mnuOpen", open.Caption = L"&Open...\tCtrl+O";
    sep.Name = L"mnuSep", sep.Caption = L"-";
    mloop.Name = L"mnuLoop", mloop.Caption = L"&Loop", mloop.Checked = true;
    shuffle.Name = L"mnuShuffle", shuffle.Caption = L"&Shuffle";
    disabled.Name = L"mnuDisabled", disabled.Caption = L"Disabled item", disabled.Enabled = false;
    exit.Name = L"mnuExit", exit.Caption = L"E&xit";
    view.Name = L"mnuView", view.Caption = L"&View";
    top.Name = L"mnuTopMost", top.Caption = L"Always on &Top", top.Checked = true;
    help.Name = L"mnuHelp", help.Caption = L"&Help";
    about.Name = L"mnuAbout", about.Caption = L"&About";
    file.Items = {open, sep, mloop, shuffle, disabled, sep, exit};
    file.Items[5].Name = L"mnuSep2";
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
    // The playlist's rows: striped, the playing one marked.
    static const std::vector<std::wstring> rows = {L"List box - playlist rows", L"C:\\Movies\\intro.swf",
                                                   L"C:\\Movies\\menu.swf",      L"C:\\Movies\\clock.swf",
                                                   L"C:\\Movies\\game.swf",      L"C:\\Movies\\space.swf"};
    pl.OnDrawItem = [](const DRAWITEMSTRUCT& d) {
      DrawPlaylistItem(d, rows, 1);
      return true;
    };
    for (const std::wstring& item : rows) pl.AddItem(item);
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
    CreateRest();
  }

 public:
  // The stage's picture, drawn once the form is styled.
  void DrawStage() {
    for (int y = 0; y < 200; y += 2)
      stage->Line(0, y, 176, y, RGB(30 + y / 3, 40 + y / 4, 70 + y / 2));
    for (int i = 0; i < 12; ++i) {
      double a = i * 3.14159265 / 6;
      stage->Line(88, 110, 88 + static_cast<int>(60 * std::cos(a)), 110 + static_cast<int>(60 * std::sin(a)),
                  RGB(255, 255, 255));
    }
    stage->Line(20, 160, 60, 190, RGB(255, 80, 80), LineStyle::BoxFilled);
    stage->Line(116, 160, 156, 190, RGB(255, 255, 0), LineStyle::Box);
  }

 private:
  void CreateRest() {
    auto inside = At<LabelArgs>(L"lblStage", 8, 6, 160, 36);
    inside.Container = stage;  // (in CreateControls, after the picture box)
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

namespace {

// Puts back what the demonstration changes of the program-wide state.
struct DemoState {
  draw_test::PictureFolders pictures;
  draw_test::StyleScope glassy{2};
  HWND mainForm = MainForm;
  int check = MessageForm().CheckValue;
  ~DemoState() {
    MainForm = mainForm;
    InitMenuCaptionCache();
    MessageForm().CheckValue = check;
  }
};

// Saves what the screen shows of a rectangle as a 24-bit BMP.
bool SaveScreenArea(const RECT& r, const std::wstring& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  ScopedWindowDC screen(nullptr);
  ScopedMemoryDC mem(screen.get());
  ScopedBitmap bmp(CreateCompatibleBitmap(screen.get(), w, h));
  std::vector<BYTE> bits(static_cast<size_t>((w * 3 + 3) & ~3) * h);
  BITMAPINFOHEADER bi{sizeof(bi), w, h, 1, 24, BI_RGB};
  {
    ScopedSelect select(mem.get(), bmp.get());
    BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  }
  GetDIBits(mem.get(), bmp.get(), 0, h, bits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(bits.size());
  std::vector<uint8_t> file(reinterpret_cast<uint8_t*>(&fh), reinterpret_cast<uint8_t*>(&fh) + sizeof(fh));
  file.insert(file.end(), reinterpret_cast<uint8_t*>(&bi), reinterpret_cast<uint8_t*>(&bi) + sizeof(bi));
  file.insert(file.end(), bits.begin(), bits.end());
  ScopedHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return out && WriteFile(out.get(), file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
         written == file.size();
}

// While the File menu is open: the form and the menu's window in one picture.
DemoForm* shotForm = nullptr;
bool menuShot = false;
void CALLBACK ShootOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
  GdiFlush();
  RECT form{}, popup{}, both{};
  GetWindowRect(shotForm->hWnd(), &form);
  GetWindowRect(menu, &popup);
  UnionRect(&both, &form, &popup);
  menuShot = SaveScreenArea(both, L"demo-form.bmp");
  EndMenu();
}

}  // namespace

TEST(DemoForm, ShowsEachControlStyledWithTheDrawnControlsAndSavesItsPicture) {
  DemoState state;
  MenuTexts texts;
  DemoForm f;
  f.Show();
  MainForm = f.hWnd();
  ASSERT_TRUE(forms_test::PumpUntil([&] { return f.tickCount >= 3; }));

  // The form in the glassy style with a footer band, then the drawn controls on it.
  StyleForm(f, 440, false);
  DrawSeparatorLine(f, 440);
  f.DrawStage();
  SlideBar slides(f, {L"sldPages", nullptr, 12, 330, 676, 84});
  const wchar_t* pages[][2] = {{L"Movie", L"swf"}, {L"Information", L"info"}, {L"Options", L"system"},
                               {L"Pictures", L"image"}, {L"Folders and favourites", L"folder"}};
  for (auto& page : pages) slides.AddPanel(page[0], page[1]);
  slides.Create();
  slides.ClickItem(1);
  for (int i = 0; i < 50 && (slides.Animating() || slides.Sliding()); ++i) slides.StateTick();
  SmoothProgress progress(f, {L"prgDemo", nullptr, 12, 448, 676, 16});
  progress.SetCaption(L"Extracting intro.swf - 40 %");
  progress.SetStatus(0.4f);
  EXPECT_EQ(progress.FillWidth(), 270);

  // The menus owner-drawn through the form's hook, and the File menu opened.
  CFormEvents hook;
  ASSERT_TRUE(hook.SetHookedForm(&f));
  InstallOwnerDrawHooks(hook.OwnerDraw, texts);
  InitMenuCaptionCache();
  texts.Icons[L"&Loop"] = L"check";
  texts.Icons[L"&Shuffle"] = L"radio";
  texts.Icons[L"&Open..."] = L"play";
  MakeMenuBarOwnerDrawn(texts, f);
  f.Refresh();
  forms::DoEvents();
  shotForm = &f;
  menuShot = false;
  SetTimer(nullptr, 0, 20, ShootOpenMenu);
  RECT bar{};
  GetMenuItemRect(f.hWnd(), GetMenu(f.hWnd()), 0, &bar);
  f.PopupMenu(*f.FindMenu(L"mnuFile"), bar.left, bar.bottom);
  EXPECT_TRUE(menuShot);
  EXPECT_TRUE(forms_test::ShownAs(forms_test::ScreenPixel(f.stage->hWnd(), 30, 170), RGB(255, 80, 80)));
  EXPECT_EQ(f.ticks->Caption(), L"Timer: 3 ticks");
  hook.SetHookedForm(nullptr);
  f.Unload();
}

namespace {

void CALLBACK ShootMessage(HWND, UINT, UINT_PTR id, DWORD) {
  frmMessage& m = MessageForm();
  if (!m.IsLoaded() || !IsWindowVisible(m.hWnd())) return;
  KillTimer(nullptr, id);
  SetWindowPos(m.hWnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  m.chkCheck->SetValue(vbChecked);
  menuShot = forms_test::SaveWindowShot(m.hWnd(), L"demo-message.bmp");
  m.cbSecondButton->PerformClick();
}

}  // namespace

TEST(DemoForm, SavesThePictureOfAMessageWithALongPromptAndACheckBox) {
  DemoState state;
  Form owner(L"frmOwner");
  owner.Load();
  menuShot = false;
  SetTimer(nullptr, 0, 20, ShootMessage);
  int check = 0;
  const bool answer = ShowMessage(owner,
                                  L"The movie \"intro.swf\" is already in the folder you chose. Its copy there is "
                                  L"older than the one you are saving.\r\n\r\nDo you want to replace it with the "
                                  L"movie you are saving now? The older copy goes to the Recycle Bin.",
                                  L"Replace the movie?", L"question", L"Keep both", L"Replace", L"", L"replace", check);
  EXPECT_TRUE(menuShot);
  EXPECT_TRUE(answer);
  EXPECT_EQ(check, 1);
  owner.Unload();
}
