#include "platform/flash/play/MoviePlayer.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <utility>

namespace flash {
namespace {

// A sprite placed inside itself (directly or through others) gets no
// timeline of its own, nor do sprites beyond these bounds (sprites that
// place two others at every level multiply without end).
constexpr int kMaxNesting = 16;

void DescribeClip(const Clip& clip, int indent, std::wstring& out) {
  for (const auto& [depth, o] : clip.objects) {
    wchar_t line[320];
    swprintf(line, 320, L"%*ls%d: ch%u m(%.4f %.4f %.4f %.4f %d %d) cx(%d %d %d %d %d %d %d %d) r%u n'%ls' clip%u",
             indent, L"", depth, o.character, o.matrix.a, o.matrix.b, o.matrix.c, o.matrix.d, o.matrix.tx,
             o.matrix.ty, o.color.mr, o.color.mg, o.color.mb, o.color.ma, o.color.ar, o.color.ag, o.color.ab,
             o.color.aa, o.ratio, o.name.c_str(), o.clipDepth);
    out += line;
    if (!o.visible) out += L" hidden";
    if (o.effects.HasFilters()) {
      out += L" filters";
      for (const Filter& f : *o.effects.filters) out += L" " + std::to_wstring(static_cast<int>(f.kind));
    }
    if (o.effects.blend != BlendMode::Normal) out += std::wstring(L" blend ") + BlendModeName(o.effects.blend);
    if (o.effects.cacheAsBitmap) out += L" cached";
    if (o.clip) {
      if (o.clip->home == o.clip.get()) out += L" loaded";
      out += L" sprite frame " + std::to_wstring(o.clip->frame) + (o.clip->playing ? L" playing" : L" stopped");
      out += L"\n";
      DescribeClip(*o.clip, indent + 2, out);
    } else {
      out += L"\n";
    }
  }
}

// What a placement record sets of an entry's effects (all of them when whole:
// the state a go-to rebuilds).
void ApplyEffects(const PlaceCommand& cmd, SurfaceEffects& effects, bool whole) {
  if (cmd.filters || whole) effects.filters = cmd.filters && !cmd.filters->empty() ? cmd.filters : nullptr;
  if (cmd.blend || whole) effects.blend = cmd.blend.value_or(BlendMode::Normal);
  if (cmd.cacheAsBitmap || whole) effects.cacheAsBitmap = cmd.cacheAsBitmap.value_or(false);
}

// What a depth of a timeline holds at a frame, as a go-to rebuilds it: the
// record that placed it and, for each property, the last record that set
// it since (pointers into the timeline, so a long list costs little).
struct PlacedState {
  PlacedState() = default;
  PlacedState(const PlaceCommand& place, int placedFrame)
      : placed(&place), matrix(&place), color(&place), ratio(&place), name(&place), clipDepth(&place),
        filters(&place), blend(&place), cache(&place), character(*place.character), depth(place.depth),
        frame(placedFrame) {}

  // A move at frame f: what it sets wins; a new character counts as placed there.
  void Move(const PlaceCommand& cmd, int f) {
    if (cmd.character && *cmd.character != character) character = *cmd.character, frame = f;
    if (cmd.matrix) matrix = &cmd;
    if (cmd.color) color = &cmd;
    if (cmd.ratio) ratio = &cmd;
    if (cmd.name) name = &cmd;
    if (cmd.clipDepth) clipDepth = &cmd;
    if (cmd.filters) filters = &cmd;
    if (cmd.blend) blend = &cmd;
    if (cmd.cacheAsBitmap) cache = &cmd;
  }

  // The state as one placing record (its name only when asked: it is copied).
  PlaceCommand Command(bool withName) const {
    PlaceCommand p;
    p.depth = depth;
    p.character = character;
    p.matrix = matrix->matrix;
    p.color = color->color;
    p.ratio = ratio->ratio;
    if (withName) p.name = name->name;
    p.clipDepth = clipDepth->clipDepth;
    p.clipActions = placed->clipActions;
    p.filters = filters->filters;
    p.blend = blend->blend;
    p.cacheAsBitmap = cache->cacheAsBitmap;
    return p;
  }

