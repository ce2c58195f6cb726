#include "tools/settings/frmFirstRun.h"

#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "tools/settings/FirstRunSetup.h"
#include "ui/frmMessage.h"

namespace tools {
namespace {

constexpr int kWidth = 440, kHeight = 252;

forms::FormArgs FirstRunDesign() {
  forms::FormArgs d = forms::FixedDialogArgs(L"SWF.zel First Run", kWidth, kHeight);
  d.ShowInTaskbar = true;  // shown before the main window: the program's only window
  return d;
}

}  // namespace

frmFirstRun& FirstRunWindow() { return Instance<frmFirstRun>(); }

frmFirstRun::frmFirstRun() : ToolWindow(L"frmFirstRun", FirstRunDesign()) { HeaderPicture = L"swfzel"; }

void frmFirstRun::CreateControls() {
  auto label = [this](const wchar_t* name, int top, int height, const wchar_t* caption) -> forms::Label& {
    auto a = forms::Placed<forms::LabelArgs>(name, 80, top, kWidth - 96, height);
    a.Caption = caption;
    a.BackStyle = 0;
    a.WordWrap = true;
    return Add<forms::Label>(a);
  };
  label(L"lblNote", 16, 36, L"Please set the following options up according to your preferences:");
  label(L"lblLang", 60, 18, L"Language:");
  auto lang = forms::Placed<forms::ComboBoxArgs>(L"cmbLang", 80, 78, kWidth - 96, 0);
  lang.Style = 2;
  cmbLang = &Add<forms::ComboBox>(lang);
  label(L"lblMyFlash", 112, 18, L"My Flash Folder:").SetTag(L"!FRMOPTIONS/LBLMYFLASH");
  txtMyFlash = &Add<forms::TextBox>(forms::Placed<forms::TextBoxArgs>(L"txtMyFlash", 80, 130, kWidth - 96 - 38, 22));
  auto browse = forms::Placed<forms::CommandButtonArgs>(L"cbFlash", kWidth - 16 - 32, 129, 32, 24);
  browse.Caption = L"...";
  browse.ToolTipText = L"Choose a folder";
  Add<forms::CommandButton>(browse).OnClick = [this] { cbFlash_Click(); };
  auto makeDefault = forms::Placed<forms::CheckBoxArgs>(L"chkDefault", 80, 164, kWidth - 96, 20);
  makeDefault.Caption = L"Make SWF.zel default Divur Ozazir";
  makeDefault.Value = forms::vbChecked;
  chkDefault = &Add<forms::CheckBox>(makeDefault);

  forms::CommandButton& go = AddButton(L"cbGo", L"OK");
  go.SetTag(L"!SHARED/OK");
  go.SetDefault(true);
  go.OnClick = [this] { cbGo_Click(); };
  forms::CommandButton& exit = AddButton(L"cbExit", L"Exit");
  exit.SetTag(L"!PLAYER/MNUEXIT");
  exit.SetCausesValidation(false);
  exit.OnClick = [this] { cbExit_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({&go, &exit, &help});
  cmbLang->OnClick = [this] { cmbLang_Click(); };
}

void frmFirstRun::Form_Load() {
  completed_ = false;
  for (const std::wstring& entry : LanguageEntries()) cmbLang->AddItem(entry);
  // Selecting the current language loads it and translates the window.
  cmbLang->SetListIndex(static_cast<int>(CurLang));
  txtMyFlash->SetText(OfferedMyFlashFolder());
  SetVisual();
}

bool frmFirstRun::Run() {
  completed_ = false;
  Open(forms::vbModal);
  Close();
  return completed_;
}

void frmFirstRun::cmbLang_Click() {
  ChooseLanguage(cmbLang->ListIndex());
  Retranslate();
}

void frmFirstRun::cbFlash_Click() {
  UINT flags = 0;
  std::wstring display, folder;
  if (BrowseForFolder(hWnd(), flags, display, folder, LangText(Name() + L"/strSelFolder", L"Select your Flash Folder:")))
    txtMyFlash->SetText(AddBackslash(folder));
}

void frmFirstRun::cbGo_Click() {
  // A relative folder would be taken from the program's own folder.
  if (const std::wstring problem = MyFlashFolderProblem(txtMyFlash->Text()); !problem.empty()) {
    if (ProblemBox) {
      ProblemBox(problem);
    } else {
      int check = -1;
      ShowMessage(*this, problem, Caption(), L"folder", LangText(L"Shared/Ok", L"OK"), L"", L"", L"", check);
    }
    return;
  }
  CompleteFirstRun(txtMyFlash->Text(), chkDefault->Value() == forms::vbChecked);
  completed_ = true;
  Close();
}

void frmFirstRun::cbExit_Click() {
  completed_ = false;
  Close();
}

}  // namespace tools
