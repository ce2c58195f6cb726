#include <gtest/gtest.h>

#include "MovieBytes.h"
#include "moviefiles/SwfTags.h"

using namespace moviebytes;

TEST(SwfTagWalker, YieldsEachBodyExactlyAndStopsAtARecordThatDoesNotFit) {
  Bytes sprite = Bytes{4, 0, 1, 0} + ShowFrame() + EndTag();
  Bytes tags = BackgroundTag(1, 2, 3) + Tag(39, sprite, true) + Tag(2, Filled(5, 7));
  Bytes cut = tags + Bytes{0x3F, 0x08, 0xFF, 0xFF, 0, 0, 9};  // DefineShape3 claiming 65535 bytes
  SwfTagWalker walker(cut);
  SwfTagView tag;
  ASSERT_TRUE(walker.Next(tag));
  EXPECT_EQ(std::tuple(tag.code, tag.offset, tag.length), std::tuple(SwfTag::SetBackgroundColor, 0u, 3u));
  ASSERT_TRUE(walker.Next(tag));
  EXPECT_EQ(std::tuple(tag.code, tag.offset, tag.length, tag.body.Size()),
            std::tuple(SwfTag::DefineSprite, 5u, static_cast<uint32_t>(sprite.size()), sprite.size()));
  // The sprite's own list, walked from its fields on.
  SwfTagWalker inner(tag.body.Rest(), 4);
  SwfTagView nested;
  ASSERT_TRUE(inner.Next(nested) && nested.code == SwfTag::ShowFrame);
  ASSERT_TRUE(inner.Next(nested) && nested.code == SwfTag::End);
  EXPECT_FALSE(inner.Next(nested) || inner.Cut());
  ASSERT_TRUE(walker.Next(tag));
  EXPECT_EQ(std::tuple(tag.code, tag.body.Size()), std::tuple(SwfTag::DefineShape, size_t{5}));
  size_t before = walker.Pos();
  EXPECT_FALSE(walker.Next(tag));
  EXPECT_EQ(std::tuple(walker.Cut(), walker.Pos(), walker.CutSize(), walker.CutCode()),
            std::tuple(true, before, uint64_t{6 + 65535}, SwfTag::DefineShape3));
  // A header cut in half.
  SwfTagWalker half(Bytes{0x43});
  EXPECT_FALSE(half.Next(tag));
  EXPECT_TRUE(half.Cut() && !half.CutHeaderRead());
}
