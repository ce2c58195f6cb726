#include "moviefiles/ResourceExtractor.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "services/MessagePump.h"
#include "base/BinaryFile.h"
#include "base/ByteReader.h"
#include "moviefiles/SWFModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kYieldEvery = std::chrono::milliseconds(100);

bool WriteResource(const std::wstring& path, std::span<const uint8_t> bytes) {
  DeleteFileW(path.c_str());
  return WriteWholeFile(path, bytes);
}

class Walk {
 public:
  Walk(const SWFInfo& info, const std::wstring& dest, ExtractProgress* progress, int32_t (&counts)[5],
       const bool& cancel)
      : info_(info), dest_(dest), progress_(progress), counts_(counts), cancel_(cancel) {}

  void Run() {
    WriteLog(L" :: Resource Extraction");
    if (!file_.OpenRead(info_.Path) || info_.FirstTagOffset < 1) return;
    int64_t size = file_.Size();
    if (size <= 0) return;
    size_ = static_cast<uint64_t>(size);
    total_ = info_.MovieLength > 0 ? info_.MovieLength : static_cast<double>(size_);
    FileWindow window(file_, 65536);
    uint64_t pos = static_cast<uint64_t>(info_.FirstTagOffset) - 1;
    lastYield_ = Clock::now();
    while (pos < size_ && !cancel_) {
      SWFTagHeader tag;
      if (!ReadSWFTagHeader(window, pos, tag)) break;
      const uint32_t code = tag.Code;
      const uint64_t length = tag.Length;
      if (length > size_ - pos) break;  // a tag running past the end ends the walk
      std::wstring name = Handle(code, pos, static_cast<size_t>(length));
      if (!name.empty()) {
        WriteLog(std::to_wstring(code) + L": " + name + L" (" + std::to_wstring(length) + L")");
        Report(name, pos + length);
      }
      pos += length;
    }
    CloseStream();
  }

 private:
  bool Wanted(int kind) const { return counts_[kind] >= 0; }

  std::vector<uint8_t> Body(uint64_t pos, size_t length) {
    std::vector<uint8_t> body(length);
    if (file_.ReadAt(pos, body) != length) body.clear();
    return body;
  }

  static uint32_t Id(const std::vector<uint8_t>& body) {
    ByteReader r(body);
    uint32_t id = 0;
    r.U16LE(id);
    return id;
  }

  std::wstring Named(const std::wstring& tail) const { return dest_ + info_.FileTitle + tail; }

  // One tag; returns its name for the log and the progress bar ("" when skipped).
  std::wstring Handle(uint32_t code, uint64_t pos, size_t length) {
    switch (code) {
      case 0:
        CloseStream();
        return L"End";
      case 6: {  // DefineBits: an image over the shared tables
        if (!Wanted(kExtractJPEG) || length < 2) return L"";
        std::vector<uint8_t> body = Body(pos, length);
        if (body.empty()) return L"";
        std::vector<uint8_t> image(tables_);
        image.insert(image.end(), body.begin() + 2, body.end());
        FixJPEGStream(image);
        if (WriteResource(Named(L"." + std::to_wstring(Id(body)) + L".jpg"), image)) ++counts_[kExtractJPEG];
        return L"DefineBits";
      }
      case 8: {  // JPEGTables
        if (length >= 5) {
          std::vector<uint8_t> body = Body(pos, length);
          if (!body.empty()) tables_.assign(body.begin() + 4, body.end());
        }
        return L"JPEGTables";
      }
      case 14: {  // DefineSound: id, format byte, sample count, seek samples, frames
        if (!Wanted(kExtractSound) || length < 9) return L"";
        std::vector<uint8_t> body = Body(pos, length);
        if (body.empty() || (body[2] >> 4) != 2) return L"";
        std::span<const uint8_t> frames(body.data() + 9, body.size() - 9);
        if (WriteResource(Named(L"." + std::to_wstring(Id(body)) + L".mp3"), frames)) ++counts_[kExtractSound];
        return L"DefineSound";
      }
      case 18:
      case 45: {  // SoundStreamHead(2): a new stream begins
        if (!Wanted(kExtractStream)) return L"";
        CloseStream();
        if (length < 4) return L"";
        std::vector<uint8_t> body = Body(pos, length);
        if (body.empty() || (body[1] >> 4) != 2) return L"";
        ++streams_;
        std::wstring path = Named(streams_ == 1 ? L".stream.mp3" : L".stream-" + std::to_wstring(streams_) + L".mp3");
        DeleteFileW(path.c_str());
        if (stream_.Create(path)) ++counts_[kExtractStream];
        return code == 18 ? L"SoundStreamHead" : L"SoundStreamHead2";
      }
      case 19: {  // SoundStreamBlock: sample count, seek samples, frames
        if (length > 4 && stream_.IsOpen()) {
          std::vector<uint8_t> body = Body(pos, length);
          if (!body.empty()) stream_.Write(std::span<const uint8_t>(body.data() + 4, body.size() - 4));
        }
        return L"SoundStreamBlock";
      }
      case 21: {  // DefineBitsJPEG2: id, 4 bytes dropped, the image
        if (!Wanted(kExtractJPEG) || length < 6) return L"";
        std::vector<uint8_t> body = Body(pos, length);
        if (body.empty()) return L"";
        uint32_t id = Id(body);
        body.erase(body.begin(), body.begin() + 6);
        FixJPEGStream(body);
        if (WriteResource(Named(L"." + std::to_wstring(id) + L".jpg"), body)) ++counts_[kExtractJPEG];
        return L"DefineBitsJPEG2";
      }
      case 39:  // DefineSprite: its own tags are not entered
        return L"DefineSprite";
      case 77: {
        std::vector<uint8_t> body = Body(pos, length);
        if (body.size() == length) WriteResource(Named(L".rdf.xml"), body);
        return L"Info";
      }
      default:  // logged, without progress
        WriteLog(std::to_wstring(code) + L":  (" + std::to_wstring(length) + L")");
        return L"";
    }
  }

  void CloseStream() { stream_.Close(); }

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
  ExtractProgress* progress_;
  int32_t (&counts_)[5];
  const bool& cancel_;
  BinaryFile file_, stream_;
  uint64_t size_ = 0;
  double total_ = 0;
  std::vector<uint8_t> tables_ = std::vector<uint8_t>(1, 0);  // one zero byte until JPEGTables
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

void FixJPEGStream(std::vector<uint8_t>& bytes) {
  if (bytes.size() < 612) return;
  if (!(bytes[570] == 0xFF && bytes[571] == 0xD8 && bytes[1] != 0xD8)) return;
  uint8_t head[612];
  std::memcpy(head, bytes.data() + 570, 40);
  head[40] = 0xDB;
  std::memcpy(head + 41, bytes.data(), 570);
  head[610] = 0xDA;
  head[611] = 0x00;
  std::memcpy(bytes.data(), head, 612);
}
