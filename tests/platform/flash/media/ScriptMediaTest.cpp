// Sounds and videos of scripts in the real control: Sound objects heard
// through the mixer (the test renders what the device would take) under
// their clip's and the global volume, pan and transform; positions, loops
// and completions with a mixer and silent on the clock; what stop and
// stopAllSounds stop; MP3 files loaded beside the movie as event and
// streaming sounds; NetStream playing an FLV file into a Video on the stage
// (statuses, seeking to the key frame, the end) and files outside the
// movie's folder, or streams past the bound, refused.
#include <gtest/gtest.h>

#include <memory>

#include "MediaTestSupport.h"
#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "platform/flash/FlashTestSupport.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/media/FlvPlayer.h"

using namespace flashtest;
using flash::FlashControl;

namespace {

constexpr size_t kBeepFrames = 4410;  // 100 ms

// 16-bit stereo PCM at 44.1 kHz, every frame (left, right).
Bytes StereoSound(uint16_t id, size_t frames, int16_t left, int16_t right) {
  Bytes body = U16(id) + Bytes{0x3F};
  moviebytes::PutLE(body, static_cast<uint32_t>(frames), 4);
  for (size_t i = 0; i < frames; ++i) {
    moviebytes::PutLE(body, static_cast<uint16_t>(left), 2);
    moviebytes::PutLE(body, static_cast<uint16_t>(right), 2);
  }
  return moviebytes::Tag(14, body, true);
}

// obj.method(args): each argument a literal, or "@name" for a variable's value.
std::string Call(const std::string& object, const std::string& method, std::vector<std::string> args = {}) {
  std::string push;
  for (auto it = args.rbegin(); it != args.rend(); ++it)
    push += (*it)[0] == '@' ? "push '" + it->substr(1) + "'; getVariable; " : "push " + *it + "; ";
  return push + "push " + std::to_string(args.size()) + ", '" + object + "'; getVariable; push '" + method +
         "'; callMethod; pop; ";
}
std::string NewSound(const std::string& name, const std::string& target = "") {
  return target.empty() ? "push '" + name + "', 0, 'Sound'; newObject; setVariable; "
                        : "push '" + name + "', '" + target + "'; getVariable; push 1, 'Sound'; newObject; setVariable; ";
}
std::string Handler(const std::string& object, const std::string& name, const std::string& body,
                    const std::string& params = "") {
  return "push '" + object + "'; getVariable; push '" + name + "'; function '' (" + params + ") { " + body +
         " }; setMember; ";
}
std::string TraceOf(const std::string& object, const std::string& member) {
  return "push '" + object + "'; getVariable; push '" + member + "'; getMember; trace; ";
}

class ScriptMediaTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLogSink([this](const std::wstring& text, bool) { log.push_back(text); }); }
  void TearDown() override {
    control.reset();
    SetLogSink({});
    PumpMessages();
  }
  // A movie with the sounds "beep" (8000, -4000) and "boop" (1000, 1000),
  // a clip "mc", the script on its first frame and labelled frames whose
  // actions Run runs; extra tags go first.
  void Load(const std::string& script, FlashControl::AudioMode mode = FlashControl::AudioMode::Manual,
            const std::vector<Bytes>& extra = {}, const std::vector<std::pair<std::string, std::string>>& labelled = {}) {
    moviebytes::Movie m = Frames(0);
    m.version = 7;
    m.rect = moviebytes::Rect(0, 168 * 20, 0, 120 * 20);
    m.rateWhole = 10;
    m.tags = {StereoSound(5, kBeepFrames, 8000, -4000), Export(5, "beep"), StereoSound(6, kBeepFrames * 10, 1000, 1000),
              Export(6, "boop"), Sprite(2, {moviebytes::ShowFrame()})};
    m.tags.insert(m.tags.end(), extra.begin(), extra.end());
    m.tags.push_back(Place(1, 2, 0, 0, "mc"));
    m.tags.push_back(Script(script + "stop"));
    m.tags.push_back(moviebytes::ShowFrame());
    for (const auto& [label, code] : labelled)
      for (const Bytes& t : {Label(label), Script(code), moviebytes::ShowFrame()}) m.tags.push_back(t);
    m.tags.push_back(moviebytes::EndTag());
    m.frames = static_cast<uint16_t>(1 + labelled.size());
    LoadBytes(m.Plain(), mode);
  }
  // Runs the actions of a labelled frame.
  void Run(const std::wstring& label) { control->TCallLabel(L"/", label); }
  void LoadBytes(const Bytes& movie, FlashControl::AudioMode mode) {
    ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"m.swf"), movie));
    control = std::make_unique<FlashControl>(host.get(), 0, 0, 168, 120);
    control->SetClock(clock.Fn());
    control->SetAudioMode(mode);
    control->LoadMovie(0, dir.File(L"m.swf"));
    ASSERT_EQ(control->FrameNum(), 0);
  }
  std::vector<int16_t> Hear(size_t frames) {
    std::vector<int16_t> out(frames * 2);
    control->AudioMixer()->Render(out);
    control->Pump();
    return out;
  }
  void Frame(double seconds = 0.1) {
    clock.now += seconds;
    control->Pump();
  }
  std::string Traces() {
    std::string out;
    const std::wstring prefix = L"Movie trace :: ";
    for (const auto& line : log)
      if (line.rfind(prefix, 0) == 0) out += (out.empty() ? "" : "|") + WideToUtf8(line.substr(prefix.size()));
    log.clear();
    return out;
  }
  size_t Voices() { return control->AudioMixer()->VoiceCount(); }

  testing_support::TempDir dir;
  HostWindow host{168, 120};
  FakeClock clock;
  std::unique_ptr<FlashControl> control;
  std::vector<std::wstring> log;
};

