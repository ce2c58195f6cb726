#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/parse/MovieBody.h"

#include <algorithm>
#include <atomic>

#include "base/TextConv.h"
#include "moviefiles/BitStream.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/SWFModule.h"
#include "moviefiles/SwfTags.h"

namespace flash {
namespace {

// Tags whose body begins with the id of the character they define.
bool DefinesCharacter(SwfTag code) {
  switch (code) {
    case SwfTag::DefineShape: case SwfTag::DefineBits: case SwfTag::DefineButton: case SwfTag::DefineFont:
    case SwfTag::DefineText: case SwfTag::DefineSound: case SwfTag::DefineBitsLossless:
    case SwfTag::DefineBitsJPEG2: case SwfTag::DefineShape2: case SwfTag::DefineShape3: case SwfTag::DefineText2:
    case SwfTag::DefineButton2: case SwfTag::DefineBitsJPEG3: case SwfTag::DefineBitsLossless2:
    case SwfTag::DefineEditText: case SwfTag::DefineSprite: case SwfTag::DefineMorphShape: case SwfTag::DefineFont2:
    case SwfTag::DefineVideoStream: case SwfTag::DefineFont3: case SwfTag::DefineShape4:
    case SwfTag::DefineMorphShape2: case SwfTag::DefineBinaryData: case SwfTag::DefineBitsJPEG4:
    case SwfTag::DefineFont4:
      return true;
    default:
      return false;
  }
}

bool ReadString(ByteReader& r, uint8_t version, std::wstring& out) {
  std::span<const uint8_t> rest = r.Rest();
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != 0) continue;
    std::string raw(rest.begin(), rest.begin() + static_cast<ptrdiff_t>(i));
    if (version >= 6) {
      out = Utf8ToWide(raw);
    } else {
      out.assign(raw.begin(), raw.end());  // Latin-1 is close enough for names and labels
    }
    return r.Skip(i + 1);
  }
  return false;
}

bool ReadPlaceObject(ByteReader& r, PlaceCommand& cmd) {
  uint32_t id = 0, depth = 0;
  if (!r.U16LE(id) || !r.U16LE(depth)) return false;
  cmd.character = static_cast<uint16_t>(id);
  cmd.depth = static_cast<uint16_t>(depth);
  Matrix m;
  if (!ReadMatrix(r, m)) return false;
  cmd.matrix = m;
  if (!r.AtEnd()) {
    ColorTransform cx;
    if (ReadColorTransform(r, false, cx)) cmd.color = cx;
  }
  return true;
}

bool ReadPlaceObject23(ByteReader& r, bool version3, uint8_t swfVersion, PlaceCommand& cmd) {
  uint8_t flags = 0, flags2 = 0;
  uint32_t depth = 0;
  if (!r.U8(flags)) return false;
  if (version3 && !r.U8(flags2)) return false;
  if (!r.U16LE(depth)) return false;
  cmd.depth = static_cast<uint16_t>(depth);
  cmd.move = flags & 0x01;
  const bool hasCharacter = flags & 0x02;
  if (version3 && ((flags2 & 0x08) || ((flags2 & 0x10) && hasCharacter))) {
    std::wstring className;
    if (!ReadString(r, swfVersion, className)) return false;
  }
  if (hasCharacter) {
    uint32_t id = 0;
    if (!r.U16LE(id)) return false;
    cmd.character = static_cast<uint16_t>(id);
  }
  if (flags & 0x04) {
    Matrix m;
    if (!ReadMatrix(r, m)) return false;
    cmd.matrix = m;
  }
  if (flags & 0x08) {
    ColorTransform cx;
    if (!ReadColorTransform(r, true, cx)) return false;
    cmd.color = cx;
  }
  if (flags & 0x10) {
    uint32_t ratio = 0;
    if (!r.U16LE(ratio)) return false;
    cmd.ratio = static_cast<uint16_t>(ratio);
  }
  if (flags & 0x20) {
    std::wstring name;
    if (!ReadString(r, swfVersion, name)) return false;
    cmd.name = name;
  }
  if (flags & 0x40) {
    uint32_t clip = 0;
    if (!r.U16LE(clip)) return false;
    cmd.clipDepth = static_cast<uint16_t>(clip);
  }
  if (version3) {
    // Filters, blend mode and bitmap caching (and, in later versions, visibility
    // and a background colour) come before the clip actions.
    if (flags2 & 0x01) {
      auto filters = std::make_shared<FilterList>();
      const bool read = ReadFilterList(r, *filters);
      cmd.filters = std::move(filters);
      if (!read) return true;
    }
    uint8_t value = 0;
    if (flags2 & 0x02) {
      if (!r.U8(value)) return true;
      cmd.blend = BlendModeFromRecord(value);
    }
    if (flags2 & 0x04) {
      if (!r.U8(value)) return true;
      cmd.cacheAsBitmap = value != 0;
    }
    if ((flags2 & 0x20) && !r.Skip(1)) return true;
    if ((flags2 & 0x40) && !r.Skip(4)) return true;
  }
  if (flags & 0x80) cmd.clipActions = r.Rest();
  return true;
}