  const PlaceCommand* placed = nullptr;
  const PlaceCommand *matrix = nullptr, *color = nullptr, *ratio = nullptr, *name = nullptr, *clipDepth = nullptr;
  const PlaceCommand *filters = nullptr, *blend = nullptr, *cache = nullptr;
  uint16_t character = 0;
  uint16_t depth = 0;
  int frame = 0;
};

const Timeline& EmptyTimeline() {
  static const Timeline empty = [] {
    Timeline t;
    t.frames.resize(1);
    return t;
  }();
  return empty;
}

}  // namespace

// The depths a go-to back wants, in the order first placed (an entry taken
// away has no record), and where each depth's entry is (-1: none).
struct MoviePlayer::RewindLists {
  std::vector<PlacedState> wanted;
  std::vector<int32_t> slots;
  std::vector<uint32_t> order;
};

uint64_t SoundChannelOf(const Clip& clip) {
  static std::atomic<uint64_t> channels{uint64_t(1) << 48};  // above any owner the control gives out
  if (!clip.soundChannel) clip.soundChannel = ++channels;
  return clip.soundChannel;
}

MoviePlayer::MoviePlayer(const MovieDefinition& movie, const TimelineScriptsFactory& scripts,
                         PlayerEnvironment environment)
    : movie_(movie), environment_(std::move(environment)) {
  if (!environment_.clock) environment_.clock = [] { return 0.0; };
  root_.movie = &movie_;
  root_.home = &root_;
  scripts_ = scripts(*this, environment_);
}

MoviePlayer::~MoviePlayer() {
  // The clips go before the script heap they point into.
  root_.objects.clear();
  levels_.clear();
  scripts_.reset();
}

const Timeline& MoviePlayer::TimelineOf(const Clip& clip) const {
  const MovieDefinition& movie = MovieOf(&clip);
  if (clip.timeline == -1) return movie.root;
  if (clip.timeline < 0 || static_cast<size_t>(clip.timeline) >= movie.sprites.size()) return EmptyTimeline();
  return movie.sprites[static_cast<size_t>(clip.timeline)];
}

const Character* MoviePlayer::Find(const Clip* clip, uint16_t id) const {
  const int frame = clip && clip->home ? clip->home->frame : root_.frame;
  return MovieOf(clip).Find(id, frame);
}

void Clip::Named(const DisplayObject& entry) {
  if (names.Size() >= 2 * objects.size() + 64) {
    names.Clear();
    for (const auto& [depth, obj] : objects) names.Add(obj.name, depth);
  } else {
    names.Add(entry.name, entry.depth);
  }
}

// A clip for an entry of parent's list, showing parent's movie.
std::unique_ptr<Clip> MoviePlayer::NewClip(Clip& parent, DisplayObject& entry, int timeline) {
  auto clip = std::make_unique<Clip>(&liveClips_, entry.placedFrame >= 0 ? &placedClips_ : nullptr);
  clip->timeline = timeline;
  clip->parent = &parent;
  clip->entry = &entry;
  clip->movie = parent.movie;
  clip->home = parent.home;
  return clip;
}

void MoviePlayer::Start(const std::vector<std::pair<std::wstring, std::wstring>>& variables) {
  Reset(root_);
  root_.playing = true;
  scripts_->Begin(root_, variables);
  Enter(root_, 0, true, 0);
  scripts_->Drain();
  scripts_->AfterFrame();
}

// Takes every entry off the clip without events (the host's seeks).
void MoviePlayer::Reset(Clip& clip) {
  if (!clip.objects.empty()) ++changes_;
  for (auto it = clip.objects.begin(); it != clip.objects.end(); ++it) scripts_->Removed(clip, it->second, false);
  clip.objects.clear();
  clip.frame = 0;
}

void MoviePlayer::Remove(Clip& clip, std::map<int32_t, DisplayObject>::iterator it, bool scripts) {
  scripts_->Removed(clip, it->second, scripts);
  clip.objects.erase(it);
  ++changes_;
}

// Applies a frame's commands to the clip and queues its actions. Without
// scripts (the host's seeks) only the stop and play of sprites are kept.
void MoviePlayer::Enter(Clip& clip, int frame, bool scripts, int nesting) {
  const Timeline& timeline = TimelineOf(clip);
  if (frame < 0 || frame >= static_cast<int>(timeline.frames.size())) return;
  clip.frame = frame;
  const size_t mark = scripts_->Mark();
  const FrameScript& script = timeline.frames[static_cast<size_t>(frame)];
  for (const PlaceCommand& cmd : script.commands) Apply(clip, cmd, frame, scripts, nesting);
  if (scripts) {
    if (listener_) listener_->FrameEntered(clip, frame);
    scripts_->FrameEntered(clip, frame, mark);
  } else if (clip.timeline >= 0 || clip.parent) {
    scripts_->QuietActions(clip, script);
  }
}

void MoviePlayer::Apply(Clip& clip, const PlaceCommand& cmd, int frame, bool scripts, int nesting) {
  ++changes_;
  auto it = clip.objects.find(cmd.depth);
  if (cmd.remove) {
    if (it != clip.objects.end()) Remove(clip, it, scripts);
    return;
  }
  DisplayObject* obj = nullptr;
  if (cmd.move && it != clip.objects.end()) {
    obj = &it->second;
    if (cmd.character && *cmd.character != obj->character) {
      scripts_->Removed(clip, *obj, scripts);
      obj->placedFrame = frame;
      NewObject(clip, *obj, *cmd.character, scripts, nesting);
    }
  } else if (cmd.character) {
    if (it != clip.objects.end()) Remove(clip, it, scripts);
    DisplayObject fresh;
    fresh.depth = cmd.depth;
    fresh.placedFrame = frame;
    if (cmd.matrix) fresh.matrix = *cmd.matrix;
    if (cmd.color) fresh.color = *cmd.color;
    if (cmd.ratio) fresh.ratio = *cmd.ratio;
    if (cmd.name) fresh.name = *cmd.name;
    if (cmd.clipDepth) fresh.clipDepth = *cmd.clipDepth;
    ApplyEffects(cmd, fresh.effects, false);
    if (!cmd.clipActions.empty()) {
      fresh.events = ReadClipEvents(cmd.clipActions, MovieOf(&clip).version);
      for (const ClipEventRecord& e : fresh.events) fresh.eventMask |= e.events;
    }
    obj = &(clip.objects[cmd.depth] = std::move(fresh));
    clip.Named(*obj);
    NewObject(clip, *obj, *cmd.character, scripts, nesting);
    return;
  } else {
    return;  // moving an empty depth
  }
  if (!obj->scripted) {
    if (cmd.matrix) obj->matrix = *cmd.matrix, obj->transformKnown = false;
    if (cmd.color) obj->color = *cmd.color;
  }
  if (cmd.ratio) obj->ratio = *cmd.ratio;
  if (cmd.name) {
    obj->name = *cmd.name, obj->nameKey = nullptr;
    clip.Named(*obj);
  }
  if (cmd.clipDepth) obj->clipDepth = *cmd.clipDepth;
  if (!obj->effectsScripted) ApplyEffects(cmd, obj->effects, false);
}

void MoviePlayer::NewObject(Clip& owner, DisplayObject& obj, uint16_t character, bool scripts, int nesting) {
  obj.character = character;
  obj.buttonState = kButtonUp;
  obj.clip.reset();
  obj.text.reset();
  obj.object = nullptr;
  const Character* ch = Find(&owner, character);
  if (ch && ch->tagCode == SwfTag::DefineEditText)
    obj.text = std::make_unique<TextFieldState>(TextFieldState::FromCharacter(ReadEditText(*ch, MovieOf(&owner).version)));
  // A timeline's sprites have the smaller bound; a script's attachMovie the larger.
  bool nests = ch && ch->sprite >= 0 && nesting < kMaxNesting && liveClips_ < kMaxScriptClips &&
               (obj.placedFrame < 0 || placedClips_ < kMaxLiveClips);
  for (const Clip* above = &owner; above && nests; above = above->parent)
    if (above->timeline == ch->sprite && above->movie == owner.movie) nests = false;
  if (nests) obj.clip = NewClip(owner, obj, ch->sprite);
  scripts_->Placed(owner, obj, scripts);
  if (obj.clip) Enter(*obj.clip, 0, scripts, nesting + 1);
}

void MoviePlayer::StepChildren(Clip& clip, bool scripts, int nesting) {
  for (auto& [depth, obj] : clip.objects)
    if (obj.clip) StepClip(*obj.clip, scripts, nesting + 1);
}

// One frame of a clip in a seek: its own sprites step, then it moves on (looping).
void MoviePlayer::StepClip(Clip& clip, bool scripts, int nesting) {
  StepChildren(clip, scripts, nesting);
  const int count = static_cast<int>(TimelineOf(clip).frames.size());
  if (!clip.playing || count <= 1) return;
  int next = clip.frame + 1;
  if (next >= count) {
    Reset(clip);
    next = 0;
  }
  Enter(clip, next, scripts, nesting);
}

void MoviePlayer::CollectClips(Clip& clip, std::vector<Clip*>& out, int nesting) {
  if (nesting > kMaxNesting + 1) return;
  out.push_back(&clip);
  for (auto& [depth, obj] : clip.objects)
    if (obj.clip) CollectClips(*obj.clip, out, nesting + 1);
}

int MoviePlayer::NestingOf(const Clip& clip) const {
  int n = 0;
  for (const Clip* c = clip.parent; c; c = c->parent) ++n;
  return n;
}

void MoviePlayer::Advance() {
  // Every timeline that stood before this frame moves on, parents first;
  // one that a parent's step took away is skipped.
  std::vector<Clip*> clips;
  CollectClips(root_, clips, 0);
  for (auto& [n, level] : levels_) CollectClips(*level, clips, 0);
  // (No script runs until every timeline has moved, so these objects stay.)
  std::vector<MovieClipObject*> objects;
  objects.reserve(clips.size());
  for (Clip* c : clips) objects.push_back(c->object);
  for (MovieClipObject* o : objects) {
    Clip* c = o ? scripts_->ClipOf(*o) : nullptr;
    if (!c) continue;
    const int count = static_cast<int>(TimelineOf(*c).frames.size());
    if (!c->playing || count <= 1) continue;
    if (c->frame + 1 < count) {
      Enter(*c, c->frame + 1, true, NestingOf(*c));
    } else if (c == &root_ && !loop_) {
      root_.playing = false;
    } else {
      Rewind(*c, 0, NestingOf(*c));
    }
  }
  scripts_->EnterFrame();
  scripts_->Drain();
  scripts_->RunTimers();
  scripts_->Drain();
  scripts_->MediaEvents();
  scripts_->AfterFrame();
}

// A go-to backwards: the instances that stand in both frames (placed by
// the same tag) stay; the others go and the missing ones come.
void MoviePlayer::Rewind(Clip& clip, int frame, int nesting) {
  const Timeline& timeline = TimelineOf(clip);
  // The lists of the last go-to back (one begun inside this one makes its own).
  std::unique_ptr<RewindLists> lists = std::move(rewindLists_);
  if (!lists) lists = std::make_unique<RewindLists>();
  std::vector<PlacedState>& wanted = lists->wanted;
  std::vector<int32_t>& slots = lists->slots;
  for (int f = 0; f <= frame && f < static_cast<int>(timeline.frames.size()); ++f) {
    for (const PlaceCommand& cmd : timeline.frames[static_cast<size_t>(f)].commands) {
      if (cmd.depth >= slots.size()) slots.resize(size_t(cmd.depth) + 1, -1);
      int32_t& slot = slots[cmd.depth];
      if (cmd.remove) {
        if (slot >= 0) wanted[size_t(slot)].placed = nullptr, slot = -1;
      } else if (cmd.move && slot >= 0) {
        wanted[size_t(slot)].Move(cmd, f);
      } else if (cmd.character) {
        if (slot < 0) slot = static_cast<int32_t>(wanted.size()), wanted.emplace_back();
        wanted[size_t(slot)] = PlacedState(cmd, f);
      }
    }
  }
  auto wantedAt = [&](int32_t depth) -> const PlacedState* {
    if (depth < 0 || size_t(depth) >= slots.size() || slots[size_t(depth)] < 0) return nullptr;
    return &wanted[size_t(slots[size_t(depth)])];
  };
  const size_t mark = scripts_->Mark();
  for (auto it = clip.objects.begin(); it != clip.objects.end();) {
    DisplayObject& obj = it->second;
    if (it->first >= kDepthOffset) {
      ++it;
      continue;
    }
    const PlacedState* w = wantedAt(it->first);
    if (!w || w->character != obj.character || w->frame != obj.placedFrame) {
      auto next = std::next(it);
      Remove(clip, it, true);
      it = next;
      continue;
    }
    const PlaceCommand p = w->Command(false);
    if (!obj.scripted) {
      obj.matrix = p.matrix.value_or(Matrix{});
      obj.color = p.color.value_or(ColorTransform{});
      obj.transformKnown = false;
    }
    obj.ratio = p.ratio.value_or(0);
    if (!obj.effectsScripted) ApplyEffects(p, obj.effects, true);
    ++changes_;
    ++it;
  }
  clip.frame = frame;
  // The missing ones come in the order of their depths.
  std::vector<uint32_t>& order = lists->order;
  for (uint32_t i = 0; i < wanted.size(); ++i)
    if (wanted[i].placed) order.push_back(i);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return wanted[a].depth < wanted[b].depth; });
  for (uint32_t i : order)
    if (!clip.objects.count(wanted[i].depth)) Apply(clip, wanted[i].Command(true), wanted[i].frame, true, nesting);
  for (const PlacedState& w : wanted) slots[w.depth] = -1;
  wanted.clear();
  order.clear();
  rewindLists_ = std::move(lists);
  if (listener_) listener_->FrameEntered(clip, frame);
  scripts_->FrameEntered(clip, frame, mark);
}

