// Paints the spans of a filled region: a solid colour, a linear, radial or
// focal gradient through a 256-entry colour ramp, or a bitmap sampled
// through the inverse of its fill matrix (repeating or clamped to its edge,
// nearest or bilinear), each under a colour transform. In mask mode the
// coverage is written into an 8-bit mask instead of colour. A painter keeps
// the canvas as it was given (its pixels and mask), so a copy can paint
// later; PaintSpan paints with the caller's scratch, so threads can share one.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/flash/render/Bitmap.h"
#include "platform/flash/render/PixelCanvas.h"
#include "platform/flash/render/Rasterizer.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

// The ramp of a gradient (premultiplied, after the colour transform): the
// stops in order of ratio (equal ratios as given), mixed as stored or, with
// linearRgb, in linear light.
std::array<uint32_t, 256> GradientRamp(const std::vector<GradientStop>& stops, const ColorTransform& cx,
                                       bool linearRgb = false);

class FillPainter : public SpanSink {
 public:
  explicit FillPainter(const PixelCanvas& canvas) : canvas_(canvas) {}

  void SetSolid(uint32_t premultiplied);
  // toDevice: the gradient square's space (-16384..16384) -> device pixels.
  // False when nothing can be drawn (no stops, a collapsed matrix).
  // ramp, when given, is the style's GradientRamp under cx (made once and kept by the caller).
  bool SetGradient(const FillStyle& style, const Xform& toDevice, const ColorTransform& cx,
                   const std::array<uint32_t, 256>* ramp = nullptr);
  // toDevice: the bitmap's pixels -> device pixels.
  bool SetBitmap(const Bitmap* bitmap, const Xform& toDevice, bool repeat, bool smooth, const ColorTransform& cx);
  // Coverage goes into mask (canvas-sized), scaled by the canvas's current mask.
  void SetMask(uint8_t* mask);

  void Span(int y, int x, int count, const uint8_t* coverage) override;
  // Span with colors as the scratch for one span's source colours.
  void PaintSpan(int y, int x, int count, const uint8_t* coverage, std::vector<uint32_t>& colors) const;
  bool Masking() const { return mode_ == Mode::Mask; }

 private:
  enum class Mode { Solid, Gradient, Bitmap, Mask };
  uint32_t Sample(double u, double v) const;
  // The colours of count pixels from (u, v) in fill space, stepping by the
  // inverse matrix's x column, into colors_.
  void GradientRow(double u, double v, int count, uint32_t* out) const;
  void BitmapRow(double u, double v, int count, uint32_t* out) const;

  PixelCanvas canvas_;
  Mode mode_ = Mode::Solid;
  uint32_t color_ = 0;
  std::array<uint32_t, 256> ramp_{};
  uint8_t kind_ = 0, spread_ = 0;
  double focal_ = 0;
  Xform inverse_;
  const Bitmap* bitmap_ = nullptr;
  bool repeat_ = false, smooth_ = false;
  ColorTransform cx_;
  bool plainColors_ = true;
  uint8_t* mask_ = nullptr;
  std::vector<uint32_t> colors_;  // one span's source colours, kept between spans
};

}  // namespace flash
