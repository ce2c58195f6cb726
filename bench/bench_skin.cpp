// Skin benchmark: a full run of the built-in skin generator (87 pictures) and
// LoadSkin of our skin onto a 640 x 480 window (the generator then current).
// Prints medians of several rounds measured in one run; stops with an error
// when a run does not write every picture or a load fails.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/forms/Forms.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "skin/SkinGenerator.h"
#include "skin/SkinHost.h"
#include "skin/SkinItems.h"
#include "skin/SkinLayout.h"
#include "skin/SkinLoader.h"
#include "skin/SkinStates.h"

namespace {

class BenchWindow : public forms::Form, public SkinHost {
 public:
  BenchWindow() : Form(L"Player", Design()) { Load(); }
  static forms::FormArgs Design() {
    forms::FormArgs d;
    d.ClientWidth = 640;
    d.ClientHeight = 480;
    return d;
  }
  forms::Form& Window() override { return *this; }
  forms::PictureBox* MovieView() override { return view_; }
  forms::Control* MovieControl() override { return nullptr; }
  forms::Control* PlayList() override { return nullptr; }
  forms::Control* AddressBar() override { return nullptr; }
  forms::Control* TipPanel() override { return nullptr; }
  bool HideUI() const override { return false; }
  bool PlaylistShown() const override { return false; }
  bool FullScreenChecked() const override { return false; }
  bool Playing() const override { return true; }
  bool Muted() const override { return false; }
  int Volume() const override { return 50; }
  bool Browsed() const override { return false; }
  double MoviePercent() const override { return 0.5; }
  std::wstring TimeInfoCur() const override { return L"00:10"; }
  std::wstring TimeInfoRem() const override { return L"-00:10"; }
  std::wstring TimeInfoTot() const override { return L"00:20"; }
  bool TimeMode() const override { return false; }
  std::wstring MediaTitle() const override { return L"Bench"; }
  int SkinColor() const override { return 0; }
  void SetSkinOffsets(int, int) override {}
  void SetMinSize(int, int) override {}
  void ShowMenuBarEntry(bool) override {}
  void SkinFailed() override {}
  void ResetFullScreenParts() override {}
  void ApplyFullScreen() override { SetSkinView(L"viewNormal"); }
  void UpdateSkin() override { SlydeArrange(); }
  void BringOwnControlsToFront() override {}

 protected:
  void CreateControls() override {
    forms::PictureBoxArgs v;
    v.Name = L"View";
    view_ = &Add<forms::PictureBox>(v);
  }

 private:
  forms::PictureBox* view_ = nullptr;
};

}  // namespace

int main() {
  wchar_t exe[MAX_PATH];
  std::wstring dir(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
  dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
  SkinFolder = dir + L"Media\\Skin\\";
  UserSkinFolder = BenchFolder(L"swfzel-bench-skin");
  // The generator's fingerprint goes to a key of the benchmark's own, not the user's.
  UseOwnSettings(L"bench_skin");

  std::vector<double> generator;
  for (int round = 0; round < 5; ++round) {
    SaveRegLong(L"View", L"ThemeHash", 0);
    double t0 = Now();
    SlydeRun run = CreateSlydeSkin(0);
    generator.push_back((Now() - t0) * 1000);
    Require(run.Written == 87 && run.Failed == 0,
            "the generator's run (it wrote " + std::to_string(run.Written) + " of 87 pictures)");
  }
  std::vector<double> loads;
  {
    BenchWindow window;
    for (int round = 0; round < 10; ++round) {
      double t0 = Now();
      bool ok = LoadSkin(window);
      loads.push_back((Now() - t0) * 1000);
      Require(ok && SkinItemCount() == 35, "loading the skin");
      ResetSkin();
    }
    window.Unload();
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());
  for (const std::wstring& file : SlydeSkinFiles()) DeleteFileW((UserSkinFolder + file).c_str());
  for (const wchar_t* folder : {L"up", L"over", L"down", L"disabled", L"base"})
    RemoveDirectoryW((UserSkinFolder + folder).c_str());
  RemoveDirectoryW(UserSkinFolder.c_str());

  std::printf("| step | median ms | best ms |\n|---|---|---|\n");
  std::printf("| generator, full run (87 pictures) | %.1f | %.1f |\n", Median(generator),
              *std::min_element(generator.begin(), generator.end()));
  std::printf("| LoadSkin of our skin (35 items, layout) | %.1f | %.1f |\n", Median(loads),
              *std::min_element(loads.begin(), loads.end()));
  return 0;
}
