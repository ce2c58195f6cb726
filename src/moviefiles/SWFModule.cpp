#include "moviefiles/SWFModule.h"

#include <cmath>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <optional>
#include <vector>

#include "base/BinaryFile.h"
#include "moviefiles/BitStream.h"
#include "base/ByteReader.h"
#include "moviefiles/FLVReader.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/MoviePaths.h"
#include "moviefiles/Projector.h"
#include "moviefiles/SwfTags.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"

namespace {

constexpr int kMaxInfoTags = 5;
constexpr uint32_t kLongTag = 10000;  // a tag longer than this is the last one read
// Metadata longer than this is skipped rather than read.
constexpr uint32_t kMaxMetadata = 1u << 20;
// The first read of a file: its signature, and for a plain movie usually its
// header and every tag looked at.
constexpr size_t kSniffRead = 4096;
// The first read of a movie's tags when that was not enough, and the most its
// start is ever read to reach a tag.
constexpr size_t kFirstRead = 64 * 1024;
constexpr uint64_t kMaxStartRead = kFirstRead + kMaxMetadata + 6;

MovieError OpenFailure(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return MovieError::NotFound;
    default:
      return MovieError::ReadError;
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

bool IsUtf8(std::span<const uint8_t> bytes) {
  if (bytes.size() > INT_MAX) return false;
  const char* src = reinterpret_cast<const char*>(bytes.data());
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, src, static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

// Text in the ANSI code page.
std::wstring AnsiText(std::span<const uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return L"";
  const char* src = reinterpret_cast<const char*>(bytes.data());
  const int len = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, src, len, nullptr, 0);
  std::wstring text(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, src, len, text.data(), n);
  return text;
}

// What the first bytes of a file say it is.
enum class MovieKind { Plain, Compressed, Video, Executable };

// The start of a file: its size and up to `want` bytes from its beginning.
struct FileStart {
  int64_t size = 0;
  std::vector<uint8_t> bytes;
};

Result<FileStart> ReadStart(BinaryFile& file, size_t want) {
  FileStart start;
  start.size = file.Size();
  if (start.size < 0) return MovieError::ReadError;
  start.bytes.resize(static_cast<size_t>(std::min<int64_t>(start.size, static_cast<int64_t>(want))));
  if (!file.ReadExactAt(0, start.bytes)) return MovieError::ReadError;
  return start;
}

// Sniffs the signature; an executable only where one may stand (not inside a projector).
Result<MovieKind> SniffSignature(std::span<const uint8_t> b, bool executableAllowed) {
  auto is = [&](const char* sig, size_t n) { return b.size() >= n && std::equal(sig, sig + n, b.begin()); };
  if (is("FWS", 3)) return MovieKind::Plain;
  if (is("FLV", 3)) return MovieKind::Video;
  if (is("CWS", 3)) return MovieKind::Compressed;
  if (is("MZ", 2) && executableAllowed) return MovieKind::Executable;
  return MovieError::NotAMovie;
}

// The header fields of an SWF whose start is in bytes: rectangle, rate and count.
MovieError ReadHeaderFields(std::span<const uint8_t> bytes, SWFInfo& info) {
  ByteReader reader(bytes);
  uint8_t fraction = 0, whole = 0;
  uint32_t frames = 0;
  if (!reader.Seek(8) || !ReadSWFFrameRect(reader, info) || !reader.U8(fraction) || !reader.U8(whole) ||
      !reader.U16LE(frames))
    return MovieError::Truncated;
  info.FrameRate = FrameRateFromFixed(fraction, whole);
  info.FrameCount = static_cast<int32_t>(frames);
  info.FirstTagOffset = static_cast<int32_t>(reader.Pos()) + 1;
  return MovieError::None;
}

// Header fields and first tags of the SWF open in file (a plain movie or an
// uncompressed copy), from start, the bytes already read from its beginning.
// A tag those bytes cut off is read whole only when its body is read or the
// scan goes on past it, and never beyond the bound on metadata.
MovieError ReadSwfFacts(BinaryFile& file, FileStart start, SWFInfo& info) {
  if (MovieError e = ReadHeaderFields(start.bytes, info); e != MovieError::None) return e;
  for (;;) {
    uint64_t wanted = ReadSWFInfoTags(start.bytes, info);
    if (wanted == 0 || wanted > static_cast<uint64_t>(start.size) || wanted > kMaxStartRead) break;
    // At least the usual first read, so a run of tags past the first bytes costs one more read.
    wanted = std::min<uint64_t>(std::max<uint64_t>(wanted, kFirstRead), static_cast<uint64_t>(start.size));
    Result<FileStart> more = ReadStart(file, static_cast<size_t>(wanted));
    if (!more) break;
    start = std::move(*more);
  }
  return MovieError::None;
}

// Why GetSWFInfo failed: the error, and whether it arose in a compressed body.
struct ReadFailure {
  MovieError error = MovieError::None;
  bool compressed = false;
};

std::wstring FailureText(const ReadFailure& f) {
  std::wstring text = MovieErrorText(f.error);
  return f.compressed ? L"Error Reading Compressed Movie (" + text + L")" : text;
}

// The stages of GetSWFInfo: sniff, unwrap a projector, decompress, read the
// header, scan the first tags. The value is the decompression warning (None
// when there was none).
Result<MovieError, ReadFailure> ReadMovie(const std::wstring& requested, SWFInfo& info, bool fullDecompress) {
  info.RequestedPath = requested;
  info.FileTitle = FileNameOf(FullPath(requested));
  std::wstring path = requested;
  BinaryFile file;
  if (!file.OpenRead(path)) return ReadFailure{OpenFailure(GetLastError())};
  Result<FileStart> start = ReadStart(file, kSniffRead);
  if (!start) return ReadFailure{start.Error()};
  info.FileSize = ClampToInt32(start->size);
  Result<MovieKind> kind = SniffSignature(start->bytes, true);
  if (kind && *kind == MovieKind::Executable) {
    WriteLog(L"Executable");
    // The projector's check and its movie's copy read the file already open.
    Result<ProjectorMovie> movie = TakeMovieOut(file, path);
    file.Close();
    if (!movie) return ReadFailure{movie.Error()};
    path = movie->path;
    WriteLog(L"File path changed to: " + path);
    info.PathChanged = true;
    if (!file.OpenRead(path)) return ReadFailure{OpenFailure(GetLastError())};
    start = ReadStart(file, kSniffRead);
    if (!start) return ReadFailure{start.Error()};
    kind = SniffSignature(start->bytes, false);
  }
  info.MovieFileSize = ClampToInt32(start->size);
  if (!kind) {
    WriteLog(L"Unknown signature (" + SignatureText(std::span(start->bytes).first(std::min<size_t>(3, start->bytes.size()))) + L")");
    return ReadFailure{kind.Error()};
  }
  WriteLog(*kind == MovieKind::Plain ? L"Ordinary File" : *kind == MovieKind::Video ? L"Flash Video" : L"Compressed File");
  info.IsFLV = *kind == MovieKind::Video;
  if (start->bytes.size() < 8) return ReadFailure{MovieError::Truncated};

  ByteReader header(start->bytes);
  uint32_t fileLength = 0;
  header.Skip(3), header.U8(info.Version), header.U32LE(fileLength);
  info.Compressed = *kind == MovieKind::Compressed && info.Version >= 6;
  info.MovieLength = info.IsFLV ? static_cast<double>(info.FileSize) : static_cast<double>(fileLength);
  info.Path = path;

  MovieError warning = MovieError::None;
  if (info.Compressed) {
    Result<CacheCopy> copy = MakeUncompressedCopy(file, path, info.RequestedPath, !fullDecompress);
    file.Close();
    if (!copy) return ReadFailure{copy.Error(), true};
    warning = copy->warning;
    if (fullDecompress) {
      info.RequestedPath = info.Path;
      info.Path = copy->path;
    } else {
      info.HeaderCachePath = copy->path;
    }
    file = std::move(copy->file);
  }

  WriteLog(L" ... ", false);
  if (info.IsFLV) {
    FileWindow window(file, start->size, 4096);
    if (MovieError e = ReadFLVInfo(window, info); e != MovieError::None) return ReadFailure{e};
  } else {
    // A plain movie's first read serves again; an uncompressed copy is read afresh.
    if (info.Compressed) start = ReadStart(file, kFirstRead);
    MovieError e = start ? ReadSwfFacts(file, std::move(*start), info) : start.Error();
    // A cut copy says why it is cut.
    if (e != MovieError::None) return warning != MovieError::None ? ReadFailure{warning, true} : ReadFailure{e};
  }
  WriteLog(L"Ok");
  return warning;
}

}  // namespace

std::wstring GetSWFInfo(const std::wstring& path, SWFInfo& info, bool fullDecompress) {
  std::wstring requested = path;  // path may be a field of info itself
  info = SWFInfo{};
  ReadFailure failure;
  MovieError warning = MovieError::None;
  try {
    Result<MovieError, ReadFailure> read = ReadMovie(requested, info, fullDecompress);
    if (read) warning = *read;
    else failure = read.Error();
  } catch (const std::bad_alloc&) {
    failure = ReadFailure{MovieError::OutOfMemory};
  }
  if (failure.error != MovieError::None) {
    ClearSWFInfo(info);
    LastError = FailureText(failure);
    return LastError;
  }
  LastError = MovieErrorText(warning);
  return L"";
}

void ClearSWFInfo(SWFInfo& info) { info = SWFInfo{}; }

std::wstring BytesToHexColor(uint8_t red, uint8_t green, uint8_t blue) {
  wchar_t text[8];
  swprintf(text, 8, L"%02X%02X%02X", red, green, blue);
  return text;
}

float FrameRateFromFixed(uint8_t fraction, uint8_t whole) {
  const uint32_t fixed = uint32_t{whole} << 8 | fraction;
  uint32_t scale = 1;
  // Three decimals always suffice: a thousandth is finer than a 256th.
  for (int digits = 0; digits < 3; ++digits, scale *= 10) {
    const uint32_t nearest = (fixed * scale * 2 + 256) / 512;  // fixed / 256 in units of 1 / scale, rounded
    if ((nearest * 256 * 2 + scale) / (2 * scale) == fixed) return static_cast<float>(double(nearest) / scale);
  }
  return static_cast<float>(double((fixed * scale * 2 + 256) / 512) / scale);
}

std::wstring FrameRateText(float rate, wchar_t decimal) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, rate, std::chars_format::general, 7).ptr;
  std::wstring out(text, end);
  for (wchar_t& c : out)
    if (c == L'.') c = decimal;
  return out;
}