void MoviePlayer::ScriptGoto(Clip& clip, int frame, int play) {
  const int count = static_cast<int>(TimelineOf(clip).frames.size());
  frame = std::clamp(frame, 0, std::max(count - 1, 0));
  if (play >= 0) clip.playing = play != 0;
  if (frame == clip.frame) return;
  const int nesting = NestingOf(clip);
  if (frame < clip.frame) {
    Rewind(clip, frame, nesting);
    return;
  }
  const size_t mark = scripts_->Mark();
  const Timeline& timeline = TimelineOf(clip);
  while (clip.frame < frame) {
    clip.frame += 1;
    for (const PlaceCommand& cmd : timeline.frames[static_cast<size_t>(clip.frame)].commands)
      Apply(clip, cmd, clip.frame, true, nesting);
  }
  if (listener_) listener_->FrameEntered(clip, frame);
  scripts_->FrameEntered(clip, frame, mark);
}

void MoviePlayer::CallFrame(Clip& clip, int frame) { scripts_->RunFrameNow(clip, frame); }

void MoviePlayer::SeekClip(Clip& clip, int frame, int nesting) {
  const int count = static_cast<int>(TimelineOf(clip).frames.size());
  frame = std::clamp(frame, 0, std::max(count - 1, 0));
  if (frame < clip.frame) {
    Reset(clip);
    Enter(clip, 0, false, nesting);
  }
  while (clip.frame < frame) {
    StepChildren(clip, false, nesting);
    Enter(clip, clip.frame + 1, false, nesting);
  }
}

