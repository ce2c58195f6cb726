#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "DrawTestSupport.h"
#include "FormsTestSupport.h"
#include "platform/forms/Label.h"
#include "ui/FitText.h"
#include "platform/forms/Forms.h"
#include "ui/frmMessage.h"
#include "ui/frmRename.h"

namespace {

using forms_test::OnceShown;
using forms_test::Press;

struct Owner : forms::Form {
  Owner() : Form(L"frmOwner") { Load(); }
  ~Owner() override { Unload(); }
};

// Puts the message box's kept check value back.
struct MessageState {
  draw_test::PictureFolders pictures;
  int check = MessageForm().CheckValue;
  MessageState() { MessageForm().CheckValue = 0; }
  ~MessageState() { MessageForm().CheckValue = check; }
};

}  // namespace

TEST(ShowMessage, OneButtonTakesEnterAndEscapeAndNoHelpWithoutATopic) {
  MessageState state;
  Owner owner;
  frmMessage& f = MessageForm();
  for (UINT key : {static_cast<UINT>(VK_RETURN), static_cast<UINT>(VK_ESCAPE)}) {
    bool second = true, help = true;
    OnceShown(f, [&] {
      second = f.cbSecondButton->Visible();
      help = f.cbHelp->Visible();
      Press(f, key);
    });
    int check = -1;
    EXPECT_FALSE(ShowMessage(owner, L"Done.", L"Title", L"info", L"OK", L"", L"", L"", check));
    EXPECT_FALSE(f.IsLoaded());
    EXPECT_FALSE(second);
    EXPECT_FALSE(help);
  }
}

TEST(ShowMessage, TheSecondButtonAnswersTrueAndAHelpTopicShowsHelp) {
  MessageState state;
  Owner owner;
  frmMessage& f = MessageForm();
  bool help = false;
  OnceShown(f, [&] {
    help = f.cbHelp->Visible();
    f.cbSecondButton->PerformClick();
  });
  int check = -1;
  EXPECT_TRUE(ShowMessage(owner, L"Replace it?", L"Title", L"question", L"No", L"Yes", L"", L"topic", check));
  EXPECT_TRUE(help);
  EXPECT_TRUE(owner.Enabled());
}

TEST(ShowMessage, ALongPromptGrowsTheDialogAndKeepsTheButtons12PixelsFromTheBottom) {
  MessageState state;
  Owner owner;
  frmMessage& f = MessageForm();
  int height = 0, gap = 0;
  OnceShown(f, [&] {
    height = f.ScaleHeight();
    gap = f.ScaleHeight() - (f.cbFirstButton->Top() + f.cbFirstButton->Height());
    f.cbFirstButton->PerformClick();
  });
  std::wstring prompt;
  for (int i = 0; i < 8; ++i) prompt += L"A line of the prompt that wraps. ";
  int check = -1;
  ShowMessage(owner, prompt, L"Title", L"info", L"OK", L"", L"", L"", check);
  EXPECT_GT(height, frmMessage::BaseClientHeight);
  EXPECT_EQ(gap, 12);
}

TEST(ShowMessage, TheCheckBoxValueComesBackShownOrHidden) {
  MessageState state;
  Owner owner;
  frmMessage& f = MessageForm();
  bool shown = false;
  OnceShown(f, [&] {
    shown = f.chkCheck->Visible();
    f.chkCheck->SetValue(forms::vbChecked);
    f.cbFirstButton->PerformClick();
  });
  int check = 0;
  ShowMessage(owner, L"Prompt", L"Title", L"info", L"OK", L"", L"", L"", check);
  EXPECT_TRUE(shown);
  EXPECT_EQ(check, 1);

  MessageForm().CheckValue = 0;
  OnceShown(f, [&] {
    shown = f.chkCheck->Visible();
    f.cbFirstButton->PerformClick();
  });
  check = -1;  // hidden: the box's value, unticked
  ShowMessage(owner, L"Prompt", L"Title", L"info", L"OK", L"", L"", L"", check);
  EXPECT_FALSE(shown);
  EXPECT_EQ(check, 0);
}

TEST(ShowMessage, EnterPressesTheSecondButtonOfTwoUnlessTheFirstIsTheDefault) {
  MessageState state;
  Owner owner;
  frmMessage& f = MessageForm();
  for (const bool firstIsDefault : {false, true}) {
    OnceShown(f, [&] { Press(f, VK_RETURN); });
    int check = -1;
    EXPECT_EQ(ShowMessage(owner, L"Done.", L"Title", L"info", L"Close", L"Show Files", L"", L"", check, firstIsDefault),
              !firstIsDefault);
    EXPECT_FALSE(f.IsLoaded());
  }
}

