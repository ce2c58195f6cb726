#include "saver/frmScreenSaver.h"

#include <shlwapi.h>

#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "saver/SaverMovie.h"
#include "saver/SaverRuns.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"

namespace {

constexpr int kFooterY = 104;

forms::FormArgs SettingsDesign() { return forms::FixedDialogArgs(L"SWF.zel Screen Saver", 440, 146); }

}  // namespace

frmScreenSaver::frmScreenSaver() : Form(L"frmScreenSaver", SettingsDesign()) {}

frmScreenSaver& ScreenSaverForm() {
  static frmScreenSaver form;
  return form;
}

std::wstring ScreenSaverMovieFilter() {
  return LangText(L"frmScreenSaver/strMovies", L"Flash Movies and Projectors") + L"|*.swf;*.exe|" +
         L"Macromedia Flash (SWF)|*.swf|" + LangText(L"BrowseMedia/strProjector", L"Flash Projector") + L"|*.exe";
}

void frmScreenSaver::CreateControls() {
  auto label = forms::Placed<forms::LabelArgs>(L"lblMovie", 80, 18, 344, 18);
  label.Caption = L"Movie shown as the screen saver:";
  label.BackStyle = 0;
  lblMovie = &Add<forms::Label>(label);
  auto movie = forms::Placed<forms::TextBoxArgs>(L"txtMovie", 80, 40, 344, 22);
  movie.Locked = true;
  txtMovie = &Add<forms::TextBox>(movie);
  auto browse = forms::Placed<forms::CommandButtonArgs>(L"cbBrowse", 324, 68, 100, 26);
  browse.Caption = L"Browse...";
  cbBrowse = &Add<forms::CommandButton>(browse);
  auto preview = forms::Placed<forms::CommandButtonArgs>(L"cbPreview", 216, 112, 100, 26);
  preview.Caption = L"Preview";
  cbPreview = &Add<forms::CommandButton>(preview);
  auto close = forms::Placed<forms::CommandButtonArgs>(L"cbClose", 324, 112, 100, 26);
  close.Caption = L"Close";
  close.Tag = L"!SHARED/CLOSE";
  close.Default = true;
  close.Cancel = true;
  cbClose = &Add<forms::CommandButton>(close);

  cbBrowse->OnClick = [this] { Browse(); };
  cbPreview->OnClick = [this] { Preview(); };
  cbClose->OnClick = [this] { Unload(); };
  OnLoad = [this] {
    ApplyLanguage(*this);
    SetVisual();
    txtMovie->SetText(saver::RecordedSaverMovie());
  };
}

void frmScreenSaver::Browse() {
  const std::wstring current = txtMovie->Text();
  std::wstring fileName, fileTitle, filter = ScreenSaverMovieFilter();
  DWORD flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  const std::wstring folder = current.empty() ? std::wstring() : GetFolderPart(current);
  const std::wstring title = LangText(L"frmScreenSaver/strBrowse", L"Choose the screen saver's movie");
  if (!ShowFileDialog(hWnd(), flags, fileName, fileTitle, L"swf", title, filter,
                      PathIsDirectoryW(folder.c_str()) ? folder : std::wstring(), true))
    return;
  saver::RecordSaverMovie(fileName);
  txtMovie->SetText(fileName);
}

void frmScreenSaver::Preview() {
  Hide();
  saver::RunFullScreen();
  Show(forms::vbModeless);
  SetForegroundWindow(hWnd());
}

void frmScreenSaver::SetVisual() {
  StyleForm(*this, kFooterY, false);
  DrawSeparatorLine(*this, kFooterY);
  DrawPNG(ImagesFolder + L"swf", hDC(), 16, 16, false);
  Refresh();
}

void ShowScreenSaverSettings(HWND owner) {
  frmScreenSaver& form = ScreenSaverForm();
  if (!form.Load()) return;
  form.Show(forms::vbModal, owner && IsWindow(owner) ? owner : nullptr);
  if (form.IsLoaded()) form.Unload();
}
