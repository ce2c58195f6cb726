#include "tools/movieinfo/frmDecompiler.h"

#include "moviefiles/ResourceExtractor.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "player/window/PlayerWindow.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/MessagePump.h"
#include "services/ShellMod.h"
#include "ui/LanguageForms.h"
#include "ui/SmoothProgress.h"
#include "ui/Window.h"
#include "ui/frmMessage.h"

namespace tools {
namespace {

constexpr int kWidth = 440, kHeight = 300;
constexpr int kLeft = 112;  // the controls' column, right of the header picture

struct KindBox {
  const wchar_t *name, *caption;
  bool player::ExtractorSettings::*kind;
};
const KindBox kKinds[] = {
    {L"chkJPEG", L"JPEG Compressed Images", &player::ExtractorSettings::JPEG},
    {L"chkPNG", L"Images with Lossless Compression", &player::ExtractorSettings::PNG},
    {L"chkEvent", L"Event MP3 Sounds", &player::ExtractorSettings::Event},
    {L"chkStream", L"Streaming MP3 Sounds", &player::ExtractorSettings::Stream},
    {L"chkVideo", L"Video Sorenson H.263", &player::ExtractorSettings::Video},
};

// The program's message boxes over the window, the shell's Explorer window.
class WindowPrompts : public ExtractorPrompts {
 public:
  explicit WindowPrompts(forms::Form& window) : window_(window) {}
  bool Ask(const std::wstring& prompt, const std::wstring& icon, const std::wstring& first,
           const std::wstring& second) override {
    int check = -1;
    return ShowMessage(window_, prompt, window_.Caption(), icon, first, second, L"", L"", check);
  }
  void ShowFolder(const std::wstring& folder) override { ShellOpen(folder, L"explore"); }
  bool Summary(const std::wstring& prompt, bool offerShowFiles) override {
    int check = -1;
    // Enter closes it: only a click opens an Explorer window.
    return ShowMessage(window_, prompt, window_.Caption(), L"cubes", LangText(L"Shared/Close", L"Close"),
                       offerShowFiles ? LangText(L"Shared/ShowFiles", L"Show Files") : L"", L"", L"", check, true);
  }

 private:
  forms::Form& window_;
};

// The bar follows the extractor; it is drawn again only when what it shows
// changes, and at most every 100 ms (the extractor reports every tag and
// lets the window repaint every 100 ms).
class BarProgress : public ExtractProgress {
 public:
  explicit BarProgress(SmoothProgress& bar) : bar_(bar) {}
  void SetStatus(double fraction) override {
    fraction_ = fraction;
    Update(fraction >= 1.0);
  }
  void SetCaption(const std::wstring& caption) override {
    caption_ = caption;
    Update(false);
  }

