// The resource extractor window over a crafted movie (two JPEG images, ids 3
// and 7, and an MP3 sound, id 12): the destination's rules (trailing "\",
// the question for a missing folder, a message for each refusal), the
// summary (Enter closes it), a second run beside the first one's files,
// nothing checked, Stop during a long run (the summary says so), the settings
// and the Tools menu's item, its picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>

#include "FormsTestSupport.h"
#include "PlayerFakes.h"
#include "ToolMovies.h"
#include "ToolsTestSupport.h"
#include "moviefiles/SWFModule.h"
#include "platform/forms/Forms.h"
#include "player/start/OptionStore.h"
#include "services/Services.h"
#include "tools/movieinfo/frmDecompiler.h"
#include "services/ShellMod.h"
#include "ui/SmoothProgress.h"
#include "ui/frmMessage.h"

using namespace tools;

namespace {

// Answers the window's questions from a script and keeps what was asked.
struct ScriptedPrompts : ExtractorPrompts {
  std::deque<bool> answers;
  std::vector<std::wstring> prompts, seconds, shown;
  bool Ask(const std::wstring& prompt, const std::wstring&, const std::wstring&, const std::wstring& second) override {
    prompts.push_back(prompt);
    seconds.push_back(second);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowFolder(const std::wstring& folder) override { shown.push_back(folder); }
};

class Extractor : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring movie = temp.File(L"x.swf");
    testing_support::WriteBytes(movie, tools_test::ResourceMovie({3, 7}, {12}).Plain());
    ASSERT_EQ(GetSWFInfo(movie, record, true), L"");
    player::Options().Decompiler = {};
    host.Menu(L"mnuExtract").enabled = true;
  }
  void TearDown() override {
    w().Close();
    w().SetHost(nullptr);
    w().SetPrompts(nullptr);
  }
  static frmDecompiler& w() { return ExtractorWindow(); }
  frmDecompiler& Open(const std::wstring& dest) {
    w().SetHost(&host);
    w().SetPrompts(&prompts);
    w().OpenFor(record, -1);
    w().txtDest->SetText(dest);
    return w();
  }
  bool Exists(const std::wstring& path) const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  tools_test::ProgramState state;
  testing_support::TempDir temp;
  player_test::FakeHost host;
  ScriptedPrompts prompts;
  SWFInfo record;  // the movie as the menu command reads it, in full
};

}  // namespace

