// Quit's order of steps, what it skips for a window that never loaded or an
// instance that was not the first, and the unloading of every window, the
// last opened first.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Form.h"
#include "player/window/Shutdown.h"

namespace {

class Recorder : public player::QuitSteps {
 public:
  bool ready = true, options = true, first = true;
  std::vector<std::wstring> done;
  bool WindowReady() const override { return ready; }
  bool OptionsLoaded() const override { return options; }
  bool FirstInstance() const override { return first; }
  void HideWindow() override { done.push_back(L"hide"); }
  void ClearPlaylist() override { done.push_back(L"playlist"); }
  void ReleaseHooks() override { done.push_back(L"hooks"); }
  void SaveOptions() override { done.push_back(L"save"); }
  void RestoreScreenSaver() override { done.push_back(L"screensaver"); }
  void ClearCache() override { done.push_back(L"cache"); }
  void ResetInstanceHandle() override { done.push_back(L"hWnd=0"); }
  void SetNoFaultBoxes() override { done.push_back(L"errormode"); }
  void MarkNotReady() override { done.push_back(L"notready"); }
  void UnloadWindows() override { done.push_back(L"unload"); }
  void LogQuit(const std::wstring& reason) override { done.push_back(L"log " + reason); }
};

using Steps = std::vector<std::wstring>;

}  // namespace

TEST(Quit, RunsItsStepsInOrderAndSkipsWhatDoesNotApply) {
  struct Case {
    bool ready, options, first, save;
    Steps steps;
  } cases[] = {
      // Closing the window: the playlist is cleared before the options are saved.
      {true, true, true, true,
       {L"hide", L"playlist", L"hooks", L"save", L"screensaver", L"cache", L"hWnd=0", L"errormode", L"notready",
        L"unload", L"log r"}},
      // Quitting without saving still restores the screen saver (options were read).
      {true, true, true, false,
       {L"hide", L"hooks", L"screensaver", L"cache", L"hWnd=0", L"errormode", L"notready", L"unload", L"log r"}},
      // A second instance leaves the saved handle alone.
      {true, true, false, true,
       {L"hide", L"playlist", L"hooks", L"save", L"screensaver", L"cache", L"errormode", L"notready", L"unload",
        L"log r"}},
      // The start-up gate before the window exists.
      {false, false, true, false, {L"hooks", L"cache", L"hWnd=0", L"errormode", L"notready", L"unload", L"log r"}},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.ready = c.ready, r.options = c.options, r.first = c.first;
    player::RunQuit(r, L"r", c.save);
    EXPECT_EQ(r.done, c.steps) << c.ready << c.options << c.first << c.save;
  }
}

TEST(Quit, AFailingStepDoesNotStopTheOthers) {
  struct Failing : Recorder {
    void SaveOptions() override { throw std::runtime_error("registry gone"); }
  } r;
  player::RunQuit(r, L"Exit Menu", true);
  EXPECT_EQ(r.done.back(), L"log Exit Menu");
}

TEST(Quit, UnloadsEveryWindowTheLastOpenedFirst) {
  std::vector<std::wstring> order;
  std::vector<std::unique_ptr<forms::Form>> windows;
  for (const wchar_t* name : {L"frmFirst", L"frmSecond", L"frmThird"}) {
    forms::FormArgs design;
    design.Left = design.Top = 0;
    windows.push_back(std::make_unique<forms::Form>(name, design));
    forms::Form* f = windows.back().get();
    f->OnUnload = [&order, f](bool&) { order.push_back(f->Name()); };
    ASSERT_TRUE(f->Load());
  }
  EXPECT_EQ(player::UnloadAllForms(), 3);
  EXPECT_EQ(order, (std::vector<std::wstring>{L"frmThird", L"frmSecond", L"frmFirst"}));
  for (auto& w : windows) EXPECT_FALSE(w->IsLoaded());
}
