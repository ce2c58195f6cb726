#include "moviefiles/FLVReader.h"

#include <cmath>
#include <cstdio>

#include "base/BinaryFile.h"
#include "moviefiles/BitStream.h"
#include "base/ByteReader.h"
#include "base/TextConv.h"
#include "moviefiles/MovieCache.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

constexpr size_t kTagHeader = 11;
constexpr int kMaxDepth = 32;  // nesting of AMF objects and arrays

enum AmfType : uint8_t {
  kNumber = 0, kBoolean = 1, kString = 2, kObject = 3, kMovieClip = 4, kNull = 5, kUndefined = 6,
  kReference = 7, kEcmaArray = 8, kObjectEnd = 9, kStrictArray = 10, kDate = 11, kLongString = 12,
  kUnsupported = 13, kRecordSet = 14, kXmlDocument = 15, kTypedObject = 16
};

bool SkipValue(ByteReader& r, uint8_t type, int depth);

// Key/value pairs up to the empty key and the end marker (or the bytes' end).
bool SkipPairs(ByteReader& r, int depth) {
  for (;;) {
    uint32_t keyLen = 0;
    uint8_t type = 0;
    if (!r.U16BE(keyLen) || !r.Skip(keyLen) || !r.U8(type)) return false;
    if (type == kObjectEnd) return true;
    if (!SkipValue(r, type, depth + 1)) return false;
  }
}

bool SkipValue(ByteReader& r, uint8_t type, int depth) {
  if (depth > kMaxDepth) return false;
  uint32_t n = 0;
  switch (type) {
    case kNumber: return r.Skip(8);
    case kBoolean: return r.Skip(1);
    case kString: return r.U16BE(n) && r.Skip(n);
    case kLongString:
    case kXmlDocument: return r.U32BE(n) && r.Skip(n);
    case kReference: return r.Skip(2);
    case kDate: return r.Skip(10);
    case kNull:
    case kUndefined:
    case kUnsupported:
    case kMovieClip:
    case kRecordSet:
    case kObjectEnd: return true;
    case kObject: return SkipPairs(r, depth);
    case kTypedObject: return r.U16BE(n) && r.Skip(n) && SkipPairs(r, depth);
    case kEcmaArray: return r.Skip(4) && SkipPairs(r, depth);
    case kStrictArray: {
      if (!r.U32BE(n)) return false;
      for (uint32_t i = 0; i < n; ++i) {  // every value takes at least one byte
        uint8_t t = 0;
        if (!r.U8(t) || !SkipValue(r, t, depth + 1)) return false;
      }
      return true;
    }
    default: return false;
  }
}

double Clamp(double v, double lo, double hi) {
  if (std::isnan(v) || v < lo) return lo;
  return v > hi ? hi : v;
}

long RoundClamp(double v, double lo, double hi) { return static_cast<long>(std::nearbyint(Clamp(v, lo, hi))); }

bool KeyIs(std::span<const uint8_t> key, const char* name) {
  size_t n = std::char_traits<char>::length(name);
  return key.size() == n && std::equal(key.begin(), key.end(), name);
}

// The onMetaData array's entries (the reader stands after the array's type byte).
void ReadMetadata(ByteReader& r, SWFInfo& info, double& duration) {
  uint32_t count = 0;
  if (!r.U32BE(count)) return;
  // The count is a hint: entries end with the end marker or the tag's bytes.
  for (;;) {
    uint32_t keyLen = 0;
    std::span<const uint8_t> key;
    uint8_t type = 0;
    if (!r.U16BE(keyLen) || !r.Bytes(keyLen, key) || !r.U8(type)) return;
    if (type == kObjectEnd) return;
    if (type != kNumber) {
      if (!SkipValue(r, type, 1)) return;
      continue;
    }
    double v = 0;
    if (!r.F64BE(v)) return;
    if (KeyIs(key, "width")) info.Width = RoundClamp(v, 0, 65535);
    else if (KeyIs(key, "height")) info.Height = RoundClamp(v, 0, 65535);
    else if (KeyIs(key, "framerate")) info.FrameRate = static_cast<float>(Clamp(v, 0, 1000));
    else if (KeyIs(key, "duration")) duration = Clamp(v, 0, 1e7);
    else if (KeyIs(key, "videocodecid")) info.VideoCodecID = static_cast<uint8_t>(RoundClamp(v, 0, 255));
    else if (KeyIs(key, "videodatarate")) info.VideoDataRate = static_cast<int16_t>(RoundClamp(v, 0, 32767));
    else if (KeyIs(key, "audiodatarate")) info.AudioDataRate = static_cast<int16_t>(RoundClamp(v, 0, 32767));
  }
}

