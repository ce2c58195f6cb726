#include "platform/flash/MoviePlayer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace flash {
namespace {

// A sprite placed inside itself (directly or through others) gets no
// timeline of its own, nor do sprites beyond these bounds (sprites that
// place two others at every level multiply without end).
constexpr int kMaxNesting = 16;
constexpr size_t kMaxLiveClips = 10000;

void DescribeClip(const Clip& clip, int indent, std::wstring& out) {
  for (const auto& [depth, o] : clip.objects) {
    wchar_t line[320];
    swprintf(line, 320, L"%*ls%u: ch%u m(%.4f %.4f %.4f %.4f %d %d) cx(%d %d %d %d %d %d %d %d) r%u n'%ls' clip%u",
             indent, L"", depth, o.character, o.matrix.a, o.matrix.b, o.matrix.c, o.matrix.d, o.matrix.tx,
             o.matrix.ty, o.color.mr, o.color.mg, o.color.mb, o.color.ma, o.color.ar, o.color.ag, o.color.ab,
             o.color.aa, o.ratio, o.name.c_str(), o.clipDepth);
    out += line;
    if (o.clip) {
      out += L" sprite frame " + std::to_wstring(o.clip->frame) + (o.clip->playing ? L" playing" : L" stopped");
      out += L"\n";
      DescribeClip(*o.clip, indent + 2, out);
    } else {
      out += L"\n";
    }
  }
}

}  // namespace

MoviePlayer::MoviePlayer(const MovieDefinition& movie) : movie_(movie) {}

const Timeline& MoviePlayer::TimelineOf(const Clip& clip) const {
  return clip.timeline < 0 ? movie_.root : movie_.sprites[static_cast<size_t>(clip.timeline)];
}

void MoviePlayer::Start() {
  Reset(root_);
  root_.playing = true;
  Enter(root_, 0, true, 0);
}

void MoviePlayer::Reset(Clip& clip) {
  if (!clip.objects.empty()) ++changes_;
  clip.objects.clear();
  clip.frame = 0;
}

// Applies a frame's commands to the clip and, when asked, runs its actions.
void MoviePlayer::Enter(Clip& clip, int frame, bool runActions, int nesting) {
  const Timeline& timeline = TimelineOf(clip);
  if (frame < 0 || frame >= static_cast<int>(timeline.frames.size())) return;
  clip.frame = frame;
  const FrameScript& script = timeline.frames[static_cast<size_t>(frame)];
  for (const PlaceCommand& cmd : script.commands) Apply(clip, cmd, runActions, nesting);
  if (runActions && listener_) listener_->FrameEntered(clip, frame);
  // The main timeline's actions only run when playing; sprites always run theirs
  // so that seeking and playing agree on where each sprite stands.
  if (clip.timeline >= 0 || runActions) RunActions(clip, script.actions, true, nesting);
}

void MoviePlayer::StepChildren(Clip& clip, bool runActions, int nesting) {
  for (auto& [depth, obj] : clip.objects)
    if (obj.clip) StepClip(*obj.clip, runActions, nesting + 1);
}

// One frame of a sprite: its own sprites step, then it moves on (looping).
void MoviePlayer::StepClip(Clip& clip, bool runActions, int nesting) {
  StepChildren(clip, runActions, nesting);
  const int count = static_cast<int>(TimelineOf(clip).frames.size());
  if (!clip.playing || count <= 1) return;
  int next = clip.frame + 1;
  if (next >= count) {
    Reset(clip);
    next = 0;
  }
  Enter(clip, next, runActions, nesting);
}

void MoviePlayer::Advance() {
  if (!root_.playing) return;
  const int count = TotalFrames();
  if (root_.frame + 1 >= count) {
    if (!loop_ || count <= 1) {
      root_.playing = false;
      return;
    }
    StepChildren(root_, true, 0);
    Reset(root_);
    Enter(root_, 0, true, 0);
    return;
  }
  StepChildren(root_, true, 0);
  Enter(root_, root_.frame + 1, true, 0);
}

void MoviePlayer::SeekClip(Clip& clip, int frame, int nesting) {
  const int count = static_cast<int>(TimelineOf(clip).frames.size());
  frame = std::clamp(frame, 0, std::max(count - 1, 0));
  ++seeking_;
  if (frame < clip.frame) {
    Reset(clip);
    Enter(clip, 0, false, nesting);
  }
  while (clip.frame < frame) {
    StepChildren(clip, false, nesting);
    Enter(clip, clip.frame + 1, false, nesting);
  }
  --seeking_;
}

void MoviePlayer::GotoFrame(int frame) {
  SeekClip(root_, frame, 0);
  root_.playing = false;
}

