// A timeline's records as read (each frame's places, actions and init
// actions, a sprite's own frames, records after the last ShowFrame, a long
// timeline) and a go-to backwards rebuilding each depth from the last record
// that set each of its properties.
#include <gtest/gtest.h>

#include "FlashTestSupport.h"
#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/play/MoviePlayer.h"

using namespace flashtest;

namespace {

std::unique_ptr<flash::MovieDefinition> Read(const std::vector<Bytes>& tags, uint16_t frames) {
  moviebytes::Movie m = Frames(0);
  m.frames = frames;
  m.tags.pop_back();  // the end tag
  for (const Bytes& t : tags) m.tags.push_back(t);
  m.tags.push_back(moviebytes::EndTag());
  std::unique_ptr<flash::MovieDefinition> def;
  EXPECT_EQ(flash::ReadMovieDefinition(m.Plain(), def), flash::MovieError::None);
  return def;
}

// PlaceObject2 moving depth with a ratio, or putting another character there.
Bytes MoveRatio(uint16_t depth, uint16_t ratio) { return Tag(26, Bytes{0x01 | 0x10} + U16(depth) + U16(ratio)); }
Bytes Replace(uint16_t depth, uint16_t character) { return Tag(26, Bytes{0x01 | 0x02} + U16(depth) + U16(character)); }

TEST(TimelineRecordsTest, EachFrameViewsItsOwnRecords) {
  const auto def = Read({Shape(1), Sprite(2, {Place(1, 1, 0, 0), moviebytes::ShowFrame(), Remove(1), moviebytes::ShowFrame()}),
                         Place(1, 1, 10, 20), DoAction({ActPlay()}), Label("one"), moviebytes::ShowFrame(),
                         moviebytes::ShowFrame(),
                         Move(1, 30, 40), Remove(2), DoAction({ActStop()}), DoAction({ActPlay()}),
                         Tag(59, U16(2) + Bytes{0x07, 0}), Label("three"), moviebytes::ShowFrame(),
                         Place(3, 2, 0, 0)},  // after the last ShowFrame: a frame of its own
                        3);
  ASSERT_FALSE(def->damaged);
  const flash::Timeline& root = def->root;
  ASSERT_EQ(root.frames.size(), 4u);
  const std::vector<size_t> commands{1, 0, 2, 1}, actions{1, 0, 2, 0}, inits{0, 0, 1, 0};
  for (size_t f = 0; f < 4; ++f) {
    EXPECT_EQ(root.frames[f].commands.size(), commands[f]) << f;
    EXPECT_EQ(root.frames[f].doActions.size(), actions[f]) << f;
    EXPECT_EQ(root.frames[f].initActions.size(), inits[f]) << f;
  }
  EXPECT_EQ(root.frames[0].commands[0].matrix->tx, 10);
  EXPECT_EQ(root.frames[2].commands[0].matrix->ty, 40);
  EXPECT_TRUE(root.frames[2].commands[1].remove);
  EXPECT_EQ(root.frames[2].doActions[0][0], 0x07);
  EXPECT_EQ(root.frames[2].doActions[1][0], 0x06);
  EXPECT_EQ(root.frames[2].initActions[0].first, 2);
  EXPECT_EQ(root.FrameOfLabel(L"one"), 0);
  EXPECT_EQ(root.FrameOfLabel(L"three"), 2);
  EXPECT_EQ(root.frames[3].commands[0].depth, 3);

  ASSERT_EQ(def->sprites.size(), 1u);
  const flash::Timeline& sprite = def->sprites[0];
  ASSERT_EQ(sprite.frames.size(), 2u);
  EXPECT_EQ(sprite.frames[0].commands.size(), 1u);
  EXPECT_TRUE(sprite.frames[1].commands[0].remove);
  // The definition moved into the owner keeps its views.
  const flash::MovieDefinition moved = std::move(*def);
  EXPECT_EQ(moved.root.frames[2].commands[0].matrix->tx, 30);
  EXPECT_EQ(moved.sprites[0].frames[0].commands[0].character, 1);
}

TEST(TimelineRecordsTest, EmptyAndLongTimelines) {
  const auto none = Read({}, 0);
  ASSERT_EQ(none->root.frames.size(), 1u);
  EXPECT_TRUE(none->root.frames[0].commands.empty());

  std::vector<Bytes> tags{Shape(1), Place(1, 1, 0, 0), moviebytes::ShowFrame()};
  constexpr int kFrames = 20000;
  for (int f = 1; f < kFrames; ++f) tags.push_back(Move(1, f, 2 * f)), tags.push_back(moviebytes::ShowFrame());
  const auto def = Read(tags, 65535);
  ASSERT_EQ(def->root.frames.size(), size_t(kFrames));
  for (int f : {1, 4096, kFrames - 1}) {
    ASSERT_EQ(def->root.frames[size_t(f)].commands.size(), 1u);
    EXPECT_EQ(def->root.frames[size_t(f)].commands[0].matrix->ty, 2 * f);
  }
  flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
  player.Start();
  player.GotoFrame(kFrames - 1);
  EXPECT_EQ(player.Root().objects.at(1).matrix.tx, kFrames - 1);
}

// A go-to back takes each property from the last record before the frame
// that set it; a depth whose character changed since is placed again.
TEST(TimelineRecordsTest, GoingBackRebuildsEachDepth) {
  const auto def = Read({Shape(1), Shape(2), Place(1, 1, 10, 10, "a"), Place(2, 1, 0, 0), moviebytes::ShowFrame(),
                         MoveRatio(1, 7), Move(2, 50, 60), moviebytes::ShowFrame(),
                         Move(1, 90, 90), Replace(2, 2), Place(3, 1, 5, 5), moviebytes::ShowFrame(),
                         Remove(1), moviebytes::ShowFrame()},
                        4);
  flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
  player.Start();
  for (int i = 0; i < 3; ++i) player.Advance();
  ASSERT_EQ(player.CurrentFrame(), 3);
  EXPECT_FALSE(player.Root().objects.count(1));
  player.ScriptGoto(player.Root(), 1, 0);
  const auto& objects = player.Root().objects;
  ASSERT_EQ(objects.size(), 2u);
  const flash::DisplayObject& a = objects.at(1);
  EXPECT_EQ(a.name, L"a");
  EXPECT_EQ(a.matrix.tx, 10);  // the move at frame 2 is not reached
  EXPECT_EQ(a.ratio, 7);
  const flash::DisplayObject& b = objects.at(2);
  EXPECT_EQ(b.character, 1);
  EXPECT_EQ(b.placedFrame, 0);
  EXPECT_EQ(b.matrix.tx, 50);
  EXPECT_EQ(b.matrix.ty, 60);
  // Forwards again and back to the frame that replaced depth 2.
  player.ScriptGoto(player.Root(), 3, 0);
  player.ScriptGoto(player.Root(), 2, 0);
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects.at(1).matrix.tx, 90);
  EXPECT_EQ(objects.at(1).ratio, 7);
  EXPECT_EQ(objects.at(2).character, 2);
  EXPECT_EQ(objects.at(2).placedFrame, 2);
  EXPECT_EQ(objects.at(2).matrix.tx, 50);  // kept from the move before the new character
  EXPECT_EQ(objects.at(3).matrix.tx, 5);
}

}  // namespace
