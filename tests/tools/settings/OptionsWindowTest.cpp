// The options dialog as a window: the page it opens on (and its pictures),
// every control of its table showing its option and saving it back with its
// registry type, Cancel, the boxes' Validate and the skin's mark.
#include <gtest/gtest.h>
#include <windows.h>

#include "FormsTestSupport.h"
#include "ToolsTestSupport.h"
#include "platform/forms/Forms.h"
#include "player/start/OptionStore.h"
#include "services/ShellMod.h"
#include "tools/settings/frmOptions.h"
#include "ui/DrawingModule.h"

using namespace tools;
using testing_support::TempDir;

namespace {

// The dialog's controls and the values they stand for (numbers stored as
// REG_DWORD, the rest as text): the first value is read at start-up, the
// second put in by the user.
struct Row {
  const wchar_t *control, *section, *value;
  bool number;
  std::wstring first, second;
};

std::vector<Row> Table(const TempDir& temp) {
  return {
      {L"chkScreenSaver", L"System", L"DisableScreenSaver", false, L"True", L"False"},
      {L"chkInstance", L"System", L"OneInstance", false, L"False", L"True"},
      {L"cmbCache", L"System", L"CacheMode", true, L"2", L"0"},
      {L"chkFlash", L"FileTypes", L"SWF", false, L"False", L"True"},
      {L"chkVideo", L"FileTypes", L"FLV", false, L"True", L"False"},
      {L"chkPlaylist", L"FileTypes", L"PL", false, L"False", L"True"},
      {L"txtMyFlash", L"Recent", L"MyFlash", false, temp.File(L"One\\"), temp.File(L"Two\\")},
      {L"txtFrom", L"Thumbnails", L"SampleFrom", true, L"20", L"25"},
      {L"txtTo", L"Thumbnails", L"SampleTo", true, L"70", L"75"},
      {L"chkHQShots", L"Thumbnails", L"HQShots", false, L"False", L"True"},
      {L"txtQuality", L"Thumbnails", L"ShotJpeg", true, L"60", L"80"},
      {L"chkStore", L"Thumbnails", L"Satellite", false, L"True", L"False"},
      {L"cmbSkinColor", L"Window", L"SkinColor", true, L"1", L"0"},
      {L"cmbStyle", L"Window", L"Style", true, L"2", L"0"},
      {L"chkCrop", L"Window", L"Crop", false, L"False", L"True"},
      {L"txtFont", L"Window", L"FontName", false, L"Courier New", L"Tahoma"},
      {L"chkRemoveProj", L"System", L"RemoveProjectors", false, L"True", L"False"},
      {L"chkCentered", L"Window", L"Centered", false, L"False", L"True"},
      {L"chkMRU", L"Recent", L"History", false, L"False", L"True"},
      {L"chkProjector", L"System", L"GenericProjectors", false, L"False", L"True"},
      {L"chkFSCommand", L"System", L"FSCommand", false, L"False", L"True"},
  };
}

void Store(const Row& r, const std::wstring& v) {
  if (r.number)
    SaveRegLong(r.section, r.value, std::stol(v));
  else
    SaveRegString(r.section, r.value, v);
}

// What the start-up reads: the option set, and the values it reads itself.
void ReadAsStartUp() {
  player::OptionSet& o = player::Options();
  player::ReadOptionSet(o, L"1-1-2000");
  o.OneInstance = GetRegBool(L"System", L"OneInstance", true);
  o.VisualStyle = static_cast<uint8_t>(GetRegLong(L"Window", L"Style", 1));
  LangFont.Name = GetRegString(L"Window", L"FontName", LangFont.Name);
}

std::wstring Shown(frmOptions& w, const Row& r) {
  forms::Control* c = w.FindControl(r.control);
  if (auto* check = dynamic_cast<forms::CheckBox*>(c)) return check->Value() ? L"True" : L"False";
  if (auto* combo = dynamic_cast<forms::ComboBox*>(c)) return std::to_wstring(combo->ListIndex());
  if (auto* text = dynamic_cast<forms::TextBox*>(c)) return text->Text();
  return L"(no control)";
}

void Enter(frmOptions& w, const Row& r, const std::wstring& v) {
  forms::Control* c = w.FindControl(r.control);
  if (auto* check = dynamic_cast<forms::CheckBox*>(c)) check->SetValue(v == L"True");
  if (auto* combo = dynamic_cast<forms::ComboBox*>(c)) combo->SetListIndex(std::stoi(v));
  if (auto* text = dynamic_cast<forms::TextBox*>(c)) text->SetText(v);
}

forms::TextBox& Box(frmOptions& w, const wchar_t* name) { return *w.Find<forms::TextBox>(name); }

class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override { OptionsWindow().SetHost(&host); }
  void TearDown() override {
    OptionsWindow().Close();
    OptionsWindow().SetHost(nullptr);
  }
  frmOptions& Open() {
    frmOptions& w = OptionsWindow();
    w.Load();
    return w;
  }
  // Opened, with every page visited once (a page's controls are made when it first shows).
  frmOptions& OpenEveryPage() {
    frmOptions& w = Open();
    const int first = w.Pages()->Shown();
    for (int i = 0; i < w.Pages()->Count(); ++i) w.OptSlideBar_Click(i);
    w.OptSlideBar_Click(first);
    return w;
  }
  tools_test::ProgramState state;
  tools_test::RecordingHost host;
};

}  // namespace