std::wstring FramesToTime(int32_t frames, float frameRate) {
  double t = frameRate != 0 ? frames / static_cast<double>(frameRate) : 0;
  if (!std::isfinite(t) || t < 0) t = 0;
  double whole = std::nearbyint(t);
  double seconds = std::fmod(whole, 60.0);
  // From the rounded time: a time just under a whole minute gives 0, never -0.
  double minutes = (whole - seconds) / 60.0;
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

uint64_t ReadSWFInfoTags(std::span<const uint8_t> movie, SWFInfo& info) {
  info.BackColor = L"000000";
  if (info.FirstTagOffset < 1) return 0;
  SwfTagWalker walker(movie, static_cast<size_t>(info.FirstTagOffset) - 1);
  SwfTagView tag;
  for (int count = 0; count < kMaxInfoTags;) {
    if (!walker.Next(tag)) {
      if (!walker.Cut()) return 0;
      // A long tag whose body is not read ends the scan without being read.
      const bool bodyRead = walker.CutCode() == SwfTag::SetBackgroundColor || walker.CutCode() == SwfTag::Metadata;
      if (walker.CutHeaderRead() && walker.CutLength() > kLongTag && !bodyRead) return 0;
      return walker.Pos() + walker.CutSize();
    }
    ++count;
    if (tag.length > kLongTag) count = kMaxInfoTags;
    std::span<const uint8_t> body = tag.body.Rest();
    switch (tag.code) {
      case SwfTag::End:
        count = kMaxInfoTags;
        break;
      case SwfTag::SetBackgroundColor:
        if (body.size() >= 3) info.BackColor = BytesToHexColor(body[0], body[1], body[2]);
        break;
      case SwfTag::Metadata:
        if (body.size() <= kMaxMetadata) ReadSWFMetadata(body, info.Title, info.Description);
        break;
      default:
        break;
    }
  }
  return 0;
}

void ReadSWFMetadata(std::span<const uint8_t> body, std::wstring& title, std::wstring& description) {
  // The text ends at its terminating NUL: a 16-bit one in a UTF-16 document.
  const bool wide = body.size() >= 2 && ((body[0] == 0xFF && body[1] == 0xFE) || (body[0] == 0xFE && body[1] == 0xFF));
  const size_t step = wide ? 2 : 1;
  for (size_t i = 0; i + step <= body.size(); i += step) {
    if (body[i] == 0 && (!wide || body[i + 1] == 0)) {
      body = body.first(i);
      break;
    }
  }
  if (body.empty()) return;
  EnsureCom();
  XmlDocument doc;
  // The document's own encoding, UTF-8 unless it names another; bytes that
  // are not UTF-8 in a document that names none are read in the ANSI code page.
  if (!doc.LoadBytes(body) && (wide || IsUtf8(body) || !doc.LoadXML(AnsiText(body)))) return;
  // The texts are taken as they stand: a leading "!" is no reference here.
  if (XmlNode node = doc.SelectSingleNode(L"rdf:RDF/rdf:Description/dc:title")) title = node.Text();
  if (XmlNode node = doc.SelectSingleNode(L"rdf:RDF/rdf:Description/dc:description")) description = node.Text();
}
