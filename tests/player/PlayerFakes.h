// The player's operations without a window: a recording movie control, a
// recording host with menus, a playlist and scripted seams, a fixture that
// points the program's folders into a temporary folder, and movie builders.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "base/ErrorLog.h"
#include "moviefiles/MovieBytes.h"
#include "moviefiles/SWFModule.h"
#include "player/movie/MovieLoader.h"
#include "player/movie/PlayerHost.h"
#include "services/Options.h"
#include "services/Services.h"

namespace player_test {

using Calls = std::vector<std::wstring>;

// Records every call in the order made; a loaded movie has `frames` frames.
class FakeControl : public player::MovieControl {
 public:
  explicit FakeControl(Calls& calls) : calls_(calls) {}
  long frame = -1, total = 0, scale = 0, volume = 100, framesOnLoad = 10;
  bool playing = false, readLocal = false;
  std::wstring quality = L"High";
  std::map<std::wstring, std::wstring> vars;

  void LoadMovie(long layer, const std::wstring& url) override {
    Log(L"LoadMovie " + std::to_wstring(layer) + L" " + url);
    frame = 0, total = framesOnLoad;
  }
  void SetAlignMode(long mode) override { Log(L"AlignMode " + std::to_wstring(mode)); }
  long ScaleMode() const override { return scale; }
  void SetScaleMode(long mode) override {
    Log(L"ScaleMode " + std::to_wstring(mode));
    if (mode >= 0 && mode <= 3) scale = mode;
  }
  std::wstring Quality2() const override { return quality; }
  void SetQuality2(const std::wstring& q) override { Log(L"Quality " + q), quality = q; }
  void SetBGColor(const std::wstring& color) override { Log(L"BGColor " + color); }
  void SetLoop(bool loop) override { Log(loop ? L"Loop True" : L"Loop False"); }
  long Volume() const override { return volume; }
  void SetVolume(long v) override { Log(L"Volume " + std::to_wstring(v)), volume = v; }
  void SetPan(long p) override { Log(L"Pan " + std::to_wstring(p)); }
  void SetVariable(const std::wstring& name, const std::wstring& value) override {
    Log(L"Set " + name + L"=" + value);
    vars[name] = value;
  }
  std::wstring GetVariable(const std::wstring& name) const override {
    auto it = vars.find(name);
    return it == vars.end() ? L"" : it->second;
  }
  void Play() override { Log(L"Play"), playing = true; }
  void Stop() override { Log(L"Stop"), playing = false; }
  void Rewind() override { Log(L"Rewind"), frame = 0; }
  void GotoFrame(long f) override { Log(L"GotoFrame " + std::to_wstring(f)), frame = f; }
  long CurrentFrame() const override { return frame; }
  long FrameNum() const override { return frame; }
  long TotalFrames() const override { return total; }
  bool Playing() const override { return playing; }
  void SetPlaying(bool on) override { Log(on ? L"Playing 1" : L"Playing 0"), playing = on; }
  bool ReadLocalFile() const override { return readLocal; }

 private:
  void Log(const std::wstring& call) { calls_.push_back(call); }
  Calls& calls_;
};

class FakeHost : public player::PlayerHost {
 public:
  Calls calls;  // the control's calls and the host's, in one order
  FakeControl control{calls};
  bool hasControl = true;
  player::PlayerState state;
  player::OptionSet options;
  struct Item {
    bool checked = false, enabled = true, visible = true;
    std::wstring caption;
  };
  std::map<std::pair<std::wstring, int>, Item> menus;
  std::vector<std::wstring> playlist;
  int current = -1;
  bool loadOnPlay = false;  // PlaylistPlayItem runs the loader on the entry
  bool heartbeat = false;
  std::wstring caption, notice;
  std::deque<double> randoms;
  player::CivilDate today{2024, 3, 10};
  bool answerYes = false;
  std::wstring asked;  // the last Yes/No question
  player::SaveFileAnswer saveAnswer;
  bool recycleWorks = true;
  std::vector<player::GeneratorSettings> generated;  // the settings of each RunGenerator
  std::vector<SWFInfo> formMovies;  // the record handed to each ShowMovieForm

