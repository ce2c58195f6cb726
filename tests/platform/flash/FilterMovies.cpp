#include "FilterMovies.h"

namespace filtertest {

using rendertest::Mat;
using rendertest::ShapeBuilder;
using rendertest::Translate;

Bytes EffectsMovie() {
  ShapeBuilder square;
  square.Fill(rendertest::Solid({255, 0, 0, 200})).Rect(0, 0, 200, 200, 1);
  const Color black{0, 0, 0}, white{255, 255, 255}, blue{0, 0, 255};
  const std::vector<float> ones(255 * 255, 1.0f);
  const std::vector<Bytes> every = {
      DropShadow(black, 4, 4, 45, 4), Blur(8, 8, 2), Glow({0, 255, 0}, 6, 6, 2), Bevel(black, white, 4, 45, 4),
      GradientFilter(4, {{0, {255, 0, 0, 0}}, {255, blue}}, 4, 45, 4, Placement::Outer),
      Convolution(3, 3, {0, 1, 0, 1, -4, 1, 0, 1, 0}, 1, 0, black, true, true),
      ColorMatrix({0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}),
      GradientFilter(7, {{0, white}, {128, {255, 0, 0, 0}}, {255, black}}, 4, 45, 4, Placement::Full, true)};
  const std::vector<Bytes> extreme = {Blur(255, 255, 15), DropShadow(black, 255, 255, 1000, 32767, 255, true, true, true, 31),
                                      Convolution(255, 255, ones, 0, 0, blue, false, false),
                                      Bevel(black, white, 255, -90, -32767, Placement::Full, false, 255, 15)};
  const Bytes sprite = flashtest::Sprite(
      2, {rendertest::Place(1, 1, Translate(0, 0)), Place3(2, 1, Translate(100, 100), {}, 11),
          Place3(3, 1, Translate(50, 150), {}, 12), moviebytes::ShowFrame()});
  const Bytes button = rendertest::Button(
      3, EffectButtonRecord(0x0F, 1, 1, {Glow(blue, 4, 4)}, 3) + EffectButtonRecord(0x01, 2, 2, every, 14));
  std::vector<Bytes> tags{square.Tag(1), sprite, button};
  uint16_t depth = 1;
  for (size_t i = 0; i < every.size(); ++i)
    tags.push_back(Place3(depth++, 1, Translate(int32_t(i % 4) * 450, int32_t(i / 4) * 450), {every[i]}));
  for (int mode = 0; mode <= 15; ++mode)
    tags.push_back(Place3(depth++, mode % 2 ? 2 : 1, Translate(mode * 120, 1000), {}, mode, mode % 3));
  tags.push_back(Place3(depth++, 2, Translate(0, 1300), every, 2, 1));
  tags.push_back(Place3(depth++, 3, Translate(400, 1300), {}, 2));
  for (const Bytes& e : extreme) tags.push_back(Place3(depth++, 1, Translate(200, 1500), {e}));
  tags.push_back(Place3(depth++, 2, Mat(300, 0, 0, 300, -20000, -20000), {DropShadow(black, 8, 8, 45, 8)}, 3));
  tags.push_back(moviebytes::ShowFrame());
  // The next frame changes and removes effects by moves.
  tags.push_back(Place3(1, 0, Translate(40, 40), {Blur(2, 2)}, 5, 0, "", true));
  tags.push_back(Place3(2, 0, {}, {}, 1, -1, "", true));
  tags.push_back(moviebytes::ShowFrame());
  moviebytes::Movie m;
  m.version = 8;
  m.rect = moviebytes::Rect(0, 2000, 0, 2000);
  m.rateWhole = 12;
  m.frames = 2;
  m.tags.push_back(moviebytes::BackgroundTag(255, 255, 255));
  for (const Bytes& t : tags) m.tags.push_back(t);
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

}  // namespace filtertest