// Picture size of the first video tag, from the bits after its first byte.
void ReadPictureSize(std::span<const uint8_t> data, SWFInfo& info) {
  if (data.empty()) return;
  uint8_t codec = data[0] & 0x0F;
  info.VideoCodecID = codec;
  std::span<const uint8_t> bits = data.subspan(1);
  size_t have = bits.size() * 8;
  auto field = [&](size_t first, size_t last, int32_t& out) {
    if (last < have) out = static_cast<int32_t>(BitsToLong(bits, first, last));
  };
  switch (codec) {
    case 2: {
      if (have < 33) return;
      static const int32_t fixed[8][2] = {{0, 0}, {0, 0}, {352, 288}, {176, 144},
                                          {128, 96}, {320, 240}, {160, 120}, {640, 480}};
      uint32_t code = BitsToLong(bits, 30, 32);
      if (code == 0) {
        if (have >= 49) field(33, 40, info.Width), field(41, 48, info.Height);
      } else if (code == 1) {
        if (have >= 65) field(33, 48, info.Width), field(49, 64, info.Height);
      } else {
        info.Width = fixed[code][0];
        info.Height = fixed[code][1];
      }
      break;
    }
    case 3:
    case 6:
      if (have >= 32) field(4, 15, info.Width), field(20, 31, info.Height);
      break;
    case 0:
      if (have >= 8) field(0, 3, info.Width), field(4, 7, info.Height);
      break;
    default:
      break;
  }
}

std::wstring TimeOfDay() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  wchar_t text[16];
  swprintf(text, 16, L"%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
  return text;
}

}  // namespace

std::wstring VideoPageText(const std::wstring& source, long width, long height, unsigned long time) {
  return L"<?xml version=\"1.0\"?><VIDEO>\r\n<SOURCE>" + XmlEscaped(source) + L"</SOURCE>\r\n<WIDTH>" +
         std::to_wstring(width) + L"</WIDTH>\r\n<HEIGHT>" + std::to_wstring(height) + L"</HEIGHT>\r\n<TIME>" +
         std::to_wstring(time) + L"</TIME>\r\n</VIDEO>";
}

std::wstring VideoPagePath(const std::wstring& video) { return GetCacheFileName(video, L".xml", true, false); }

MovieError ReadFLVInfo(FileWindow& file, SWFInfo& info) {
  std::span<const uint8_t> head = file.Get(0, 4);
  if (!head.empty()) info.Version = head[3];
  info.FrameRate = 0;
  info.FrameCount = 0;
  info.BackColor = L"000000";
  uint64_t size = static_cast<uint64_t>(file.Size() > 0 ? file.Size() : 0);
  uint64_t pos = 13;
  uint32_t lastTime = 0;
  bool firstVideo = true, metadata = false;
  double duration = 0;
  int64_t frames = 0;

  for (;;) {
    std::span<const uint8_t> tag = file.Get(pos, kTagHeader);
    if (tag.empty()) break;  // no whole tag header left
    ByteReader fields(tag);
    uint8_t type = 0;
    uint32_t dataSize = 0;
    fields.U8(type);
    if (type == 0) break;
    fields.U24BE(dataSize);
    fields.U24BE(lastTime);
    uint64_t start = pos + kTagHeader;
    uint64_t avail = size - start;
    uint64_t inFile = dataSize < avail ? dataSize : avail;

    if (type == 18) {
      std::span<const uint8_t> data = file.Get(start, static_cast<size_t>(inFile));
      ByteReader r(data);
      uint8_t nameType = 0, valueType = 0;
      uint32_t nameLen = 0;
      std::span<const uint8_t> name;
      if (r.U8(nameType) && nameType == kString && r.U16BE(nameLen) && r.Bytes(nameLen, name) &&
          name.size() == 10 && _strnicmp(reinterpret_cast<const char*>(name.data()), "onMetaData", 10) == 0 &&
          r.U8(valueType) && valueType == kEcmaArray) {
        ReadMetadata(r, info, duration);
        metadata = true;
        break;
      }
    } else if (type == 9) {
      ++frames;
      if (firstVideo) {
        firstVideo = false;
        ReadPictureSize(file.Get(start, static_cast<size_t>(inFile < 64 ? inFile : 64)), info);
      }
    }
    if (dataSize > avail) break;
    pos = start + dataSize + 4;  // past the previous-tag-size
  }

  if (metadata) {
    if (info.FrameRate == 0) info.FrameRate = 24;
    if (duration != 0) frames = static_cast<int64_t>(std::nearbyint(info.FrameRate * duration));
  }
  info.FrameCount = static_cast<int32_t>(frames > INT32_MAX ? INT32_MAX : frames);
  if (info.Width == 0) info.Width = 320;
  if (info.Height == 0) info.Height = 240;
  if (!metadata && info.FrameCount >= 2 && lastTime > 0)
    info.FrameRate = static_cast<float>((info.FrameCount * 1000.0 - 1000.0) / lastTime);
  if (info.FrameRate == 0) info.FrameRate = 24;

  // Each video has its own page, so an address handed out earlier keeps playing its video.
  EnsureCacheFolder();
  std::wstring page = VideoPagePath(info.Path);
  if (!SaveXML(page, VideoPageText(info.Path, info.Width, info.Height, lastTime))) return MovieError::WriteError;
  info.Path = FlashFolder + L"video.swf" + L"?myXML=" + URLEncode(page) + L"&time=" + TimeOfDay();
  return MovieError::None;
}
