#include "platform/flash/parse/MovieMedia.h"

#include <algorithm>
#include <string>

#include "moviefiles/SWFModule.h"
#include "moviefiles/SwfTags.h"

namespace flash {
namespace {

// Walks one timeline's tags, counting frames as the movie reader does.
void IndexTimeline(std::span<const uint8_t> tags, TimelineMedia& out, MovieMedia& media, const MovieDefinition& movie,
                   bool isRoot) {
  SwfTagWalker walker(tags);
  SwfTagView tag;
  int frame = 0;
  while (walker.Next(tag) && tag.code != SwfTag::End) {
    ByteReader& r = tag.body;
    switch (tag.code) {
      case SwfTag::ShowFrame: ++frame; break;
      case SwfTag::StartSound: {
        uint32_t id = 0;
        SoundStart start;
        if (r.U16LE(id) && ReadSoundInfo(r, start.info)) {
          start.sound = static_cast<uint16_t>(id);
          out.starts[frame].push_back(std::move(start));
        }
        break;
      }
      case SwfTag::StartSound2: {
        // The sound by its class name, which SymbolClass ties to a character.
        std::string name;
        uint8_t c = 0;
        while (r.U8(c) && c != 0) name.push_back(static_cast<char>(c));
        SoundStart start;
        auto id = media.classes.find(name);
        if (c == 0 && id != media.classes.end() && ReadSoundInfo(r, start.info)) {
          start.sound = id->second;
          out.starts[frame].push_back(std::move(start));
        }
        break;
      }
      case SwfTag::SymbolClass: {
        uint32_t count = 0;
        if (!r.U16LE(count)) break;
        for (uint32_t i = 0; i < count; ++i) {
          uint32_t id = 0;
          std::string name;
          uint8_t c = 0;
          if (!r.U16LE(id)) break;
          while (r.U8(c) && c != 0) name.push_back(static_cast<char>(c));
          media.classes[name] = static_cast<uint16_t>(id);
        }
        break;
      }
      case SwfTag::SoundStreamHead:
      case SwfTag::SoundStreamHead2: {
        uint8_t playback = 0, format = 0;
        uint32_t count = 0;
        if (!r.U8(playback) || !r.U8(format) || !r.U16LE(count)) break;
        SoundStream stream;
        stream.format = media::SoundFormat::FromByte(format);
        stream.samplesPerBlock = count;
        out.stream = std::move(stream);
        break;
      }
      case SwfTag::SoundStreamBlock:
        if (out.stream && !out.stream->blocks.count(frame)) out.stream->blocks[frame] = r.Rest();
        break;
      case SwfTag::DefineButtonSound: {
        uint32_t button = 0;
        if (!r.U16LE(button)) break;
        std::vector<std::optional<SoundStart>> states(4);
        for (auto& state : states) {
          uint32_t sound = 0;
          if (!r.U16LE(sound)) break;
          if (sound == 0) continue;
          SoundStart start;
          start.sound = static_cast<uint16_t>(sound);
          if (!ReadSoundInfo(r, start.info)) break;
          state = std::move(start);
        }
        media.buttonSounds[static_cast<uint16_t>(button)] = std::move(states);
        break;
      }
      case SwfTag::DefineVideoStream: {
        uint32_t id = 0, frames = 0, width = 0, height = 0;
        uint8_t flags = 0, codec = 0;
        if (!r.U16LE(id) || !r.U16LE(frames) || !r.U16LE(width) || !r.U16LE(height) || !r.U8(flags) || !r.U8(codec)) break;
        VideoStreamInfo& v = media.videos[static_cast<uint16_t>(id)];
        v.frames = static_cast<uint16_t>(frames);
        v.width = static_cast<uint16_t>(width);
        v.height = static_cast<uint16_t>(height);
        v.deblocking = (flags >> 1) & 7;
        v.smoothing = flags & 1;
        v.codec = codec;
        break;
      }
      case SwfTag::VideoFrame: {
        uint32_t id = 0, number = 0;
        if (!r.U16LE(id) || !r.U16LE(number)) break;
        auto it = media.videos.find(static_cast<uint16_t>(id));
        if (it != media.videos.end()) it->second.frameData[static_cast<uint16_t>(number)] = r.Rest();
        break;
      }
      case SwfTag::DefineSprite: {
        uint32_t id = 0, frames = 0;
        if (!isRoot || !r.U16LE(id) || !r.U16LE(frames)) break;
        const Character* ch = movie.Find(static_cast<uint16_t>(id), frame);
        if (!ch || ch->tagCode != SwfTag::DefineSprite || ch->sprite < 0) break;
        if (static_cast<size_t>(ch->sprite) >= media.sprites.size()) media.sprites.resize(static_cast<size_t>(ch->sprite) + 1);
        IndexTimeline(r.Rest(), media.sprites[static_cast<size_t>(ch->sprite)], media, movie, false);
        break;
      }
      default: break;
    }
  }
}

}  // namespace

bool ReadSoundInfo(ByteReader& r, media::SoundInfo& info) {
  uint8_t flags = 0;
  if (!r.U8(flags)) return false;
  info.stop = flags & 0x20;
  info.noMultiple = flags & 0x10;
  uint32_t v = 0;
  if (flags & 0x01) {
    if (!r.U32LE(v)) return false;
    info.inPoint = v;
  }
  if (flags & 0x02) {
    if (!r.U32LE(v)) return false;
    info.outPoint = v;
  }
  if (flags & 0x04) {
    if (!r.U16LE(v)) return false;
    info.loops = v;
  }
  if (flags & 0x08) {
    uint8_t count = 0;
    if (!r.U8(count)) return false;
    for (int i = 0; i < count; ++i) {
      uint32_t pos = 0, left = 0, right = 0;
      if (!r.U32LE(pos) || !r.U16LE(left) || !r.U16LE(right)) return false;
      // Levels above full are kept at full; points go forward only.
      if (!info.envelope.empty() && pos < info.envelope.back().position) pos = info.envelope.back().position;
      info.envelope.push_back({pos, static_cast<uint16_t>(std::min<uint32_t>(left, 32768)),
                               static_cast<uint16_t>(std::min<uint32_t>(right, 32768))});
    }
  }
  return true;
}

const TimelineMedia* MovieMedia::Of(int timeline) const {
  if (timeline < 0) return &root;
  return static_cast<size_t>(timeline) < sprites.size() ? &sprites[static_cast<size_t>(timeline)] : nullptr;
}

bool MovieMedia::Empty() const {
  if (!root.starts.empty() || root.stream || !buttonSounds.empty() || !videos.empty()) return false;
  for (const auto& s : sprites)
    if (!s.starts.empty() || s.stream) return false;
  return true;
}

std::shared_ptr<const media::SoundClip> DecodeDefinedSound(const Character& sound) {
  if (sound.tagCode != SwfTag::DefineSound) return nullptr;
  ByteReader r(sound.body);
  uint8_t format = 0;
  uint32_t count = 0;
  if (!r.U8(format) || !r.U32LE(count)) return nullptr;
  return media::DecodeEventSound(media::SoundFormat::FromByte(format), count, r.Rest());
}

MovieMedia IndexMovieMedia(const MovieDefinition& movie) {
  MovieMedia media;
  if (movie.damaged) return media;
  ByteReader reader(movie.bytes);
  SWFInfo info;
  if (!ReadSWFFrameRect(reader, info) || !reader.Skip(4)) return media;
  IndexTimeline(reader.Rest(), media.root, media, movie, true);
  media.sprites.resize(movie.sprites.size());
  return media;
}

}  // namespace flash