TEST(ShowMessage, APathTooLongForThePromptIsShortenedInTheMiddleAndTheTooltipHoldsItAll) {
  MessageState state;
  Owner owner;
  frmMessage& f = MessageForm();
  std::wstring path = L"C:\\Flash Movies";
  while (path.size() < 220) path += L"\\a folder of the collection";
  path += L"\\Tom & Jerry.swf";
  struct Case {
    std::wstring prompt;
    std::wstring head;  // the prompt's lines before the path's
  };
  const Case cases[] = {
      {L"Specified path does not exist:\r\n" + path, L"Specified path does not exist:"},
      {L"The movie index could not be written: " + path + L"\r\n\r\nEnd.", L"The movie index could not be written:"},
  };
  for (const Case& c : cases) {
    std::wstring shown, tip;
    int width = 0;
    OnceShown(f, [&] {
      shown = f.lblPrompt->Caption();
      tip = f.lblPrompt->ToolTipText();
      width = f.lblPrompt->Width();
      f.cbFirstButton->PerformClick();
    });
    int check = -1;
    ShowMessage(owner, c.prompt, L"Title", L"folder", L"OK", L"", L"", L"", check);
    EXPECT_EQ(tip, c.prompt);
    EXPECT_EQ(shown.rfind(c.head + L"\r\nC:\\Flash Movies\\", 0), 0u) << shown;
    const size_t start = shown.find(L"C:\\");
    const std::wstring line = shown.substr(start, shown.find(L'\r', start) - start);
    EXPECT_NE(line.find(L"..."), std::wstring::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 16), L"\\Tom & Jerry.swf") << line;
    EXPECT_LE(TextSizeIn(*f.lblPrompt, line).cx, width) << line;
  }
  // A prompt that fits is shown as it is, without a tooltip.
  std::wstring shown, tip = L"?";
  OnceShown(f, [&] {
    shown = f.lblPrompt->Caption();
    tip = f.lblPrompt->ToolTipText();
    f.cbFirstButton->PerformClick();
  });
  int check = -1;
  ShowMessage(owner, L"Not found:\r\nC:\\Flash\\a & b.swf", L"Title", L"folder", L"OK", L"", L"", L"", check);
  EXPECT_EQ(shown, L"Not found:\r\nC:\\Flash\\a & b.swf");
  EXPECT_EQ(tip, L"");
}

TEST(RenameProblem, EachRefusedName) {
  const wchar_t* refused[] = {L"a\\b", L"a/b", L"..\\up", L"c:x", L"a*", L"a?", L"say \"hi\"", L"<a>", L"a|b",
                              L"tab\there", L"name.", L"name ", L".."};
  for (const wchar_t* name : refused) EXPECT_FALSE(RenameProblem(name).empty()) << std::wstring(name).size();
  for (const wchar_t* name : {L"movie", L"my movie.swf", L".hidden", L"a.b.c"}) EXPECT_EQ(RenameProblem(name), L"");
}

TEST(AskNewName, CancelUnchangedOkCloseAndAllTextSelected) {
  draw_test::PictureFolders pictures;
  frmRename& f = RenameForm();
  OnceShown(f, [&] { f.cbCancel->PerformClick(); });
  EXPECT_EQ(AskNewName(L"movie"), L"");

  int start = -1, length = -1;
  OnceShown(f, [&] {
    start = f.txtInput->SelStart();
    length = f.txtInput->SelLength();
    f.cbOK->PerformClick();
  });
  EXPECT_EQ(AskNewName(L"movie"), L"movie");
  EXPECT_EQ(start, 0);
  EXPECT_EQ(length, 5);

  OnceShown(f, [&] { PostMessageW(f.hWnd(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(AskNewName(L"movie"), L"movie");

  OnceShown(f, [&] {
    f.txtInput->SetText(L"new name");
    f.cbOK->PerformClick();
  });
  EXPECT_EQ(AskNewName(L"movie"), L"new name");
}

TEST(AskNewName, ARefusedNameKeepsTheBoxOpenAndABlankNameCancels) {
  draw_test::PictureFolders pictures;
  frmRename& f = RenameForm();
  bool stillOpen = false;
  std::wstring reason;
  OnceShown(f, [&] {
    f.txtInput->SetText(L"..\\elsewhere");
    f.cbOK->PerformClick();
    stillOpen = f.IsLoaded();
    reason = f.lblPrompt->Caption();
    f.txtInput->SetText(L"   ");
    f.cbOK->PerformClick();
  });
  EXPECT_EQ(AskNewName(L"movie"), L"");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(reason, RenameProblem(L"a\\b"));
}
