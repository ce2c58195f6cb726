// The menu tree and its commands: a command for every item, the design
// states, the items that refuse while disabled (whoever asks), the skin's
// picture buttons, the menu icons by caption, the language switch and the
// volume step.
#include <gtest/gtest.h>

#include <set>

#include "CommandFakes.h"
#include "player/commands/HotKeys.h"
#include "player/commands/MenuIconMap.h"

using namespace player_test;
using Names = std::set<std::wstring>;

namespace {

std::wstring Key(const forms::MenuArgs& m) { return m.Index >= 0 ? m.Name + L"(" + std::to_wstring(m.Index) + L")" : m.Name; }

class Commands : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    host.control.total = 10;
  }
  // The calls a command made, run afresh.
  Calls Run(const std::wstring& item, int index = -1) {
    host.calls.clear();
    EXPECT_TRUE(player::RunMenuCommand(commands, item, index)) << item;
    return host.calls;
  }
  // A readable movie as the player's current one.
  void LoadCurrent() {
    const std::wstring movie = WriteMovie(L"current.swf");
    ASSERT_EQ(GetSWFInfo(movie, host.state.CurrentSWFInfo, false), L"");
  }

  FakeCommands commands{host};
};

}  // namespace

TEST_F(Commands, EveryItemOfTheTreeHasACommandAndTheDesignStatesAreAsDrawn) {
  Names hidden, marked, disabled, tagged;
  WalkMenus(player::PlayerMenuDesign(), L"", [&](const forms::MenuArgs& m, const std::wstring&) {
    if (!m.Visible) hidden.insert(Key(m));
    if (m.Checked) marked.insert(Key(m));
    if (!m.Enabled) disabled.insert(Key(m));
    if (!m.Tag.empty()) tagged.insert(Key(m) + L"=" + m.Tag);
    if (m.Items.empty() && m.Caption != L"-") {
      EXPECT_TRUE(player::HasMenuCommand(m.Name)) << m.Name;
    } else if (m.Index < 0) {  // sub-menus and separators (not the quality list's)
      EXPECT_FALSE(player::HasMenuCommand(m.Name)) << m.Name;
    }
  });
  EXPECT_EQ(hidden, (Names{L"mnuDownload", L"mnuConvert", L"mnuSepVisibility", L"mnuOpacity", L"mnuSkin",
                           L"mnuShowOther", L"mnuFavList(0)", L"mnuSepLang", L"PopUp", L"mnuPopConvert", L"PupItem"}));
  EXPECT_EQ(marked, (Names{L"mnuPlaylist", L"mnuMenuBar", L"mnuZoom100", L"mnuShowMovie", L"mnuShowProjector",
                           L"mnuShowVideo", L"mnuShowFolder", L"mnuSortDate", L"mnuSortForward", L"mnuTips"}));
  EXPECT_EQ(disabled, (Names{L"mnuDownload", L"mnuMRU(0)", L"mnuFavList(0)"}));
  EXPECT_EQ(tagged,
            (Names{L"mnuQLvl(0)=High", L"mnuQLvl(1)=Medium", L"mnuQLvl(2)=Low", L"mnuQLvl(3)=-",
                   L"mnuQLvl(4)=AutoHigh", L"mnuQLvl(5)=AutoLow", L"mnuBrowse=!PLAYER/MNUBROWSE",
                   L"mnuShowMovie=!BROWSEMEDIA/STRMOVIE", L"mnuShowProjector=!BROWSEMEDIA/STRPROJECTOR",
                   L"mnuShowVideo=!BROWSEMEDIA/STRVIDEO", L"mnuSortName=Name", L"mnuSortType=Type",
                   L"mnuSortSize=Size", L"mnuSortDate=Date", L"mnuPopStop=!PLAYER/MNUSTOP",
                   L"mnuPopMute=!PLAYER/MNUMUTE", L"mnuPopFullScreen=!PLAYER/MNUFULLSCREEN",
                   L"mnuPopBrowse=!PLAYER/MNUBROWSE", L"mnuPopInfo=!PLAYER/MNUINFO", L"mnuPopOpen=!PLAYER/MNUOPEN",
                   L"mnuPopConvert=!PLAYER/MNUCONVERT", L"mnuPopAbout=!PLAYER/MNUABOUT", L"mnuPopExit=!PLAYER/MNUEXIT",
                   L"mnuFolderBrowse=!PLAYER/MNUBROWSE", L"mnuMoviePlay=!PLAYER/MNUPLAY",
                   L"mnuItemAdd=!PLAYER/ADDTOPL", L"mnuItemShow=!PLAYER/MNUSHOWEXPLORER",
                   L"mnuMovieInfo=!PLAYER/MNUINFO", L"mnuMovieConvert=!PLAYER/MNUSAVEAS",
                   L"mnuFolderGenerator=!PLAYER/MNUGENERATOR", L"mnuMovieExtract=!PLAYER/MNUEXTRACT",
                   L"mnuMovieSaver=!PLAYER/MNUSCREENSAVER"}));
}

