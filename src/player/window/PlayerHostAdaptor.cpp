#include "player/window/PlayerHostAdaptor.h"

#include <shlwapi.h>

#include "player/window/PostedCalls.h"
#include "player/window/SkinSeam.h"
#include "player/commands/ToolWindowOpeners.h"
#include "services/CommonDialog.h"
#include "services/ShellMod.h"
#include "skin/SkinLayout.h"

namespace player {

OptionSet& PlayerWindow::PlayerHostAdaptor::Opts() { return Options(); }

bool PlayerWindow::PlayerHostAdaptor::Enabled(const std::wstring& item) const {
  forms::Menu* m = w_.MenuItem(item);
  return m && m->Enabled();
}

void PlayerWindow::PlayerHostAdaptor::SetEnabled(const std::wstring& item, bool on) {
  if (forms::Menu* m = w_.MenuItem(item); m && m->Enabled() != on) m->SetEnabled(on);
}

void PlayerWindow::PlayerHostAdaptor::SetMenuVisible(const std::wstring& item, bool on) {
  if (forms::Menu* m = w_.MenuItem(item); m && m->Visible() != on) m->SetVisible(on);
}

std::wstring PlayerWindow::PlayerHostAdaptor::MenuCaption(const std::wstring& item) const {
  forms::Menu* m = w_.MenuItem(item);
  return m ? m->Caption() : std::wstring();
}

void PlayerWindow::PlayerHostAdaptor::SetMenuCaption(const std::wstring& item, const std::wstring& text) {
  if (forms::Menu* m = w_.MenuItem(item); m && m->Caption() != text) m->SetCaption(text);
}

void PlayerWindow::PlayerHostAdaptor::SetHeartbeat(bool on) {
  if (auto* t = w_.Find<forms::Timer>(L"tmrUpdate")) t->SetEnabled(on);
}

bool PlayerWindow::PlayerHostAdaptor::WindowNormal() const {
  return w_.IsLoaded() && w_.WindowState() == forms::vbNormal;
}

void PlayerWindow::PlayerHostAdaptor::SizeForBrowsing() {
  if (!w_.IsLoaded()) return;
  const OptionSet& o = Options();
  w_.Move(w_.Left(), w_.Top(), forms::TwipsToPixels(o.BrowseWidth), forms::TwipsToPixels(o.BrowseHeight));
}

void PlayerWindow::PlayerHostAdaptor::ShowAddressBar(bool on) {
  if (auto* bar = w_.Find<forms::ComboBox>(L"AddressBar"); bar && bar->Visible() != on) bar->SetVisible(on);
}

void PlayerWindow::PlayerHostAdaptor::Quit(const std::wstring& reason, bool save) {
  // From the message loop: the caller may be the movie control's own event.
  PlayerWindow* w = &w_;
  PostCall([w, reason, save] { w->Quit(reason, save); });
}

bool PlayerWindow::PlayerHostAdaptor::FormOpen(const std::wstring& name) const {
  for (forms::Form* f : forms::LoadedForms())
    if (f->Name() == name) return true;
  return false;
}

void PlayerWindow::PlayerHostAdaptor::ShowForm(const std::wstring& name, int mode) {
  if (!OpenToolWindow(name, mode)) w_.Unavailable(name);
}

void PlayerWindow::PlayerHostAdaptor::ShowMovieForm(const std::wstring& name, const SWFInfo& movie, int mode) {
  if (!OpenMovieToolWindow(name, movie, mode)) w_.Unavailable(name);
}

void PlayerWindow::PlayerHostAdaptor::RunGenerator(const GeneratorSettings& settings) {
  // From the message loop: a script's statement returns first, and the run
  // (which lets messages through) is never nested in the statement's wait.
  if (const std::function<void(const GeneratorSettings&)>& run = GeneratorRunner())
    PostCall([run, settings] { run(settings); });
  else
    w_.Unavailable(L"Generate");
}

bool PlayerWindow::PlayerHostAdaptor::SkinLoaded() const { return SkinIsLoaded(); }

void PlayerWindow::PlayerHostAdaptor::ShowSkinButtons() { SlydeShowButtons(); }

void PlayerWindow::PlayerHostAdaptor::UpdateSkinState() {
  if (SkinIsLoaded()) SlydeUpdateState();
}

double PlayerWindow::PlayerHostAdaptor::Random() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }

CivilDate PlayerWindow::PlayerHostAdaptor::Today() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return CivilDate{now.wYear, now.wMonth, now.wDay};
}

bool PlayerWindow::PlayerHostAdaptor::AskYesNo(const std::wstring& text, const std::wstring& title) {
  return MessageBoxW(w_.IsLoaded() ? w_.hWnd() : nullptr, text.c_str(), title.c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void PlayerWindow::PlayerHostAdaptor::ShowMessage(const std::wstring& text, const std::wstring& title) {
  MessageBoxW(w_.IsLoaded() ? w_.hWnd() : nullptr, text.c_str(), title.c_str(), MB_OK);
}

SaveFileAnswer PlayerWindow::PlayerHostAdaptor::AskSaveFile(const SaveFileRequest& request) {
  DWORD flags = request.Flags;
  std::wstring name = request.FileName, title, filter = request.Filter;
  SaveFileAnswer answer;
  if (ShowFileDialog(w_.IsLoaded() ? w_.hWnd() : nullptr, flags, name, title, L"", request.Title, filter,
                     request.InitialFolder, false)) {
    answer.Path = name;
    answer.FilterPattern = filter;
  }
  return answer;
}

void PlayerWindow::PlayerHostAdaptor::ShellOpen(const std::wstring& target, const std::wstring& verb) {
  ::ShellOpen(target, verb);
}

bool PlayerWindow::PlayerHostAdaptor::Recycle(const std::wstring& path) {
  ShellDelete(path, false);
  return !PathFileExistsW(path.c_str());
}

std::unique_ptr<PlayerHost> PlayerWindow::MakePlayerHost(PlayerWindow& w) {
  return std::make_unique<PlayerHostAdaptor>(w);
}

}  // namespace player
