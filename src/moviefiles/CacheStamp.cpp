#include "moviefiles/CacheStamp.h"

#include <vector>

#include "base/BinaryFile.h"
#include "base/ByteReader.h"
#include "services/ShellMod.h"

namespace {

constexpr uint8_t kMagic[4] = {'S', 'W', 'Z', '1'};
constexpr uint64_t kMaxStamp = 64 * 1024;
// A prefix longer than this is not hashed again: the copy is made afresh.
constexpr uint64_t kMaxPrefix = 4u << 20;

void PutLE(std::vector<uint8_t>& b, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t TimeOf(const FILETIME& t) { return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

}  // namespace

std::wstring CacheStampPath(const std::wstring& copy) {
  size_t sep = copy.find_last_of(L"\\/");
  size_t at = sep == std::wstring::npos ? 0 : sep + 1;
  return copy.substr(0, at) + L"=" + copy.substr(at);
}

bool SaveCacheStamp(const std::wstring& copy, const CacheStamp& s) {
  std::vector<uint8_t> b(kMagic, kMagic + 4);
  for (uint64_t v : {s.sourceSize, s.sourceTime, s.prefixLength, s.prefixHash, s.copySize}) PutLE(b, v, 8);
  b.push_back(s.full ? 1 : 0);
  PutLE(b, s.source.size(), 4);
  for (wchar_t c : s.source) PutLE(b, static_cast<uint16_t>(c), 2);
  std::wstring path = CacheStampPath(copy);
  std::wstring temp = TempFileBeside(path);
  if (temp.empty()) return false;
  if (!WriteWholeFile(temp, b)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return CommitTempFile(temp, path);
}

std::optional<CacheStamp> LoadCacheStamp(const std::wstring& copy) {
  BinaryFile f;
  if (!f.OpenRead(CacheStampPath(copy))) return std::nullopt;
  int64_t size = f.Size();
  if (size < 0 || static_cast<uint64_t>(size) > kMaxStamp) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!f.ReadExactAt(0, bytes)) return std::nullopt;
  ByteReader r(bytes);
  std::span<const uint8_t> magic;
  CacheStamp s;
  uint8_t full = 0;
  uint32_t chars = 0;
  if (!r.Bytes(4, magic) || !std::equal(magic.begin(), magic.end(), kMagic) || !r.U64LE(s.sourceSize) ||
      !r.U64LE(s.sourceTime) || !r.U64LE(s.prefixLength) || !r.U64LE(s.prefixHash) || !r.U64LE(s.copySize) ||
      !r.U8(full) || !r.U32LE(chars) || chars > r.Remaining() / 2)
    return std::nullopt;
  s.full = full != 0;
  for (uint32_t i = 0, c = 0; i < chars && r.U16LE(c); ++i) s.source += static_cast<wchar_t>(c);
  return s;
}

void RemoveCacheStamp(const std::wstring& copy) { DeleteFileW(CacheStampPath(copy).c_str()); }

uint64_t HashBytes(std::span<const uint8_t> bytes, uint64_t hash) {
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
  return hash;
}

uint64_t HashText(const std::wstring& text) {
  return HashBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size() * 2));
}

std::optional<CacheStamp> StampOf(BinaryFile& source, const std::wstring& fullSourcePath, uint64_t prefixLength) {
  int64_t size = source.Size();
  if (size < 0 || prefixLength > static_cast<uint64_t>(size) || prefixLength > kMaxPrefix) return std::nullopt;
  std::vector<uint8_t> prefix(static_cast<size_t>(prefixLength));
  if (!source.ReadExactAt(0, prefix)) return std::nullopt;
  CacheStamp s;
  s.source = fullSourcePath;
  s.sourceSize = static_cast<uint64_t>(size);
  s.sourceTime = TimeOf(source.LastWriteTime());
  s.prefixLength = prefixLength;
  s.prefixHash = HashBytes(prefix);
  return s;
}

bool StampMatches(const std::wstring& copy, int64_t copySize, BinaryFile& source, const std::wstring& fullSourcePath) {
  std::optional<CacheStamp> kept = LoadCacheStamp(copy);
  if (!kept) return false;
  int64_t size = source.Size();
  if (copySize < 0 || static_cast<uint64_t>(copySize) != kept->copySize || size < 0 ||
      static_cast<uint64_t>(size) != kept->sourceSize || TimeOf(source.LastWriteTime()) != kept->sourceTime ||
      !StrEqualNoCase(kept->source, fullSourcePath))
    return false;
  std::optional<CacheStamp> now = StampOf(source, fullSourcePath, kept->prefixLength);
  return now && now->prefixHash == kept->prefixHash;
}