TEST_F(Extractor, AMissingFolderIsMadeOnRequestAndTheSummaryListsWhatWasWritten) {
  frmDecompiler& x = Open(L"");
  EXPECT_FALSE(x.cbGo->Enabled()) << "no destination";
  const std::wstring out = temp.File(L"out");
  x.txtDest->SetText(out);
  EXPECT_TRUE(x.cbGo->Enabled());
  prompts.answers = {true, true};  // Create Folder, then Show Files
  x.cbGo_Click();
  EXPECT_EQ(x.txtDest->Text(), out + L"\\");
  EXPECT_EQ(player::Options().Decompiler.Destination, out + L"\\");
  ASSERT_EQ(prompts.prompts.size(), 2u);
  EXPECT_EQ(prompts.prompts[0],
            L"Specified path does not exist:\r\n" + out + L"\\\r\n\r\nWould you like it to be created?");
  EXPECT_EQ(prompts.seconds[0], L"Create Folder");
  for (const wchar_t* file : {L"\\x.swf.3.jpg", L"\\x.swf.7.jpg", L"\\x.swf.12.mp3"}) EXPECT_TRUE(Exists(out + file)) << file;
  EXPECT_EQ(prompts.prompts[1],
            L"The following resources were extracted:\r\n\r\nJPEG Compressed Images: 2\r\nEvent MP3 Sounds: 1");
  EXPECT_EQ(prompts.seconds[1], L"Show Files");
  EXPECT_EQ(prompts.shown, std::vector<std::wstring>{out + L"\\"});
  EXPECT_FALSE(x.Progress()->Surface().Visible());
  EXPECT_TRUE(x.cbDone->Visible());

  // A second run into the same folder keeps the first one's files and numbers its own.
  const std::vector<uint8_t> first = testing_support::ReadBytes(out + L"\\x.swf.3.jpg");
  testing_support::WriteBytes(out + L"\\x.swf.7.jpg", {1, 2, 3});  // a file of the user's
  prompts.answers = {false};
  x.cbGo_Click();
  ASSERT_EQ(prompts.prompts.size(), 3u);
  EXPECT_EQ(prompts.prompts[2], prompts.prompts[1]);
  EXPECT_EQ(testing_support::ReadBytes(out + L"\\x.swf.3.jpg"), first);
  EXPECT_EQ(testing_support::ReadBytes(out + L"\\x.swf.3(1).jpg"), first);
  EXPECT_EQ(testing_support::ReadBytes(out + L"\\x.swf.7.jpg"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(Exists(out + L"\\x.swf.7(1).jpg") && Exists(out + L"\\x.swf.12(1).mp3"));
}

TEST_F(Extractor, EachRefusalSaysItsCauseBeforeAnythingIsMade) {
  testing_support::WriteBytes(temp.File(L"file.txt"), {1, 2, 3});
  const std::wstring longName(250 - temp.File(L"").size(), L'a');
  const std::wstring fullPath = L"A folder must be given by its full path, such as C:\\My Flash\\. This is not one:\r\n";
  struct Case {
    const char* what;
    std::wstring dest;
    std::wstring message;  // the one shown; "" for the question about a missing folder
  };
  const Case cases[] = {
      {"cancelled", temp.File(L"out"), L""},
      {"relative", L"out", fullPath + L"out\\"},
      {"device path", L"\\\\?\\" + temp.File(L"dev"), fullPath + L"\\\\?\\" + temp.File(L"dev\\")},
      {"drive without root", L"C:out", fullPath + L"C:out\\"},
      {"forbidden character", temp.File(L"a|b"),
       L"A folder name cannot contain any of the characters : * ? \" < > |\r\n" + temp.File(L"a|b\\")},
      {"too long", temp.File(longName),
       L"Specified path is too long. Please choose a shorter one:\r\n" + temp.File(longName + L"\\")},
      {"a file", temp.File(L"file.txt"), L"Specified path is a file, not a folder:\r\n" + temp.File(L"file.txt")},
      {"parent missing", temp.File(L"missing\\deeper\\out"),
       L"Specified path cannot be created: the folder that would hold it does not exist:\r\n" +
           temp.File(L"missing\\deeper\\")},
  };
  for (const Case& c : cases) {
    prompts = {};
    prompts.answers = {false};  // Cancel, were the folder offered
    Open(c.dest).cbGo_Click();
    ASSERT_EQ(prompts.prompts.size(), 1u) << c.what;
    if (c.message.empty()) {
      EXPECT_EQ(prompts.seconds[0], L"Create Folder") << c.what;
    } else {
      EXPECT_EQ(prompts.prompts[0], c.message) << c.what;
      EXPECT_EQ(prompts.seconds[0], L"") << c.what;
    }
    for (const wchar_t* made : {L"out", L"dev", L"missing", L"a|b"}) EXPECT_FALSE(Exists(temp.File(made))) << c.what;
    EXPECT_FALSE(Exists(temp.File(longName))) << c.what;
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_FALSE(Exists(std::wstring(current) + L"\\out")) << c.what;
    w().Close();
  }
  // A folder given in a roundabout way is taken in its full form.
  ASSERT_EQ(GetSWFInfo(temp.File(L"x.swf"), record, true), L"");  // read afresh, as each menu command does
  prompts = {};
  Open(temp.File(L"sub\\..\\.")).cbGo_Click();
  EXPECT_EQ(w().txtDest->Text(), temp.File(L""));
  EXPECT_TRUE(Exists(temp.File(L"x.swf.3.jpg")));
}

TEST_F(Extractor, NothingCheckedWritesNoFileNotEvenTheMetadata) {
  frmDecompiler& x = Open(temp.File(L""));
  for (const wchar_t* box : {L"chkJPEG", L"chkPNG", L"chkEvent", L"chkStream", L"chkVideo"})
    x.Find<forms::CheckBox>(box)->SetValue(forms::vbUnchecked);
  x.cbGo_Click();
  ASSERT_EQ(prompts.prompts.size(), 1u);
  EXPECT_EQ(prompts.prompts[0], L"No resources were extracted");
  EXPECT_EQ(prompts.seconds[0], L"");
  EXPECT_FALSE(Exists(temp.File(L"x.swf.3.jpg")));
}

TEST_F(Extractor, StopEndsALongRunWithTheCountsSoFar) {
  std::vector<uint16_t> ids;
  for (uint16_t id = 1; id <= 2000; ++id) ids.push_back(id);
  const std::wstring movie = temp.File(L"many.swf");
  testing_support::WriteBytes(movie, tools_test::ResourceMovie(ids, {}).Plain());
  ASSERT_EQ(GetSWFInfo(movie, record, true), L"");
  const std::wstring out = temp.File(L"out\\");
  CreateDirectoryW(out.c_str(), nullptr);
  frmDecompiler& x = Open(out);
  // Stop is pressed once the run is going (the extractor lets the timer in).
  static frmDecompiler* window = nullptr;
  window = &x;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (!window->Running()) return;
    KillTimer(nullptr, id);
    window->cbCancel->PerformClick();
  });
  x.cbGo_Click();
  KillTimer(nullptr, timer);
  int files = 0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((out + L"*.jpg").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do ++files;
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
  EXPECT_GT(files, 0);
  EXPECT_LT(files, 2000);
  ASSERT_EQ(prompts.prompts.size(), 1u);
  EXPECT_EQ(prompts.prompts[0], L"The extraction was stopped.\r\n\r\nThe following resources were extracted:\r\n\r\n"
                                L"JPEG Compressed Images: " + std::to_wstring(files));
}

TEST_F(Extractor, TheKindsReachTheOptionsAndTheMenuItemWaitsForTheWindow) {
  struct Case {
    bool internal, video, enabledAfter;
  };
  for (const Case& c : {Case{false, false, true}, Case{true, false, false}, Case{false, true, false}}) {
    frmDecompiler& x = Open(temp.File(L""));
    EXPECT_FALSE(host.Menu(L"mnuExtract").enabled);
    x.Find<forms::CheckBox>(L"chkJPEG")->SetValue(forms::vbUnchecked);
    x.Find<forms::CheckBox>(L"chkVideo")->SetValue(forms::vbChecked);
    host.state.InternalMovie = c.internal;
    host.state.CurrentSWFInfo.IsFLV = c.video;
    EXPECT_FALSE(x.Movie().Path.empty());
    x.cbDone_Click();
    EXPECT_EQ(host.Menu(L"mnuExtract").enabled, c.enabledAfter);
    EXPECT_TRUE(x.Movie().Path.empty()) << "closing clears the window's record";
    host.Menu(L"mnuExtract").enabled = true;
  }
  player::WriteOptionSet(player::Options());
  EXPECT_EQ(GetRegString(L"Decompiler", L"JPEG", L"?"), L"False");
  EXPECT_EQ(GetRegString(L"Decompiler", L"Video", L"?"), L"True");
  EXPECT_EQ(GetRegString(L"Decompiler", L"Destination", L"?"), temp.File(L""));
}

TEST_F(Extractor, EnterOnTheSummaryClosesItWithoutOpeningTheFolder) {
  std::vector<std::wstring> opened;
  CurrentShell().open = [&](const std::wstring& file, const std::wstring& verb) -> intptr_t {
    opened.push_back(verb + L" " + file);
    return 33;
  };
  frmDecompiler& x = Open(temp.File(L""));
  x.SetPrompts(nullptr);  // the window's own message box
  std::wstring summary;
  bool offered = false;
  forms_test::OnceShown(MessageForm(), [&] {
    summary = MessageForm().lblPrompt->Caption();
    offered = MessageForm().cbSecondButton->Visible();
    forms_test::Press(MessageForm(), VK_RETURN);
  });
  x.cbGo_Click();
  ResetShellSeam();
  EXPECT_EQ(summary.rfind(L"The following resources were extracted:", 0), 0u);
  EXPECT_TRUE(offered) << "Show Files is offered";
  EXPECT_FALSE(MessageForm().IsLoaded());
  EXPECT_TRUE(opened.empty()) << "no Explorer window";
}

TEST_F(Extractor, Picture) {
  w().SetHost(&host);
  player::Options().Decompiler.Destination = L"C:\\Users\\Public\\My Flash\\Resources\\";
  w().Open(0);
  EXPECT_TRUE(forms_test::PumpUntilSettled(w().hWnd()));
  EXPECT_TRUE(tools_test::SavePicture(w().hWnd(), L"extractor.bmp"));
}
