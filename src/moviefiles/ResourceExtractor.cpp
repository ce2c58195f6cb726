#include "moviefiles/ResourceExtractor.h"

#include <algorithm>
#include <chrono>

#include "services/MessagePump.h"
#include "base/BinaryFile.h"
#include "base/ByteReader.h"
#include "moviefiles/BitmapTagData.h"
#include "moviefiles/MoviePaths.h"
#include "moviefiles/SWFModule.h"
#include "moviefiles/SwfTags.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kYieldEvery = std::chrono::milliseconds(100);
// The tags are read in windows of this size (a larger tag is read whole).
constexpr size_t kWindow = 1u << 20;

// The highest "(n)" tried after a file's own name when that is taken.
constexpr int kMaxNumbered = 9999;

// An output file written beside its final name and given that name, or the
// first free numbered one, when done: a file already there is never replaced,
// and a failed or abandoned write leaves nothing behind.
class OutputFile {
 public:
  ~OutputFile() { Abandon(); }
  bool Open(const std::wstring& path) {
    Abandon();
    temp_ = TempFileBeside(path);
    if (temp_.empty() || !file_.Create(temp_)) {
      Abandon();
      return false;
    }
    path_ = path;
    return true;
  }
  bool IsOpen() const { return file_.IsOpen(); }
  void Write(std::span<const uint8_t> bytes) { ok_ = file_.Write(bytes) && ok_; }
  // Gives the finished file its name; false (and nothing left) when anything failed.
  bool Commit() {
    if (temp_.empty()) return false;
    bool ok = file_.CloseChecked() && ok_;
    if (ok) {
      ok = !CommitTempFileAsNew(temp_, path_, kMaxNumbered).empty();
      if (!ok)
        WriteLog(L"Not written (no name free up to (" + std::to_wstring(kMaxNumbered) + L"), or the move failed): " +
                 path_);
      temp_.clear();
    }
    Abandon();
    return ok;
  }

 private:
  void Abandon() {
    file_.Close();
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
    temp_.clear();
    ok_ = true;
  }
  BinaryFile file_;
  std::wstring path_, temp_;
  bool ok_ = true;
};

bool WriteResource(const std::wstring& path, std::span<const uint8_t> bytes) {
  OutputFile out;
  if (!out.Open(path)) return false;
  out.Write(bytes);
  return out.Commit();
}

bool Handled(SwfTag code) {
  switch (code) {
    case SwfTag::End:
    case SwfTag::DefineBits:
    case SwfTag::JPEGTables:
    case SwfTag::DefineSound:
    case SwfTag::SoundStreamHead:
    case SwfTag::SoundStreamHead2:
    case SwfTag::SoundStreamBlock:
    case SwfTag::DefineBitsJPEG2:
    case SwfTag::DefineBitsJPEG3:
    case SwfTag::DefineSprite:
    case SwfTag::Metadata:
      return true;
    default:
      return false;
  }
}

class Walk {
 public:
  Walk(const SWFInfo& info, const std::wstring& dest, ExtractProgress* progress, int32_t (&counts)[5],
       const bool& cancel)
      : info_(info), dest_(dest), title_(FileNameOf(info.FileTitle)), progress_(progress), counts_(counts),
        cancel_(cancel) {}

  void Run() {
    WriteLog(L" :: Resource Extraction");
    if (!file_.OpenRead(info_.Path) || info_.FirstTagOffset < 1) return;
    int64_t size = file_.Size();
    if (size <= 0) return;
    const uint64_t end = static_cast<uint64_t>(size);
    total_ = info_.MovieLength > 0 ? info_.MovieLength : static_cast<double>(end);
    lastYield_ = Clock::now();
    std::vector<uint8_t> window;
    uint64_t base = static_cast<uint64_t>(info_.FirstTagOffset) - 1, need = 0;
    while (base < end && !cancel_) {
      window.resize(static_cast<size_t>(std::min<uint64_t>(std::max<uint64_t>(kWindow, need), end - base)));
      if (!file_.ReadExactAt(base, window)) break;
      SwfTagWalker walker(window);
      SwfTagView tag;
      while (!cancel_ && walker.Next(tag)) Handle(tag, base + walker.Pos());
      base += walker.Pos();
      if (cancel_ || !walker.Cut()) continue;
      if (walker.CutSize() > end - base) break;  // a tag running past the end ends the walk
      need = walker.CutSize();
      if (need > kWindow && walker.CutHeaderRead() && !Handled(walker.CutCode())) {
        // Too large for a window and of no interest: passed over unread.
        WriteLog(std::to_wstring(static_cast<unsigned>(walker.CutCode())) + L":  (" +
                 std::to_wstring(walker.CutLength()) + L")");
        base += need;
        need = 0;
      }
    }
    CloseStream();
  }

 private:
  bool Wanted(int kind) const { return counts_[kind] >= 0; }

  // The output file for a tail such as ".5.jpg"; "" when it would lie outside the folder.
  std::wstring Named(const std::wstring& tail) const {
    std::wstring path = dest_ + title_ + tail;
    return IsInsideFolder(path, dest_) ? path : L"";
  }

  bool Save(const std::wstring& tail, std::span<const uint8_t> bytes) {
    std::wstring path = Named(tail);
    return !path.empty() && WriteResource(path, bytes);
  }