void MoviePlayer::GotoFrame(int frame) {
  SeekClip(root_, frame, 0);
  root_.playing = false;
}

// ---- Entries made by scripts ------------------------------------------------------------

DisplayObject* MoviePlayer::Attach(Clip& parent, uint16_t character, const std::wstring& name, int32_t depth) {
  if (depth < -kDepthOffset || depth > kMaxScriptDepth - kDepthOffset) return nullptr;
  const int32_t d = depth + kDepthOffset;
  auto it = parent.objects.find(d);
  if (it != parent.objects.end()) Remove(parent, it, true);
  if (liveClips_ >= kMaxScriptClips) return nullptr;
  DisplayObject fresh;
  fresh.depth = d;
  fresh.name = name;
  DisplayObject* obj = &(parent.objects[d] = std::move(fresh));
  parent.Named(*obj);
  ++changes_;
  NewObject(parent, *obj, character, true, NestingOf(parent));
  return obj;
}

DisplayObject* MoviePlayer::CreateEmpty(Clip& parent, const std::wstring& name, int32_t depth) {
  if (depth < -kDepthOffset || depth > kMaxScriptDepth - kDepthOffset || liveClips_ >= kMaxScriptClips ||
      NestingOf(parent) >= kMaxNesting)
    return nullptr;
  const int32_t d = depth + kDepthOffset;
  auto it = parent.objects.find(d);
  if (it != parent.objects.end()) Remove(parent, it, true);
  DisplayObject fresh;
  fresh.depth = d;
  fresh.name = name;
  DisplayObject* obj = &(parent.objects[d] = std::move(fresh));
  parent.Named(*obj);
  obj->clip = NewClip(parent, *obj, -2);
  ++changes_;
  scripts_->Placed(parent, *obj, true);
  return obj;
}

