// The timeline engine and the scripts it is given: what the player asks of
// its TimelineScripts at the start, at a frame and at a seek by the host
// (which must run no scripts), in the order of the frame model; and the
// movie's own scripts made through their factory, reached by the creator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlashTestSupport.h"
#include "RenderMovies.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/play/TimelineScripts.h"

using namespace flashtest;

namespace {

// Writes down every call of the player, naming each clip "root" or "sprite".
class RecordingScripts final : public flash::TimelineScripts {
 public:
  explicit RecordingScripts(std::vector<std::string>& log) : log_(log) {}

  void Begin(flash::Clip&, const std::vector<std::pair<std::wstring, std::wstring>>& variables) override {
    log_.push_back("begin " + std::to_string(variables.size()));
  }
  size_t Mark() const override { return 0; }
  void Placed(flash::Clip& parent, flash::DisplayObject& entry, bool scripts) override {
    log_.push_back(Name("placed", parent, entry.depth, scripts));
  }
  void Removed(flash::Clip& parent, flash::DisplayObject& entry, bool scripts) override {
    log_.push_back(Name("removed", parent, entry.depth, scripts));
  }
  void Reloaded(flash::Clip&) override { log_.push_back("reloaded"); }
  void LevelGone(flash::Clip&) override { log_.push_back("level gone"); }
  void FrameEntered(flash::Clip& clip, int frame, size_t) override {
    log_.push_back("entered " + Of(clip) + " " + std::to_string(frame));
  }
  void QuietActions(flash::Clip& clip, const flash::FrameScript&) override {
    log_.push_back("quiet " + Of(clip) + " " + std::to_string(clip.frame));
  }
  void EnterFrame() override { log_.push_back("enterFrame"); }
  void Drain() override { log_.push_back("drain"); }
  void RunTimers() override { log_.push_back("timers"); }
  void MediaEvents() override { log_.push_back("media"); }
  void AfterFrame() override { log_.push_back("after"); }
  void RunFrameNow(flash::Clip& clip, int frame) override {
    log_.push_back("run " + Of(clip) + " " + std::to_string(frame));
  }
  void Unload() override { log_.push_back("unload"); }
  flash::Clip* ClipOf(const flash::MovieClipObject&) const override { return nullptr; }

 private:
  static std::string Of(const flash::Clip& clip) { return clip.parent ? "sprite" : "root"; }
  static std::string Name(const char* what, const flash::Clip& parent, int32_t depth, bool scripts) {
    return std::string(what) + " " + Of(parent) + ":" + std::to_string(depth) + (scripts ? "" : " quiet");
  }
  std::vector<std::string>& log_;
};

flash::TimelineScriptsFactory Recording(std::vector<std::string>& log) {
  return [&log](flash::MoviePlayer&, const flash::PlayerEnvironment&) -> std::unique_ptr<flash::TimelineScripts> {
    return std::make_unique<RecordingScripts>(log);
  };
}

// A shape and a two-frame sprite on frame 0; the shape goes on frame 1.
std::unique_ptr<flash::MovieDefinition> TwoFrames() {
  const Bytes movie = rendertest::Movie(
      100, 100,
      {Shape(1), Sprite(2, {Place(1, 1, 0, 0), moviebytes::ShowFrame(), moviebytes::ShowFrame()}), Place(1, 1, 0, 0),
       Place(2, 2, 0, 0, "s"), moviebytes::ShowFrame(), Remove(1)});
  std::unique_ptr<flash::MovieDefinition> def;
  EXPECT_EQ(flash::ReadMovieDefinition(movie, def), flash::MovieError::None);
  return def;
}

using Log = std::vector<std::string>;

}  // namespace

// The start: objects for what frame 0 places (a sprite's children after the
// sprite), its frame entered before its parent's, then the queue runs and
// the frame closes.
TEST(TimelineScriptsTest, StartAndFrameCallTheScriptsInTheFrameModelsOrder) {
  const auto def = TwoFrames();
  ASSERT_TRUE(def);
  Log log;
  flash::MoviePlayer player(*def, Recording(log));
  player.Start({{L"a", L"1"}});
  EXPECT_EQ(log, (Log{"begin 1", "placed root:1", "placed root:2", "placed sprite:1", "entered sprite 0",
                      "entered root 0", "drain", "after"}));
  log.clear();
  player.Advance();
  // Every enterFrame queued and run before the timers, the media's events, the frame's close.
  EXPECT_EQ(log, (Log{"enterFrame", "drain", "timers", "drain", "media", "after"}));
  log.clear();
  player.CallFrame(player.Root(), 1);
  player.Unload();
  EXPECT_EQ(log, (Log{"run root 1", "unload"}));
}

// A seek by the host replays the frames and runs no scripts: every object
// is made and let go quietly, a sprite's frames only have their stop and
// play read, and nothing is queued, run or closed.
TEST(TimelineScriptsTest, SeekByTheHostRunsNoScripts) {
  const auto def = TwoFrames();
  ASSERT_TRUE(def);
  Log log;
  flash::MoviePlayer player(*def, Recording(log));
  player.Start();
  log.clear();
  player.GotoFrame(1);
  EXPECT_EQ(player.CurrentFrame(), 1);
  EXPECT_EQ(log, (Log{"quiet sprite 1", "removed root:1 quiet"}));
  log.clear();
  player.GotoFrame(0);  // backwards: from the start again
  EXPECT_EQ(log, (Log{"removed root:2 quiet", "placed root:1 quiet", "placed root:2 quiet", "placed sprite:1 quiet",
                      "quiet sprite 0"}));
  EXPECT_EQ(player.Root().objects.size(), 2u);
}

// The movie's own scripts, made through their factory: the creator is told
// the instance the player owns, and it runs the movie's actions.
TEST(TimelineScriptsTest, FactoryMakesTheMoviesScriptsForTheCreator) {
  const Bytes movie = rendertest::Movie(100, 100, {Script("push 'x', 'made'; setVariable")});
  std::unique_ptr<flash::MovieDefinition> def;
  ASSERT_EQ(flash::ReadMovieDefinition(movie, def), flash::MovieError::None);
  flash::MovieScripts* made = nullptr;
  flash::MoviePlayer player(*def, flash::MovieScripts::Factory(&made));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(static_cast<flash::TimelineScripts*>(made), &player.Scripts());
  EXPECT_EQ(&made->Player(), &player);
  player.Start();
  EXPECT_EQ(made->GetVariable(L"x"), L"made");
  // Without a place to tell, the factory still makes them.
  flash::MoviePlayer other(*def, flash::MovieScripts::Factory());
  other.Start();
  EXPECT_EQ(static_cast<flash::MovieScripts&>(other.Scripts()).GetVariable(L"x"), L"made");
}