TEST_F(OptionsDialog, OpensOnTheStoredPageOrTheFirstAndIsPicturedInTheGradientStyle) {
  VisualStyle = 1;
  struct Case {
    int stored, page;
    const wchar_t* picture;  // saved for a person to look at
  };
  for (const Case& c : {Case{2, 2, L"options-thumbnails.bmp"}, Case{9, 0, L"options-general.bmp"}, Case{3, 3, nullptr}}) {
    player::Options().OptionsPage = static_cast<uint8_t>(c.stored);
    frmOptions& w = Open();
    EXPECT_EQ(w.Pages()->Shown(), c.page);
    EXPECT_EQ(w.Pages()->Bar().Selected(), c.page);
    for (int i = 0; i < w.Pages()->Count(); ++i) EXPECT_EQ(w.Pages()->Page(i).Visible(), i == c.page) << i;
    EXPECT_EQ(w.ScaleHeight(), w.Pages()->Page(c.page).Height() + 140);
    if (c.picture) {
      w.Show();
      SetWindowPos(w.hWnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE);
      EXPECT_TRUE(tools_test::PumpUntilStill(w.hWnd(), w.Pages()->Bar()));
      EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), c.picture));
    }
    w.Close();
  }
}

TEST_F(OptionsDialog, EveryControlShowsItsOptionAndSaveWritesItBackWithItsType) {
  TempDir temp;
  const std::vector<Row> table = Table(temp);
  for (const Row& r : table) Store(r, r.first);
  for (const wchar_t* folder : {L"One", L"Two"}) CreateDirectoryW(temp.File(folder).c_str(), nullptr);
  ReadAsStartUp();

  frmOptions& w = OpenEveryPage();
  for (const Row& r : table) EXPECT_EQ(Shown(w, r), r.first) << r.control;
  for (const Row& r : table) Enter(w, r, r.second);
  w.Find<forms::CommandButton>(L"cbOK")->PerformClick();
  EXPECT_FALSE(w.IsLoaded());

  for (const Row& r : table) {
    const std::optional<RegRawValue> v = tools_test::Stored(r.section, r.value);
    ASSERT_TRUE(v.has_value()) << r.control;
    if (r.number) {
      ASSERT_EQ(v->Type, static_cast<DWORD>(REG_DWORD)) << r.control;
      EXPECT_EQ(*reinterpret_cast<const DWORD*>(v->Data.data()), static_cast<DWORD>(std::stoul(r.second))) << r.control;
    } else {
      EXPECT_EQ(v->Type, static_cast<DWORD>(REG_SZ)) << r.control;
      EXPECT_EQ(RegRawText(*v), r.second) << r.control;
    }
  }
  EXPECT_EQ(host.calls.back(), L"RefreshFont");
}

