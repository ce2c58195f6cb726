#include "platform/flash/parse/MovieBody.h"

#include <zlib.h>

#include <algorithm>

#include "moviefiles/SwfTags.h"

namespace flash {
namespace {

// Takes the body as it arrives, in pieces of any size, and appends to out the
// frame header and every top-level tag the control keeps.
class BodyFilter {
 public:
  explicit BodyFilter(std::vector<uint8_t>& out) : out_(out) {}

  void Feed(std::span<const uint8_t> piece) {
    while (!piece.empty()) {
      switch (state_) {
        case State::Header: piece = TakeHeader(piece); break;
        case State::TagHead: piece = TakeTagHead(piece); break;
        case State::Copy:
        case State::Skip: {
          const size_t n = static_cast<size_t>(std::min<uint64_t>(left_, piece.size()));
          if (state_ == State::Copy) out_.insert(out_.end(), piece.begin(), piece.begin() + n);
          piece = piece.subspan(n);
          left_ -= n;
          if (left_ == 0) state_ = State::TagHead;
          break;
        }
        case State::Rest:
          out_.insert(out_.end(), piece.begin(), piece.end());
          piece = {};
          break;
      }
    }
  }

  // The stream has ended: a piece of header left incomplete is kept as it
  // came, and a skipped tag cut off by the end leaves its header behind, so
  // the list still reads as cut where the file was.
  void Finish() {
    if (state_ == State::Header || state_ == State::TagHead) out_.insert(out_.end(), pending_.begin(), pending_.end());
    if (state_ == State::Skip && left_ > 0) out_.insert(out_.end(), skippedHead_.begin(), skippedHead_.end());
    pending_.clear();
  }

 private:
  enum class State { Header, TagHead, Copy, Skip, Rest };

  // Gathers up to need bytes into pending_; true once they are all there.
  bool Gather(std::span<const uint8_t>& piece, size_t need) {
    const size_t n = std::min(need - pending_.size(), piece.size());
    pending_.insert(pending_.end(), piece.begin(), piece.begin() + n);
    piece = piece.subspan(n);
    return pending_.size() == need;
  }

  // The frame rectangle (5 + 4 x Nbits bits, whole bytes), rate and count.
  std::span<const uint8_t> TakeHeader(std::span<const uint8_t> piece) {
    if (pending_.empty() && !Gather(piece, 1)) return piece;
    const size_t nbits = pending_[0] >> 3;
    const size_t need = (5 + 4 * nbits + 7) / 8 + 4;
    if (!Gather(piece, need)) return piece;
    out_.insert(out_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    state_ = State::TagHead;
    return piece;
  }

  std::span<const uint8_t> TakeTagHead(std::span<const uint8_t> piece) {
    if (!Gather(piece, 2)) return piece;
    const uint16_t codeAndLength = static_cast<uint16_t>(pending_[0] | pending_[1] << 8);
    const uint16_t code = codeAndLength >> 6;
    uint64_t length = codeAndLength & 0x3F;
    if (length == 0x3F) {
      if (!Gather(piece, 6)) return piece;
      length = pending_[2] | pending_[3] << 8 | pending_[4] << 16 | static_cast<uint32_t>(pending_[5]) << 24;
    }
    left_ = length;
    if (KeepsTopLevelTag(code)) {
      out_.insert(out_.end(), pending_.begin(), pending_.end());
      state_ = code == static_cast<uint16_t>(SwfTag::End) ? State::Rest : length ? State::Copy : State::TagHead;
    } else {
      skippedHead_ = pending_;
      state_ = length ? State::Skip : State::TagHead;
    }
    pending_.clear();
    return piece;
  }

  std::vector<uint8_t>& out_;
  State state_ = State::Header;
  std::vector<uint8_t> pending_;
  std::vector<uint8_t> skippedHead_;
  uint64_t left_ = 0;
};

void Inflate(std::span<const uint8_t> source, uint64_t maxBody, BodyFilter& filter) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return;
  zs.next_in = const_cast<Bytef*>(source.data());
  zs.avail_in = static_cast<uInt>(std::min<size_t>(source.size(), UINT32_MAX));
  std::vector<uint8_t> scratch(256 * 1024);
  uint64_t total = 0;
  int rc = Z_OK;
  while (rc == Z_OK && total < maxBody) {
    zs.next_out = scratch.data();
    zs.avail_out = static_cast<uInt>(std::min<uint64_t>(scratch.size(), maxBody - total));
    const uInt room = zs.avail_out;
    rc = inflate(&zs, Z_NO_FLUSH);
    const size_t produced = room - zs.avail_out;
    total += produced;
    filter.Feed(std::span<const uint8_t>(scratch.data(), produced));
    if (rc == Z_OK && produced == 0) break;  // no progress: the input has ended
  }
  inflateEnd(&zs);
}

}  // namespace

bool KeepsTopLevelTag(uint16_t code) { return static_cast<SwfTag>(code) != SwfTag::DefineBinaryData; }

bool ReadMovieBody(std::span<const uint8_t> file, uint64_t maxBody, std::vector<uint8_t>& body) {
  body.clear();
  if (file.size() < 8) return false;
  BodyFilter filter(body);
  if (file[0] == 'F') {
    filter.Feed(file.subspan(8));
  } else {
    const uint32_t declared = file[4] | file[5] << 8 | file[6] << 16 | static_cast<uint32_t>(file[7]) << 24;
    if (declared < 8 || declared - 8 > maxBody) return false;
    Inflate(file.subspan(8), declared - 8, filter);
  }
  filter.Finish();
  return true;
}

}  // namespace flash