 private:
  void Update(bool now) {
    const ULONGLONG tick = GetTickCount64();
    if (!now && tick - last_ < 100) return;
    last_ = tick;
    const int fill = static_cast<int>(fraction_ * bar_.TrackWidth() + 0.5);
    if (caption_ != bar_.Caption()) bar_.SetCaption(caption_);
    if (fill != bar_.FillWidth()) bar_.SetStatus(static_cast<float>(fraction_));
  }
  SmoothProgress& bar_;
  double fraction_ = 0;
  std::wstring caption_;
  ULONGLONG last_ = 0;
};

}  // namespace

frmDecompiler& ExtractorWindow() { return Instance<frmDecompiler>(); }

frmDecompiler::frmDecompiler() : ToolWindow(L"frmDecompiler", forms::FixedDialogArgs(L"Resource Extractor", kWidth, kHeight)) {
  HeaderPicture = L"cubes";
  // The close box during a run stops it; the window closes once it has ended.
  OnQueryUnload = [this](bool& cancel, int mode) {
    if (running_ && mode == forms::vbFormControlMenu) {
      cbCancel_Click();
      cancel = true;
    }
  };
}

frmDecompiler::~frmDecompiler() = default;

player::PlayerHost& frmDecompiler::Host() { return host_ ? *host_ : player::Player.Host(); }

ExtractorPrompts& frmDecompiler::Prompts() {
  static WindowPrompts window(*this);
  return prompts_ ? *prompts_ : window;
}

void frmDecompiler::CreateControls() {
  auto label = [this](const wchar_t* name, int top, const wchar_t* caption) {
    auto a = forms::Placed<forms::LabelArgs>(name, kLeft, top, kWidth - kLeft - 16, 18);
    a.Caption = caption;
    a.BackStyle = 0;
    Add<forms::Label>(a);
  };
  label(L"lblExtract", 16, L"Resources to Extract:");
  int top = 38;
  for (const KindBox& k : kKinds) {
    auto a = forms::Placed<forms::CheckBoxArgs>(k.name, kLeft + 8, top, kWidth - kLeft - 12, 20);
    a.Caption = k.caption;
    Add<forms::CheckBox>(a);
    top += 24;
  }
  label(L"lblDest", 166, L"Destination Folder:");
  txtDest = &Add<forms::TextBox>(forms::Placed<forms::TextBoxArgs>(L"txtDest", kLeft, 186, kWidth - kLeft - 16 - 38, 22));
  txtDest->OnChange = [this] { txtDest_Change(); };
  auto browse = forms::Placed<forms::CommandButtonArgs>(L"cbBrowse", kWidth - 16 - 32, 185, 32, 24);
  browse.Caption = L"...";
  browse.ToolTipText = L"Browse for Destination Folder";
  Add<forms::CommandButton>(browse).OnClick = [this] { cbBrowse_Click(); };

  SmoothProgressArgs bar;
  bar.Name = L"Progress";
  bar.Left = kLeft, bar.Top = 186, bar.Width = kWidth - kLeft - 16, bar.Height = 22;
  progress_ = std::make_unique<SmoothProgress>(*this, bar);

  cbGo = &AddButton(L"cbGo", L"Extract");
  cbGo->SetDefault(true);
  cbGo->OnClick = [this] { cbGo_Click(); };
  cbCancel = &AddButton(L"cbCancel", L"Stop");
  cbCancel->SetTag(L"!SHARED/STOP");
  cbCancel->OnClick = [this] { cbCancel_Click(); };
  cbDone = &AddButton(L"cbDone", L"Close");
  cbDone->SetTag(L"!SHARED/CLOSE");
  cbDone->SetCancel(true);
  cbDone->OnClick = [this] { cbDone_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({cbGo, cbDone, &help});
  // Stop stands where Close is while a run goes on.
  cbCancel->Move(cbDone->Left(), cbDone->Top(), cbDone->Width(), cbDone->Height());
}

void frmDecompiler::OpenFor(const SWFInfo& movie, int mode) {
  movie_ = movie;
  Open(mode);
}

void frmDecompiler::Form_Load() {
  Host().SetEnabled(L"mnuExtract", false);
  ApplyLanguage(*this);
  SetVisual();
  ShowRunning(false);
  const player::ExtractorSettings& s = player::Options().Decompiler;
  txtDest->SetText(s.Destination);
  txtDest_Change();
  for (const KindBox& k : kKinds) Find<forms::CheckBox>(k.name)->SetValue(s.*k.kind ? forms::vbChecked : forms::vbUnchecked);
}

void frmDecompiler::Form_Unload() {
  stopRequested_ = true;  // a run still going stops at its next tag
  if (!Host().State().InternalMovie && !Host().State().CurrentSWFInfo.IsFLV) Host().SetEnabled(L"mnuExtract", true);
  player::ExtractorSettings& s = player::Options().Decompiler;
  const player::ExtractorSettings kinds = Kinds();
  for (const KindBox& k : kKinds) s.*k.kind = kinds.*k.kind;
  movie_ = SWFInfo{};
}

player::ExtractorSettings frmDecompiler::Kinds() const {
  player::ExtractorSettings s;
  for (const KindBox& k : kKinds)
    if (auto* box = Find<forms::CheckBox>(k.name)) s.*k.kind = box->Value() == forms::vbChecked;
  return s;
}

void frmDecompiler::ShowRunning(bool running) {
  progress_->Surface().SetVisible(running);
  for (const wchar_t* name : {L"lblDest", L"txtDest", L"cbBrowse"})
    if (forms::Control* c = FindControl(name)) c->SetVisible(!running);
  cbDone->SetVisible(!running);
  cbCancel->SetVisible(running);
}

void frmDecompiler::txtDest_Change() {
  player::Options().Decompiler.Destination = txtDest->Text();
  cbGo->SetEnabled(!txtDest->Text().empty());
}

void frmDecompiler::cbBrowse_Click() {
  UINT flags = 0;
  std::wstring display, folder;
  if (BrowseForFolder(hWnd(), flags, display, folder,
                      LangText(Name() + L"/strBrowse", L"Select a folder to save extracted resources to:")))
    txtDest->SetText(AddBackslash(folder));
}

void frmDecompiler::cbGo_Click() {
  if (running_ || txtDest->Text().empty()) return;
  std::wstring dest = txtDest->Text();
  const Destination ready = PrepareDestination(dest, Prompts());
  if (txtDest->Text() != dest) txtDest->SetText(dest);
  if (ready != Destination::Ready) return;

  const player::ExtractorSettings kinds = Kinds();
  int32_t counts[5];
  KindCounters(kinds, counts);
  bool stopped = false;
  if (AnyKind(kinds)) {
    ShowRunning(true);
    progress_->SetCaption(L"");
    progress_->SetStatus(0);
    EnableAllControls(*this, true);
    cbCancel->SetEnabled(true);
    FindControl(L"cbHelp")->SetEnabled(true);
    PumpPendingMessages();
    stopRequested_ = false;
    running_ = true;
    BarProgress bar(*progress_);
    const SWFInfo movie = movie_;  // the window may close, clearing its record, while the run goes on
    ExtractResources(movie, dest, &bar, counts, stopRequested_);
    running_ = false;
    stopped = stopRequested_;
    if (!IsLoaded()) return;  // closed while it ran
    EnableAllControls(*this, false);
    ShowRunning(false);
  }

  KindNames names;
  for (int i = 0; i < 5; ++i)
    names.Names[i] = LangText(Name() + L"/" + kKinds[i].name, Find<forms::CheckBox>(kKinds[i].name)->Caption());
  const auto [prompt, any] = ExtractSummary(counts, names, stopped);
  if (Prompts().Summary(prompt, any)) Prompts().ShowFolder(dest);
}

void frmDecompiler::cbCancel_Click() {
  cbCancel->SetEnabled(false);
  stopRequested_ = true;
}

}  // namespace tools