TEST_F(OptionsDialog, CancelAfterChangingEveryControlChangesNothing) {
  TempDir temp;
  player::Options().MyFlashFolder = temp.File(L"One\\");
  SaveRegLong(L"View", L"ThemeHash", 77);
  player::OptionSet before = player::Options();
  const InterfaceFont font = LangFont;

  frmOptions& w = OpenEveryPage();
  for (const Row& r : Table(temp)) Enter(w, r, r.second);
  w.Find<forms::CommandButton>(L"cbCancel")->PerformClick();
  EXPECT_FALSE(w.IsLoaded());
  before.OptionsPage = player::Options().OptionsPage;  // the page last used is kept
  EXPECT_TRUE(player::Options() == before);
  for (const Row& r : Table(temp)) EXPECT_FALSE(tools_test::Stored(r.section, r.value)) << r.control;
  EXPECT_EQ(GetRegLong(L"View", L"ThemeHash", -1), 77);
  EXPECT_EQ(LangFont.Name, font.Name);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(OptionsDialog, BoxesAreClampedWhenLeftAndSaveKeepsToAboveFromAndResetsTheSkinsMark) {
  struct Step {
    const wchar_t *control, *text;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;  // each typed, then the box left (Validate)
    const wchar_t *from, *to, *quality;  // the boxes afterwards
    int savedFrom, savedTo, savedQuality;
  };
  const Case cases[] = {
      {"nothing typed", {}, L"30", L"50", L"90", 30, 50, 90},
      {"150 in To", {{L"txtTo", L"150"}}, L"30", L"100", L"90", 30, 100, 90},
      {"-5 in quality", {{L"txtQuality", L"-5"}}, L"30", L"50", L"0", 30, 50, 0},
      {"From 60 then To 40", {{L"txtFrom", L"60"}, {L"txtTo", L"40"}}, L"60", L"60", L"90", 60, 60, 90},
      {"To 40 then From 60", {{L"txtTo", L"40"}, {L"txtFrom", L"60"}}, L"60", L"40", L"90", 60, 60, 90},
      {"abc in quality", {{L"txtQuality", L"abc"}}, L"30", L"50", L"abc", 30, 50, 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    player::OptionSet& o = player::Options();
    o.SampleFrom = 30, o.SampleTo = 50, o.ShotJpeg = 90, o.OptionsPage = 2;
    SaveRegLong(L"View", L"ThemeHash", 12345);
    frmOptions& w = Open();
    for (const Step& s : c.steps) {
      Box(w, s.control).SetText(s.text);
      EXPECT_TRUE(Box(w, s.control).RaiseValidate());
    }
    EXPECT_EQ(Box(w, L"txtFrom").Text(), c.from);
    EXPECT_EQ(Box(w, L"txtTo").Text(), c.to);
    EXPECT_EQ(Box(w, L"txtQuality").Text(), c.quality);
    w.cbOK_Click();
    EXPECT_EQ(o.SampleFrom, c.savedFrom);
    EXPECT_EQ(o.SampleTo, c.savedTo);
    EXPECT_EQ(o.ShotJpeg, c.savedQuality);
    EXPECT_EQ(GetRegLong(L"Thumbnails", L"SampleTo", -1), c.savedTo);
    // Every Save marks the built-in skin's pictures for making again.
    const std::optional<RegRawValue> hash = tools_test::Stored(L"View", L"ThemeHash");
    ASSERT_TRUE(hash && hash->Type == REG_DWORD);
    EXPECT_EQ(GetRegLong(L"View", L"ThemeHash", -1), 0);
  }
}