DisplayObject* MoviePlayer::CreateText(Clip& parent, const std::wstring& name, int32_t depth, const RECT& bounds) {
  if (depth < -kDepthOffset || depth > kMaxScriptDepth - kDepthOffset || liveClips_ >= kMaxScriptClips) return nullptr;
  const int32_t d = depth + kDepthOffset;
  auto it = parent.objects.find(d);
  if (it != parent.objects.end()) Remove(parent, it, true);
  DisplayObject fresh;
  fresh.depth = d;
  fresh.name = name;
  fresh.matrix.tx = bounds.left, fresh.matrix.ty = bounds.top;
  fresh.text = std::make_unique<TextFieldState>(TextFieldState::Empty(bounds.right - bounds.left, bounds.bottom - bounds.top));
  DisplayObject* obj = &(parent.objects[d] = std::move(fresh));
  parent.Named(*obj);
  ++changes_;
  scripts_->Placed(parent, *obj, true);
  return obj;
}

DisplayObject* MoviePlayer::AttachBitmap(Clip& parent, int32_t depth, std::shared_ptr<BitmapSurface> bitmap,
                                         bool smoothing) {
  if (depth < -kDepthOffset || depth > kMaxScriptDepth - kDepthOffset || !bitmap) return nullptr;
  const int32_t d = depth + kDepthOffset;
  auto it = parent.objects.find(d);
  if (it != parent.objects.end()) Remove(parent, it, true);
  DisplayObject fresh;
  fresh.depth = d;
  fresh.bitmap = std::move(bitmap);
  fresh.bitmapSmoothing = smoothing;
  DisplayObject* obj = &(parent.objects[d] = std::move(fresh));
  parent.Named(*obj);
  ++changes_;
  return obj;
}

