#include "tools/settings/frmOptions.h"

#include <commdlg.h>

#include "player/start/OptionSet.h"
#include "player/window/PlayerWindow.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/Window.h"
#include "ui/frmMessage.h"

namespace tools {
namespace {

// The pages' value column, right of their labels (wide enough for the longer languages).
constexpr int kValueLeft = 184, kLabelWidth = kValueLeft - 16 - 4;

// The pages, in side-bar order, and how tall each one is.
std::vector<PageInfo> OptionPages() {
  return {{L"/General", L"Start Up & Exit", L"run", L"start-up-and-exit", 104},
          {L"/Flash", L"Flash Movies", L"swf", L"flash-options", 168},
          {L"/Thumbnails", L"Thumbnails", L"image", L"thumbnail-options", 136},
          {L"/Appearance", L"Appearance", L"view", L"appearance-options", 140},
          {L"/Advanced", L"Advanced", L"system", L"advanced-options", 140}};
}

// Which control stands for which field.
struct CheckField {
  const wchar_t* control;
  bool OptionsFields::*field;
};
constexpr CheckField kCheckFields[] = {
    {L"chkScreenSaver", &OptionsFields::ScreenSaver}, {L"chkInstance", &OptionsFields::Instance},
    {L"chkFlash", &OptionsFields::Flash},             {L"chkVideo", &OptionsFields::Video},
    {L"chkPlaylist", &OptionsFields::Playlist},       {L"chkHQShots", &OptionsFields::HQShots},
    {L"chkStore", &OptionsFields::Store},             {L"chkCrop", &OptionsFields::Crop},
    {L"chkRemoveProj", &OptionsFields::RemoveProj},   {L"chkCentered", &OptionsFields::Centered},
    {L"chkMRU", &OptionsFields::MRU},                 {L"chkProjector", &OptionsFields::Projector},
    {L"chkFSCommand", &OptionsFields::FSCommand}};
struct ComboField {
  const wchar_t* control;
  int OptionsFields::*field;
};
constexpr ComboField kComboFields[] = {{L"cmbCache", &OptionsFields::Cache},
                                       {L"cmbSkinColor", &OptionsFields::SkinColor},
                                       {L"cmbStyle", &OptionsFields::Style}};
struct TextField {
  const wchar_t* control;
  std::wstring OptionsFields::*field;
};
constexpr TextField kTextFields[] = {{L"txtMyFlash", &OptionsFields::MyFlash}, {L"txtFrom", &OptionsFields::From},
                                     {L"txtTo", &OptionsFields::To},           {L"txtQuality", &OptionsFields::Quality},
                                     {L"txtFont", &OptionsFields::Font}};

// Save's reach into the main window.
class PlayerOptionsHost : public OptionsHost {
 public:
  explicit PlayerOptionsHost(forms::Form& dialog) : dialog_(dialog) {}
  void ViewResize() override { player::Player.View_Resize(); }
  void LoadRecent() override { player::Player.LoadRecent(); }
  int SavedScreenSaverState() const override { return player::Player.SavedScreenSaverState() ? 1 : 0; }
  void SetSSState(int flag) override { player::Player.SetSSState(flag); }
  void SaveOpts() override { player::Player.SaveOpts(); }
  void RefreshFont() override {
    if (player::Player.IsLoaded() && player::Player.Font().Name != LangFont.Name) ApplyLanguage(player::Player);
  }
  void ReportFolderRefused(const std::wstring& typed) override {
    int check = -1;
    ShowMessage(dialog_,
                LangText(L"Shared/FailFolder", L"The folder could not be created. Please choose another one.") +
                    L"\r\n\r\n" + typed,
                dialog_.Caption(), L"folder", LangText(L"Shared/Ok", L"OK"), L"", L"", L"", check);
  }

