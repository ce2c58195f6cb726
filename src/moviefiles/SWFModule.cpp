#include "moviefiles/SWFModule.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/BinaryFile.h"
#include "moviefiles/BitStream.h"
#include "base/ByteReader.h"
#include "moviefiles/FLVReader.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/Projector.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"

SWFInfo CurrentSWFInfo;
SWFInfo InfoSWFInfo;
SWFInfo ExtractSWFInfo;
SWFInfo DesktopSWFInfo;
const SWFInfo BlankSWFInfo;

namespace {

constexpr int kMaxInfoTags = 5;
constexpr uint32_t kLongTag = 10000;  // a tag longer than this is the last one read

std::wstring OpenFailureText(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return L"File Not Found";
    default:
      return L"Error Reading File";
  }
}

std::wstring SignatureText(std::span<const uint8_t> sig) {
  std::wstring text;
  for (uint8_t b : sig) text += b >= 32 && b < 127 ? static_cast<wchar_t>(b) : L'?';
  return text;
}

int32_t ClampToInt32(int64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v < 0 ? 0 : v); }

// Twips to whole pixels, halves to even; a negative extent is no extent.
int32_t TwipsToPixels(int32_t twips) {
  if (twips <= 0) return 0;
  return static_cast<int32_t>(std::nearbyint(twips / 20.0));
}

std::wstring DecodeText(std::span<const uint8_t> bytes, bool utf8First) {
  if (bytes.empty()) return L"";
  const char* src = reinterpret_cast<const char*>(bytes.data());
  int len = static_cast<int>(bytes.size());
  if (utf8First) {
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, src, len, nullptr, 0);
    if (n > 0) {
      std::wstring text(n, L'\0');
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, src, len, text.data(), n);
      return text;
    }
  }
  int n = MultiByteToWideChar(CP_ACP, 0, src, len, nullptr, 0);
  std::wstring text(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, src, len, text.data(), n);
  return text;
}

// The body of GetSWFInfo: "" or the failure's text.
std::wstring ReadMovie(std::wstring path, SWFInfo& info, bool fullDecompress) {
  info.RequestedPath = path;
  info.FileTitle = GetFileTitle(path);
  bool sizeKnown = false;

  for (;;) {
    BinaryFile file;
    if (!file.OpenRead(path)) return OpenFailureText(GetLastError());
    int64_t size = file.Size();
    if (size < 0) return L"Error Reading File";
    if (!sizeKnown) {
      info.FileSize = ClampToInt32(size);
      sizeKnown = true;
    }
    // One read serves the header, the frame fields and usually the first tags.
    std::optional<FileWindow> window;
    window.emplace(file, size, 4096);
    uint8_t header[8] = {};
    size_t got = static_cast<size_t>(size < 8 ? size : 8);
    std::span<const uint8_t> first = window->Get(0, got);
    if (first.size() != got) return L"Error Reading File";
    std::copy(first.begin(), first.end(), header);
    std::span<const uint8_t> sig(header, got < 3 ? got : 3);

    enum class Kind { Plain, Compressed, Video } kind;
    if (got >= 3 && header[0] == 'F' && header[1] == 'W' && header[2] == 'S') {
      WriteLog(L"Ordinary File");
      kind = Kind::Plain;
    } else if (got >= 3 && header[0] == 'F' && header[1] == 'L' && header[2] == 'V') {
      WriteLog(L"Flash Video");
      kind = Kind::Video;
      info.IsFLV = true;
    } else if (got >= 3 && header[0] == 'C' && header[1] == 'W' && header[2] == 'S') {
      WriteLog(L"Compressed File");
      kind = Kind::Compressed;
    } else if (got >= 2 && header[0] == 'M' && header[1] == 'Z' && !info.PathChanged) {
      WriteLog(L"Executable");
      file.Close();
      std::wstring movie = ExtractEXE(path);
      if (movie.empty()) return LastError.empty() ? std::wstring(L"Invalid Generic Projector") : LastError;
      WriteLog(L"File path changed to: " + movie);
      info.PathChanged = true;
      path = movie;
      continue;
    } else {
      WriteLog(L"Unknown signature (" + SignatureText(sig) + L")");
      return L"Not a Flash Movie";
    }
    if (got < 8) return L"File Truncated";

    info.Version = header[3];
    info.Compressed = kind == Kind::Compressed && info.Version >= 6;
    ByteReader fields(header);
    uint32_t fileLength = 0;
    fields.Skip(4), fields.U32LE(fileLength);
    info.MovieLength = kind == Kind::Video ? static_cast<double>(info.FileSize) : static_cast<double>(fileLength);
    info.Path = path;

    std::wstring inflateWarning;  // a damaged or cut compressed body
    if (info.Compressed) {
      BinaryFile source = std::move(file);
      std::wstring before = LastError;
      LastError.clear();
      std::wstring copy = DecompressFlash(info, !fullDecompress, &source, &file);
      source.Close();
      if (copy.empty()) return L"Error Reading Compressed Movie (" + LastError + L")";
      inflateWarning = LastError;
      if (inflateWarning.empty()) LastError = before;
      if (!file.IsOpen() && !file.OpenRead(copy)) return L"Error Reading Compressed Movie (Error Reading File)";
      window.emplace(file, file.Size(), 4096);
    }

    WriteLog(L" ... ", false);
    if (kind == Kind::Video) {
      std::wstring err = ReadFLVInfo(*window, info);
      if (!err.empty()) return err;
    } else {
      // Header fields: at most 17 bytes of rectangle, then rate and count.
      int64_t avail = window->Size() < 8 + 21 ? window->Size() : 8 + 21;
      std::span<const uint8_t> start = window->Get(0, static_cast<size_t>(avail > 0 ? avail : 0));
      ByteReader reader(start);
      reader.Seek(8);
      uint8_t fraction = 0, whole = 0;
      uint32_t frames = 0;
      if (!ReadSWFFrameRect(reader, info) || !reader.U8(fraction) || !reader.U8(whole) || !reader.U16LE(frames))
        return inflateWarning.empty() ? L"File Truncated" : L"Error Reading Compressed Movie (" + inflateWarning + L")";
      info.FrameRate = whole;
      info.FrameCount = static_cast<int32_t>(frames);
      info.FirstTagOffset = static_cast<int32_t>(reader.Pos()) + 1;
      ReadSWFInfoTags(*window, info);
    }
    WriteLog(L"Ok");
    return L"";
  }
}

}  // namespace

