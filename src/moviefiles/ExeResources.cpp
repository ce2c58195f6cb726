#include "moviefiles/ExeResources.h"

#include <vector>

#include "base/BinaryFile.h"
#include "base/ByteReader.h"

namespace {

constexpr uint32_t kVersionType = 16;            // RT_VERSION
constexpr uint64_t kMaxResourceSection = 16u << 20;
constexpr int kMaxVersionDepth = 8;
// Real files hold one version resource in a language or two; a directory that
// offers more entries than this is refused rather than walked in full.
constexpr int kMaxVersionEntries = 64;

struct Section {
  uint32_t va = 0, virtualSize = 0, rawSize = 0, rawPtr = 0;
};

class PeImage {
 public:
  explicit PeImage(BinaryFile& file) : file_(file), size_(file.Size()) {}

  bool Load() {
    uint8_t dos[64];
    if (size_ < 64 || !file_.ReadExactAt(0, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    ByteReader d(dos);
    uint32_t lfanew = 0;
    if (!d.Seek(0x3C) || !d.U32LE(lfanew)) return false;
    if (lfanew > 0x10000000 || static_cast<int64_t>(lfanew) + 24 > size_) return false;
    std::vector<uint8_t> head(static_cast<size_t>(std::min<int64_t>(size_ - lfanew, 4096)));
    if (!file_.ReadExactAt(lfanew, head)) return false;
    ByteReader r(head);
    uint32_t sig = 0, sections = 0, optSize = 0, magic = 0;
    if (!r.U32LE(sig) || sig != 0x00004550 || !r.Skip(2) || !r.U16LE(sections) || !r.Skip(12) ||
        !r.U16LE(optSize) || !r.Skip(2))
      return false;
    size_t opt = r.Pos();
    if (!r.U16LE(magic) || (magic != 0x10B && magic != 0x20B)) return false;
    size_t countAt = opt + (magic == 0x20B ? 108 : 92);
    uint32_t dirs = 0;
    if (!r.Seek(countAt) || !r.U32LE(dirs) || dirs < 3 || !r.Skip(16) || !r.U32LE(resRva_) || !r.U32LE(resSize_))
      return false;
    if (countAt + 4 + 8 * 3 > opt + optSize || sections == 0 || sections > 96) return false;
    if (!r.Seek(opt + optSize)) return false;
    for (uint32_t i = 0; i < sections; ++i) {
      Section s;
      if (!r.Skip(8) || !r.U32LE(s.virtualSize) || !r.U32LE(s.va) || !r.U32LE(s.rawSize) || !r.U32LE(s.rawPtr) ||
          !r.Skip(16))
        return false;
      sections_.push_back(s);
    }
    return resRva_ != 0 && resSize_ != 0;
  }

  // File offset and bytes available in the file from an RVA within one section.
  bool Locate(uint32_t rva, uint64_t& offset, uint64_t& avail) const {
    for (const Section& s : sections_) {
      uint64_t raw = std::min(s.rawSize, s.virtualSize ? s.virtualSize : s.rawSize);
      if (rva >= s.va && rva - s.va < raw) {
        offset = static_cast<uint64_t>(s.rawPtr) + (rva - s.va);
        if (offset >= static_cast<uint64_t>(size_)) return false;
        avail = std::min<uint64_t>(raw - (rva - s.va), static_cast<uint64_t>(size_) - offset);
        return true;
      }
    }
    return false;
  }

  uint32_t ResourceRva() const { return resRva_; }

 private:
  BinaryFile& file_;
  int64_t size_;
  uint32_t resRva_ = 0, resSize_ = 0;
  std::vector<Section> sections_;
};

// A resource directory's entries: (name or id, offset) pairs, all inside res.
bool DirectoryEntries(std::span<const uint8_t> res, uint32_t at, std::vector<std::pair<uint32_t, uint32_t>>& out) {
  ByteReader r(res);
  uint32_t named = 0, ids = 0;
  if (!r.Seek(at) || !r.Skip(12) || !r.U16LE(named) || !r.U16LE(ids)) return false;
  out.clear();
  for (uint32_t i = 0; i < named + ids; ++i) {
    uint32_t name = 0, offset = 0;
    if (!r.U32LE(name) || !r.U32LE(offset)) return false;
    if (name & 0x80000000) {  // a name: its length and characters must lie in the section
      ByteReader n(res);
      uint32_t len = 0;
      if (!n.Seek(name & 0x7FFFFFFF) || !n.U16LE(len) || !n.Skip(2 * len)) return false;
    }
    if ((offset & 0x7FFFFFFF) >= res.size()) return false;
    out.emplace_back(name, offset);
  }
  return true;
}

size_t Align4(size_t v) { return (v + 3) & ~size_t{3}; }

// One node of a version block and its children, nested within [off, end).
bool VersionNode(std::span<const uint8_t> block, size_t off, size_t end, int depth) {
  if (depth > kMaxVersionDepth) return false;
  ByteReader r(block);
  uint32_t length = 0, valueLength = 0, type = 0;
  if (!r.Seek(off) || !r.U16LE(length) || !r.U16LE(valueLength) || !r.U16LE(type)) return false;
  if (length < 8 || off + length > end || type > 1) return false;
  size_t nodeEnd = off + length;
  ByteReader node(block.subspan(0, nodeEnd));
  node.Seek(off + 6);
  for (uint32_t ch = 1; ch != 0;) {  // the key, NUL-terminated inside the node
    if (!node.U16LE(ch)) return false;
  }
  size_t pos = Align4(node.Pos());
  size_t valueBytes = type == 1 ? 2 * static_cast<size_t>(valueLength) : valueLength;
  if (valueBytes > 0 && pos + valueBytes > nodeEnd) return false;
  for (size_t child = Align4(pos + valueBytes); child < nodeEnd;) {
    if (!VersionNode(block, child, nodeEnd, depth + 1)) return false;
    ByteReader c(block);
    uint32_t childLength = 0;
    if (!c.Seek(child) || !c.U16LE(childLength)) return false;
    child = Align4(child + childLength);
  }
  return true;
}

}  // namespace

bool HasSoundVersionResource(const std::wstring& path) {
  BinaryFile file;
  return file.OpenRead(path) && HasSoundVersionResource(file);
}

bool HasSoundVersionResource(BinaryFile& file) {
  PeImage pe(file);
  if (!pe.Load()) return false;
  uint64_t resOffset = 0, resAvail = 0;
  if (!pe.Locate(pe.ResourceRva(), resOffset, resAvail)) return false;
  std::vector<uint8_t> res(static_cast<size_t>(std::min(resAvail, kMaxResourceSection)));
  if (!file.ReadExactAt(resOffset, res)) return false;

  std::vector<std::pair<uint32_t, uint32_t>> types, names, langs;
  if (!DirectoryEntries(res, 0, types)) return false;
  bool found = false;
  int visited = 0;
  for (const auto& [type, typeOffset] : types) {
    if (type != kVersionType) continue;
    if (++visited > kMaxVersionEntries) return false;
    if (!(typeOffset & 0x80000000) || !DirectoryEntries(res, typeOffset & 0x7FFFFFFF, names)) return false;
    for (const auto& [name, nameOffset] : names) {
      if (++visited > kMaxVersionEntries) return false;
      if (!(nameOffset & 0x80000000) || !DirectoryEntries(res, nameOffset & 0x7FFFFFFF, langs)) return false;
      for (const auto& [lang, dataOffset] : langs) {
        if (++visited > kMaxVersionEntries) return false;
        ByteReader entry(res);
        uint32_t rva = 0, size = 0;
        if ((dataOffset & 0x80000000) || !entry.Seek(dataOffset) || !entry.U32LE(rva) || !entry.U32LE(size))
          return false;
        uint64_t at = 0, avail = 0;
        if (size < 8 || size > 0xFFFF || !pe.Locate(rva, at, avail) || avail < size) return false;
        std::vector<uint8_t> block(size);
        if (!file.ReadExactAt(at, block) || !VersionNode(block, 0, block.size(), 0)) return false;
        found = true;
      }
    }
  }
  return found;
}