DisplayObject* MoviePlayer::Duplicate(DisplayObject& source, Clip& parent, const std::wstring& name, int32_t depth) {
  if (depth < -kDepthOffset || depth > kMaxScriptDepth - kDepthOffset || liveClips_ >= kMaxScriptClips) return nullptr;
  const int32_t d = depth + kDepthOffset;
  if (d == source.depth) return nullptr;
  auto it = parent.objects.find(d);
  if (it != parent.objects.end()) Remove(parent, it, true);
  DisplayObject fresh;
  fresh.depth = d;
  fresh.name = name;
  fresh.matrix = source.matrix;
  fresh.color = source.color;
  fresh.ratio = source.ratio;
  fresh.clipDepth = source.clipDepth;
  fresh.visible = source.visible;
  fresh.scripted = source.scripted;
  fresh.transformKnown = source.transformKnown;
  fresh.xscale = source.xscale, fresh.yscale = source.yscale, fresh.rotation = source.rotation;
  fresh.events = source.events;
  fresh.eventMask = source.eventMask;
  fresh.effects = source.effects;
  fresh.effectsScripted = source.effectsScripted;
  const bool empty = source.clip && source.clip->timeline == -2;
  const uint16_t character = source.character;
  std::unique_ptr<ScriptDrawing> drawing;
  if (source.clip && source.clip->drawing) drawing = std::make_unique<ScriptDrawing>(*source.clip->drawing);
  std::unique_ptr<TextFieldState> text;
  if (source.text) text = std::make_unique<TextFieldState>(*source.text);
  DisplayObject* obj = &(parent.objects[d] = std::move(fresh));
  parent.Named(*obj);
  ++changes_;
  if (empty) {
    obj->clip = NewClip(parent, *obj, -2);
    scripts_->Placed(parent, *obj, true);
  } else if (text && !character) {
    obj->text = std::move(text);
    scripts_->Placed(parent, *obj, true);
  } else {
    NewObject(parent, *obj, character, true, NestingOf(parent));
    if (text && obj->text) *obj->text = *text;
  }
  if (drawing && obj->clip) obj->clip->drawing = std::move(drawing);
  return obj;
}