// Reads the tags of one timeline. Sprites are read only from the main
// timeline (a sprite inside a sprite is not valid and is skipped); what a
// sprite defines holds from the main-timeline frame that defines the sprite.
class TimelineReader {
 public:
  TimelineReader(MovieDefinition& movie, Timeline& timeline, bool isRoot, int rootFrame = 0)
      : movie_(movie), timeline_(timeline), isRoot_(isRoot), rootFrame_(rootFrame) {}

  // False when the tags run past their span.
  bool Read(std::span<const uint8_t> tags) {
    Count(tags);
    SwfTagWalker walker(tags);
    SwfTagView tag;
    while (walker.Next(tag) && tag.code != SwfTag::End)
      if (!Visit(tag.code, tag.body)) break;
    if (walker.Cut() || failed_) return false;
    timeline_.Finish();
    return true;
  }

 private:
  // Makes room for the timeline's frames and records, counted from its tags
  // (a cheap walk that reads only their headers).
  void Count(std::span<const uint8_t> tags) {
    size_t frames = 1, commands = 0, actions = 0, inits = 0;
    SwfTagWalker walker(tags);
    SwfTagView tag;
    while (walker.Next(tag) && tag.code != SwfTag::End) {
      switch (tag.code) {
        case SwfTag::ShowFrame: ++frames; break;
        case SwfTag::PlaceObject: case SwfTag::PlaceObject2: case SwfTag::PlaceObject3:
        case SwfTag::RemoveObject: case SwfTag::RemoveObject2: ++commands; break;
        case SwfTag::DoAction: ++actions; break;
        case SwfTag::DoInitAction: ++inits; break;
        default: break;
      }
    }
    timeline_.Reserve(frames, commands, actions, inits);
  }

  int RootFrame() const { return isRoot_ ? static_cast<int>(timeline_.FramesBuilt()) : rootFrame_; }

  bool Visit(SwfTag code, ByteReader& body) {
    const uint8_t version = movie_.version;
    switch (code) {
      case SwfTag::ShowFrame:
        timeline_.EndFrame();
        break;
      case SwfTag::PlaceObject: {
        PlaceCommand cmd;
        if (ReadPlaceObject(body, cmd)) timeline_.Add(std::move(cmd));
        break;
      }
      case SwfTag::PlaceObject2:
      case SwfTag::PlaceObject3: {
        PlaceCommand cmd;
        if (ReadPlaceObject23(body, code == SwfTag::PlaceObject3, version, cmd)) timeline_.Add(std::move(cmd));
        break;
      }
      case SwfTag::RemoveObject:
      case SwfTag::RemoveObject2: {
        uint32_t id = 0, depth = 0;
        if (code == SwfTag::RemoveObject && !body.U16LE(id)) break;
        if (!body.U16LE(depth)) break;
        PlaceCommand cmd;
        cmd.remove = true;
        cmd.depth = static_cast<uint16_t>(depth);
        timeline_.Add(std::move(cmd));
        break;
      }
      case SwfTag::SetBackgroundColor: {
        uint8_t r = 0, g = 0, b = 0;
        if (isRoot_ && !movie_.background && body.U8(r) && body.U8(g) && body.U8(b)) movie_.background = RGB(r, g, b);
        break;
      }
      case SwfTag::DoAction: {
        timeline_.AddAction(body.Rest());
        break;
      }
      case SwfTag::DoInitAction: {
        uint32_t sprite = 0;
        if (body.U16LE(sprite)) timeline_.AddInit(static_cast<uint16_t>(sprite), body.Rest());
        break;
      }
      case SwfTag::ExportAssets: {
        uint32_t count = 0;
        if (!body.U16LE(count)) break;
        for (uint32_t i = 0; i < count; ++i) {
          uint32_t id = 0;
          std::wstring name;
          if (!body.U16LE(id) || !ReadString(body, version, name)) break;
          if (!movie_.exports.count(name)) movie_.exports[name] = static_cast<uint16_t>(id);
        }
        break;
      }
      case SwfTag::DefineScalingGrid: {
        uint32_t id = 0;
        int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        if (body.U16LE(id) && ReadRectRecord(body, x0, x1, y0, y1) && x0 <= x1 && y0 <= y1)
          movie_.scalingGrids[static_cast<uint16_t>(id)] = RECT{x0, y0, x1, y1};
        break;
      }
      case SwfTag::DefineFontAlignZones: {
        uint16_t font = 0;
        FontZones zones;
        if (ReadFontAlignZones(body, font, zones) && !movie_.fontZones.count(font))
          movie_.fontZones.emplace(font, std::move(zones));
        break;
      }
      case SwfTag::CSMTextSettings: {
        uint16_t text = 0;
        TextSettings settings;
        if (ReadTextSettings(body, text, settings)) movie_.textSettings[text] = settings;
        break;
      }
      case SwfTag::FrameLabel: {
        std::wstring label;
        if (ReadString(body, version, label) && !timeline_.labels.count(label))
          timeline_.labels[label] = static_cast<int>(timeline_.FramesBuilt());
        break;
      }
      case SwfTag::FreeCharacter: {
        uint32_t id = 0;
        auto defined = body.U16LE(id) ? movie_.dictionary.find(static_cast<uint16_t>(id)) : movie_.dictionary.end();
        if (defined != movie_.dictionary.end() && defined->second.back().tagCode != SwfTag::FreeCharacter) {
          Character freed;
          freed.id = static_cast<uint16_t>(id);
          freed.tagCode = SwfTag::FreeCharacter;
          freed.frame = RootFrame();
          defined->second.push_back(freed);
        }
        break;
      }
      case SwfTag::ScriptLimits: {
        uint32_t depth = 0, seconds = 0;
        if (isRoot_ && body.U16LE(depth) && body.U16LE(seconds)) movie_.scriptSeconds = static_cast<uint16_t>(seconds);
        break;
      }
      case SwfTag::JPEGTables:
        if (movie_.jpegTables.empty()) movie_.jpegTables = body.Rest();
        break;
      case SwfTag::Metadata:
        if (isRoot_) movie_.metadata.assign(body.Rest().begin(), body.Rest().end());
        break;
      default:
        if (DefinesCharacter(code)) return Define(code, body);
        break;
    }
    return true;
  }