TEST_F(Commands, TheGuardedItemsRefuseWhileDisabledThroughTheMenuHotKeysAndSkinButtons) {
  LoadCurrent();
  const Names guarded{L"mnuDesktop", L"mnuExtract",   L"mnuGenerator", L"mnuConvert",   L"mnuInfo",
                      L"mnuShowExplorer", L"mnuSavePL", L"mnuScreenSaver", L"mnuThumbnail", L"mnuMoveUp",
                      L"mnuMoveDown", L"mnuRemove"};
  WalkMenus(player::PlayerMenuDesign(), L"", [&](const forms::MenuArgs& m, const std::wstring&) {
    EXPECT_EQ(player::ChecksEnabled(m.Name), guarded.count(m.Name) == 1) << m.Name;
  });
  // Each way in, enabled and then disabled: the first acts, the second does nothing.
  struct Way {
    std::wstring item;
    std::function<void()> ask;
  };
  std::vector<Way> ways;
  for (const std::wstring& item : guarded)
    ways.push_back({item, [this, item] { player::RunMenuCommand(commands, item); }});
  ways.push_back({L"mnuInfo", [this] { player::HotKeyAction(commands, 1); }});
  ways.push_back({L"mnuThumbnail", [this] { player::HotKeyAction(commands, 22); }});
  ways.push_back({L"mnuRemove", [this] { player::PIC_Click(commands, L"31"); }});
  ways.push_back({L"mnuMoveUp", [this] { player::PIC_Click(commands, L"32"); }});
  ways.push_back({L"mnuMoveDown", [this] { player::PIC_Click(commands, L"33"); }});
  for (const Way& way : ways) {
    for (bool enabled : {true, false}) {
      host.SetEnabled(way.item, enabled);
      host.calls.clear();
      way.ask();
      const size_t made = std::count_if(host.calls.begin(), host.calls.end(),
                                        [](const std::wstring& c) { return c.rfind(L"Click ", 0) != 0; });
      EXPECT_EQ(made > 0, enabled) << way.item;
    }
  }

  // Hide User Interface does nothing in full screen.
  host.SetChecked(L"mnuFullScreen", true, -1);
  EXPECT_TRUE(Run(L"mnuHideUI").empty());
  host.SetChecked(L"mnuFullScreen", false, -1);
  EXPECT_EQ(Run(L"mnuHideUI"), (Calls{L"FullScreen True"}));
}

TEST_F(Commands, TheMovieToolsOpenOverTheirOwnFullReadOfTheMovie) {
  // The player's movie: each tool gets a copy read in full; the player's record stays as it was.
  LoadCurrent();
  const SWFInfo playing = host.state.CurrentSWFInfo;
  const std::pair<const wchar_t*, const wchar_t*> tools[] = {{L"mnuExtract", L"frmDecompiler"},
                                                             {L"mnuDesktop", L"frmDesktop"}};
  for (const auto& [item, form] : tools) {
    host.formMovies.clear();
    EXPECT_EQ(Run(item), (Calls{std::wstring(L"ShowForm ") + form + L" 0"}));
    ASSERT_EQ(host.formMovies.size(), 1u) << item;
    EXPECT_EQ(host.formMovies[0].FrameCount, playing.FrameCount) << item;
    EXPECT_FALSE(host.formMovies[0].Path.empty()) << item;
  }
  EXPECT_EQ(host.state.CurrentSWFInfo.RequestedPath, playing.RequestedPath);
  EXPECT_EQ(host.state.CurrentSWFInfo.Path, playing.Path);

  // An item of the browser: the extractor gets that file, not the player's.
  host.state.PopupPath = WriteMovie(L"other.swf", playing.FrameCount + 5);
  host.formMovies.clear();
  EXPECT_EQ(Run(L"mnuMovieExtract"), (Calls{L"ShowForm frmDecompiler 0"}));
  ASSERT_EQ(host.formMovies.size(), 1u);
  EXPECT_EQ(host.formMovies[0].FrameCount, playing.FrameCount + 5);
  EXPECT_EQ(host.state.CurrentSWFInfo.Path, playing.Path);

  // No movie that reads: no window.
  host.state.CurrentSWFInfo = SWFInfo{};
  host.formMovies.clear();
  EXPECT_TRUE(Run(L"mnuExtract").empty());
  EXPECT_TRUE(host.formMovies.empty());
}

