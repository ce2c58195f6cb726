#include "tools/network/frmDownload.h"

#include "base/ErrorLog.h"
#include "player/window/PlayerWindow.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menu.h"
#include "platform/forms/TextBox.h"
#include "ui/LanguageForms.h"
#include "ui/frmMessage.h"

namespace tools {

frmDownload& DownloadWindow() { return Instance<frmDownload>(); }

frmDownload::frmDownload() : ToolWindow(L"frmDownload", forms::FixedDialogArgs(L"Movie Downloader", kWidth, kHeight)) {}

void frmDownload::CreateControls() {
  auto source = forms::Placed<forms::LabelArgs>(L"lblSource", 16, 16, kWidth - 32, 16);
  source.Caption = L"Source URL:";
  source.BackStyle = 0;
  Add<forms::Label>(source);
  auto text = forms::Placed<forms::TextBoxArgs>(L"txtSource", 16, 36, kWidth - 32, 22);
  text.Text = L"http://";
  txtSource = &Add<forms::TextBox>(text);
  txtSource->OnChange = [this] { txtSource_Change(); };

  cbGo = &AddButton(L"cbGo", L"Download");
  cbGo->SetDefault(true);
  cbGo->OnClick = [this] { cbGo_Click(); };
  cbCancel = &AddButton(L"cbCancel", L"Stop");
  cbCancel->SetTag(L"!SHARED/STOP");
  cbCancel->SetVisible(false);
  cbCancel->OnClick = [this] { cbCancel_Click(); };
  cbDone = &AddButton(L"cbDone", L"Close");
  cbDone->SetTag(L"!SHARED/CLOSE");
  cbDone->SetCancel(true);
  cbDone->OnClick = [this] { Close(); };
  forms::CommandButton& help = AddButton(L"cbHelp", L"Help");  // it has no action
  PlaceButtonRow({cbGo, cbDone, &help});  // Stop shows in Close's place

  progress_ = std::make_unique<SmoothProgress>(*this, SmoothProgressArgs{L"Progress", nullptr, 16, 36, kWidth - 32, 22});
  progress_->Surface().SetVisible(false);
}

void frmDownload::Form_Load() {
  EnableMenuItem(false);
  ApplyLanguage(*this);
  downloader_ = std::make_unique<DownloaderControl>();
  downloader_->Progress = [this](const download::Progress& p) { Downloader_Progress(p); };
  downloader_->Complete = [this](const download::Result& r) { Downloader_Complete(r); };
  txtSource_Change();
  SetVisual();
}

void frmDownload::Form_Unload() {
  downloader_.reset();  // a transfer still running is dropped
  progress_.reset();
  EnableMenuItem(true);
}

void frmDownload::EnableMenuItem(bool enabled) {
  if (!player::Player.IsLoaded()) return;
  if (forms::Menu* item = player::Player.FindMenu(L"mnuDownload")) item->SetEnabled(enabled);
}

void frmDownload::txtSource_Change() { cbGo->SetEnabled(DownloadAddressAccepted(txtSource->Text())); }

void frmDownload::cbGo_Click() {
  if (!DownloadAddressAccepted(txtSource->Text()) || downloader_->Busy()) return;
  txtSource->SetVisible(false);
  progress_->SetCaption(L"");
  progress_->SetStatus(0);
  progress_->Surface().SetVisible(true);
  cbGo->SetEnabled(false);
  cbCancel->Move(cbDone->Left(), cbDone->Top(), cbDone->Width(), cbDone->Height());
  cbCancel->SetVisible(true);
  cbDone->SetVisible(false);
  downloader_->Download(txtSource->Text());
}

void frmDownload::cbCancel_Click() {
  downloader_->Cancel();
  ShowIdle();
}

void frmDownload::ShowIdle() {
  txtSource->SetVisible(true);
  progress_->Surface().SetVisible(false);
  cbGo->SetEnabled(DownloadAddressAccepted(txtSource->Text()));
  cbCancel->SetVisible(false);
  cbDone->SetVisible(true);
}

void frmDownload::Downloader_Progress(const download::Progress& report) {
  const std::wstring line = DownloadStatusLine(report);
  WriteLog(line);
  progress_->SetCaption(line);
  // Without a declared size the bar stays empty while the status line moves.
  if (report.Total > 0 && report.Bytes > 0) progress_->SetStatus(static_cast<float>(DownloadFraction(report)));
}

void frmDownload::Downloader_Complete(const download::Result& result) {
  ShowIdle();
  std::wstring title, prompt;
  if (result.Ok()) {
    title = L"Download Complete";
    prompt = L"Cache: " + downloader_->CacheFile + L"\r\nMIME: " + downloader_->MimeType;
  } else {
    title = L"Download Failed";
    prompt = result.Reason;
  }
  WriteLog(title + L": " + prompt);
  if (Report) return Report(title, prompt);
  int check = -1;
  ShowMessage(*this, prompt, title, L"info", L"OK", L"", L"", L"", check);
}

}  // namespace tools
