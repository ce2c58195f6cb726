// The thumbnail generator's window: its boxes' rules and the settings they
// edit, the help of its second page, a run from the Generate button (with its
// pictures taken during the run), Stop, Enter on the summary (which closes
// it), and the script's Generate (refused during a run without a trace).
#include <gtest/gtest.h>
#include <windows.h>

#include "FormsTestSupport.h"
#include "ImageTestSupport.h"
#include "PlayerFakes.h"
#include "ToolsTestSupport.h"
#include "moviefiles/MovieBytes.h"
#include "platform/forms/Forms.h"
#include "player/commands/ToolOperations.h"
#include "services/ShellMod.h"
#include "tools/thumbnails/frmGenerator.h"
#include "ui/DrawingModule.h"
#include "ui/SmoothProgress.h"
#include "ui/frmFlashShot.h"
#include "ui/frmMessage.h"

using namespace tools;
using testing_support::TempDir;

namespace {

class GeneratorWindow_ : public ::testing::Test {
 protected:
  void SetUp() override {
    player::Options().Generator = player::GeneratorSettings{};
    player::Options().Generator.Show = true;
    preview = GeneratorWindow().Maker().Preview;
  }
  void TearDown() override {
    GeneratorWindow().Close();
    GeneratorWindow().Maker().Preview = preview;
    GeneratorWindow().SummaryBox = nullptr;
    ResetShellSeam();
    frmFlashShot.Unload();
  }
  frmGenerator& Open() {
    frmGenerator& w = GeneratorWindow();
    w.Load();
    return w;
  }
  template <class T>
  T& Get(const wchar_t* name) {
    return *GeneratorWindow().Find<T>(name);
  }
  // Three small movies in a folder.
  std::wstring Movies() {
    moviebytes::Movie m;
    m.rect = moviebytes::Rect(0, 200 * 20, 0, 150 * 20);
    m.tags = {moviebytes::BackgroundTag(0x30, 0x90, 0xE0), moviebytes::ShowFrame(), moviebytes::EndTag()};
    for (const wchar_t* name : {L"one.swf", L"two.swf", L"three.swf"}) testing_support::WriteBytes(dir.File(name), m.Plain());
    return dir.Path();
  }
  tools_test::ProgramState state;
  TempDir dir;
  std::function<void(const cDIBSection&)> preview;
};

}  // namespace

TEST_F(GeneratorWindow_, BoxesKeepTheirRangesAndEditTheSettings) {
  frmGenerator& w = Open();
  player::GeneratorSettings& g = player::Options().Generator;
  struct Case {
    const wchar_t* box;
    const wchar_t* typed;
    const wchar_t* shown;  // after leaving the box
  };
  for (const Case& c : {Case{L"txtWidth", L"0", L"1"}, Case{L"txtHeight", L"50000", L"4096"},
                        Case{L"txtQuality", L"250", L"100"}, Case{L"txtQuality", L"-3", L"0"},
                        Case{L"txtColor", L"#ff00aa", L"ff00aa"}}) {
    forms::TextBox& box = Get<forms::TextBox>(c.box);
    box.SetText(c.typed);
    box.RaiseValidate();
    EXPECT_EQ(box.Text(), c.shown) << c.box;
  }
  EXPECT_EQ(std::tuple(g.Width, g.Height, g.Quality, g.BackColor), std::tuple(1L, 4096L, 0L, std::wstring(L"ff00aa")));
  forms::ComboBox& percent = Get<forms::ComboBox>(L"cmbSize");
  percent.SetText(L"0");
  percent.RaiseValidate();
  EXPECT_EQ(percent.Text(), L"1");

  // The option buttons choose the size kind and enable their boxes.
  w.Array<forms::OptionButton>(L"optSize")[1].SetValue(true);
  EXPECT_FALSE(g.Size);
  EXPECT_FALSE(Get<forms::TextBox>(L"txtWidth").Enabled());
  EXPECT_TRUE(Get<forms::ComboBox>(L"cmbSize").Enabled());
  Get<forms::CheckBox>(L"chkInfo").SetValue(1);
  EXPECT_TRUE(g.Info);

  forms::TextBox& source = Get<forms::TextBox>(L"txtSource");
  source.SetText(L"");
  EXPECT_FALSE(Get<forms::CommandButton>(L"cbGo").Enabled());
  source.SetText(L"C");
  EXPECT_TRUE(Get<forms::CommandButton>(L"cbGo").Enabled());
  EXPECT_EQ(g.Source, L"C");

  // Opened again, the window shows the settings as left; the second page's help.
  w.Close();
  Open();
  EXPECT_EQ(Get<forms::TextBox>(L"txtColor").Text(), L"ff00aa");
  EXPECT_TRUE(GeneratorWindow().Array<forms::OptionButton>(L"optSize")[1].Value());
  std::vector<std::wstring> opened;
  CurrentShell().open = [&](const std::wstring& file, const std::wstring&) -> intptr_t {
    opened.push_back(file);
    return 33;
  };
  w.Pages()->Bar().ClickItem(1);
  Get<forms::CommandButton>(L"cbHelp").PerformClick();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_NE(opened[0].find(L"thumbnail-generator-advanced"), std::wstring::npos) << opened[0];
  VisualStyle = 1;
  w.Show();
  SetWindowPos(w.hWnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE);
  EXPECT_TRUE(tools_test::PumpUntilStill(w.hWnd(), w.Pages()->Bar()));
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"generator-advanced.bmp"));
}

