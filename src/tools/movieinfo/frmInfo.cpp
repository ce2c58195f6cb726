#include "tools/movieinfo/frmInfo.h"

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "moviefiles/MovieCache.h"
#include "platform/forms/Label.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/TextBox.h"
#include "player/movie/MovieThumbnails.h"
#include "player/movie/Thumbnails.h"
#include "player/start/OptionSet.h"
#include "player/window/PlayerWindow.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/frmFlashShot.h"

namespace tools {
namespace {

constexpr int kPageLeft = 12, kPageTop = 12;
constexpr int kLabelLeft = 16, kLabelWidth = 100, kValueLeft = 124, kRowHeight = 20;
constexpr int kFirstRow = 124;  // lblType; the separator runs 16 pixels above it
constexpr int kWhereRow = 312;  // lblWhere, below its own separator

forms::FormArgs InfoDesign() {
  // The page, and below it the button row.
  return forms::FixedDialogArgs(L"Info", kPageLeft * 2 + frmInfo::kPageWidth,
                                kPageTop + frmInfo::kPageHeight + 8 + ToolWindow::kBandGap +
                                    ToolWindow::kButtonHeight + ToolWindow::kBottomMargin);
}

// The labels and value boxes of the rows, top to bottom.
struct Row {
  const wchar_t *label, *caption, *value;
  std::wstring MovieInfoRows::*text;
  int top;
};
const Row kRows[] = {
    {L"lblType", L"File Type:", L"TypeValue", &MovieInfoRows::Type, kFirstRow},
    {L"lblSize", L"File Size:", L"SizeValue", &MovieInfoRows::Size, kFirstRow + kRowHeight},
    {L"lblComp", L"Compression:", L"lblNone", &MovieInfoRows::Compression, kFirstRow + 2 * kRowHeight},
    {L"lblVersion", L"Version:", L"VersionValue", &MovieInfoRows::Version, kFirstRow + 3 * kRowHeight},
    {L"lblBitrate", L"Bitrate:", L"BitrateValue", &MovieInfoRows::Bitrate, kFirstRow + 4 * kRowHeight},
    {L"lblFrame", L"Movie Frame:", L"FrameValue", &MovieInfoRows::Frame, kFirstRow + 5 * kRowHeight},
    {L"lblTime", L"Time:", L"TimeValue", &MovieInfoRows::Time, kFirstRow + 6 * kRowHeight},
    {L"lblModif", L"Modifed:", L"ModifiedValue", &MovieInfoRows::Modified, kFirstRow + 7 * kRowHeight},
    {L"lblWhere", L"Where:", L"WhereValue", &MovieInfoRows::Where, kWhereRow},
};

void CopyText(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* p = GlobalLock(memory)) {
      memcpy(p, text.c_str(), bytes);
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

// The path as it fits the box's width in the box's font.
std::wstring FitPath(forms::TextBox& box, const std::wstring& path) {
  if (!box.hWnd()) return path;
  ScopedWindowDC dc(box.hWnd());
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(box.hWnd(), WM_GETFONT, 0, 0));
  ScopedSelect select(dc.get(), font);
  return CompactPath(path, box.Width() - 4, dc.get());
}

}  // namespace

frmInfo& InfoWindow() { return Instance<frmInfo>(); }

bool MakeInfoThumbnail(const SWFInfo& info, const std::wstring& file) {
  if (info.Path.empty() || file.empty()) return false;
  player::ThumbnailSettings settings;
  settings.Shot = player::SnapshotSettings(player::Options());
  // No message loop meanwhile: the window is still loading, and a second Get Info
  // or a closing must not come in half-way through.
  settings.Shot.ShotDoEvents = false;
  settings.Satellite = player::Options().Satellite ? 1 : 0;
  settings.Quality = player::Options().ShotJpeg;
  settings.PlayingPath = player::Player.CurrentSWFInfo.Path;
  player::MovieThumbnails maker;
  return maker.Make(info, info.Path, file, settings);
}

frmInfo::frmInfo() : ToolWindow(L"frmInfo", InfoDesign()) {}

void frmInfo::OpenFor(const SWFInfo& movie, int mode) {
  movie_ = movie;
  Open(mode);
}

void frmInfo::CreateControls() {
  auto page = forms::Placed<forms::PictureBoxArgs>(L"Page", kPageLeft, kPageTop, kPageWidth, kPageHeight);
  page.Index = 0;
  page.BorderStyle = 0;
  Page = &Add<forms::PictureBox>(page);
  Page->OnDblClick = [this] { Page_DblClick(); };

  auto on = [this](auto args) {
    args.Container = Page;
    return args;
  };
  auto title = on(forms::Placed<forms::LabelArgs>(L"TitleSummary", 152, 10, kPageWidth - 152 - 16, 20));
  title.BackStyle = 0;
  title.UseMnemonic = false;
  Add<forms::Label>(title).SetFontBold(true);
  auto series = on(forms::Placed<forms::LabelArgs>(L"SeriesSummary", 152, 34, kPageWidth - 152 - 16, 62));
  series.BackStyle = 0;
  series.WordWrap = true;
  series.UseMnemonic = false;
  Add<forms::Label>(series);

  for (const Row& r : kRows) {
    auto label = on(forms::Placed<forms::LabelArgs>(r.label, kLabelLeft, r.top + 2, kLabelWidth, 18));
    label.Caption = r.caption;
    label.Alignment = forms::vbRightJustify;
    label.BackStyle = 0;
    forms::Label& l = Add<forms::Label>(label);
    // The values are read-only boxes: their text can be selected and copied.
    auto value = on(forms::Placed<forms::TextBoxArgs>(r.value, kValueLeft, r.top, kPageWidth - kValueLeft - 16, 20));
    value.Text = MovieInfoRows{}.*r.text;
    value.Locked = true;
    value.BorderStyle = 0;
    value.TabStop = false;
    value.BackColor = forms::SysColor(COLOR_BTNFACE);
    value.ForeColor = forms::SysColor(COLOR_BTNTEXT);
    forms::TextBox& v = Add<forms::TextBox>(value);
    if (r.value == std::wstring(L"WhereValue")) {
      WhereValue = &v;
      l.OnDblClick = [this] { lblWhere_DblClick(); };
      v.OnDblClick = [this] { lblWhere_DblClick(); };
    }
  }

  forms::CommandButton& help = AddHelpButton();
  forms::CommandButton& close = AddButton(L"cbClose", L"Close");
  close.SetTag(L"!SHARED/CLOSE");
  close.SetDefault(true);
  close.SetCancel(true);
  close.OnClick = [this] { cbClose_Click(); };
  PlaceButtonRow({&help, &close});
}

void frmInfo::Form_Load() {
  ApplyLanguage(*this);
  InitPages();
  SetVisual();
  ShowInfo();
  ShowPage();
}

void frmInfo::InitPages() {
  // One page, Summary, always shown.
  Page->SetBackColor(forms::SysColor(COLOR_BTNFACE));
  Page->SetVisible(true);
}

void frmInfo::ShowInfo() {
  rows_ = InfoRows(movie_, CurrentInfoTexts(), FileModifiedText(movie_.RequestedPath));
  Find<forms::Label>(L"TitleSummary")->SetCaption(rows_.Title);
  Find<forms::Label>(L"SeriesSummary")->SetCaption(rows_.Description);
  for (const Row& r : kRows)
    if (r.text != &MovieInfoRows::Where) Find<forms::TextBox>(r.value)->SetText(rows_.*r.text);
  WhereValue->SetText(FitPath(*WhereValue, rows_.Where));
  WhereValue->SetToolTipText(rows_.Where);
}

void frmInfo::ShowPage() {
  thumbFile_.clear();
  if (!movie_.RequestedPath.empty()) {
    thumbFile_ = GetCacheFileName(movie_.RequestedPath, L".jpg", !player::Options().Satellite, false);
    if (!FileExists(thumbFile_)) MakeThumbnail();
  }
  PaintPage();
}

void frmInfo::MakeThumbnail() {
  if (!thumbFile_.empty()) MakeInfoThumbnail(movie_, thumbFile_);
}

void frmInfo::PaintPage() {
  StyleForm(*Page, 0, true);
  Page->Cls();
  DrawSeparatorLine(*Page, kFirstRow - 16);
  DrawSeparatorLine(*Page, kWhereRow - 16);
  if (!thumbFile_.empty()) {
    const forms::Picture thumb = forms::LoadPicture(thumbFile_);
    if (thumb) {
      DrawShadow(Page->hDC(), kThumbX, kThumbY);
      Page->PaintPicture(thumb, kThumbX, kThumbY);
    }
  }
  Page->Refresh();
}

void frmInfo::Page_DblClick() {
  if (thumbFile_.empty()) return;
  MakeThumbnail();  // replaces the file only once the new picture is written
  PaintPage();
}

void frmInfo::lblWhere_DblClick() { CopyText(hWnd(), rows_.Where); }

void frmInfo::Form_Unload() {
  // Releases the movie control that making the thumbnail may have loaded.
  if (frmFlashShot.IsLoaded()) TakeMovieSnapshot(SWFInfo{}, true, ShotSettings{});
  movie_ = SWFInfo{};
  thumbFile_.clear();
}

}  // namespace tools
