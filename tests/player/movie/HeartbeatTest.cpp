// The heartbeat's tick called directly on a fake control, and the transport
// operations it works with: read-outs, the end of a movie by repeat mode,
// play state and quality marks, video position and seeking, sound, and the
// playlist walk.
#include <gtest/gtest.h>

#include "PlayerFakes.h"
#include "player/movie/Heartbeat.h"
#include "player/movie/Transport.h"

using namespace player_test;

namespace {

class Heartbeat : public PlayerFixture {
 protected:
  // A movie of total frames at rate, shown at frame; a playlist of entries playing current.
  void Movie(long total, long frame, float rate = 12, bool playing = true) {
    host.state.CurrentSWFInfo.FrameCount = total;
    host.state.CurrentSWFInfo.FrameRate = rate;
    host.control.total = total;
    host.control.frame = frame;
    host.control.playing = playing;
  }
  void Playlist(int entries, int current) {
    host.playlist.assign(entries, L"entry.swf");
    host.current = current;
  }
  void Tick() { player::tmrUpdate_Timer(host); }
};

TEST_F(Heartbeat, ReadOutsByTimeMode) {
  struct Case {
    long mode;
    const wchar_t* info;
  } cases[] = {{0, L"Time: 0:05 / 0:10"},
               {1, L"Time: -0:05 / 0:10"},
               {2, L"Frame: 60 / 120"},
               {3, L"Frame: -61 / 120"}};
  for (const Case& c : cases) {
    player::ReadOut r;
    ASSERT_TRUE(player::ComposeReadOut(c.mode, 59, 120, 12, L"Time", L"Frame", r));
    EXPECT_EQ(r.Info, c.info) << c.mode;
  }
  player::ReadOut r;
  EXPECT_FALSE(player::ComposeReadOut(4, 59, 120, 12, L"Time", L"Frame", r));

  // Through a tick: the labels the skin shows.
  Movie(120, 59);
  Tick();
  EXPECT_EQ(host.state.TimeInfo, L"Time: 0:05 / 0:10");
  EXPECT_EQ(host.state.TimeInfoCur, L"0:05");
  EXPECT_EQ(host.state.TimeInfoRem, L"-0:05");
  EXPECT_EQ(host.options.PlayTicks, 1);
}

TEST_F(Heartbeat, NoRateNoFramesAndNoMovieTickWithoutFault) {
  // No rate, no movie, one frame, no control: ticks that read out and walk nothing.
  for (long total : {120, 0, 1, -1}) {
    Movie(std::max(total, 0L), total > 0 ? 5 % total : -1, total == 120 ? 0 : 12);
    host.hasControl = total >= 0;
    Playlist(2, 0);
    host.calls.clear();
    Tick();
    EXPECT_TRUE(host.Only(L"PlayItem").empty()) << total;
    EXPECT_TRUE(host.Has(L"UpdateSkinState")) << total;
  }
  host.state.TimeMode = 3;
  player::ToggleTimeMode(host);
  EXPECT_EQ(host.state.TimeMode, 0);
}

TEST_F(Heartbeat, TheEndOfAMovieActsByRepeatMode) {
  struct Case {
    long repeat;
    bool nonStop;
    int entries, current;
    long total;
    bool internal;
    Calls expected;  // PlayItem, Rewind and Play calls of the tick
  } cases[] = {
      {0, true, 5, 4, 10, false, {}},                     // the last of five stays on its last frame
      {0, true, 5, 2, 10, false, {L"PlayItem 3"}},        // Non Stop goes on to the next
      {0, false, 5, 2, 10, false, {}},
      {2, false, 5, 4, 10, false, {L"PlayItem 0"}},       // repeat all starts over
      {1, false, 5, 2, 10, false, {L"Rewind", L"Play"}},  // repeat one
      {1, false, 5, 2, 1, false, {}},                     // a one-frame movie is not rewound each tick
      {2, false, 0, -1, 10, false, {}},                   // an empty playlist
      {2, false, 3, 0, 10, true, {}},                     // one of the program's own pages
  };
  for (const Case& c : cases) {
    Movie(c.total, c.total - 1, 12, c.total == 1);
    Playlist(c.entries, c.current);
    host.options.RepeatMode = c.repeat;
    host.SetChecked(L"mnuNonStop", c.nonStop, -1);
    host.state.InternalMovie = c.internal;
    host.calls.clear();
    Tick();
    Calls acted;
    for (const auto& call : host.calls)
      if (call.rfind(L"PlayItem", 0) == 0 || call == L"Rewind" || call == L"Play") acted.push_back(call);
    if (c.nonStop && c.expected.empty()) acted.erase(std::remove(acted.begin(), acted.end(), L"Play"), acted.end());
    EXPECT_EQ(acted, c.expected) << c.repeat << " " << c.entries << " " << c.current << " " << c.total;
    EXPECT_EQ(host.Has(L"UpdateSkinState"), c.expected.empty()) << "a tick that acted ends there";
  }
}

TEST_F(Heartbeat, RepeatOneRestartsAVideoInItsWrapper) {
  host.state.CurrentSWFInfo.IsFLV = true;
  Movie(250, 999, 25, false);
  host.control.total = 1000;
  host.control.vars = {{L"myVideo.playheadTime", L"10"}, {L"playing", L"0"}};
  Playlist(1, 0);
  host.options.RepeatMode = 1;
  Tick();
  EXPECT_EQ(host.control.vars[L"seeking"], L"0");
  EXPECT_EQ(host.control.vars[L"playing"], L"1");
  EXPECT_TRUE(host.Only(L"Rewind").empty()) << "the wrapper's own timeline follows the video";
}

TEST_F(Heartbeat, AVideosPositionComesFromItsPlayheadWithAPoint) {
  host.state.CurrentSWFInfo.IsFLV = true;
  struct Case {
    const wchar_t* playhead;
    const wchar_t* cur;
    long wrapperFrame;
  } cases[] = {{L"12.5", L"0:12", 500}, {L"0", L"0:00", 0}, {L"12,5", L"0:00", 0}, {L"", L"0:00", 0}};
  for (const Case& c : cases) {
    Movie(250, 0, 10);  // 25 seconds
    host.control.total = 1000;
    host.control.vars = {{L"myVideo.playheadTime", c.playhead}, {L"playing", L"1"}};
    Tick();
    EXPECT_EQ(host.state.TimeInfoCur, c.cur) << c.playhead;
    EXPECT_EQ(host.control.frame, c.wrapperFrame) << c.playhead;
    EXPECT_TRUE(host.control.playing) << c.playhead;
  }
}

TEST_F(Heartbeat, PlayCaptionQualityMarksAndNonStop) {
  Movie(100, 10, 12, true);
  player::SetQuality(host, L"AutoLow");
  Tick();
  EXPECT_EQ(host.MenuCaption(L"mnuPlay"), L"Pause");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(host.Checked(L"mnuQLvl", i), i == 5) << i;

  // A movie that stopped itself starts again under Non Stop; Stop ends that.
  host.SetChecked(L"mnuNonStop", true, -1);
  host.control.playing = false;
  Tick();
  EXPECT_TRUE(host.control.playing);
  player::StopMedia(host);
  for (int i = 0; i < 3; ++i) Tick();
  EXPECT_FALSE(host.control.playing);
  EXPECT_EQ(host.control.frame, 0);
  EXPECT_EQ(host.control.vars[L"playing"], L"0");
  EXPECT_FALSE(host.Checked(L"mnuNonStop", -1));
  EXPECT_EQ(host.MenuCaption(L"mnuPlay"), L"Play");
}

TEST_F(Heartbeat, AWalkOfFailingEntriesStopsAfterOneRound) {
  Movie(10, 9, 12, false);  // a movie at its end stays in the control
  host.playlist = {temp.File(L"missing 1.swf"), temp.File(L"missing 2.swf"), temp.File(L"missing 3.swf")};
  host.current = 0;
  host.loadOnPlay = true;
  host.options.RepeatMode = 2;
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(host.Only(L"PlayItem").size(), 3u);
  EXPECT_TRUE(host.heartbeat) << "the movie still shown is watched";
}

class TransportOps : public Heartbeat {};

TEST_F(TransportOps, GoToFrameClampsAndKeepsThePlayState) {
  host.state.CurrentSWFInfo.IsFLV = true;
  struct Case {
    double fraction;
    bool playing;
    const wchar_t* seeking;
    long frame;
  } cases[] = {{0.5, false, L"500", 500}, {1.7, true, L"1000", 999}, {-0.2, false, L"0", 0}, {0.9999, true, L"999", 999}};
  for (const Case& c : cases) {
    Movie(1000, 300, 25, c.playing);
    player::GoToFrame(host, c.fraction);
    EXPECT_EQ(host.control.vars[L"seeking"], c.seeking) << c.fraction;
    EXPECT_EQ(host.control.frame, c.frame) << c.fraction;
    EXPECT_EQ(host.control.playing, c.playing) << c.fraction;
  }
  host.state.CurrentSWFInfo.IsFLV = false;
  Movie(120, 50, 12, true);
  player::FFwd(host);
  EXPECT_EQ(host.control.frame, 62);
  player::Rwd(host);
  player::Rwd(host);
  EXPECT_EQ(host.control.frame, 38);
  EXPECT_TRUE(host.control.playing);
  EXPECT_DOUBLE_EQ(player::MoviePercent(host), 38.0 / 119);
  Movie(1, 0);
  EXPECT_EQ(player::MoviePercent(host), 0);
}

TEST_F(TransportOps, MuteThenUnmuteRestoresTheVolumeAndCentresTheBalance) {
  player::SetSound(host, 130, -150);
  EXPECT_EQ(host.state.Volume, 100);
  EXPECT_EQ(host.state.StereoPan, -100);
  player::SetSound(host, 70, 40);
  player::MuteSound(host, true);
  EXPECT_EQ(host.control.volume, 0) << "mute mutes";
  EXPECT_TRUE(host.Checked(L"mnuMute", -1));
  player::MuteSound(host, true);
  player::MuteSound(host, false);
  EXPECT_EQ(host.state.Volume, 70);
  EXPECT_EQ(host.control.volume, 70);
  EXPECT_EQ(host.state.StereoPan, 0);
}

TEST_F(TransportOps, PlaylistWalk) {
  struct Case {
    int entries, current;
    bool shuffle, next;
    const wchar_t* expected;  // "" for nothing
  } cases[] = {
      {2, 0, false, false, L"PlayItem 1"},  // previous before the first is the last
      {3, 2, false, true, L"PlayItem 0"},   // next after the last is the first
      {3, 1, false, true, L"PlayItem 2"},
      {1, 0, false, false, L""},            // one entry: previous does nothing yet
      {0, -1, false, true, L""},
      {2, 0, true, true, L"PlayItem 1"},    // shuffle with two: always the other one
      {2, 1, true, false, L"PlayItem 0"},
  };
  for (const Case& c : cases) {
    Playlist(c.entries, c.current);
    host.SetChecked(L"mnuShuffle", c.shuffle, -1);
    host.randoms = {0.9, 0.1, 0.7, 0.2};
    host.calls.clear();
    c.next ? player::PlayNext(host) : player::PlayPrev(host);
    EXPECT_EQ(host.Only(L"PlayItem"), std::wstring(c.expected).empty() ? Calls{} : Calls{c.expected})
        << c.entries << " " << c.current;
  }
  Playlist(5, 2);
  host.randoms.clear();  // a source stuck on the playing entry still moves on
  EXPECT_NE(player::PlayRandom(host), 2);
}

}  // namespace