TEST_F(ScriptMediaTest, SoundsAreHeardUnderTheirClipsAndTheGlobalSettings) {
  const std::string beep = Call("s", "attachSound", {"'beep'"}) + Call("s", "start");
  const struct {
    const char* what;
    std::string script;
    int16_t left, right;
    std::string traces;
  } cases[] = {
      {"plain", NewSound("s") + beep, 8000, -4000, ""},
      {"volume", NewSound("s") + beep + Call("s", "setVolume", {"50"}) + "push 0, 's'; getVariable; push 'getVolume'; callMethod; trace; ",
       4000, -2000, "50"},
      {"pan right", NewSound("s") + Call("s", "setPan", {"100"}) + beep + "push 0, 's'; getVariable; push 'getPan'; callMethod; trace; ",
       0, -4000, "100"},
      {"pan left", NewSound("s") + Call("s", "setPan", {"-50"}) + beep, 8000, -2000, ""},
      {"channels swapped",
       NewSound("s") + "push 'll', 0, 'lr', 100, 'rl', 100, 'rr', 0, 4; initObject; push 1, 's'; getVariable; "
                       "push 'setTransform'; callMethod; pop; " + beep +
           "push 0, 's'; getVariable; push 'getTransform'; callMethod; push 'rl'; getMember; trace; ",
       -4000, 8000, "100"},
      {"clip and global multiply", NewSound("s", "mc") + NewSound("g") + Call("s", "setVolume", {"50"}) +
                                       Call("g", "setVolume", {"50"}) + beep, 2000, -1000, ""},
      {"another clip's volume leaves it", NewSound("s") + NewSound("m", "mc") + Call("m", "setVolume", {"0"}) + beep,
       8000, -4000, ""},
      {"two Sounds of one clip share its volume", NewSound("s", "mc") + NewSound("m", "mc") + beep +
                                                      Call("m", "setVolume", {"25"}) +
                                                      "push 0, 's'; getVariable; push 'getVolume'; callMethod; trace; ",
       2000, -1000, "25"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load(c.script);
    EXPECT_EQ(Traces(), c.traces);
    const auto out = Hear(10);
    EXPECT_EQ(out[0], c.left);
    EXPECT_EQ(out[1], c.right);
  }
}

TEST_F(ScriptMediaTest, AClipsSoundScalesItsTimelineSounds) {
  // mc2 starts "boop" on its first frame; the main timeline then halves mc2's sounds.
  Load(NewSound("s", "mc2") + Call("s", "setVolume", {"50"}), FlashControl::AudioMode::Manual,
       {Sprite(3, {moviebytes::Tag(15, U16(6) + Bytes{0}), moviebytes::ShowFrame()}), Place(2, 3, 0, 0, "mc2")});
  EXPECT_EQ(Voices(), 1u);
  EXPECT_EQ(Hear(10)[0], 500);
}

TEST_F(ScriptMediaTest, PositionLoopsAndCompletionWithAMixerAndSilent) {
  const std::string script = NewSound("s") + Call("s", "attachSound", {"'beep'"}) +
                             Handler("s", "onSoundComplete", "push 'done ', 'this'; getVariable; push 'position'; "
                                                             "getMember; add2; trace") +
                             Call("s", "start", {"0.05", "2"}) + TraceOf("s", "duration");
  for (auto mode : {FlashControl::AudioMode::Manual, FlashControl::AudioMode::None}) {
    SCOPED_TRACE(mode == FlashControl::AudioMode::None ? "silent" : "mixed");
    Load(script, mode);
    EXPECT_EQ(Traces(), "100");
    if (mode == FlashControl::AudioMode::Manual) Hear(882);  // 20 ms
    Frame(0.02);
    EXPECT_EQ(control->GetVariable(L"s.position"), L"70");
    if (mode == FlashControl::AudioMode::Manual) Hear(kBeepFrames);  // the rest of both loops
    Frame(0.1);
    EXPECT_EQ(Traces(), "done 100");
    Frame();
    EXPECT_EQ(Traces(), "");
  }
}

TEST_F(ScriptMediaTest, StopStopsWhatItNamesAndNoCompletionFollows) {
  const std::string both = NewSound("s") + NewSound("t", "mc") + Call("s", "attachSound", {"'beep'"}) +
                           Call("t", "attachSound", {"'boop'"}) +
                           Handler("s", "onSoundComplete", "push 'done'; trace") + Call("s", "start") +
                           Call("t", "start");
  const struct {
    const char* what;
    std::string stop;
    size_t left;
    const char* traces;  // "beep" plays to its end unless stopped
  } cases[] = {
      {"by name", Call("s", "stop", {"'beep'"}), 1, ""},
      {"a clip's sounds", NewSound("m", "mc") + Call("m", "stop"), 1, "done"},
      {"every sound", Call("s", "stop"), 0, ""},
      {"stopAllSounds", "stopSounds; ", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load(both + c.stop);
    EXPECT_EQ(Voices(), c.left);
    Hear(kBeepFrames * 2);
    Frame();
    EXPECT_EQ(Traces(), c.traces);
  }
}

TEST_F(ScriptMediaTest, LoadSoundPlaysMp3FilesBesideTheMovieOnly) {
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"tone.mp3"), mediatest::ReadData(L"tone.mp3")));
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"..\\outside.mp3"), mediatest::ReadData(L"tone.mp3")));
  const std::string traceLoad = "push 'ok'; getVariable; trace; push 'this'; getVariable; push 'duration'; "
                                "getMember; push 950; greater; trace; ";
  const struct {
    const char* what;
    std::string load;
    bool streaming;
    std::string traces;
  } cases[] = {
      {"event", Call("s", "loadSound", {"'tone.mp3'", "false"}), false, "true|true"},
      {"streaming", Call("s", "loadSound", {"'tone.mp3'", "true"}), true, "true|true"},
      {"outside the folder", Call("s", "loadSound", {"'../outside.mp3'", "false"}), false, "false|false"},
      {"missing", Call("s", "loadSound", {"'none.mp3'", "true"}), true, "false|false"},
      {"no MP3 file", Call("s", "loadSound", {"'m.swf'", "false"}), false, "false|false"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // An event sound waits for its start (here in onLoad); a streaming one plays at once.
    const std::string start = c.streaming ? "" : "push 0, 'this'; getVariable; push 'start'; callMethod; pop";
    Load(NewSound("s") + Handler("s", "onLoad", traceLoad + start, "ok") +
         Handler("s", "onSoundComplete", "push 'done'; trace") + c.load);
    const bool loads = c.traces == "true|true";
    EXPECT_EQ(Voices(), loads && c.streaming ? 1u : 0u);
    Frame();
    EXPECT_EQ(Traces(), c.traces);  // onLoad at the next frame
    EXPECT_EQ(Voices(), loads ? 1u : 0u);
    if (!loads) continue;
    // A second and a bit of the 440 Hz tone, fed as it plays (crossings of a
    // band around zero, so the encoder's quiet start counts none).
    int crossings = 0;
    bool high = false;
    for (int i = 0; i < 12; ++i) {
      const auto out = Hear(4410);
      for (size_t k = 0; k < out.size(); k += 2)
        if ((high && out[k] < -1000) || (!high && out[k] > 1000)) high = !high, ++crossings;
    }
    EXPECT_NEAR(crossings, 880, 40);
    Frame();
    EXPECT_EQ(Traces(), "done");
  }
  DeleteFileW(dir.File(L"..\\outside.mp3").c_str());
}