  // An image of a JPEG tag in its own format, when its kind is wanted: JPEG
  // data joined with the tables into one stream, PNG and GIF files as they
  // are. False when the kind is not wanted or there is no image.
  bool SaveImage(uint32_t id, std::span<const uint8_t> tables, std::span<const uint8_t> image) {
    if (image.empty()) return false;
    const ImageFormat format = SniffImageFormat(image);
    const int kind = format == ImageFormat::Jpeg ? kExtractJPEG : kExtractPNG;
    if (!Wanted(kind)) return false;
    const std::wstring tail = L"." + std::to_wstring(id) + ImageExtension(format);
    const bool saved = format == ImageFormat::Jpeg ? Save(tail, JoinJpeg(tables, image)) : Save(tail, image);
    if (saved) ++counts_[kind];
    return true;
  }

  void Handle(SwfTagView& tag, uint64_t reached) {
    std::wstring name = Extract(tag);
    const unsigned code = static_cast<unsigned>(tag.code);
    if (name.empty()) return;
    WriteLog(std::to_wstring(code) + L": " + name + L" (" + std::to_wstring(tag.length) + L")");
    Report(name, reached);
  }

  // One tag; returns its name for the log and the progress bar ("" when skipped).
  std::wstring Extract(SwfTagView& tag) {
    ByteReader& body = tag.body;
    uint32_t id = 0;
    switch (tag.code) {
      case SwfTag::End:
        CloseStream();
        return L"End";
      case SwfTag::DefineBits:  // an image over the shared tables
        if (!body.U16LE(id)) return L"";
        return SaveImage(id, tables_, body.Rest()) ? L"DefineBits" : L"";
      case SwfTag::JPEGTables:
        tables_.assign(body.Rest().begin(), body.Rest().end());
        return L"JPEGTables";
      case SwfTag::DefineSound: {  // id, format byte, sample count, seek samples, frames
        uint8_t format = 0;
        if (!Wanted(kExtractSound) || tag.length < 9 || !body.U16LE(id) || !body.U8(format) || (format >> 4) != 2 ||
            !body.Skip(6))
          return L"";
        if (Save(L"." + std::to_wstring(id) + L".mp3", body.Rest())) ++counts_[kExtractSound];
        return L"DefineSound";
      }
      case SwfTag::SoundStreamHead:
      case SwfTag::SoundStreamHead2: {  // a new stream begins
        if (!Wanted(kExtractStream)) return L"";
        CloseStream();
        uint8_t playback = 0, format = 0;
        if (tag.length < 4 || !body.U8(playback) || !body.U8(format) || (format >> 4) != 2) return L"";
        ++streams_;
        std::wstring path = Named(streams_ == 1 ? L".stream.mp3" : L".stream-" + std::to_wstring(streams_) + L".mp3");
        if (!path.empty()) stream_.Open(path);
        return tag.code == SwfTag::SoundStreamHead ? L"SoundStreamHead" : L"SoundStreamHead2";
      }
      case SwfTag::SoundStreamBlock:  // sample count, seek samples, frames
        if (tag.length > 4 && stream_.IsOpen() && body.Skip(4)) stream_.Write(body.Rest());
        return L"SoundStreamBlock";
      case SwfTag::DefineBitsJPEG2:
      case SwfTag::DefineBitsJPEG3: {  // id, the image (and the alpha plane after it)
        if (!body.U16LE(id)) return L"";
        const std::span<const uint8_t> image = BitmapTagImage(tag.code, body.Rest());
        if (!SaveImage(id, {}, image)) return L"";
        return tag.code == SwfTag::DefineBitsJPEG2 ? L"DefineBitsJPEG2" : L"DefineBitsJPEG3";
      }
      case SwfTag::DefineSprite:  // its own tags are not entered
        return L"DefineSprite";
      case SwfTag::Metadata:
        Save(L".rdf.xml", body.Rest());
        return L"Info";
      default:  // logged, without progress
        WriteLog(std::to_wstring(static_cast<unsigned>(tag.code)) + L":  (" + std::to_wstring(tag.length) + L")");
        return L"";
    }
  }

  // A stream counts once its file is written whole.
  void CloseStream() {
    if (stream_.Commit()) ++counts_[kExtractStream];
  }

  void Report(const std::wstring& name, uint64_t reached) {
    if (progress_) {
      double f = total_ > 0 ? static_cast<double>(reached) / total_ : 0;
      progress_->SetStatus(std::clamp(f, 0.0, 1.0));
      progress_->SetCaption(name);
    }
    Clock::time_point now = Clock::now();
    if (now - lastYield_ >= kYieldEvery) {
      PumpPendingMessages();
      lastYield_ = Clock::now();
    }
  }

  const SWFInfo& info_;
  std::wstring dest_;
  std::wstring title_;  // the movie's file name, never a path
  ExtractProgress* progress_;
  int32_t (&counts_)[5];
  const bool& cancel_;
  BinaryFile file_;
  OutputFile stream_;
  double total_ = 0;
  std::vector<uint8_t> tables_;  // the last JPEGTables met
  int streams_ = 0;
  Clock::time_point lastYield_;
};

}  // namespace

void ExtractResources(const SWFInfo& info, const std::wstring& destFolder, ExtractProgress* progress,
                      int32_t (&counts)[5], const bool& cancel) {
  try {
    Walk(info, destFolder, progress, counts, cancel).Run();
  } catch (const std::bad_alloc&) {
    WriteLog(L"Resource extraction stopped: out of memory");
  }
}