TEST_F(Commands, SkinPictureButtonsByTag) {
  host.state.Browsed = true;
  host.options.CurrentFolder = L"C:\\Movies\\";
  const std::pair<const wchar_t*, const wchar_t*> table[] = {
      {L"7", L"Set playing=1"},    {L"8", L"Set playing=1"},       {L"9", L"BrowseFolder C:\\Movies\\.."},
      {L"10", L"GoForward"},       {L"11", L"GoBack"},             {L"17", L"BrowseMedia"},
      {L"21", L"OpenMedia True"},  {L"22", L"Click mnuFullScreen"}, {L"25", L"Volume 0"},
      {L"29", L"TogglePlaylist 1"}, {L"30", L"Click mnuPLadd"},     {L"34", L"ShowTipIfEnabled True"}};
  for (const auto& [tag, first] : table) {
    host.calls.clear();
    host.control.playing = false;
    player::PIC_Click(commands, tag);
    ASSERT_FALSE(host.calls.empty()) << tag;
    EXPECT_EQ(host.calls.front(), first) << tag;
  }
  for (const wchar_t* tag : {L"", L"1", L"18", L"35", L"x"}) {
    host.calls.clear();
    player::PIC_Click(commands, tag);
    EXPECT_TRUE(host.calls.empty()) << tag;
  }
}

TEST_F(Commands, MenuIconsByCaptionTheFirstWinsAndTheOtherCaptionsAreEnteredBeforehand) {
  std::map<std::pair<std::wstring, int>, std::wstring> captions;
  WalkMenus(player::PlayerMenuDesign(), L"", [&](const forms::MenuArgs& m, const std::wstring&) {
    captions[{m.Name, m.Index}] = m.Caption;
  });
  captions[{L"mnuPlay", -1}] = L"Pause";   // the movie plays
  captions[{L"mnuOpt", -1}] = L"&File";    // a caption given twice: the first icon stays
  auto icons = player::MenuIconMap(
      [&](const std::wstring& item, int index) {
        auto it = captions.find({item, index});
        return it == captions.end() ? L"" : it->second;
      },
      [&](const std::wstring& array) { return commands.MenuUpperBound(array); });
  const std::pair<const wchar_t*, const wchar_t*> expected[] = {
      {L"&File", L"file"},          {L"Pause", L"pause"},         {L"Play", L"play"},
      {L"Convert EXE to SWF", L"save"}, {L"&Convert to EXE...", L"save"}, {L"E&xit", L"exit"},
      {L"&High", L"radio"},         {L"&Mute Sound", L"check"},   {L"&Delete", L"delete"},
      {L"&High Quality", L"radio"}, {L"[ No Languages ]", L"radio"}, {L"&Options...", L""}};
  for (const auto& [caption, icon] : expected) {
    auto it = icons.find(caption);
    EXPECT_EQ(it == icons.end() ? L"" : it->second, icon) << caption;
  }
  EXPECT_EQ(icons.count(L"-"), 0u);  // the quality list's separator
  EXPECT_EQ(icons.count(L""), 0u);
}

TEST_F(Commands, TheLanguageSwitchLeavesOneMarkAndAVolumeStepCentresTheBalance) {
  commands.upper[L"mnuLangList"] = 3;
  host.SetChecked(L"mnuLangList", true, 0);
  host.SetChecked(L"mnuLangList", true, 3);
  EXPECT_EQ(Run(L"mnuLangList", 2), (Calls{L"SwitchLanguage 2"}));
  for (int i = 0; i <= 3; ++i) EXPECT_EQ(host.Checked(L"mnuLangList", i), i == 2) << i;

  host.state.Volume = 5;
  host.state.StereoPan = 40;
  EXPECT_EQ(Run(L"mnuVolumeDown"), (Calls{L"Volume 0", L"Pan 0"}));
  EXPECT_EQ(host.state.Volume, 0);
  EXPECT_EQ(host.state.StereoPan, 0);
  EXPECT_EQ(Run(L"mnuVolumeUp"), (Calls{L"Volume 10", L"Pan 0"}));

  // Tips on shows the pane that holds the tip; off leaves it.
  EXPECT_EQ(Run(L"mnuTips"), (Calls{L"ShowTipIfEnabled True", L"TogglePlaylist 2"}));
  EXPECT_EQ(Run(L"mnuTips"), (Calls{L"ShowTipIfEnabled False"}));
}