  bool Define(SwfTag code, ByteReader& body) {
    uint32_t id = 0;
    if (!body.U16LE(id)) return true;
    Character ch;
    ch.id = static_cast<uint16_t>(id);
    ch.tagCode = code;
    ch.body = body.Rest();
    ch.frame = RootFrame();
    if (code == SwfTag::DefineSprite) {
      uint32_t frames = 0;
      if (!isRoot_ || !body.U16LE(frames)) return true;
      Timeline sprite;
      TimelineReader nested(movie_, sprite, false, RootFrame());
      if (!nested.Read(body.Rest())) {
        failed_ = true;
        return false;
      }
      ch.sprite = static_cast<int>(movie_.sprites.size());
      movie_.sprites.push_back(std::move(sprite));
    }
    movie_.dictionary[ch.id].push_back(ch);
    return true;
  }

  MovieDefinition& movie_;
  Timeline& timeline_;
  bool isRoot_;
  int rootFrame_;
  bool failed_ = false;
};

}  // namespace

void Timeline::Reserve(size_t frameCount, size_t commandCount, size_t actionCount, size_t initCount) {
  ends_.reserve(frameCount);
  commands_.reserve(commandCount);
  actions_.reserve(actionCount);
  inits_.reserve(initCount);
}

bool Timeline::FrameOpen() const {
  const Ends last = ends_.empty() ? Ends{} : ends_.back();
  return commands_.size() > last.commands || actions_.size() > last.actions || inits_.size() > last.inits;
}

void Timeline::EndFrame() {
  ends_.push_back({static_cast<uint32_t>(commands_.size()), static_cast<uint32_t>(actions_.size()),
                   static_cast<uint32_t>(inits_.size())});
}

void Timeline::Finish() {
  if (ends_.empty() || FrameOpen()) EndFrame();
  frames.clear();
  frames.reserve(ends_.size());
  Ends from;
  for (const Ends& to : ends_) {
    frames.push_back({std::span<const PlaceCommand>(commands_).subspan(from.commands, to.commands - from.commands),
                      std::span<const std::span<const uint8_t>>(actions_).subspan(from.actions, to.actions - from.actions),
                      std::span<const std::pair<uint16_t, std::span<const uint8_t>>>(inits_).subspan(
                          from.inits, to.inits - from.inits)});
    from = to;
  }
  ends_ = {};
}

int Timeline::FrameOfLabel(const std::wstring& label) const {
  for (const auto& [name, frame] : labels)
    if (EqualNoCase(name, label)) return frame;
  return -1;
}

uint16_t MovieDefinition::Exported(const std::wstring& name) const {
  auto it = exports.find(name);
  if (it != exports.end()) return it->second;
  if (version >= 7) return 0;
  for (const auto& [n, id] : exports)
    if (EqualNoCase(n, name)) return id;
  return 0;
}

