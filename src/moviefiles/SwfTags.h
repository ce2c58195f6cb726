// The tag vocabulary of SWF movies (versions 1 to 10) and a walker over a
// tag list held in memory: a movie's main timeline after its header, or the
// nested list inside a DefineSprite body. Each tag comes with its code, its
// offset and a reader over exactly its body; a length that runs past the bytes
// ends the walk instead of reaching into what follows. No allocation per tag.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/ByteReader.h"

enum class SwfTag : uint16_t {
  End = 0,
  ShowFrame = 1,
  DefineShape = 2,
  FreeCharacter = 3,
  PlaceObject = 4,
  RemoveObject = 5,
  DefineBits = 6,
  DefineButton = 7,
  JPEGTables = 8,
  SetBackgroundColor = 9,
  DefineFont = 10,
  DefineText = 11,
  DoAction = 12,
  DefineFontInfo = 13,
  DefineSound = 14,
  StartSound = 15,
  DefineButtonSound = 17,
  SoundStreamHead = 18,
  SoundStreamBlock = 19,
  DefineBitsLossless = 20,
  DefineBitsJPEG2 = 21,
  DefineShape2 = 22,
  DefineButtonCxform = 23,
  Protect = 24,
  PlaceObject2 = 26,
  RemoveObject2 = 28,
  DefineShape3 = 32,
  DefineText2 = 33,
  DefineButton2 = 34,
  DefineBitsJPEG3 = 35,
  DefineBitsLossless2 = 36,
  DefineEditText = 37,
  DefineSprite = 39,
  FrameLabel = 43,
  SoundStreamHead2 = 45,
  DefineMorphShape = 46,
  DefineFont2 = 48,
  ExportAssets = 56,
  ImportAssets = 57,
  EnableDebugger = 58,
  DoInitAction = 59,
  DefineVideoStream = 60,
  VideoFrame = 61,
  DefineFontInfo2 = 62,
  EnableDebugger2 = 64,
  ScriptLimits = 65,
  SetTabIndex = 66,
  FileAttributes = 69,
  PlaceObject3 = 70,
  ImportAssets2 = 71,
  DefineFontAlignZones = 73,
  CSMTextSettings = 74,
  DefineFont3 = 75,
  SymbolClass = 76,
  Metadata = 77,
  DefineScalingGrid = 78,
  DoABC = 82,
  DefineShape4 = 83,
  DefineMorphShape2 = 84,
  DefineSceneAndFrameLabelData = 86,
  DefineBinaryData = 87,
  DefineFontName = 88,
  StartSound2 = 89,
  DefineBitsJPEG4 = 90,
  DefineFont4 = 91,
};

// One tag of the list. offset: where its record header starts, counted from
// the start of the bytes given to the walker. body: over exactly its length.
struct SwfTagView {
  SwfTag code = SwfTag::End;
  size_t offset = 0;
  uint32_t length = 0;
  ByteReader body;
};

// Walks tag records: a 16-bit little-endian field of code (top 10 bits) and
// length (low 6 bits), a 32-bit length following when those bits are 63.
// The walk does not stop at End (callers that walk a timeline decide that);
// it stops where the bytes end or at the first record that does not fit.
class SwfTagWalker {
 public:
  explicit SwfTagWalker(std::span<const uint8_t> tags, size_t start = 0) : bytes_(tags), pos_(start) {}

  // The next tag; false when the bytes are used up or the next record does
  // not fit in them (then Cut() tells so and the walker stays where it was).
  bool Next(SwfTagView& tag) {
    ByteReader r(bytes_);
    uint32_t head = 0, length = 0;
    if (!r.Seek(pos_) || r.AtEnd()) return false;
    if (!r.U16LE(head)) return Stop(kLongHeader);
    length = head & 63;
    if (length == 63 && !r.U32LE(length)) return Stop(kLongHeader);
    ByteReader body;
    if (!r.Sub(length, body)) {
      cutCode_ = static_cast<SwfTag>(head >> 6);
      cutLength_ = length;
      cutHeaderRead_ = true;
      return Stop(r.Pos() - pos_ + length);
    }
    tag.code = static_cast<SwfTag>(head >> 6);
    tag.offset = pos_;
    tag.length = length;
    tag.body = body;
    pos_ = r.Pos();
    return true;
  }

  // Where the next record starts.
  size_t Pos() const { return pos_; }
  // True when the walk stopped at a record running past the bytes.
  bool Cut() const { return cutSize_ != 0; }
  // The whole size (header and body) of that record, as far as its header
  // tells: a header that is itself cut gives the largest header size.
  uint64_t CutSize() const { return cutSize_; }
  // Whether the cut record's header was whole, and then its code and body length.
  bool CutHeaderRead() const { return cutHeaderRead_; }
  SwfTag CutCode() const { return cutCode_; }
  uint32_t CutLength() const { return cutLength_; }

 private:
  static constexpr uint64_t kLongHeader = 6;
  bool Stop(uint64_t size) {
    cutSize_ = size;
    return false;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_;
  uint64_t cutSize_ = 0;
  SwfTag cutCode_ = SwfTag::End;
  uint32_t cutLength_ = 0;
  bool cutHeaderRead_ = false;
};