// A movie of the video's size whose Video "v" shows a stream of sorenson.flv
// (168 x 120, 4 s, a key frame every second), with frames to seek and pause.
class NetStreamTest : public ScriptMediaTest {
 protected:
  void Play(const std::string& file, const std::string& more = "") {
    ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"clip.flv"), mediatest::ReadData(L"sorenson.flv")));
    const std::string script =
        "push 'nc', 0, 'NetConnection'; newObject; setVariable; " + Call("nc", "connect", {"null"}) +
        "push 'ns', 'nc'; getVariable; push 1, 'NetStream'; newObject; setVariable; " +
        Handler("ns", "onStatus", "push 'info'; getVariable; push 'code'; getMember; trace", "info") +
        Call("v", "attachVideo", {"@ns"}) + more + Call("ns", "play", {"'" + file + "'"});
    Load(script, FlashControl::AudioMode::None,
         {moviebytes::Tag(60, U16(3) + U16(0) + U16(168) + U16(120) + Bytes{0, 2}), Place(2, 3, 0, 0, "v")},
         {{"seek", Call("ns", "seek", {"2.5"}) + TraceOf("ns", "time")}, {"pause", Call("ns", "pause")}});
  }
  // The middle row of the stage as painted.
  std::vector<uint32_t> Row() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 168, -120, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageW(control->hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
    const uint32_t* row = static_cast<uint32_t*>(bits) + 60 * 168;
    std::vector<uint32_t> out(row, row + 168);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
  }
  // The same row of the file's own picture of a time.
  std::vector<uint32_t> Expected(double seconds) {
    flash::media::FlvPlayer player;
    EXPECT_TRUE(player.Open(mediatest::DataPath(L"sorenson.flv")));
    player.ShowAt(seconds);
    if (player.Pixels().size() < 61 * 168) return {};
    std::vector<uint32_t> out(player.Pixels().begin() + 60 * 168, player.Pixels().begin() + 61 * 168);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
  }
};

