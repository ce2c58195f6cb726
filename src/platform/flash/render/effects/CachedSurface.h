// The finished layer of an object drawn with bitmap caching (or filters),
// kept on its display-list entry while the object stays the same: its
// pixels, where they lay and what they were drawn from (without pixels, a
// note of what the last paint drew, until it draws the same). Every kept layer
// counts its pixels in the ledger of the renderer that made it, so the
// renderer can bound what all of them hold.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace flash {

struct CacheLedger {
  uint64_t pixels = 0;
};

struct CachedSurface {
  CachedSurface(std::shared_ptr<CacheLedger> ledger, std::vector<uint32_t> pixels, int width, int height)
      : ledger(std::move(ledger)), pixels(std::move(pixels)), width(width), height(height) {
    this->ledger->pixels += this->pixels.size();
  }
  ~CachedSurface() { ledger->pixels -= pixels.size(); }
  CachedSurface(const CachedSurface&) = delete;
  CachedSurface& operator=(const CachedSurface&) = delete;

  std::shared_ptr<CacheLedger> ledger;
  std::vector<uint32_t> pixels;
  int width, height;
  RECT layer{};    // where the pixels lay on the canvas (device pixels)
  RECT content{};  // the object's own box there, before its filters
  RECT image{};    // the finished image, in the layer's pixels
  double a = 0, b = 0, c = 0, d = 0, tx = 0, ty = 0;  // the object's device transform
  uint64_t signature = 0;  // what it showed
};

}  // namespace flash