TEST_F(GeneratorWindow_, GenerateRunsWithPreviewAndBarThenComesBackAndStopEndsARun) {
  player::Options().Generator.Source = Movies();
  player::Options().Generator.Color = false;  // the movies' own blue in the preview
  VisualStyle = 1;
  frmGenerator& w = Open();
  w.Show();
  SetWindowPos(w.hWnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE);
  int previews = 0;
  bool pictured = false;
  SnapshotThumbnails& maker = w.Maker();
  auto shown = maker.Preview;
  maker.Preview = [&](const cDIBSection& picture) {
    shown(picture);
    if (++previews != 2) return;
    // During the run: the first page, the preview showing a thumbnail, the bar a third filled.
    EXPECT_TRUE(Get<forms::PictureBox>(L"picSample").Visible());
    EXPECT_FALSE(Get<forms::TextBox>(L"txtSource").Visible());
    EXPECT_FALSE(Get<forms::CommandButton>(L"cbGo").Enabled());
    EXPECT_TRUE(Get<forms::CommandButton>(L"cbCancel").Visible());
    EXPECT_GT(w.Progress()->FillWidth(), 0);
    EXPECT_TRUE(tools_test::PumpUntilStill(w.hWnd(), w.Pages()->Bar()));
    pictured = tools_test::SavePicture(w.hWnd(), L"generator.bmp");
  };
  std::vector<std::wstring> summaries;
  w.SummaryBox = [&](const std::wstring& text, bool) {
    summaries.push_back(text);
    return false;
  };
  w.Pages()->Bar().ClickItem(1);
  Get<forms::CommandButton>(L"cbGo").PerformClick();
  EXPECT_TRUE(pictured);
  EXPECT_EQ(w.Pages()->Shown(), 0);
  ASSERT_EQ(summaries.size(), 1u);
  EXPECT_EQ(summaries[0].rfind(L"Thumbnail Generation Complete!\r\n\r\nThumbnails created: 3\r\n", 0), 0u);
  EXPECT_TRUE(Get<forms::TextBox>(L"txtSource").Visible());
  EXPECT_FALSE(Get<forms::PictureBox>(L"picSample").Visible());
  EXPECT_TRUE(Get<forms::CommandButton>(L"cbGo").Enabled());
  EXPECT_TRUE(Get<forms::CommandButton>(L"cbDone").Visible());

  // Stop during the first thumbnail: the run ends after it; Close during a run waits for its end.
  previews = 5;
  maker.Preview = [&](const cDIBSection& picture) {
    shown(picture);
    Get<forms::CommandButton>(L"cbCancel").PerformClick();
    w.Unload();
  };
  Get<forms::CommandButton>(L"cbGo").PerformClick();
  EXPECT_TRUE(w.LastOutcome().Cancelled);
  EXPECT_EQ(w.LastOutcome().ThumbsCreated, 1);
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_EQ(summaries.size(), 1u) << "no summary after the window was closed";

  // The script's Generate: no summary, the window closed, AutoMode cleared.
  maker.Preview = shown;
  const size_t before = summaries.size();
  w.Generate(player::Options().Generator);
  EXPECT_EQ(summaries.size(), before);
  EXPECT_FALSE(w.AutoMode);
  EXPECT_FALSE(w.IsLoaded());
  EXPECT_EQ(w.LastOutcome().ThumbsCreated, 3);
}

