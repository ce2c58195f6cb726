// Helpers of the tool windows' tests: the program-wide state a test changes
// (the option set, the globals that mirror it, the language, the program's
// registry key and the file types) put back afterwards, a recording stand-in
// for the main window, reading what the dialogs stored, and waiting for a
// window to settle before its picture is taken.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "player/start/OptionSet.h"
#include "services/Languages.h"
#include "services/RegistryModule.h"
#include "tools/settings/OptionsModel.h"

class SlideBar;

namespace tools_test {

// Everything program-wide that the dialogs change, kept and put back; the
// program's registry key starts empty (and the handlers of the file types
// are kept), and pictures and languages are those staged beside the test program.
class ProgramState {
 public:
  ProgramState();
  ~ProgramState();
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;

 private:
  player::OptionSet options_;
  bool oneInstance_, genericProjectors_;
  int visualStyle_;
  InterfaceFont font_;
  long curLang_;
  std::wstring appFolder_, images_, languages_, screenShots_;
  player_test::PrivateProgramKey key_;
};

// The main window as Save reaches it: each call recorded by name; the save
// writes the option set (with the interface font) as the main window does.
struct RecordingHost : tools::OptionsHost {
  std::vector<std::wstring> calls;
  int savedScreenSaver = 1;
  std::vector<int> screenSaverFlags;
  std::vector<std::wstring> refused;
  void ViewResize() override { calls.push_back(L"ViewResize"); }
  void LoadRecent() override { calls.push_back(L"LoadRecent"); }
  int SavedScreenSaverState() const override { return savedScreenSaver; }
  void SetSSState(int flag) override {
    calls.push_back(L"SetSSState");
    screenSaverFlags.push_back(flag);
  }
  void SaveOpts() override;
  void RefreshFont() override { calls.push_back(L"RefreshFont"); }
  void ReportFolderRefused(const std::wstring& typed) override { refused.push_back(typed); }
};

// A value of the program's key as stored, or nothing.
std::optional<RegRawValue> Stored(const std::wstring& section, const std::wstring& name);
// Whether any of these "section\\name" values is stored ("section\\" is the key's default value).
bool AnyStored(std::initializer_list<const wchar_t*> values);
// The default value of a key of HKEY_CLASSES_ROOT ("?" when missing).
std::wstring ClassesRoot(const std::wstring& key);

// Saves a window's picture as name in the test program's folder (for a person
// to look at); false when it could not be written.
bool SavePicture(HWND window, const std::wstring& name);
// Pumps messages until the page selector's selection animation and slide have
// ended and the window has settled (forms_test::PumpUntilSettled).
bool PumpUntilStill(HWND window, const SlideBar& pages);

}  // namespace tools_test
