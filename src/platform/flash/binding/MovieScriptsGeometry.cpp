// Where clips and entries lie for scripts: their matrices on the stage,
// their bounds in their own space, and whether a point of the stage falls
// in those bounds.
#include <algorithm>
#include <cmath>

#include "moviefiles/BitStream.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/render/BitmapSurface.h"
#include "platform/flash/render/FlashRenderer.h"
#include "platform/flash/render/ShapeCache.h"

namespace flash {
namespace {

void Include(double box[4], bool& any, double x, double y) {
  if (!any) {
    box[0] = box[2] = x, box[1] = box[3] = y;
    any = true;
    return;
  }
  box[0] = std::min(box[0], x), box[2] = std::max(box[2], x);
  box[1] = std::min(box[1], y), box[3] = std::max(box[3], y);
}

// A box through a transform, as the box around its corners.
void Transformed(const Matrix& m, const double in[4], double box[4], bool& any) {
  const Xform x = Xform::From(m);
  for (int i = 0; i < 4; ++i) {
    const double px = in[(i & 1) ? 2 : 0], py = in[(i & 2) ? 3 : 1];
    Include(box, any, x.X(px, py), x.Y(px, py));
  }
}

}  // namespace

using script::Object;
using script::Value;

Matrix MovieScripts::WorldOf(const Clip* clip) const {
  std::vector<const DisplayObject*> chain;
  for (const Clip* c = clip; c && c->entry && chain.size() < 64; c = c->parent) chain.push_back(c->entry);
  Matrix m;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) m = Concat(m, (*it)->matrix);
  return m;
}

Matrix MovieScripts::WorldOfEntry(const Clip* parent, const DisplayObject* entry) const {
  const Matrix p = WorldOf(parent);
  return entry ? Concat(p, entry->matrix) : p;
}

bool MovieScripts::ClipBounds(const Clip& clip, const Matrix& m, double box[4], int nesting) {
  bool any = false;
  if (nesting > kMaxNesting) return false;
  double local[4];
  if (clip.scrolled) {
    // Only the scroll rectangle shows, at the clip's origin.
    const double r[4] = {0, 0, clip.scrollRect[2] * 20, clip.scrollRect[3] * 20};
    Transformed(m, r, box, any);
    return any;
  }
  if (clip.drawing && clip.drawing->Bounds(local[0], local[1], local[2], local[3])) Transformed(m, local, box, any);
  for (const auto& [depth, entry] : clip.objects) {
    if (!entry.visible || entry.clipDepth) continue;
    double child[4];
    const Matrix cm = Concat(m, entry.matrix);
    bool found = false;
    if (entry.clip) {
      found = ClipBounds(*entry.clip, cm, child, nesting + 1);
    } else if (LocalBounds(&clip, entry, local)) {
      bool unused = false;
      Transformed(cm, local, child, unused);
      found = true;
    }
    if (found) {
      Include(box, any, child[0], child[1]);
      Include(box, any, child[2], child[3]);
    }
  }
  return any;
}

bool MovieScripts::LocalBounds(const Clip* parent, const DisplayObject& entry, double box[4]) {
  if (entry.clip) return ClipBounds(*entry.clip, Matrix{}, box);
  if (entry.bitmap) {
    box[0] = box[1] = 0, box[2] = entry.bitmap->Width() * 20.0, box[3] = entry.bitmap->Height() * 20.0;
    return !entry.bitmap->Disposed();
  }
  if (entry.text) {
    const RECT& b = entry.text->data.bounds;
    box[0] = b.left, box[1] = b.top, box[2] = b.right, box[3] = b.bottom;
    return true;
  }
  const Character* ch = entry.character ? player_.Find(parent, entry.character) : nullptr;
  if (!ch) return false;
  const SwfTag tag = ch->tagCode;
  if (IsShape(tag) || IsMorph(tag) || tag == SwfTag::DefineText || tag == SwfTag::DefineText2 ||
      tag == SwfTag::DefineEditText) {
    ByteReader r(ch->body);
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (!ReadRectRecord(r, x0, x1, y0, y1)) return false;
    box[0] = x0, box[1] = y0, box[2] = x1, box[3] = y1;
    return true;
  }
  if (tag == SwfTag::DefineButton || tag == SwfTag::DefineButton2) {
    bool any = false;
    for (const ButtonPart& part : ReadButtonParts(*ch)) {
      if (!(part.states & kButtonUp)) continue;
      const Character* pc = player_.Find(parent, part.character);
      if (!pc || pc == ch || pc->tagCode == SwfTag::DefineButton || pc->tagCode == SwfTag::DefineButton2) continue;
      DisplayObject fake;
      fake.character = part.character;
      double local[4];
      if (pc->sprite < 0 && LocalBounds(parent, fake, local)) Transformed(part.matrix, local, box, any);
    }
    return any;
  }
  if (tag == SwfTag::DefineVideoStream) {
    // The video's rectangle: frames, width and height follow the id.
    ByteReader r(ch->body);
    uint32_t frames = 0, w = 0, h = 0;
    if (!r.U16LE(frames) || !r.U16LE(w) || !r.U16LE(h) || !w || !h) return false;
    box[0] = box[1] = 0, box[2] = w * 20.0, box[3] = h * 20.0;
    return true;
  }
  return false;
}

bool MovieScripts::Covers(const Clip* parent, const DisplayObject& entry, double stageX, double stageY, bool) {
  double box[4];
  if (!LocalBounds(parent, entry, box)) return false;
  Xform inverse;
  if (!Xform::From(WorldOfEntry(parent, &entry)).Invert(inverse)) return false;
  const double x = inverse.X(stageX, stageY), y = inverse.Y(stageX, stageY);
  return x >= box[0] && x <= box[2] && y >= box[1] && y <= box[3];
}

}  // namespace flash
