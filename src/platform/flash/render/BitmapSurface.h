// The pixels of a script's bitmap (BitmapData): unpremultiplied 0xAARRGGBB
// words, row by row from the top, at most kMaxSide pixels a side; an opaque
// surface keeps every alpha at 0xFF. The operations scripts call on it
// (fill, single pixels, copies with their alpha, colour transforms, flood
// fill, threshold, scroll, channel copies, merges, palette maps, colour
// bounds, comparison) clip their rectangles to the surfaces and bound their
// work by the pixels they touch. Every write moves the version, and the
// renderer draws the premultiplied picture rebuilt from it (Shown).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/flash/render/FillPainter.h"

namespace flash {

struct Filter;

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// A colour transform of script values: channel * mult + add, then clamped.
struct PixelTransform {
  double mult[4] = {1, 1, 1, 1}, add[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};

class BitmapSurface {
 public:
  static constexpr int kMaxSide = 2880;

  // False when a side is not 1..kMaxSide (the surface is then invalid).
  static bool ValidSize(double width, double height);
  BitmapSurface(int width, int height, bool transparent, uint32_t fill);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Transparent() const { return transparent_; }
  bool Disposed() const { return pixels_.empty(); }
  void Dispose();
  uint64_t Version() const { return version_; }
  size_t Bytes() const { return pixels_.size() * sizeof(uint32_t); }

  uint32_t Get(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  std::vector<uint32_t>& Pixels() { return pixels_; }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  // A colour as this surface stores it (opaque: alpha 0xFF).
  uint32_t Stored(uint32_t argb) const { return transparent_ ? argb : argb | 0xFF000000u; }
  // Tells the surface its pixels changed (after writing through Pixels()).
  void Touch() { ++version_; }
  // A rectangle clipped to the surface.
  PixelRect Clip(const PixelRect& r) const;

  // The premultiplied picture of the current pixels.
  const Bitmap& Shown();

 private:
  int width_, height_;
  bool transparent_;
  std::vector<uint32_t> pixels_;
  uint64_t version_ = 1, shownVersion_ = 0;
  Bitmap shown_;
};

// Rectangles that are not finite or not positive give nothing.
PixelRect RectOf(double x, double y, double w, double h);

void FillRect(BitmapSurface& s, const PixelRect& r, uint32_t argb);
// setPixel keeps the pixel's alpha; setPixel32 sets all four channels.
void SetPixel(BitmapSurface& s, int x, int y, uint32_t rgb);
void SetPixel32(BitmapSurface& s, int x, int y, uint32_t argb);
// source's rectangle to (dx, dy); alphaSource's alpha (at alphaX, alphaY
// for the rectangle's corner) scales the source's; merge blends over what
// is there instead of replacing it.
void CopyPixels(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy,
                const BitmapSurface* alphaSource, int alphaX, int alphaY, bool merge);
// Composites premultiplied pixels (width x height, placed at 0, 0) over the surface inside a rectangle.
void CompositeOver(BitmapSurface& dst, const std::vector<uint32_t>& premultiplied, int width, int height,
                   const PixelRect& inside);
// A filter on source's rectangle, written at (dx, dy): the filtered picture,
// grown by the filter's reach, replaces the pixels it covers. False, and
// nothing changed, when the rectangle is empty, the filtered area is past
// kMaxSide squared pixels or the filter's work is past its bound.
bool FilterPixels(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy,
                  const Filter& filter);
void ColorTransformRect(BitmapSurface& s, const PixelRect& r, const PixelTransform& t);
// Fills the 4-connected area of the colour at (x, y); false when outside.
bool FloodFill(BitmapSurface& s, int x, int y, uint32_t argb);
// threshold: the number of pixels set to color.
size_t Threshold(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy, int operation,
                 uint32_t threshold, uint32_t color, uint32_t mask, bool copySource);
// The operation of a threshold by its text ("<", "<=", ">", ">=", "==", "!="); -1 for none.
int ThresholdOperation(const std::wstring& text);
void Scroll(BitmapSurface& s, int dx, int dy);
// Channels are 1 red, 2 green, 4 blue, 8 alpha.
void CopyChannel(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy, int srcChannel,
                 int dstChannel);
// Each channel becomes (source * mult + dest * (256 - mult)) / 256.
void Merge(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy, const int mult[4]);
// Each channel of the source picks a colour from its table (null: the channel
// kept); the picked colours are added.
void PaletteMap(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy,
                const std::vector<uint32_t>* tables[4]);
// The smallest rectangle of the pixels whose (pixel & mask) is (find) or is not color.
PixelRect ColorBounds(const BitmapSurface& s, uint32_t mask, uint32_t color, bool find);
// 0 when equal, -3 / -4 for other widths / heights, else 1 with the
// differences in out (per channel, or 0xFFRRGGBB-style alpha differences).
int Compare(const BitmapSurface& a, const BitmapSurface& b, std::vector<uint32_t>& out);

}  // namespace flash