void MoviePlayer::RemoveEntry(Clip& parent, int32_t depth) {
  auto it = parent.objects.find(depth);
  if (it != parent.objects.end()) Remove(parent, it, true);
}

bool MoviePlayer::SwapDepths(Clip& parent, int32_t depth, int32_t other) {
  if (depth == other) return false;
  auto a = parent.objects.extract(depth);
  if (a.empty()) return false;
  auto b = parent.objects.extract(other);
  a.key() = other;
  a.mapped().depth = other;
  if (!b.empty()) {
    b.key() = depth;
    b.mapped().depth = depth;
    parent.Named(parent.objects.insert(std::move(b)).position->second);
  }
  parent.Named(parent.objects.insert(std::move(a)).position->second);
  ++changes_;
  return true;
}

void MoviePlayer::Empty(Clip& clip) {
  for (auto it = clip.objects.begin(); it != clip.objects.end();) {
    auto next = std::next(it);
    Remove(clip, it, true);
    it = next;
  }
  clip.drawing.reset();
  clip.timeline = -2;
  clip.frame = 0;
  // A clip that showed a loaded movie shows its parent's again.
  if (clip.parent) clip.movie = clip.parent->movie, clip.home = clip.parent->home;
  ++changes_;
}

// ---- Loaded movies ----------------------------------------------------------------------------

Clip* MoviePlayer::Level(int n) {
  if (n == 0) return &root_;
  auto it = levels_.find(n);
  return it == levels_.end() ? nullptr : it->second.get();
}

const MovieDefinition& MoviePlayer::Keep(std::unique_ptr<MovieDefinition> movie) {
  loaded_.push_back(std::move(movie));
  return *loaded_.back();
}

bool MoviePlayer::LoadInto(Clip& clip, const MovieDefinition& movie) {
  int loads = 1;  // this one
  for (const Clip* c = clip.parent; c; c = c->parent)
    if (c->home == c && c != &root_) ++loads;
  if (loads > kMaxLoadNesting) return false;
  for (auto it = clip.objects.begin(); it != clip.objects.end();) {
    auto next = std::next(it);
    Remove(clip, it, true);
    it = next;
  }
  clip.drawing.reset();
  clip.mask = nullptr;
  clip.movie = &movie;
  clip.home = &clip;
  clip.timeline = -1;
  clip.frame = 0;
  clip.playing = true;
  scripts_->Reloaded(clip);
  ++changes_;
  Enter(clip, 0, true, NestingOf(clip));
  return true;
}