namespace {

// The script's host, whose Generate reaches the window at once.
struct GeneratingHost : player_test::FakeHost {
  void RunGenerator(const player::GeneratorSettings& settings) override { GeneratorWindow().Generate(settings); }
};

}  // namespace

TEST_F(GeneratorWindow_, AScriptsGenerateDuringARunChangesNothing) {
  player::GeneratorSettings& g = player::Options().Generator;
  g.Source = Movies();
  g.Width = 120, g.Height = 90, g.Quality = 90, g.Overwrite = true;
  const player::GeneratorSettings before = g;
  frmGenerator& w = Open();
  w.Show();
  GeneratingHost host;
  const std::wstring other = dir.File(L"other");
  bool asked = false;
  SnapshotThumbnails& maker = w.Maker();
  auto shown = maker.Preview;
  maker.Preview = [&](const cDIBSection& picture) {
    shown(picture);
    if (asked) return;
    asked = true;
    player::Generate(host, 50, 50, other, 80, false);
  };
  w.SummaryBox = [](const std::wstring&, bool) { return false; };
  Get<forms::CommandButton>(L"cbGo").PerformClick();
  ASSERT_TRUE(asked);
  EXPECT_EQ(w.LastOutcome().ThumbsCreated, 3);
  EXPECT_TRUE(g == before) << "the option set as it was";
  EXPECT_EQ(Get<forms::TextBox>(L"txtWidth").Text(), L"120");
  EXPECT_EQ(Get<forms::TextBox>(L"txtSource").Text(), before.Source);
  for (const wchar_t* name : {L"one.jpg", L"two.jpg", L"three.jpg"}) {
    const imgtest::Image img = imgtest::WicDecode(dir.File(name));
    EXPECT_EQ(std::pair(img.width, img.height), std::pair(120, 90)) << name;
  }

  // Taken when no run goes on: the settings are the generator's, shown and used.
  maker.Preview = shown;
  player::Generate(host, 60, 40, dir.Path(), 80, true);
  EXPECT_EQ(std::tuple(g.Width, g.Height, g.Quality), std::tuple(60L, 40L, 80L));
  EXPECT_EQ(imgtest::WicDecode(dir.File(L"one.jpg")).width, 60);
  EXPECT_FALSE(w.IsLoaded());
}

TEST_F(GeneratorWindow_, EnterOnTheSummaryClosesItWithoutOpeningTheFolder) {
  player::Options().Generator.Source = Movies();
  player::Options().Generator.Show = false;
  std::vector<std::wstring> opened;
  CurrentShell().open = [&](const std::wstring& file, const std::wstring& verb) -> intptr_t {
    opened.push_back(verb + L" " + file);
    return 33;
  };
  frmGenerator& w = Open();
  w.Show();
  bool offered = false;
  forms_test::OnceShown(MessageForm(), [&] {
    offered = MessageForm().cbSecondButton->Visible();
    forms_test::Press(MessageForm(), VK_RETURN);
  });
  Get<forms::CommandButton>(L"cbGo").PerformClick();
  EXPECT_TRUE(offered) << "Show Files is offered";
  EXPECT_FALSE(MessageForm().IsLoaded());
  EXPECT_EQ(w.LastOutcome().ThumbsCreated, 3);
  EXPECT_TRUE(opened.empty()) << "no Explorer window";
}