std::wstring GetSWFInfo(const std::wstring& path, SWFInfo& info, bool fullDecompress) {
  std::wstring requested = path;  // path may be a field of info itself
  info = BlankSWFInfo;
  std::wstring err;
  try {
    err = ReadMovie(std::move(requested), info, fullDecompress);
  } catch (const std::bad_alloc&) {
    err = L"Out of Memory";
  }
  if (!err.empty()) {
    ClearSWFInfo(info);
    LastError = err;
  }
  return err;
}

void ClearSWFInfo(SWFInfo& info) { info = BlankSWFInfo; }

std::wstring BytesToHexColor(uint8_t red, uint8_t green, uint8_t blue) {
  wchar_t text[8];
  swprintf(text, 8, L"%02X%02X%02X", red, green, blue);
  return text;
}

std::wstring FramesToTime(int32_t frames, float frameRate) {
  double t = frameRate != 0 ? frames / static_cast<double>(frameRate) : 0;
  if (!std::isfinite(t) || t < 0) t = 0;
  double whole = std::nearbyint(t);
  double seconds = std::fmod(whole, 60.0);
  double minutes = std::nearbyint((t - seconds) / 60.0);
  wchar_t text[400];  // room for the largest double's digits
  swprintf(text, 400, seconds < 10 ? L"%.0f:0%.0f" : L"%.0f:%.0f", minutes, seconds);
  return text;
}

long Ceiling(double x) { return static_cast<long>(std::ceil(x)); }

bool ReadSWFFrameRect(ByteReader& reader, SWFInfo& info) {
  std::span<const uint8_t> first = reader.Rest();
  if (first.empty()) return false;
  unsigned nbits = first[0] >> 3;
  size_t length = static_cast<size_t>(Ceiling((5 + 4.0 * nbits) / 8));
  std::span<const uint8_t> rect;
  if (!reader.Bytes(length, rect)) return false;
  BitStream bits(rect, 5);
  int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  if (!bits.ReadSignedBits(nbits, xmin) || !bits.ReadSignedBits(nbits, xmax) ||
      !bits.ReadSignedBits(nbits, ymin) || !bits.ReadSignedBits(nbits, ymax))
    return false;
  // The frame is taken to start at 0.
  info.Width = TwipsToPixels(xmax);
  info.Height = TwipsToPixels(ymax);
  return true;
}

bool ReadSWFTagHeader(FileWindow& file, uint64_t& pos, SWFTagHeader& tag) {
  ByteReader head(file.Get(pos, 2));
  uint32_t codeAndLength = 0;
  if (!head.U16LE(codeAndLength)) return false;
  tag.Code = codeAndLength >> 6;
  tag.Length = codeAndLength & 63;
  pos += 2;
  if (tag.Length == 63) {
    ByteReader big(file.Get(pos, 4));
    if (!big.U32LE(tag.Length)) return false;
    pos += 4;
  }
  return true;
}

void ReadSWFInfoTags(FileWindow& file, SWFInfo& info) {
  info.BackColor = L"000000";
  if (info.FirstTagOffset < 1) return;
  uint64_t pos = static_cast<uint64_t>(info.FirstTagOffset) - 1;
  uint64_t size = static_cast<uint64_t>(file.Size() > 0 ? file.Size() : 0);
  int count = 0;
  while (pos < size && count < kMaxInfoTags) {
    SWFTagHeader tag;
    if (!ReadSWFTagHeader(file, pos, tag)) break;
    const uint32_t code = tag.Code, length = tag.Length;
    if (length > size - pos) break;  // the body runs past the end
    ++count;
    if (length > kLongTag) count = kMaxInfoTags;
    switch (code) {
      case 0:
        count = kMaxInfoTags;
        break;
      case 9:
        if (length >= 3) {
          std::span<const uint8_t> rgb = file.Get(pos, 3);
          if (!rgb.empty()) info.BackColor = BytesToHexColor(rgb[0], rgb[1], rgb[2]);
        }
        break;
      case 77: {
        std::span<const uint8_t> body = file.Get(pos, length);
        if (!body.empty()) ReadSWFMetadata(body, info.Version, info.Title, info.Description);
        break;
      }
      default:
        break;
    }
    pos += length;
  }
}

void ReadSWFMetadata(std::span<const uint8_t> body, uint8_t version, std::wstring& title,
                     std::wstring& description) {
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == 0) {
      body = body.first(i);
      break;
    }
  }
  std::wstring text = DecodeText(body, version >= 6);
  if (text.empty()) return;
  EnsureCom();
  XmlDocument doc;
  if (!doc.LoadXML(text)) return;
  // The texts are taken as they stand: a leading "!" is no reference here.
  if (XmlNode node = doc.SelectSingleNode(L"rdf:RDF/rdf:Description/dc:title")) title = node.Text();
  if (XmlNode node = doc.SelectSingleNode(L"rdf:RDF/rdf:Description/dc:description")) description = node.Text();
}