Clip* MoviePlayer::LevelFor(int n, const MovieDefinition& movie) {
  if (n <= 0) return nullptr;
  auto it = levels_.find(n);
  if (it == levels_.end()) {
    if (static_cast<int>(levels_.size()) >= kMaxLevels || liveClips_ >= kMaxScriptClips) return nullptr;
    auto level = std::make_unique<Clip>(&liveClips_);
    level->level = n;
    level->movie = &movie;
    level->home = level.get();
    it = levels_.emplace(n, std::move(level)).first;
  }
  return it->second.get();
}

bool MoviePlayer::LoadLevel(int n, const MovieDefinition& movie) {
  Clip* level = LevelFor(n, movie);
  return level && LoadInto(*level, movie);
}

void MoviePlayer::UnloadLevel(int n) {
  auto it = levels_.find(n);
  if (it == levels_.end()) return;
  Clip& level = *it->second;
  for (auto e = level.objects.begin(); e != level.objects.end();) {
    auto next = std::next(e);
    Remove(level, e, true);
    e = next;
  }
  scripts_->LevelGone(level);
  levels_.erase(it);
  ++changes_;
}

// ---- Paths and labels -----------------------------------------------------------------------

Clip* MoviePlayer::FindClip(const std::wstring& path) {
  std::wstring rest = path;
  Clip* clip = &root_;
  if (rest.compare(0, 6, L"_level") == 0) {
    size_t end = 6;
    int n = 0;
    while (end < rest.size() && iswdigit(rest[end]) && n < 100000) n = n * 10 + (rest[end++] - L'0');
    if (end == 6 || !(clip = Level(n))) return nullptr;
    rest.erase(0, end);
  } else {
    for (const wchar_t* prefix : {L"_root", L"/"}) {
      std::wstring p = prefix;
      if (rest.compare(0, p.size(), p) == 0) {
        rest.erase(0, p.size());
        break;
      }
    }
  }
  size_t pos = 0;
  while (pos < rest.size()) {
    if (rest[pos] == L'.' || rest[pos] == L'/') {
      ++pos;
      continue;
    }
    size_t end = rest.find_first_of(L"./", pos);
    if (end == std::wstring::npos) end = rest.size();
    std::wstring name = rest.substr(pos, end - pos);
    Clip* found = nullptr;
    for (auto& [depth, obj] : clip->objects)
      if (obj.clip && obj.name == name) found = obj.clip.get();
    if (!found) return nullptr;
    clip = found;
    pos = end;
  }
  return clip;
}

bool MoviePlayer::CallLabel(const std::wstring& target, const std::wstring& label) {
  Clip* clip = FindClip(target);
  if (!clip) return false;
  const int frame = TimelineOf(*clip).FrameOfLabel(label);
  if (frame < 0) return false;
  scripts_->RunFrameNow(*clip, frame);
  scripts_->Drain();
  scripts_->AfterFrame();
  return true;
}

DisplayObject* MoviePlayer::ObjectAt(const std::vector<int32_t>& path, Clip** parent) {
  size_t i = 0;
  Clip* clip = &root_;
  if (!path.empty() && path[0] < 0) {
    clip = Level(-path[0]);
    i = 1;
  }
  if (!clip || i >= path.size()) return nullptr;
  for (; i + 1 < path.size(); ++i) {
    auto it = clip->objects.find(path[i]);
    if (it == clip->objects.end() || !it->second.clip) return nullptr;
    clip = it->second.clip.get();
  }
  auto it = clip->objects.find(path.back());
  if (it == clip->objects.end()) return nullptr;
  if (parent) *parent = clip;
  return &it->second;
}

std::vector<QueuedCommand> MoviePlayer::TakeCommands() { return std::exchange(commands_, {}); }

void MoviePlayer::Unload() { scripts_->Unload(); }

std::wstring MoviePlayer::Describe() const {
  std::wstring out = L"frame " + std::to_wstring(root_.frame) + L"\n";
  DescribeClip(root_, 0, out);
  for (const auto& [n, level] : levels_) {
    out += L"level " + std::to_wstring(n) + L" frame " + std::to_wstring(level->frame) + L"\n";
    DescribeClip(*level, 2, out);
  }
  return out;
}

}  // namespace flash