  Item& Menu(const std::wstring& name, int index = -1) { return menus[{name, index}]; }

  player::PlayerState& State() override { return state; }
  player::OptionSet& Opts() override { return options; }
  player::MovieControl* Control() override { return hasControl ? &control : nullptr; }

  bool Checked(const std::wstring& item, int index) const override { return Find(item, index).checked; }
  void SetChecked(const std::wstring& item, bool on, int index) override { Menu(item, index).checked = on; }
  bool Enabled(const std::wstring& item) const override { return Find(item, -1).enabled; }
  void SetEnabled(const std::wstring& item, bool on) override { Menu(item).enabled = on; }
  void SetMenuVisible(const std::wstring& item, bool on) override { Menu(item).visible = on; }
  std::wstring MenuCaption(const std::wstring& item) const override { return Find(item, -1).caption; }
  void SetMenuCaption(const std::wstring& item, const std::wstring& text) override { Menu(item).caption = text; }
  void ClickMenu(const std::wstring& item) override { Log(L"Click " + item); }

  void SetHeartbeat(bool on) override { heartbeat = on; }
  void SetCaption(const std::wstring& text) override { caption = text; }
  void ShowNotice(const std::wstring& text) override { notice = text; }
  void ZoomFlash(long percent, long) override { Log(L"ZoomFlash " + std::to_wstring(percent)); }
  void Center() override {}
  void View_Resize() override { Log(L"Move"); }  // the window moves the control
  bool WindowNormal() const override { return true; }
  void SizeForBrowsing() override { Log(L"SizeForBrowsing"); }
  void ShowAddressBar(bool on) override { Menu(L"AddressBar").visible = on; }
  void FullScreen(bool on, bool, bool hideUIonly) override {
    Log(on ? L"FullScreen True" : L"FullScreen False");
    if (!hideUIonly) Menu(L"mnuFullScreen").checked = on;  // as the window marks its menu
  }
  void Quit(const std::wstring& reason, bool save) override {
    Log(L"Quit " + reason + (save ? L" saved" : L" unsaved"));
  }
  bool FormOpen(const std::wstring&) const override { return false; }
  void ShowForm(const std::wstring& name, int mode) override { Log(L"ShowForm " + name + L" " + std::to_wstring(mode)); }
  void ShowMovieForm(const std::wstring& name, const SWFInfo& movie, int mode) override {
    formMovies.push_back(movie);
    ShowForm(name, mode);
  }
  void RunGenerator(const player::GeneratorSettings& settings) override {
    generated.push_back(settings);
    Log(L"RunGenerator");
  }
  bool SkinLoaded() const override { return false; }
  void ShowSkinButtons() override { Log(L"ShowSkinButtons"); }
  void UpdateSkinState() override { Log(L"UpdateSkinState"); }

  int PlaylistLast() const override { return static_cast<int>(playlist.size()) - 1; }
  int PlaylistCurrent() const override { return current; }
  void PlaylistMarkNonePlaying() override { current = -1; }
  void PlaylistClear() override {
    Log(L"PlaylistClear");
    playlist.clear(), current = -1;
  }
  void PlaylistAdd(const std::wstring& path, int) override {
    Log(L"PlaylistAdd " + path);
    playlist.push_back(path);
  }
  void PlaylistPlayItem(int index) override {
    Log(L"PlayItem " + std::to_wstring(index));
    if (index < 0 || index > PlaylistLast()) return;
    current = index;
    if (loadOnPlay) {
      std::wstring path = playlist[index];
      player::LoadFlash(*this, path, L"", false);
    }
  }

  void ExecuteStatement(const std::wstring& statement) override { Log(L"Execute" + statement); }
  void BrowseMedia() override { Log(L"BrowseMedia"); }
  void BrowseFolder(const std::wstring& folder, bool) override { Log(L"BrowseFolder " + folder); }
  void ShowBrowsePage(bool, const std::wstring& line) override { Log(L"ShowBrowsePage " + line); }
  void SetBrowseMenus(bool, bool, bool) override {}
  void SelectBrowseFolder(const std::wstring& text) override { Log(L"SelectBrowseFolder " + text); }
  void AddRecent(const std::wstring& path) override { Log(L"AddRecent " + path); }

