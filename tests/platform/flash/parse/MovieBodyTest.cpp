// What the control keeps of a movie file: the header and the tags it reads,
// the same whether the movie is plain or compressed, with cut lists still cut.
#include <gtest/gtest.h>

#include "FlashTestSupport.h"
#include "moviefiles/SwfTags.h"
#include "platform/flash/parse/MovieBody.h"

namespace {

using moviebytes::Bytes;
using moviebytes::Tag;

// Two frames with a sound stream block (kept: it plays) and, when given, a data tag before it.
moviebytes::Movie WithData(const Bytes& dataTag) {
  moviebytes::Movie m = flashtest::Frames(2);
  m.tags.insert(m.tags.begin() + 1, Tag(19, Bytes(300, 7)));    // a sound stream block, long header
  if (!dataTag.empty()) m.tags.insert(m.tags.begin() + 1, dataTag);  // between background and frame 1
  return m;
}

TEST(MovieBody, KeepsHeaderAndReadTagsAndDropsEmbeddedDataAlike) {
  const Bytes data = Tag(87, Bytes(5000, 0x55), true);
  const moviebytes::Movie with = WithData(data);
  const Bytes expected = WithData({}).Body();
  for (const Bytes& file : {with.Plain(), with.Compressed()}) {
    std::vector<uint8_t> body;
    ASSERT_TRUE(flash::ReadMovieBody(file, 1u << 20, body));
    EXPECT_EQ(body, expected);
  }
  // A movie with nothing to drop keeps every byte of its body.
  const moviebytes::Movie plain = flashtest::Frames(3);
  std::vector<uint8_t> body;
  ASSERT_TRUE(flash::ReadMovieBody(plain.Compressed(), 1u << 20, body));
  EXPECT_EQ(body, plain.Body());
}

TEST(MovieBody, ADroppedTagCutByTheEndStillReadsAsCut) {
  moviebytes::Movie m = flashtest::Frames(1);
  m.tags.pop_back();  // no End tag
  Bytes file = m.Plain();
  const Bytes cut = Tag(87, Bytes(100, 1), true);
  file.insert(file.end(), cut.begin(), cut.begin() + 40);  // the data tag ends early
  std::vector<uint8_t> body;
  ASSERT_TRUE(flash::ReadMovieBody(file, 1u << 20, body));
  // Background and ShowFrame, then the dropped tag's header claiming more than is left.
  SwfTagWalker walker(std::span<const uint8_t>(body).subspan(m.rect.size() + 4));
  SwfTagView tag;
  int read = 0;
  while (walker.Next(tag)) ++read;
  EXPECT_EQ(read, 2);
  EXPECT_TRUE(walker.Cut());
  EXPECT_EQ(walker.CutCode(), SwfTag::DefineBinaryData);
}

TEST(MovieBody, RefusesADeclaredLengthBeyondTheLimitAndBoundsInflation) {
  moviebytes::Movie m = WithData(Tag(87, Bytes(2000, 3), true));
  std::vector<uint8_t> body;
  EXPECT_FALSE(flash::ReadMovieBody(m.Compressed(), 100, body));
  // A header declaring less than the stream holds inflates only what it declares.
  Bytes file = m.Compressed();
  file[4] = 8 + 10, file[5] = file[6] = file[7] = 0;
  ASSERT_TRUE(flash::ReadMovieBody(file, 1u << 20, body));
  EXPECT_LE(body.size(), 10u);
}

}  // namespace