 private:
  forms::Form& dialog_;
};

forms::FormArgs OptionsDesign() {
  return forms::FixedDialogArgs(L"Options", frmOptions::kWidth, PageSelector::ClientHeightFor(140));
}

}  // namespace

frmOptions& OptionsWindow() { return Instance<frmOptions>(); }

frmOptions::frmOptions() : ToolWindow(L"frmOptions", OptionsDesign()) {}

OptionsHost& frmOptions::Host() {
  static PlayerOptionsHost player(*this);
  return host_ ? *host_ : player;
}

// ---------------------------------------------------------------- design

void frmOptions::CreateControls() {
  pages_ = std::make_unique<PageSelector>(*this, L"OptSlideBar", kWidth, OptionPages());
  pages_->OnBuild = [this](int page) { BuildPage(page); };

  forms::CommandButton& ok = AddButton(L"cbOK", L"Save");
  ok.SetDefault(true);
  ok.OnClick = [this] { cbOK_Click(); };
  forms::CommandButton& cancel = AddButton(L"cbCancel", L"Cancel");
  cancel.SetCancel(true);
  cancel.SetCausesValidation(false);
  cancel.OnClick = [this] { cbCancel_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({&ok, &cancel, &help});
}

void frmOptions::BuildPage(int page) {
  const size_t first = Controls().size();
  forms::PictureBox* frame = &pages_->Page(page);
  auto on = [frame](auto args) {
    args.Container = frame;
    return args;
  };
  auto check = [&](const wchar_t* name, int top, const wchar_t* caption, const wchar_t* tip, int left = 16) {
    auto a = on(forms::Placed<forms::CheckBoxArgs>(name, left, top, kWidth - left - 16, 20));
    a.Caption = caption;
    a.ToolTipText = tip;
    Add<forms::CheckBox>(a);
  };
  auto label = [&](const wchar_t* name, int left, int top, int width, const wchar_t* caption) {
    auto a = on(forms::Placed<forms::LabelArgs>(name, left, top, width, 18));
    a.Caption = caption;
    a.BackStyle = 0;
    Add<forms::Label>(a);
  };
  auto combo = [&](const wchar_t* name, int top, std::initializer_list<const wchar_t*> items, const wchar_t* tip) {
    auto a = on(forms::Placed<forms::ComboBoxArgs>(name, kValueLeft, top, kWidth - kValueLeft - 16, 0));
    a.Style = 2;
    a.ToolTipText = tip;
    forms::ComboBox& c = Add<forms::ComboBox>(a);
    for (const wchar_t* item : items) c.AddItem(item);
  };
  auto text = [&](const wchar_t* name, int left, int top, int width, const wchar_t* tip) -> forms::TextBox& {
    auto a = on(forms::Placed<forms::TextBoxArgs>(name, left, top, width, 22));
    a.ToolTipText = tip;
    return Add<forms::TextBox>(a);
  };
  auto button = [&](const wchar_t* name, int top, const wchar_t* tip) -> forms::CommandButton& {
    auto a = on(forms::Placed<forms::CommandButtonArgs>(name, kWidth - 16 - 32, top, 32, 24));
    a.Caption = L"...";
    a.ToolTipText = tip;
    return Add<forms::CommandButton>(a);
  };

  switch (page) {
    case 0:  // Start Up & Exit
      check(L"chkScreenSaver", 12, L"Temporarily Disable Screen Saver", L"Disable Screen Saver while SWF.zel is running");
      check(L"chkInstance", 36, L"One Instance of SWF.zel Only", L"Open new files using existing window");
      label(L"lblQuit", 16, 72, kLabelWidth, L"Clean Up on Exit:");
      combo(L"cmbCache", 68, {L"Don't Clear Cache Up", L"Keep Thumbnails Only", L"Clear Cache Up"},
            L"Way of clearing up temporary files used by SWF.zel");
      break;
    case 1:  // Flash Movies
      label(L"lblFileType", 16, 12, 300, L"File Types to Open with SWF.zel:");
      check(L"chkFlash", 34, LangText(L"BrowseMedia/strMovie", L"Flash Movie").c_str(), L"", 32);
      check(L"chkVideo", 58, LangText(L"BrowseMedia/strVideo", L"Flash Video").c_str(), L"", 32);
      check(L"chkPlaylist", 82, LangText(L"BrowseMedia/strPlaylist", L"Flash Playlist").c_str(), L"", 32);
      label(L"lblMyFlash", 16, 114, 300, L"My Flash Folder:");
      text(L"txtMyFlash", 16, 134, kWidth - 16 - 32 - 20, L"Your default folder with flash movies");
      button(L"cbFlash", 133, L"Choose a folder").OnClick = [this] { cbFlash_Click(); };
      break;
    case 2: {  // Thumbnails
      label(L"lblRange", 16, 16, kLabelWidth, L"Sample Range:");
      forms::TextBox& from =
          text(L"txtFrom", kValueLeft, 12, 44, L"Lowest per cent of the movie's length a thumbnail frame is picked from");
      label(L"lblMinus", kValueLeft + 50, 16, 10, L"-");
      forms::TextBox& to =
          text(L"txtTo", kValueLeft + 64, 12, 44, L"Highest per cent of the movie's length a thumbnail frame is picked from");
      label(L"lblPercent2", kValueLeft + 114, 16, 20, L"%");
      check(L"chkHQShots", 44, L"High Quality Thumbnails", L"Create anti-aliased thumbnails");
      label(L"lblQuality", 16, 78, kLabelWidth, L"JPEG Quality:");
      forms::TextBox& quality = text(L"txtQuality", kValueLeft, 74, 44, L"JPEG compression quality");
      label(L"lblPercent", kValueLeft + 50, 78, 20, L"%");
      label(L"lblThumbnail", 16, 108, kLabelWidth, L"Thumbnails:");
      check(L"chkStore", 106, L"Save in Movie's Folder",
            L"Thumbnail for every movie will be saved in the same folder, using corresponding name", kValueLeft);
      WireValidation(from, to, quality);
      break;
    }
    case 3:  // Appearance
      label(L"lblSkinColor", 16, 16, kLabelWidth, L"Skin Colors:");
      combo(L"cmbSkinColor", 12, {L"System", L"Dark"}, L"");
      label(L"lblStyle", 16, 48, kLabelWidth, L"Visual Style:");
      combo(L"cmbStyle", 44, {L"Simply Flat", L"Smooth Gradients", L"Glassy Look"}, L"Menus and Windows Appearance");
      check(L"chkCrop", 78, L"Crop Movie Viewport",
            L"Show black stripes for Wide Screen Movies while in \"Show All\" Scale Mode");
      label(L"lblFont", 16, 112, kLabelWidth, L"Preferred Font:");
      text(L"txtFont", kValueLeft, 108, kWidth - kValueLeft - 32 - 20, L"Font to be used in windows, menus and service movies")
          .SetLocked(true);
      button(L"cbFont", 107, L"Choose font").OnClick = [this] { cbFont_Click(); };
      break;
    case 4:  // Advanced
      check(L"chkRemoveProj", 12, L"Replace Projectors with Movies They Contain",
            L"Save a movie contained in a projector, then move that projector to Recycle Bin");
      check(L"chkCentered", 36, L"Center Player Window", L"Move Player Window to the Center of the Screen");
      check(L"chkMRU", 60, L"Keep a List of Recent Files", L"Show Recent Files list in File menu");
      check(L"chkProjector", 84, L"Skip Doubtful Projectors",
            L"Do not try to extract media from executables other that Macromedia Flash Projectors");
      check(L"chkFSCommand", 108, L"Listen to FS Commands", L"Let some movies control player");
      break;
  }
  const std::vector<forms::Control*> added(Controls().begin() + static_cast<std::ptrdiff_t>(first), Controls().end());
  TranslateAdded(added);
  ShowFields(frame);
}

void frmOptions::WireValidation(forms::TextBox& from, forms::TextBox& to, forms::TextBox& quality) {
  auto clamp = [](forms::TextBox& box) {
    const std::wstring text = ClampPercentText(box.Text());
    if (text != box.Text()) box.SetText(text);
  };
  from.OnValidate = [&from, clamp](bool&) { clamp(from); };
  quality.OnValidate = [&quality, clamp](bool&) { clamp(quality); };
  to.OnValidate = [&from, &to](bool&) {
    const std::wstring text = ValidateToText(from.Text(), to.Text());
    if (text != to.Text()) to.SetText(text);
  };
}

// ---------------------------------------------------------------- operations

void frmOptions::Form_Load() {
  ApplyLanguage(*this);
  InitPages();
  LoadOptions();
  SetVisual();
  ShowPage();
}

void frmOptions::InitPages() {
  player::OptionSet& o = player::Options();
  o.OptionsPage = static_cast<uint8_t>(StartPage(o.OptionsPage));
  PreviousPage = o.OptionsPage;
  pages_->Init(o.OptionsPage);
  pages_->Bar().OnClick = [this](long& index) { OptSlideBar_Click(index); };
}

void frmOptions::ShowPage() {
  const int page = StartPage(player::Options().OptionsPage);
  pages_->ShowAndFit(page);
  SetVisual();
}

void frmOptions::LoadOptions() {
  fields_ = tools::LoadOptions(player::Options(), LangFont.Name);
  font_ = StdFont{};
  font_.Name = fields_.Font;
  font_.Size = LangFont.Size;
  ShowFields();
}

void frmOptions::ShowFields(const forms::Container* page) {
  // Only the pages made so far have controls; the others show the fields when made.
  auto wanted = [page](forms::Control* c) { return c && (!page || c->Container() == page); };
  for (const CheckField& c : kCheckFields)
    if (auto* box = Find<forms::CheckBox>(c.control); wanted(box)) box->SetValue(fields_.*c.field ? 1 : 0);
  for (const ComboField& c : kComboFields)
    if (auto* box = Find<forms::ComboBox>(c.control); wanted(box)) box->SetListIndex(fields_.*c.field);
  for (const TextField& t : kTextFields)
    if (auto* box = Find<forms::TextBox>(t.control); wanted(box)) box->SetText(fields_.*t.field);
}

OptionsFields frmOptions::Fields() const {
  OptionsFields f = fields_;
  for (const CheckField& c : kCheckFields)
    if (auto* box = Find<forms::CheckBox>(c.control)) f.*c.field = box->Value() == 1;
  for (const ComboField& c : kComboFields)  // a stored value outside the list shows no choice and stays
    if (auto* box = Find<forms::ComboBox>(c.control); box && box->ListIndex() >= 0) f.*c.field = box->ListIndex();
  for (const TextField& t : kTextFields)
    if (auto* box = Find<forms::TextBox>(t.control)) f.*t.field = box->Text();
  return f;
}

void frmOptions::ApplyOptions() { tools::ApplyOptions(Fields(), player::Options(), Host()); }

void frmOptions::SetVisual() {
  if (!IsLoaded()) return;
  // The file types as the media browser names them (the page may not be made yet).
  const std::pair<const wchar_t*, std::wstring> types[] = {
      {L"chkFlash", LangText(L"BrowseMedia/strMovie", L"Flash Movie")},
      {L"chkVideo", LangText(L"BrowseMedia/strVideo", L"Flash Video")},
      {L"chkPlaylist", LangText(L"BrowseMedia/strPlaylist", L"Flash Playlist")}};
  for (const auto& [name, caption] : types)
    if (auto* box = Find<forms::CheckBox>(name)) box->SetCaption(caption);
  ToolWindow::SetVisual();
}

void frmOptions::PaintContent() {
  if (pages_ && pages_->Shown() >= 0) StyleForm(pages_->Page(pages_->Shown()), 0, false);
}

std::wstring frmOptions::HelpTopic() const { return pages_ ? pages_->HelpTopic() : std::wstring(); }

// ---------------------------------------------------------------- events

void frmOptions::OptSlideBar_Click(long index) {
  player::OptionSet& o = player::Options();
  PreviousPage = o.OptionsPage;
  o.OptionsPage = static_cast<uint8_t>(StartPage(index));
  if (o.OptionsPage != PreviousPage) ShowPage();
}

void frmOptions::cbOK_Click() {
  // A value typed last is checked even when Save was pressed from the keyboard.
  if (!ValidateActiveControl()) return;
  ApplyOptions();
  Host().RefreshFont();
  Close();
}

void frmOptions::cbCancel_Click() { Close(); }

void frmOptions::cbFlash_Click() {
  UINT flags = 0;
  std::wstring display, folder;
  if (BrowseForFolder(hWnd(), flags, display, folder, LangText(Name() + L"/strSelFolder", L"Select your Flash Folder:")))
    Find<forms::TextBox>(L"txtMyFlash")->SetText(AddBackslash(folder));
}

void frmOptions::cbFont_Click() {
  StdFont font = font_;
  font.Size = 8;
  if (!ShowFontDialog(font, hWnd(), CF_FORCEFONTEXIST | CF_LIMITSIZE, 8, 8)) return;
  font_.Name = font.Name;  // only the face: the size stays as it was
  Find<forms::TextBox>(L"txtFont")->SetText(font_.Name);
}

}  // namespace tools