  double Random() override {
    if (randoms.empty()) return 0.5;
    double r = randoms.front();
    randoms.pop_front();
    return r;
  }
  player::CivilDate Today() const override { return today; }
  bool AskYesNo(const std::wstring& text, const std::wstring&) override {
    asked = text;
    return answerYes;
  }
  void ShowMessage(const std::wstring& text, const std::wstring& title) override {
    Log(L"Message " + title + L": " + text);
  }
  player::SaveFileAnswer AskSaveFile(const player::SaveFileRequest&) override { return saveAnswer; }
  void ShellOpen(const std::wstring& target, const std::wstring& verb) override {
    Log(L"ShellOpen " + verb + L" " + target);
  }
  bool Recycle(const std::wstring& path) override {
    Log(L"Recycle " + path);
    return recycleWorks && DeleteFileW(path.c_str());
  }

  // The calls that begin with prefix.
  Calls Only(const std::wstring& prefix) const {
    Calls out;
    for (const auto& c : calls)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }
  bool Has(const std::wstring& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

 private:
  void Log(const std::wstring& call) { calls.push_back(call); }
  Item Find(const std::wstring& item, int index) const {
    auto it = menus.find({item, index});
    return it == menus.end() ? Item{} : it->second;
  }
};

// The program's folders in a temporary folder ("Flash\" holds its own
// movies), the movie records cleared, and the log collected.
class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::tuple(CacheFolder, FlashFolder, ProjectorStubPath, GenericProjectors);
    CacheFolder = temp.File(L"cache\\");
    FlashFolder = temp.File(L"Flash\\");
    CreateDirectoryW(CacheFolder.c_str(), nullptr);
    CreateDirectoryW(FlashFolder.c_str(), nullptr);
    GenericProjectors = false;
    ProjectorStubPath = Write(L"stub.dll", moviebytes::Text("MZ stub of the tests"));
    SetLogSink([this](const std::wstring& text, bool) { log.push_back(text); });
  }
  void TearDown() override {
    SetLogSink(nullptr);
    std::tie(CacheFolder, FlashFolder, ProjectorStubPath, GenericProjectors) = saved_;
  }

  std::wstring Write(const std::wstring& name, const moviebytes::Bytes& bytes) {
    const std::wstring path = temp.File(name);
    testing_support::WriteBytes(path, bytes);
    return path;
  }
  // A movie of frames empty frames at rate frames a second, background 102030.
  static moviebytes::Movie Frames(int frames, int rate = 12) {
    moviebytes::Movie m;
    m.rateWhole = static_cast<uint8_t>(rate);
    m.frames = static_cast<uint16_t>(frames);
    m.tags = {moviebytes::BackgroundTag(0x10, 0x20, 0x30), moviebytes::ShowFrame(), moviebytes::EndTag()};
    return m;
  }
  std::wstring WriteMovie(const std::wstring& name, int frames = 10) { return Write(name, Frames(frames).Plain()); }
  std::wstring WriteProjector(const std::wstring& name, const moviebytes::Bytes& movie) {
    return Write(name, moviebytes::Projector(moviebytes::Text("MZ projector stub"), movie));
  }
  // Loads path through the loader with the fake host.
  void Load(std::wstring path, bool browserPage = false, const std::wstring& caption = L"") {
    player::LoadFlash(host, path, caption, browserPage);
  }
  bool Logged(const std::wstring& part) const {
    return std::any_of(log.begin(), log.end(), [&](const std::wstring& l) { return l.find(part) != l.npos; });
  }

  testing_support::TempDir temp;
  FakeHost host;
  std::vector<std::wstring> log;

 private:
  std::tuple<std::wstring, std::wstring, std::wstring, bool> saved_;
};

}  // namespace player_test
