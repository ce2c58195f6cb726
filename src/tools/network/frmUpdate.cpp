#include "tools/network/frmUpdate.h"

#include "player/start/OptionSet.h"
#include "player/window/PlayerWindow.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/Window.h"
#include "ui/frmMessage.h"

namespace tools {
namespace {

// The details box, below the band; the button row 16 pixels below it.
constexpr int kDetailsTop = frmUpdate::kBand + 8, kDetailsHeight = 150;
constexpr int kGrowth = kDetailsTop + kDetailsHeight + ToolWindow::kBandGap -
                        (frmUpdate::kHeight - ToolWindow::kBottomMargin - ToolWindow::kButtonHeight);

// The details button's glyph: a small triangle pointing down (expand) or up
// (collapse) in the button text colour on the button face.
HBITMAP TriangleGlyph(bool up) {
  constexpr int w = 9, h = 5;
  ScopedWindowDC screen(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), w, h);
  ScopedMemoryDC dc(CreateCompatibleDC(screen.get()));
  if (!bitmap || !dc) return bitmap;
  ScopedSelect keep(dc.get(), bitmap);
  RECT all{0, 0, w, h};
  FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  for (int row = 0; row < h; ++row) {
    const int inset = up ? h - 1 - row : row;
    RECT line{inset, row, w - inset, row + 1};
    FillRect(dc.get(), &line, GetSysColorBrush(COLOR_BTNTEXT));
  }
  return bitmap;
}

}  // namespace

frmUpdate& UpdateWindow() { return Instance<frmUpdate>(); }

frmUpdate::frmUpdate() : ToolWindow(L"frmUpdate", forms::FixedDialogArgs(L"Check for Updates", kWidth, kHeight)) {
  HeaderPicture = L"update";
}

std::wstring frmUpdate::Text(const wchar_t* suffix, const wchar_t* english) const {
  return LangText(Name() + suffix, english);
}

void frmUpdate::CreateControls() {
  SetTag(L"!PLAYER/MNUUPD");
  auto label = [this](const wchar_t* name, int left, int top, int width, int height,
                      const wchar_t* caption) -> forms::Label& {
    auto a = forms::Placed<forms::LabelArgs>(name, left, top, width, height);
    a.Caption = caption;
    a.BackStyle = 0;
    a.WordWrap = true;
    return Add<forms::Label>(a);
  };
  lblStatus = &label(L"lblStatus", 80, 18, kWidth - 96, 20, L"Connecting...");
  lblStatus->SetFontBold(true);
  lblStatus->SetFontSize(10);
  lblNotice = &label(L"lblNotice", 80, 42, kWidth - 96, 56,
                     L"Please wait while SWF.zel fetches the latest version information from its web site.");
  auto autoUpdate = forms::Placed<forms::CheckBoxArgs>(L"chkAutoUpdate", 80, 104, kWidth - 96, 20);
  autoUpdate.Caption = L"Automatically Check for Updates";
  chkAutoUpdate = &Add<forms::CheckBox>(autoUpdate);

  auto details = forms::Placed<forms::TextBoxArgs>(L"txtDetails", 16, kDetailsTop, kWidth - 32, kDetailsHeight);
  details.MultiLine = true;
  details.ScrollBars = 2;
  details.Locked = true;
  details.Visible = false;
  txtDetails = &Add<forms::TextBox>(details);

  cbUpdate = &AddButton(L"cbUpdate", L"Download");
  cbUpdate->SetToolTipText(L"Download new version");
  cbUpdate->SetVisible(false);
  cbUpdate->OnClick = [this] { cbUpdate_Click(); };
  cbCancel = &AddButton(L"cbCancel", L"Close");
  cbCancel->SetTag(L"!SHARED/CLOSE");
  cbCancel->SetCancel(true);
  cbCancel->OnClick = [this] { cbCancel_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({cbUpdate, cbCancel, &help});

  auto glyph = forms::Placed<forms::CommandButtonArgs>(L"cbDetails", 16, 0, 24, kButtonHeight);
  glyph.Caption = L"6";  // the glyph's letter in the symbol font: down
  glyph.ToolTipText = L"Additional info";
  glyph.Visible = false;
  cbDetails = &Add<forms::CommandButton>(glyph);
  cbDetails->OnClick = [this] { cbDetails_Click(); };
  glyphDown_.reset(TriangleGlyph(false));
  glyphUp_.reset(TriangleGlyph(true));
  SetWindowLongPtrW(cbDetails->hWnd(), GWL_STYLE, GetWindowLongPtrW(cbDetails->hWnd(), GWL_STYLE) | BS_BITMAP);
  SendMessageW(cbDetails->hWnd(), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyphDown_.get()));
  lblDetails = &label(L"lblDetails", 46, 0, 80, 16, L"Details");
  lblDetails->SetVisible(false);
  lblSize = &label(L"lblSize", 0, 0, 150, 16, L"");
  lblSize->SetAlignment(forms::vbRightJustify);
  lblSize->SetVisible(false);
  PlaceDetailsLine();
}