TEST_F(NetStreamTest, PlaysSeeksPausesAndEndsIntoTheVideo) {
  Play("clip.flv", Handler("ns", "onMetaData", "push 'info'; getVariable; push 'width'; getMember; trace", "info"));
  Frame();
  EXPECT_EQ(Traces(), "NetStream.Play.Start|168|NetStream.Buffer.Full");
  EXPECT_EQ(control->GetVariable(L"v.width"), L"168");
  EXPECT_EQ(Row(), Expected(0.1));
  Frame(0.9);
  EXPECT_EQ(control->GetVariable(L"ns.time"), L"1");
  EXPECT_EQ(Row(), Expected(1.0));
  EXPECT_NE(Row(), Expected(0.1));
  // A seek lands on the key frame at or before its time.
  Run(L"seek");
  EXPECT_EQ(Traces(), "2");
  EXPECT_EQ(Row(), Expected(2.0));
  Frame(0.5);
  EXPECT_EQ(Traces(), "NetStream.Seek.Notify");
  EXPECT_EQ(Row(), Expected(2.5));
  // Paused, the time stands; at the end the stream stops.
  Run(L"pause");
  Frame(1);
  EXPECT_EQ(control->GetVariable(L"ns.time"), L"2.5");
  EXPECT_EQ(Traces(), "NetStream.Pause.Notify");
  Run(L"pause");
  Frame(3);
  flash::media::FlvPlayer file;
  ASSERT_TRUE(file.Open(mediatest::DataPath(L"sorenson.flv")));
  EXPECT_DOUBLE_EQ(std::stod(WideToUtf8(control->GetVariable(L"ns.time"))), std::round(file.Duration() * 1000) / 1000);
  EXPECT_EQ(Traces(), "NetStream.Unpause.Notify|NetStream.Play.Stop|NetStream.Buffer.Empty");
}

TEST_F(NetStreamTest, FilesOutsideTheFolderMissingNoVideoOrTooManyAreRefused) {
  const std::string sixteen =
      "push 'i', 0; setVariable; more: push 'x', 'nc'; getVariable; push 1, 'NetStream'; newObject; setVariable; " +
      Call("x", "play", {"'clip.flv'"}) + "push 'i', 'i'; getVariable; increment; setVariable; push 'i'; "
      "getVariable; push 16; less2; if more; ";
  const struct {
    const char* file;
    std::string before;
    const char* traces;
  } cases[] = {
      {"../clip.flv", "", "NetStream.Play.StreamNotFound"},
      {"missing.flv", "", "NetStream.Play.StreamNotFound"},
      {"m.swf", "", "NetStream.Play.StreamNotFound"},
      {"clip.flv", sixteen, "NetStream.Play.Failed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Play(c.file, c.before);
    Frame();
    EXPECT_EQ(Traces(), c.traces);
  }
}

}  // namespace
