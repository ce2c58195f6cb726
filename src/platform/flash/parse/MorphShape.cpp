#include "platform/flash/parse/MorphShape.h"

#include "moviefiles/BitStream.h"

namespace flash {
namespace {

bool ReadCount(ByteReader& r, uint32_t& n) {
  uint8_t small = 0;
  if (!r.U8(small)) return false;
  n = small;
  return small != 0xFF || r.U16LE(n);
}

bool ReadMorphFill(ByteReader& r, FillStyle& a, FillStyle& b) {
  if (!r.U8(a.kind)) return false;
  b.kind = a.kind;
  switch (a.kind) {
    case kFillSolid:
      return ReadRgb(r, true, a.color) && ReadRgb(r, true, b.color);
    case kFillLinear: case kFillRadial: case kFillFocal: {
      Matrix ma, mb;
      uint8_t head = 0;
      if (!ReadMatrix(r, ma) || !ReadMatrix(r, mb) || !r.U8(head)) return false;
      a.matrix = Xform::From(ma), b.matrix = Xform::From(mb);
      a.spread = b.spread = (head >> 6) & 3;
      if (a.spread > kSpreadRepeat) a.spread = b.spread = kSpreadPad;
      a.linearRgb = b.linearRgb = ((head >> 4) & 3) == 1;
      for (int i = 0; i < (head & 0x0F); ++i) {
        GradientStop sa, sb;
        if (!r.U8(sa.ratio) || !ReadRgb(r, true, sa.color) || !r.U8(sb.ratio) || !ReadRgb(r, true, sb.color))
          return false;
        a.stops.push_back(sa), b.stops.push_back(sb);
      }
      if (a.kind == kFillFocal) {
        uint32_t fa = 0, fb = 0;
        if (!r.U16LE(fa) || !r.U16LE(fb)) return false;
        a.focal = static_cast<int16_t>(fa) / 256.0, b.focal = static_cast<int16_t>(fb) / 256.0;
      }
      return true;
    }
    case kFillBitmapRepeat: case kFillBitmapClip: case kFillBitmapRepeatHard: case kFillBitmapClipHard: {
      uint32_t id = 0;
      Matrix ma, mb;
      if (!r.U16LE(id) || !ReadMatrix(r, ma) || !ReadMatrix(r, mb)) return false;
      a.bitmap = b.bitmap = static_cast<uint16_t>(id);
      a.matrix = Xform::From(ma), b.matrix = Xform::From(mb);
      return true;
    }
    default:
      return false;
  }
}

bool ReadMorphLine(ByteReader& r, bool second, LineStyle& a, LineStyle& b) {
  uint32_t wa = 0, wb = 0;
  if (!r.U16LE(wa) || !r.U16LE(wb)) return false;
  a.width = static_cast<uint16_t>(wa), b.width = static_cast<uint16_t>(wb);
  if (!second) return ReadRgb(r, true, a.color) && ReadRgb(r, true, b.color);
  uint8_t f1 = 0, f2 = 0;
  uint32_t miter = 0;
  if (!r.U8(f1) || !r.U8(f2)) return false;
  a.startCap = b.startCap = f1 >> 6, a.join = b.join = (f1 >> 4) & 3;
  a.hasFill = b.hasFill = f1 & 0x08;
  a.noHScale = b.noHScale = f1 & 0x04, a.noVScale = b.noVScale = f1 & 0x02;
  a.pixelHinting = b.pixelHinting = f1 & 0x01;
  a.noClose = b.noClose = f2 & 0x04, a.endCap = b.endCap = f2 & 3;
  if (a.join == 2 && !r.U16LE(miter)) return false;
  if (a.join == 2) a.miterLimit = b.miterLimit = miter / 256.0;
  if (!a.hasFill) return ReadRgb(r, true, a.color) && ReadRgb(r, true, b.color);
  if (!ReadMorphFill(r, a.fill, b.fill)) return false;
  a.color = a.fill.color, b.color = b.fill.color;
  return true;
}

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

Xform Lerp(const Xform& a, const Xform& b, double t) {
  return Xform{Lerp(a.a, b.a, t), Lerp(a.b, b.b, t), Lerp(a.c, b.c, t),
               Lerp(a.d, b.d, t), Lerp(a.tx, b.tx, t), Lerp(a.ty, b.ty, t)};
}

FillStyle Lerp(const FillStyle& a, const FillStyle& b, double t) {
  FillStyle f = a;
  f.color = Mix(a.color, b.color, t);
  f.matrix = Lerp(a.matrix, b.matrix, t);
  f.focal = Lerp(a.focal, b.focal, t);
  for (size_t i = 0; i < f.stops.size() && i < b.stops.size(); ++i) {
    f.stops[i].ratio = static_cast<uint8_t>(Lerp(a.stops[i].ratio, b.stops[i].ratio, t) + 0.5);
    f.stops[i].color = Mix(a.stops[i].color, b.stops[i].color, t);
  }
  return f;
}

}  // namespace

MorphData ReadMorph(std::span<const uint8_t> body, SwfTag tag) {
  MorphData m;
  const bool second = tag == SwfTag::DefineMorphShape2;
  ByteReader r(body);
  uint32_t offset = 0, n = 0;
  if (!SkipRectRecord(r) || !SkipRectRecord(r)) return m;
  if (second && (!SkipRectRecord(r) || !SkipRectRecord(r) || !r.Skip(1))) return m;
  if (!r.U32LE(offset)) return m;
  const size_t endAt = r.Pos() + offset;
  m.start.fills.emplace_back(), m.start.lines.emplace_back();
  m.endFills.emplace_back(), m.endLines.emplace_back();
  if (!ReadCount(r, n)) return m;
  for (uint32_t i = 0; i < n && m.start.fills.size() < kMaxStyles; ++i) {
    FillStyle a, b;
    if (!ReadMorphFill(r, a, b)) return m;
    m.start.fills.push_back(std::move(a)), m.endFills.push_back(std::move(b));
  }
  if (!ReadCount(r, n)) return m;
  for (uint32_t i = 0; i < n && m.start.lines.size() < kMaxStyles; ++i) {
    LineStyle a, b;
    if (!ReadMorphLine(r, second, a, b)) return m;
    m.start.lines.push_back(std::move(a)), m.endLines.push_back(std::move(b));
  }
  uint8_t counts = 0;
  if (!r.U8(counts)) return m;
  ReadShapeRecords(r, 3, m.start, 0, 0, counts >> 4, counts & 0x0F);
  // Styles changed inside the start records have no end styles; they stay as they are.
  while (m.endFills.size() < m.start.fills.size()) m.endFills.push_back(m.start.fills[m.endFills.size()]);
  while (m.endLines.size() < m.start.lines.size()) m.endLines.push_back(m.start.lines[m.endLines.size()]);
  ByteReader end(body);
  if (!end.Seek(endAt) || !end.U8(counts)) return m;
  ShapeData edges;
  ReadShapeRecords(end, 3, edges, 0, 0, counts >> 4, counts & 0x0F);
  for (const ShapePath& p : edges.paths) m.endSegments.insert(m.endSegments.end(), p.segments.begin(), p.segments.end());
  return m;
}

ShapeData MorphAt(const MorphData& m, uint16_t ratio) {
  const double t = ratio / 65535.0;
  ShapeData s;
  s.groups = m.start.groups;
  s.fills.reserve(m.start.fills.size());
  for (size_t i = 0; i < m.start.fills.size(); ++i) s.fills.push_back(Lerp(m.start.fills[i], m.endFills[i], t));
  for (size_t i = 0; i < m.start.lines.size(); ++i) {
    LineStyle l = m.start.lines[i];
    const LineStyle& e = m.endLines[i];
    l.width = static_cast<uint16_t>(Lerp(l.width, e.width, t) + 0.5);
    l.color = Mix(l.color, e.color, t);
    if (l.hasFill) l.fill = Lerp(l.fill, e.fill, t);
    s.lines.push_back(std::move(l));
  }
  size_t k = 0;
  for (const ShapePath& p : m.start.paths) {
    ShapePath q = p;
    for (Segment& a : q.segments) {
      if (k >= m.endSegments.size()) break;  // unpaired edges keep their start position
      const Segment& b = m.endSegments[k++];
      auto control = [](const Segment& g, float& x, float& y) {
        x = g.curve ? g.cx : (g.x0 + g.x1) / 2, y = g.curve ? g.cy : (g.y0 + g.y1) / 2;
      };
      float acx, acy, bcx, bcy;
      control(a, acx, acy), control(b, bcx, bcy);
      const bool curve = a.curve || b.curve;
      auto mix = [&](float u, float v) { return static_cast<float>(Lerp(u, v, t)); };
      a = Segment{mix(a.x0, b.x0), mix(a.y0, b.y0), mix(acx, bcx), mix(acy, bcy), mix(a.x1, b.x1), mix(a.y1, b.y1), curve};
    }
    s.paths.push_back(std::move(q));
  }
  return s;
}

}  // namespace flash