void frmUpdate::PlaceDetailsLine() {
  const int top = cbUpdate->Top();
  cbDetails->Move(16, top, 24, kButtonHeight);
  lblDetails->Move(46, top + 6, 80, 16);
  lblSize->Move(cbUpdate->Left() - 8 - 150, top + 6, 150, 16);
}

void frmUpdate::Form_Load() {
  ApplyLanguage(*this);
  DetailsShown = false;
  UpdateFound = false;
  DownloadURL.clear();
  player::OptionSet& o = player::Options();
  NewestBuild = o.Update.Build;
  chkAutoUpdate->SetValue(o.Update.Auto ? forms::vbChecked : forms::vbUnchecked);
  SetVisual();
  check_ = std::make_unique<UpdateCheck>();
  check_->Today = Today;
  check_->Limits = FeedLimits;
  check_->OnReadyStateChange = [this](long state) { UpdateXML_onreadystatechange(state); };
  check_->Start(o.Update.Build);
}

void frmUpdate::Form_Unload() {
  player::Options().Update.Auto = chkAutoUpdate->Value() == forms::vbChecked;
  check_.reset();  // a transfer still running is dropped
}

void frmUpdate::SetVisual() {
  if (!IsLoaded()) return;
  StyleForm(*this, kBand, false);
  DrawSeparatorLine(*this, kBand);
  DrawPNG(ImagesFolder + HeaderPicture, hDC(), 16, 16, false);
  Refresh();
}

void frmUpdate::DetailsAvailable() {
  cbDetails->SetVisible(true);
  lblDetails->SetVisible(true);
}

void frmUpdate::UpdateXML_onreadystatechange(long readyState) {
  if (readyState == 1) {
    lblStatus->SetCaption(Text(L"/STRDOWNLOADING", L"Downloading Info"));
    return;
  }
  if (readyState != 4 || !check_) return;
  // Read at the end: the user may have asked for the window meanwhile.
  const bool silent = player::Player.SilentCheck;
  switch (check_->Outcome()) {
    case UpdateOutcome::Found: {
      const UpdateFeedResult& feed = check_->Feed();
      UpdateFound = true;
      NewestBuild = feed.NewestBuild;
      DownloadURL = feed.DownloadURL;
      txtDetails->SetText(feed.DetailsLeftOut == 0
                              ? feed.Details
                              : feed.Details + L"\r\n" + Text(L"/STRMORE", L"More newer builds, not listed here: ") +
                                    std::to_wstring(feed.DetailsLeftOut));
      lblStatus->SetCaption(Text(L"/STRUPDATE", L"Update is Available"));
      lblNotice->SetCaption(Text(L"/STRUPDATENOTE",
                                 L"There is a newer version available. Click \"Details\" to check out what's new"));
      // Only an http or https address is offered to the shell.
      if (!DownloadURL.empty()) {
        lblSize->SetCaption(LangText(L"frmInfo/lblSize", L"Size") + L": " + FormatByteSize(feed.DownloadLength));
        cbUpdate->SetVisible(true);
        lblSize->SetVisible(true);
      }
      DetailsAvailable();
      if (silent) ShowForm(*this, forms::vbModeless);
      return;
    }
    case UpdateOutcome::NoUpdate:
      if (silent) return Close();
      lblStatus->SetCaption(Text(L"/STRNOUPDATE", L"No Update Needed"));
      lblNotice->SetCaption(Text(L"/STRNOUPDATENOTE", L"You have the latest version installed"));
      return;
    case UpdateOutcome::Failed:
      if (silent) return Close();
      lblStatus->SetCaption(Text(L"/STRFAILED", L"Check Failed"));
      lblNotice->SetCaption(Text(L"/STRFAILEDNOTE",
                                 L"There was an error while trying to download required info. Please verify your "
                                 L"Internet Connection."));
      txtDetails->SetText(Text(L"/STRREASON", L"Failure Reason") + L":\r\n" + check_->FailureReason());
      DetailsAvailable();
      return;
    case UpdateOutcome::Loading:
      return;
  }
}

void frmUpdate::cbDetails_Click() {
  DetailsShown = !DetailsShown;
  txtDetails->SetVisible(DetailsShown);
  SetClientSize(kWidth, DetailsShown ? kHeight + kGrowth : kHeight);
  cbDetails->SetCaption(DetailsShown ? L"5" : L"6");
  SendMessageW(cbDetails->hWnd(), BM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(DetailsShown ? glyphUp_.get() : glyphDown_.get()));
  PlaceDetailsLine();
  SetVisual();
}

void frmUpdate::cbUpdate_Click() {
  if (!DownloadURL.empty()) ShellOpen(DownloadURL, L"open");
  Close();
}

void frmUpdate::cbCancel_Click() {
  if (UpdateFound) {
    const std::wstring prompt = Text(L"/STRREMIND", L"Remind you about this update next time?");
    bool remind = true;
    if (AskRemind) {
      remind = AskRemind(prompt);
    } else {
      int check = -1;
      remind = ShowMessage(*this, prompt, Caption(), L"question", LangText(L"Shared/No", L"No"),
                           LangText(L"Shared/Yes", L"Yes"), L"", L"", check);
    }
    // No: this build is not announced again.
    if (!remind) player::Options().Update.Build = NewestBuild;
  }
  Close();
}

}  // namespace tools
