#include "ShapeStyleMovies.h"

namespace rendertest {

Bytes Version8ShapesMovie() {
  const Color red{255, 0, 0}, blue{0, 0, 255}, green{0, 160, 0}, black{0, 0, 0};
  std::vector<std::pair<uint8_t, Color>> stops;
  for (int k = 0; k < 15; ++k) {
    const int at = k * 7 % 15;
    stops.emplace_back(static_cast<uint8_t>(17 * at), at % 3 == 0 ? red : at % 3 == 1 ? blue : green);
  }
  ShapeBuilder hairlines(4);  // width 0 with square caps: segments, a dot, a closed square
  hairlines.Line(LineStyle2{.width = 0, .startCap = 2, .endCap = 2})
      .Move(100, 100, -1, -1, 1).To(900, 100).Move(500, 240).To(500, 240)
      .Move(100, 400).To(900, 400).To(900, 900).To(100, 900).To(100, 400);
  ShapeBuilder needle(4);  // a turn of almost 180 degrees, mitred up to 255 half widths
  needle.Line(LineStyle2{.width = 200, .color = blue, .join = 2, .miterLimit = 255})
      .Move(1200, 1800, -1, -1, 1).To(1800, 400).To(1240, 1800);
  ShapeBuilder focal(4);  // 15 shuffled stops, focal point at the rim, reflected, linear light
  focal.Fill(Gradient(0x13, GradientBox(0, 1000, 1550), stops, 1, 4, -1.0, 1)).Rect(0, 1100, 1000, 2000, 1);
  ShapeBuilder painted(4);  // a zigzag painted with a repeating gradient, square caps, bevels
  painted.Line(LineStyle2{.width = 160, .startCap = 2, .join = 1, .endCap = 2,
                          .fill = Gradient(0x10, GradientBox(0, 200, 0), {{0, red}, {255, black}}, 2, 4)})
      .Move(1000, 400, -1, -1, 1).To(1400, 1600).To(1800, 400).To(2200, 1600)
      .Move(600, 1900).To(600, 1900);  // and a dot
  // The focal shape again in a sprite whose scaling grid reaches far past it.
  const Bytes gridded = flashtest::Sprite(5, {Place(1, 3, Translate(0, 0)), moviebytes::ShowFrame()});
  const Bytes grid = moviebytes::Tag(78, U16(5) + moviebytes::Rect(0, 60000, 100, 60000), true);
  // A button with a grid too, turned and stretched; the gridded sprite again, turned and skewed.
  const Bytes button = Button(8, ButtonRecord(0x0F, 3, 1) + ButtonRecord(0x08, 4, 2));
  const Bytes buttonGrid = moviebytes::Tag(78, U16(8) + moviebytes::Rect(-30000, 30000, 500, 600), true);
  // A DefineFont3 glyph whose zones are infinities, not numbers and the
  // largest halves, then a record cut short; its text set to fit the grid
  // with a thickness that is no number and a sharpness far out of range.
  const Bytes zones = moviebytes::Tag(73, U16(6) + Bytes{0xC0, 2, 0x00, 0x7C, 0xFF, 0xFF, 0xFF, 0x7B, 0x00, 0xFC, 0x03,
                                                         255, 0x01}, true);
  const Bytes settings = moviebytes::Tag(74, U16(7) + Bytes{0x48} + U32(0x7FC00000) + U32(0xFF7FFFFF) + Bytes{0}, true);
  return Movie(160, 100, {hairlines.Tag(1), needle.Tag(2), focal.Tag(3), painted.Tag(4), gridded, grid,
                          button, buttonGrid, Font2(6, 'A', 20, 75), zones, TextTag(7, 6), settings,
                          Place(1, 1, Translate(0, 0)), Place(2, 2, Translate(0, 0)), Place(3, 3, Translate(0, 0)),
                          Place(4, 4, Translate(1000, 0)), Place(5, 5, Mat(0.4, 0, 0, 3, 2600, -1400)),
                          Place(6, 8, Mat(0, 0.2, -3, 0, 3200, 200)), Place(7, 5, Mat(0.3, 0.8, -2, 0.1, 2400, 600)),
                          Place(8, 7, Mat(9, 0, 0, 9, 0, -400)), Place(9, 7, Mat(0.7, 0.7, -0.7, 0.7, 1600, 0))});
}

}  // namespace rendertest
