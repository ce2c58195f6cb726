#include "tools/thumbnails/frmGenerator.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>

#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/OptionButton.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/TextBox.h"
#include "player/window/PlayerWindow.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/SmoothProgress.h"
#include "ui/Window.h"
#include "ui/frmFlashShot.h"
#include "ui/frmMessage.h"

namespace tools {
namespace {

constexpr int kPage0Height = 236, kPage1Height = 204;
// The preview box, right of the size rows of the first page.
constexpr int kPreviewLeft = 300, kPreviewTop = PageSelector::kBarHeight + 64;
constexpr int kPreviewWidth = frmGenerator::kWidth - kPreviewLeft - 16, kPreviewHeight = kPage0Height - 64 - 8;

std::vector<PageInfo> GeneratorPages() {
  // The second caption is the options dialog's "Advanced" (translated there).
  return {{L"", L"Thumbnail Generator", L"image", L"thumbnail-generator", kPage0Height},
          {L"", L"Advanced", L"system", L"thumbnail-generator-advanced", kPage1Height}};
}

forms::FormArgs GeneratorDesign() {
  return forms::FixedDialogArgs(L"Thumbnail Generator", frmGenerator::kWidth,
                                PageSelector::ClientHeightFor(kPage0Height));
}

player::GeneratorSettings& Settings() { return player::Options().Generator; }

long Number(const std::wstring& text) { return std::clamp(TextToLong(text), -32768L, 32767L); }

// Validate of a numeric box: the value brought into its range.
void Clamp(forms::TextBox& box, long low, long high) {
  const long v = Number(box.Text());
  if (v < low) box.SetText(std::to_wstring(low));
  else if (v > high) box.SetText(std::to_wstring(high));
}

}  // namespace

frmGenerator& GeneratorWindow() { return Instance<frmGenerator>(); }

frmGenerator::frmGenerator()
    : ToolWindow(L"frmGenerator", GeneratorDesign()), run_(Settings(), maker_, *this) {
  maker_.Preview = [this](const cDIBSection& picture) { ShowPreview(picture); };
  // Closing during a run stops it; the window goes when the run has ended.
  OnQueryUnload = [this](bool& cancel, int) {
    if (!run_.Running()) return;
    cancel = true;
    closeAfterRun_ = true;
    CancelBut(false);
  };
}

template <class T>
T& frmGenerator::Get(const wchar_t* name) const {
  return *Find<T>(name);
}

// ---------------------------------------------------------------- design

void frmGenerator::CreateControls() {
  pages_ = std::make_unique<PageSelector>(*this, L"OptSlideBar", kWidth, GeneratorPages());
  pages_->OnBuild = [this](int page) { BuildPage(page); };

  auto preview = forms::Placed<forms::PictureBoxArgs>(L"picSample", kPreviewLeft, kPreviewTop, kPreviewWidth,
                                                      kPreviewHeight);
  preview.Visible = false;
  preview.BorderStyle = 1;
  Add<forms::PictureBox>(preview);

  forms::CommandButton& go = AddButton(L"cbGo", L"Generate");
  go.SetDefault(true);
  go.OnClick = [this] { cbGo_Click(); };
  forms::CommandButton& done = AddButton(L"cbDone", L"Close");
  done.SetCancel(true);
  done.SetCausesValidation(false);
  done.OnClick = [this] { cbDone_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({&go, &done, &help});
  auto stop = forms::Placed<forms::CommandButtonArgs>(L"cbCancel", done.Left(), done.Top(), done.Width(),
                                                      done.Height());
  stop.Caption = L"Stop";
  stop.Visible = false;
  stop.CausesValidation = false;
  Add<forms::CommandButton>(stop).OnClick = [this] { cbCancel_Click(); };
}

void frmGenerator::BuildPage(int page) {
  const size_t first = Controls().size();
  forms::PictureBox* frame = &pages_->Page(page);
  auto on = [frame](auto args) {
    args.Container = frame;
    return args;
  };
  auto label = [&](const wchar_t* name, int left, int top, int width, const wchar_t* caption) -> forms::Label& {
    auto a = on(forms::Placed<forms::LabelArgs>(name, left, top, width, 18));
    a.Caption = caption;
    a.BackStyle = 0;
    return Add<forms::Label>(a);
  };
  auto check = [&](const wchar_t* name, int left, int top, int width, const wchar_t* caption,
                   const wchar_t* tip = L"") -> forms::CheckBox& {
    auto a = on(forms::Placed<forms::CheckBoxArgs>(name, left, top, width, 20));
    a.Caption = caption;
    a.ToolTipText = tip;
    return Add<forms::CheckBox>(a);
  };
  auto text = [&](const wchar_t* name, int left, int top, int width, const wchar_t* tip = L"") -> forms::TextBox& {
    auto a = on(forms::Placed<forms::TextBoxArgs>(name, left, top, width, 22));
    a.ToolTipText = tip;
    return Add<forms::TextBox>(a);
  };
  auto browse = [&](const wchar_t* name, int top, const wchar_t* tip) -> forms::CommandButton& {
    auto a = on(forms::Placed<forms::CommandButtonArgs>(name, kWidth - 16 - 32, top - 1, 32, 24));
    a.Caption = L"...";
    a.ToolTipText = tip;
    a.CausesValidation = false;
    return Add<forms::CommandButton>(a);
  };
  auto option = [&](int index, int top) -> forms::OptionButton& {
    auto a = on(forms::Placed<forms::OptionButtonArgs>(L"optSize", 76, top, 20, 20));
    a.Index = index;
    return Add<forms::OptionButton>(a);
  };
  const int wide = kWidth - 32 - 40;

  if (page == 0) {
    label(L"lblSource", 16, 12, wide, L"Source Folder:");
    text(L"txtSource", 16, 32, wide).OnChange = [this] { txtSource_Change(); };
    browse(L"cbBrowse", 32, L"Browse for Source Folder").OnClick = [this] { cbBrowse_Click(); };
    SmoothProgressArgs bar;
    bar.Name = L"Progress";
    bar.Container = frame;
    bar.Left = 16, bar.Top = 32, bar.Width = kWidth - 32, bar.Height = 22;
    progress_ = std::make_unique<SmoothProgress>(*this, bar);
    progress_->Surface().SetVisible(false);

    label(L"lblProperties", 16, 66, 260, L"Thumbnail Properties:");
    label(L"lblSize", 16, 94, 56, L"Size:");
    option(0, 92).OnClick = [this] { optSize_Click(); };
    forms::TextBox& w = text(L"txtWidth", 100, 91, 48, L"Thumbnail width");
    label(L"lblX", 154, 94, 12, L"x");
    forms::TextBox& h = text(L"txtHeight", 168, 91, 48, L"Thumbnail height");
    label(L"lblPx", 222, 94, 30, L"px");
    w.OnChange = [&w] { Settings().Width = Number(w.Text()); };
    h.OnChange = [&h] { Settings().Height = Number(h.Text()); };
    w.OnValidate = [&w](bool&) { Clamp(w, 1, kMaxThumbnailSide); };
    h.OnValidate = [&h](bool&) { Clamp(h, 1, kMaxThumbnailSide); };

    option(1, 120).OnClick = [this] { optSize_Click(); };
    auto size = on(forms::Placed<forms::ComboBoxArgs>(L"cmbSize", 100, 119, 64, 0));
    size.Style = 0;
    forms::ComboBox& percent = Add<forms::ComboBox>(size);
    for (const wchar_t* item : {L"50", L"100", L"200"}) percent.AddItem(item);
    percent.OnChange = [&percent] { Settings().Percent = Number(percent.Text()); };
    percent.OnValidate = [&percent](bool&) {
      if (Number(percent.Text()) < 1) percent.SetText(L"1");
    };
    label(L"lblPerent2", 170, 122, 20, L"%");
    label(L"lblPercent", 190, 122, 100, L"of movie size");

    check(L"chkColor", 16, 148, 150, L"Custom Back Color").OnClick = [this] { chkColor_Click(); };
    label(L"lblColor", 168, 151, 10, L"#");
    forms::TextBox& color = text(L"txtColor", 180, 147, 64);
    color.OnChange = [&color] {
      std::wstring c = color.Text();
      c.erase(std::remove(c.begin(), c.end(), L'#'), c.end());
      Settings().BackColor = c;
      if (c != color.Text()) color.SetText(c);
    };
    label(L"lblHex", 250, 151, 40, L"(hex)");

    label(L"lblQuality", 16, 180, 150, L"JPEG Quality:");
    forms::TextBox& quality = text(L"txtQuality", 180, 176, 44, L"JPEG compression quality");
    quality.OnChange = [&quality] { Settings().Quality = std::clamp(Number(quality.Text()), 0L, 255L); };
    quality.OnValidate = [&quality](bool&) { Clamp(quality, 0, 100); };

    check(L"chkSubfolders", 16, 206, 270, L"Including Movies in Subfolders").OnClick = [this] {
      Settings().Recursive = Get<forms::CheckBox>(L"chkSubfolders").Value() == 1;
    };
  } else {
    check(L"chkWatermark", 16, 12, wide, L"Draw a watermark overlay on all thumbnails").OnClick = [this] {
      chkWatermark_Click();
    };
    forms::TextBox& logo = text(L"txtWatermark", 36, 36, wide - 20);
    logo.OnChange = [&logo] { Settings().LogoPath = logo.Text(); };
    browse(L"cbWatermark", 36, L"").OnClick = [this] { cbWatermark_Click(); };
    auto flag = [&](const wchar_t* name, int top, const wchar_t* caption, bool player::GeneratorSettings::*field,
                    const wchar_t* tip = L"") {
      forms::CheckBox& box = check(name, 16, top, wide, caption, tip);
      box.OnClick = [&box, field] { Settings().*field = box.Value() == 1; };
    };
    flag(L"chkOverwrite", 72, L"Overwrite Existing Thumbnails", &player::GeneratorSettings::Overwrite);
    flag(L"chkShow", 96, L"Show Thumbnails", &player::GeneratorSettings::Show,
         L"Show thumbnails during generation process (a bit slower)");
    flag(L"chkInfo", 120, L"Export Movie Info to XML", &player::GeneratorSettings::Info);
    check(L"chkExecute", 16, 150, wide, L"Execute an Application Upon Completion",
          L"Automaticaly Launch Specified Application After All Thumbnails are Generated")
        .OnClick = [this] { chkExecute_Click(); };
    forms::TextBox& app = text(L"txtApp", 36, 174, wide - 20);
    app.OnChange = [&app] { Settings().App = app.Text(); };
    browse(L"cbBrowseApp", 174, L"").OnClick = [this] { cbBrowseApp_Click(); };
  }
  const std::vector<forms::Control*> added(Controls().begin() + static_cast<std::ptrdiff_t>(first), Controls().end());
  TranslateAdded(added);
}

// ---------------------------------------------------------------- operations

void frmGenerator::Form_Load() {
  ApplyLanguage(*this);
  for (int i = pages_->Count() - 1; i >= 0; --i) pages_->Show(i);  // every page's controls, for the settings
  CancelBut(false);
  ShowSettings();
  InitPages();
  SetVisual();
}

void frmGenerator::Form_Unload() {
  progress_.reset();
  pages_.reset();
  frmFlashShot.Unload();
}

void frmGenerator::ShowSettings() {
  const player::GeneratorSettings s = Settings();  // the controls' handlers write as they fill
  Get<forms::TextBox>(L"txtSource").SetText(s.Source);
  Get<forms::TextBox>(L"txtWidth").SetText(std::to_wstring(s.Width));
  Get<forms::TextBox>(L"txtHeight").SetText(std::to_wstring(s.Height));
  Get<forms::ComboBox>(L"cmbSize").SetText(std::to_wstring(s.Percent));
  Get<forms::TextBox>(L"txtColor").SetText(s.BackColor);
  Get<forms::TextBox>(L"txtQuality").SetText(std::to_wstring(s.Quality));
  Get<forms::TextBox>(L"txtWatermark").SetText(s.LogoPath);
  Get<forms::TextBox>(L"txtApp").SetText(s.App);
  auto& size = Array<forms::OptionButton>(L"optSize");
  size[s.Size ? 0 : 1].SetValue(true);
  const std::pair<const wchar_t*, bool> checks[] = {
      {L"chkColor", s.Color},     {L"chkSubfolders", s.Recursive}, {L"chkOverwrite", s.Overwrite},
      {L"chkShow", s.Show},       {L"chkInfo", s.Info},            {L"chkExecute", s.Exec},
      {L"chkWatermark", s.Watermark}};
  for (const auto& [name, on] : checks) Get<forms::CheckBox>(name).SetValue(on ? 1 : 0);
  Settings() = s;
  // The enabled states follow the values even where no Click came.
  optSize_Click();
  chkColor_Click();
  chkExecute_Click();
  chkWatermark_Click();
  txtSource_Change();
}

void frmGenerator::InitPages() {
  pages_->SetCaption(0, Caption());
  pages_->SetCaption(1, LangText(L"frmOptions/Advanced", L"Advanced"));
  CurrentPage = std::clamp(CurrentPage, 0, pages_->Count() - 1);
  pages_->Init(CurrentPage);
  pages_->Bar().OnClick = [this](long& index) { OptSlideBar_Click(index); };
  ShowPage();
}

void frmGenerator::ShowPage() {
  pages_->ShowAndFit(CurrentPage);
  SetVisual();
}

void frmGenerator::SetVisual() {
  if (!IsLoaded()) return;
  if (auto* stop = Find<forms::CommandButton>(L"cbCancel")) {
    const forms::CommandButton& done = Get<forms::CommandButton>(L"cbDone");
    stop->Move(done.Left(), done.Top(), done.Width(), done.Height());
  }
  ToolWindow::SetVisual();
}

void frmGenerator::PaintContent() {
  if (pages_ && pages_->Shown() >= 0) StyleForm(pages_->Page(pages_->Shown()), 0, false);
}

std::wstring frmGenerator::HelpTopic() const { return pages_ ? pages_->HelpTopic() : std::wstring(); }

void frmGenerator::CancelBut(bool running) {
  if (!IsLoaded()) return;
  Get<forms::CommandButton>(L"cbCancel").SetVisible(running);
  Get<forms::CommandButton>(L"cbDone").SetVisible(!running);
  if (!running) run_.RequestStop();
}

void frmGenerator::Generate(const player::GeneratorSettings& settings) {
  if (run_.Running()) {
    WriteLog(L"Thumbnail Generation :: a run is going on; Generate was not run");
    return;
  }
  Settings() = settings;
  AutoMode = true;
  if (IsLoaded())
    ShowSettings();
  else
    Open(0);
  if (IsLoaded()) cbGo_Click();
  Close();
  AutoMode = false;
}

void frmGenerator::SetRunning(bool running) {
  forms::Label& source = Get<forms::Label>(L"lblSource");
  if (running) {
    SlideBar& bar = pages_->Bar();
    bar.ClickItem(0);
    // Its animation ends now: disabling the window's controls stops its timers too.
    for (int i = 0; i < 64 && bar.Animating(); ++i) bar.StateTick();
    for (int i = 0; i < 64 && bar.Sliding(); ++i) bar.SlideTick();
    EnableAllControls(*this, true);
    Get<forms::CommandButton>(L"cbCancel").SetEnabled(true);
    Get<forms::CommandButton>(L"cbHelp").SetEnabled(true);
    forms::PictureBox& preview = Get<forms::PictureBox>(L"picSample");
    preview.Cls();
    preview.SetVisible(Settings().Show);
    if (Settings().Show) preview.ZOrder(forms::vbBringToFront);
    CancelBut(true);
    progress_->SetCaption(L"");
    progress_->SetStatus(0);
    keptSource_ = source.Caption();
  } else {
    EnableAllControls(*this, false);
    source.SetCaption(keptSource_);
    Get<forms::PictureBox>(L"picSample").SetVisible(false);
  }
  Get<forms::TextBox>(L"txtSource").SetVisible(!running);
  Get<forms::CommandButton>(L"cbBrowse").SetVisible(!running);
  progress_->Surface().SetVisible(running);
}

// ---------------------------------------------------------------- the run's host

void frmGenerator::Stage(const std::wstring& text) {
  forms::Label& source = Get<forms::Label>(L"lblSource");
  source.SetCaption(text);
  source.Refresh();
}

void frmGenerator::Current(const std::wstring& file) {
  progress_->SetCaption(CompactPath(file, progress_->TrackWidth() - 8, progress_->Surface().hDC()));
}

void frmGenerator::Status(double fraction) { progress_->SetStatus(static_cast<float>(fraction)); }

bool frmGenerator::Launch(const std::wstring& program) { return ShellOpen(program, L"") > 32; }

bool frmGenerator::Summary(const std::wstring& text, bool offerShowFiles) {
  if (SummaryBox) return SummaryBox(text, offerShowFiles);
  int check = -1;
  // Enter closes it: only a click opens an Explorer window.
  return ShowMessage(*this, text, Caption(), L"image", LangText(L"Shared/Close", L"Close"),
                     offerShowFiles ? LangText(L"Shared/ShowFiles", L"Show Files") : L"", L"", L"", check, true);
}

void frmGenerator::Explore(const std::wstring& folder) { ShellOpen(folder, L"explore"); }

std::wstring frmGenerator::PlayingMovie() { return player::Player.CurrentSWFInfo.Path; }

void frmGenerator::Problem(const std::wstring& text) {
  if (SummaryBox) {
    SummaryBox(text, false);
    return;
  }
  int check = -1;
  ShowMessage(*this, text, Caption(), L"folder", LangText(L"Shared/Close", L"Close"), L"", L"", L"", check);
}

void frmGenerator::ShowPreview(const cDIBSection& picture) {
  forms::PictureBox& box = Get<forms::PictureBox>(L"picSample");
  if (!box.Visible()) return;
  // Larger pictures are shown whole, scaled down to the box.
  const int roomW = box.ScaleWidth(), roomH = box.ScaleHeight();
  const double scale = std::min({1.0, static_cast<double>(roomW) / picture.Width(),
                                 static_cast<double>(roomH) / picture.Height()});
  const int w = std::max(1, static_cast<int>(picture.Width() * scale));
  const int h = std::max(1, static_cast<int>(picture.Height() * scale));
  box.Cls();
  HDC dc = box.hDC();
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, (roomW - w) / 2, (roomH - h) / 2, w, h, picture.hdc(), 0, 0, picture.Width(), picture.Height(),
             SRCCOPY);
  box.Refresh();
}

// ---------------------------------------------------------------- events

void frmGenerator::OptSlideBar_Click(long index) {
  PreviousPage = CurrentPage;
  CurrentPage = std::clamp(static_cast<int>(index), 0, pages_->Count() - 1);
  if (CurrentPage != PreviousPage) ShowPage();
}

void frmGenerator::cbBrowse_Click() {
  UINT flags = BIF_BROWSEINCLUDEFILES;
  std::wstring display, folder;
  if (BrowseForFolder(hWnd(), flags, display, folder,
                      LangText(Name() + L"/strBrowse",
                               L"Select a folder, which contains movies you wish generate thumbnails for:")))
    Get<forms::TextBox>(L"txtSource").SetText(folder);
}

void frmGenerator::cbBrowseApp_Click() {
  DWORD flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  std::wstring file, title, filter = L"Any File|*.*";
  if (ShowFileDialog(hWnd(), flags, file, title, L"exe", LangText(Name() + L"/strApp", L"Select a file to Launch..."),
                     filter, L"", true))
    Get<forms::TextBox>(L"txtApp").SetText(file);
}

void frmGenerator::cbWatermark_Click() {
  DWORD flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  std::wstring file, title, filter = L"PNG Image|*.png";
  if (ShowFileDialog(hWnd(), flags, file, title, L"png",
                     LangText(Name() + L"/strWatermark", L"Select an image to use as a watermark..."), filter, L"",
                     true))
    Get<forms::TextBox>(L"txtWatermark").SetText(file);
}

void frmGenerator::cbGo_Click() {
  if (run_.Running() || !ValidateActiveControl()) return;
  closeAfterRun_ = false;
  SetRunning(true);
  outcome_ = run_.Run(AutoMode);
  if (!IsLoaded()) return;
  SetRunning(false);
  CancelBut(false);
  // A window closed during the run (by the user or the program's quit) shows no summary.
  if (outcome_.Started) run_.Finish(outcome_, AutoMode || closeAfterRun_);
  AutoMode = false;
  if (closeAfterRun_) Close();
}

void frmGenerator::cbCancel_Click() { CancelBut(false); }

void frmGenerator::cbDone_Click() { Close(); }

void frmGenerator::optSize_Click() {
  auto& size = Array<forms::OptionButton>(L"optSize");
  const bool fixed = size[0].Value();
  for (const wchar_t* name : {L"txtWidth", L"txtHeight", L"lblX"}) FindControl(name)->SetEnabled(fixed);
  for (const wchar_t* name : {L"cmbSize", L"lblPerent2"}) FindControl(name)->SetEnabled(!fixed);
  Settings().Size = fixed;
}

void frmGenerator::chkColor_Click() {
  const bool on = Get<forms::CheckBox>(L"chkColor").Value() == 1;
  Settings().Color = on;
  for (const wchar_t* name : {L"txtColor", L"lblHex"}) FindControl(name)->SetEnabled(on);
}

void frmGenerator::chkExecute_Click() {
  const bool on = Get<forms::CheckBox>(L"chkExecute").Value() == 1;
  Settings().Exec = on;
  for (const wchar_t* name : {L"txtApp", L"cbBrowseApp"}) FindControl(name)->SetEnabled(on);
}

void frmGenerator::chkWatermark_Click() {
  const bool on = Get<forms::CheckBox>(L"chkWatermark").Value() == 1;
  Settings().Watermark = on;
  for (const wchar_t* name : {L"txtWatermark", L"cbWatermark"}) FindControl(name)->SetEnabled(on);
}

void frmGenerator::txtSource_Change() {
  Settings().Source = Get<forms::TextBox>(L"txtSource").Text();
  Get<forms::CommandButton>(L"cbGo").SetEnabled(!Settings().Source.empty());
}

}  // namespace tools