void MoviePlayer::Apply(Clip& clip, const PlaceCommand& cmd, bool runActions, int nesting) {
  ++changes_;
  if (cmd.remove) {
    clip.objects.erase(cmd.depth);
    return;
  }
  auto it = clip.objects.find(cmd.depth);
  DisplayObject* obj = nullptr;
  if (cmd.move && it != clip.objects.end()) {
    obj = &it->second;
    if (cmd.character && *cmd.character != obj->character) NewObject(clip, *obj, *cmd.character, runActions, nesting);
  } else if (cmd.character) {
    DisplayObject fresh;
    fresh.depth = cmd.depth;
    obj = &(clip.objects[cmd.depth] = std::move(fresh));
    NewObject(clip, *obj, *cmd.character, runActions, nesting);
  } else {
    return;  // moving an empty depth
  }
  if (cmd.matrix) obj->matrix = *cmd.matrix;
  if (cmd.color) obj->color = *cmd.color;
  if (cmd.ratio) obj->ratio = *cmd.ratio;
  if (cmd.name) obj->name = *cmd.name;
  if (cmd.clipDepth) obj->clipDepth = *cmd.clipDepth;
}

void MoviePlayer::NewObject(const Clip& owner, DisplayObject& obj, uint16_t character, bool runActions,
                            int nesting) {
  obj.character = character;
  obj.buttonState = kButtonUp;
  obj.clip.reset();
  const Character* ch = movie_.Find(character, root_.frame);
  if (!ch || ch->sprite < 0 || nesting >= kMaxNesting || liveClips_ >= kMaxLiveClips) return;
  for (const Clip* above = &owner; above; above = above->parent)
    if (above->timeline == ch->sprite) return;
  obj.clip = std::make_unique<Clip>(&liveClips_);
  obj.clip->timeline = ch->sprite;
  obj.clip->parent = &owner;
  Enter(*obj.clip, 0, runActions, nesting + 1);
}

// While seeking, only stop and play are honoured: moves and FS commands of
// the frames passed over are dropped (which also ends goto loops).
void MoviePlayer::RunActions(Clip& clip, const std::vector<FrameAction>& actions, bool mayMove, int nesting) {
  using Kind = FrameAction::Kind;
  mayMove = mayMove && seeking_ == 0;
  const Timeline& timeline = TimelineOf(clip);
  for (const FrameAction& a : actions) {
    switch (a.kind) {
      case Kind::Stop: clip.playing = false; break;
      case Kind::Play: clip.playing = true; break;
      case Kind::GotoFrame:
        if (mayMove) SeekClip(clip, a.frame, nesting);
        break;
      case Kind::GotoLabel: {
        int frame = timeline.FrameOfLabel(a.text);
        if (mayMove && frame >= 0) SeekClip(clip, frame, nesting);
        break;
      }
      case Kind::NextFrame:
        if (mayMove) SeekClip(clip, clip.frame + 1, nesting);
        clip.playing = false;
        break;
      case Kind::PrevFrame:
        if (mayMove) SeekClip(clip, clip.frame - 1, nesting);
        clip.playing = false;
        break;
      case Kind::FSCommand:
        if (seeking_ == 0) commands_.push_back({a.text, a.args});
        break;
    }
  }
}

Clip* MoviePlayer::FindClip(const std::wstring& path) {
  std::wstring rest = path;
  for (const wchar_t* prefix : {L"_root", L"_level0", L"/"}) {
    std::wstring p = prefix;
    if (rest.compare(0, p.size(), p) == 0) {
      rest.erase(0, p.size());
      break;
    }
  }
  Clip* clip = &root_;
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
  const Timeline& timeline = TimelineOf(*clip);
  int frame = timeline.FrameOfLabel(label);
  if (frame < 0) return false;
  RunActions(*clip, timeline.frames[static_cast<size_t>(frame)].actions, true, 0);
  return true;
}

// The clip whose display list holds the last depth of path, and how deep it sits.
Clip* MoviePlayer::ClipHolding(const std::vector<uint16_t>& path, int& nesting) {
  if (path.empty()) return nullptr;
  Clip* clip = &root_;
  nesting = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i, ++nesting) {
    auto it = clip->objects.find(path[i]);
    if (it == clip->objects.end() || !it->second.clip) return nullptr;
    clip = it->second.clip.get();
  }
  return clip;
}

DisplayObject* MoviePlayer::ObjectAt(const std::vector<uint16_t>& path) {
  int nesting = 0;
  Clip* clip = ClipHolding(path, nesting);
  if (!clip) return nullptr;
  auto it = clip->objects.find(path.back());
  return it == clip->objects.end() ? nullptr : &it->second;
}

bool MoviePlayer::RunActionsAt(const std::vector<uint16_t>& path, const std::vector<FrameAction>& actions) {
  int nesting = 0;
  Clip* clip = ClipHolding(path, nesting);
  if (!clip || !clip->objects.count(path.back())) return false;
  RunActions(*clip, actions, true, nesting);
  return true;
}

std::vector<QueuedCommand> MoviePlayer::TakeCommands() { return std::exchange(commands_, {}); }

std::wstring MoviePlayer::Describe() const {
  std::wstring out = L"frame " + std::to_wstring(root_.frame) + L"\n";
  DescribeClip(root_, 0, out);
  return out;
}

}  // namespace flash
