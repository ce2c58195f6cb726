#include "platform/flash/parse/ShapeRecords.h"

#include "moviefiles/BitStream.h"

namespace flash {
namespace {

bool ReadCount(ByteReader& r, int shapeLevel, uint32_t& n) {
  uint8_t small = 0;
  if (!r.U8(small)) return false;
  n = small;
  if (small == 0xFF && shapeLevel >= 2) return r.U16LE(n);
  return true;
}

bool ReadLineStyle(ByteReader& r, int shapeLevel, LineStyle& l) {
  uint32_t width = 0;
  if (!r.U16LE(width)) return false;
  l.width = static_cast<uint16_t>(width);
  if (shapeLevel < 4) return ReadRgb(r, shapeLevel >= 3, l.color);
  uint8_t f1 = 0, f2 = 0;
  if (!r.U8(f1) || !r.U8(f2)) return false;
  l.startCap = f1 >> 6, l.join = (f1 >> 4) & 3, l.hasFill = f1 & 0x08;
  l.noHScale = f1 & 0x04, l.noVScale = f1 & 0x02, l.pixelHinting = f1 & 0x01;
  l.noClose = f2 & 0x04, l.endCap = f2 & 3;
  uint32_t miter = 0;
  if (l.join == 2 && !r.U16LE(miter)) return false;
  if (l.join == 2) l.miterLimit = miter / 256.0;
  if (!l.hasFill) return ReadRgb(r, true, l.color);
  if (!ReadFillStyle(r, shapeLevel, l.fill)) return false;
  l.color = l.fill.stops.empty() ? l.fill.color : l.fill.stops.front().color;
  return true;
}

}  // namespace

bool ReadRgb(ByteReader& r, bool alpha, Rgba& c) {
  if (!r.U8(c.r) || !r.U8(c.g) || !r.U8(c.b)) return false;
  c.a = 255;
  return !alpha || r.U8(c.a);
}

bool ReadFillStyle(ByteReader& r, int shapeLevel, FillStyle& f) {
  if (!r.U8(f.kind)) return false;
  switch (f.kind) {
    case kFillSolid:
      return ReadRgb(r, shapeLevel >= 3, f.color);
    case kFillLinear: case kFillRadial: case kFillFocal: {
      Matrix m;
      uint8_t head = 0;
      if (!ReadMatrix(r, m) || !r.U8(head)) return false;
      f.matrix = Xform::From(m);
      f.spread = (head >> 6) & 3;
      if (f.spread > kSpreadRepeat) f.spread = kSpreadPad;
      f.linearRgb = ((head >> 4) & 3) == 1;
      const int count = head & 0x0F;
      for (int i = 0; i < count; ++i) {
        GradientStop s;
        if (!r.U8(s.ratio) || !ReadRgb(r, shapeLevel >= 3, s.color)) return false;
        f.stops.push_back(s);
      }
      if (f.kind == kFillFocal) {
        uint32_t focal = 0;
        if (!r.U16LE(focal)) return false;
        f.focal = static_cast<int16_t>(focal) / 256.0;
      }
      return true;
    }
    case kFillBitmapRepeat: case kFillBitmapClip: case kFillBitmapRepeatHard: case kFillBitmapClipHard: {
      uint32_t id = 0;
      Matrix m;
      if (!r.U16LE(id) || !ReadMatrix(r, m)) return false;
      f.bitmap = static_cast<uint16_t>(id);
      f.matrix = Xform::From(m);
      return true;
    }
    default:
      return false;  // an unknown kind: its size is unknown, so the array ends here
  }
}

bool ReadStyleArrays(ByteReader& r, int shapeLevel, ShapeData& shape, int group) {
  uint32_t n = 0;
  if (shape.fills.empty()) shape.fills.emplace_back();
  if (shape.lines.empty()) shape.lines.emplace_back();
  if (!ReadCount(r, shapeLevel, n)) return false;
  for (uint32_t i = 0; i < n; ++i) {
    FillStyle f;
    if (!ReadFillStyle(r, shapeLevel, f)) return false;
    f.group = group;
    if (shape.fills.size() < kMaxStyles) shape.fills.push_back(std::move(f));
  }
  if (!ReadCount(r, shapeLevel, n)) return false;
  for (uint32_t i = 0; i < n; ++i) {
    LineStyle l;
    if (!ReadLineStyle(r, shapeLevel, l)) return false;
    l.group = group;
    if (shape.lines.size() < kMaxStyles) shape.lines.push_back(std::move(l));
  }
  return true;
}

void ReadShapeRecords(ByteReader& r, int shapeLevel, ShapeData& shape, uint32_t fillBase, uint32_t lineBase,
                      uint32_t fillBits, uint32_t lineBits) {
  if (shape.fills.empty()) shape.fills.emplace_back();
  if (shape.lines.empty()) shape.lines.emplace_back();
  BitStream bits(r.Rest());
  const size_t start = r.Pos();
  int32_t x = 0, y = 0;
  ShapePath path;
  size_t edges = 0;
  auto flush = [&] {
    if (!path.segments.empty()) shape.paths.push_back(path);
    path.segments.clear();
  };
  // A style index outside the arrays reads as none.
  auto fillIndex = [&](uint32_t i) { return i && fillBase + i < shape.fills.size() ? fillBase + i : 0u; };
  auto lineIndex = [&](uint32_t i) { return i && lineBase + i < shape.lines.size() ? lineBase + i : 0u; };
  for (;;) {
    uint32_t isEdge = 0;
    if (!bits.ReadBits(1, isEdge)) break;
    if (!isEdge) {
      uint32_t flags = 0;
      if (!bits.ReadBits(5, flags) || flags == 0) break;
      flush();
      if (flags & 0x01) {
        uint32_t n = 0;
        int32_t mx = 0, my = 0;
        if (!bits.ReadBits(5, n) || !bits.ReadSignedBits(n, mx) || !bits.ReadSignedBits(n, my)) break;
        x = mx, y = my;
      }
      uint32_t v = 0;
      if ((flags & 0x02) && !bits.ReadBits(fillBits, v)) break;
      if (flags & 0x02) path.fill0 = fillIndex(v);
      if ((flags & 0x04) && !bits.ReadBits(fillBits, v)) break;
      if (flags & 0x04) path.fill1 = fillIndex(v);
      if ((flags & 0x08) && !bits.ReadBits(lineBits, v)) break;
      if (flags & 0x08) path.line = lineIndex(v);
      if (flags & 0x10) {
        // New style arrays start at the next byte; the records go on after them.
        ByteReader styles(r.Rest());
        if (!styles.Skip((bits.BitPos() + 7) / 8)) break;
        fillBase = static_cast<uint32_t>(shape.fills.size()) - 1;
        lineBase = static_cast<uint32_t>(shape.lines.size()) - 1;
        if (!ReadStyleArrays(styles, shapeLevel, shape, shape.groups)) break;
        ++shape.groups;
        uint8_t counts = 0;
        if (!styles.U8(counts)) break;
        fillBits = counts >> 4, lineBits = counts & 0x0F;
        path.fill0 = path.fill1 = path.line = 0;
        bits = BitStream(r.Rest(), styles.Pos() * 8);
      }
      continue;
    }
    uint32_t straight = 0, n = 0;
    if (!bits.ReadBits(1, straight) || !bits.ReadBits(4, n)) break;
    n += 2;
    Segment s{};
    s.x0 = static_cast<float>(x), s.y0 = static_cast<float>(y);
    if (straight) {
      uint32_t general = 0, vertical = 0;
      int32_t dx = 0, dy = 0;
      if (!bits.ReadBits(1, general)) break;
      if (general) {
        if (!bits.ReadSignedBits(n, dx) || !bits.ReadSignedBits(n, dy)) break;
      } else {
        if (!bits.ReadBits(1, vertical)) break;
        if (!bits.ReadSignedBits(n, vertical ? dy : dx)) break;
      }
      x += dx, y += dy;
      s.curve = false;
    } else {
      int32_t cx = 0, cy = 0, ax = 0, ay = 0;
      if (!bits.ReadSignedBits(n, cx) || !bits.ReadSignedBits(n, cy) || !bits.ReadSignedBits(n, ax) ||
          !bits.ReadSignedBits(n, ay))
        break;
      s.cx = static_cast<float>(x + cx), s.cy = static_cast<float>(y + cy);
      x += cx + ax, y += cy + ay;
      s.curve = true;
    }
    s.x1 = static_cast<float>(x), s.y1 = static_cast<float>(y);
    if (++edges > kMaxShapeEdges) break;
    path.segments.push_back(s);
  }
  flush();
  r.Seek(start + (bits.BitPos() + 7) / 8 <= r.Size() ? start + (bits.BitPos() + 7) / 8 : r.Size());
}

ShapeData ReadShape(std::span<const uint8_t> body, SwfTag tag) {
  const int level = tag == SwfTag::DefineShape ? 1 : tag == SwfTag::DefineShape2 ? 2 : tag == SwfTag::DefineShape3 ? 3 : 4;
  ShapeData shape;
  ByteReader r(body);
  BitCursor bounds(r);
  uint32_t n = 0;
  int32_t v = 0;
  if (!bounds.U(5, n)) return shape;
  for (int i = 0; i < 4; ++i)
    if (!bounds.S(n, v)) return shape;
  if (!bounds.Finish()) return shape;
  if (level == 4) {
    BitCursor edgeBounds(r);
    if (!edgeBounds.U(5, n)) return shape;
    for (int i = 0; i < 4; ++i)
      if (!edgeBounds.S(n, v)) return shape;
    uint8_t flags = 0;
    if (!edgeBounds.Finish() || !r.U8(flags)) return shape;
    shape.windingRule = flags & 0x04;
  }
  if (!ReadStyleArrays(r, level, shape, 0)) return shape;
  uint8_t counts = 0;
  if (!r.U8(counts)) return shape;
  ReadShapeRecords(r, level, shape, 0, 0, counts >> 4, counts & 0x0F);
  return shape;
}

ShapeData ReadGlyph(std::span<const uint8_t> body) {
  ShapeData shape;
  shape.fills.resize(2);  // fill 1: the text colour, set when drawn
  shape.lines.resize(1);
  ByteReader r(body);
  uint8_t counts = 0;
  if (!r.U8(counts)) return shape;
  ReadShapeRecords(r, 3, shape, 0, 0, counts >> 4, counts & 0x0F);
  return shape;
}

}  // namespace flash