const Character* MovieDefinition::Find(uint16_t id, int frame) const {
  auto it = dictionary.find(id);
  if (it == dictionary.end() || it->second.empty()) return nullptr;
  const std::vector<Character>& all = it->second;
  auto after = std::upper_bound(all.begin(), all.end(), frame, [](int f, const Character& c) { return f < c.frame; });
  const Character& found = after == all.begin() ? all.front() : *(after - 1);
  return found.tagCode == SwfTag::FreeCharacter ? nullptr : &found;
}

std::map<uint16_t, const PlaceCommand*> FirstFramePlacements(const MovieDefinition& movie, const Character& sprite) {
  std::map<uint16_t, const PlaceCommand*> placed;
  if (sprite.sprite < 0 || static_cast<size_t>(sprite.sprite) >= movie.sprites.size()) return placed;
  const Timeline& timeline = movie.sprites[static_cast<size_t>(sprite.sprite)];
  if (timeline.frames.empty()) return placed;
  for (const PlaceCommand& cmd : timeline.frames.front().commands) {
    if (cmd.remove) {
      placed.erase(cmd.depth);
    } else if (cmd.character && !cmd.clipDepth) {
      placed[cmd.depth] = &cmd;
    }
  }
  return placed;
}

bool ReadMatrix(ByteReader& reader, Matrix& m) {
  BitCursor bits(reader);
  uint32_t has = 0, n = 0;
  int32_t v1 = 0, v2 = 0;
  m = Matrix{};
  if (!bits.U(1, has)) return false;
  if (has) {
    if (!bits.U(5, n) || !bits.S(n, v1) || !bits.S(n, v2)) return false;
    m.a = v1 / 65536.0;
    m.d = v2 / 65536.0;
  }
  if (!bits.U(1, has)) return false;
  if (has) {
    if (!bits.U(5, n) || !bits.S(n, v1) || !bits.S(n, v2)) return false;
    m.b = v1 / 65536.0;
    m.c = v2 / 65536.0;
  }
  if (!bits.U(5, n) || !bits.S(n, v1) || !bits.S(n, v2)) return false;
  m.tx = v1;
  m.ty = v2;
  return bits.Finish();
}

bool ReadColorTransform(ByteReader& reader, bool withAlpha, ColorTransform& cx) {
  BitCursor bits(reader);
  uint32_t hasAdd = 0, hasMult = 0, n = 0;
  cx = ColorTransform{};
  if (!bits.U(1, hasAdd) || !bits.U(1, hasMult) || !bits.U(4, n)) return false;
  int32_t* mult[] = {&cx.mr, &cx.mg, &cx.mb, &cx.ma};
  int32_t* add[] = {&cx.ar, &cx.ag, &cx.ab, &cx.aa};
  const int channels = withAlpha ? 4 : 3;
  if (hasMult)
    for (int i = 0; i < channels; ++i)
      if (!bits.S(n, *mult[i])) return false;
  if (hasAdd)
    for (int i = 0; i < channels; ++i)
      if (!bits.S(n, *add[i])) return false;
  return bits.Finish();
}

uint64_t NewMovieSerial() {
  static std::atomic<uint64_t> serials{0};
  return ++serials;
}

MovieError ReadMovieDefinition(std::span<const uint8_t> file, std::unique_ptr<MovieDefinition>& out) {
  out.reset();
  if (file.size() < 8) return MovieError::NotAMovie;
  if ((file[0] != 'F' && file[0] != 'C') || file[1] != 'W' || file[2] != 'S') return MovieError::NotAMovie;
  auto movie = std::make_unique<MovieDefinition>();
  if (!ReadMovieBody(file, kMaxInflatedMovie, movie->bytes)) return MovieError::TooLarge;
  movie->version = file[3];
  movie->serial = NewMovieSerial();
  ByteReader reader(movie->bytes);
  SWFInfo info;
  uint8_t fraction = 0, whole = 0;
  uint32_t frames = 0;
  if (!ReadSWFFrameRect(reader, info) || !reader.U8(fraction) || !reader.U8(whole) || !reader.U16LE(frames))
    return MovieError::NotAMovie;
  movie->frame = RECT{0, 0, info.Width * 20, info.Height * 20};
  movie->frameRate = whole + fraction / 256.0;
  movie->headerFrames = static_cast<uint16_t>(frames);
  TimelineReader root(*movie, movie->root, true);
  if (!root.Read(reader.Rest())) {
    // Damaged tags: a blank stage of one frame, so nothing half-read plays.
    movie->root = Timeline{};
    movie->root.frames.resize(1);
    movie->sprites.clear();
    movie->dictionary.clear();
    movie->background.reset();
    movie->fontZones.clear();
    movie->textSettings.clear();
    movie->jpegTables = {};
    movie->damaged = true;
  }
  out = std::move(movie);
  return MovieError::None;
}

}  // namespace flash
