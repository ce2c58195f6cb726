#include "platform/flash/media/H264Decoder.h"

#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mftransform.h>
#include <wmcodecdsp.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "base/ByteReader.h"
#include "base/Handles.h"
#include "platform/flash/media/H264Sequence.h"

namespace flash::media {
namespace {

constexpr uint8_t kStartCode[4] = {0, 0, 0, 1};
constexpr uint8_t kSequenceUnit = 7;
// MF_LOW_LATENCY (declared by the headers only for later Windows versions).
constexpr GUID kLowLatency = {0x9c27891a, 0xed7a, 0x40e1, {0x88, 0xe8, 0xb2, 0x27, 0x27, 0xa0, 0x24, 0xee}};

// Media Foundation started once for the process, on first use.
bool StartMediaFoundation() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] { started = SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_LITE)); });
  return started;
}

class H264Decoder : public VideoDecoder {
 public:
  ~H264Decoder() override {
    transform_.Reset();
    if (comInit_) CoUninitialize();
  }

  bool Open() {
    const HRESULT co = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    comInit_ = SUCCEEDED(co);
    if (FAILED(co) && co != RPC_E_CHANGED_MODE) return false;
    if (!StartMediaFoundation()) return false;
    if (FAILED(CoCreateInstance(CLSID_CMSH264DecoderMFT, nullptr, CLSCTX_INPROC_SERVER, IID_IMFTransform,
                                transform_.PutVoid())))
      return false;
    // Pictures out as soon as they are decoded, where the decoder can.
    ComPtr<IMFAttributes> attributes;
    if (SUCCEEDED(transform_->GetAttributes(attributes.Put())) && attributes) attributes->SetUINT32(kLowLatency, TRUE);
    ComPtr<IMFMediaType> input;
    if (FAILED(MFCreateMediaType(input.Put()))) return false;
    input->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    input->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_H264);
    if (FAILED(transform_->SetInputType(0, input.Get(), 0))) return false;
    return ChooseOutput();
  }

  DecodeResult Decode(std::span<const uint8_t> packet, bool keyFrame, int64_t frame) override {
    ByteReader r(packet);
    uint8_t type = 0;
    if (!r.U8(type) || !r.Skip(3)) return DecodeResult::Dropped;  // packet type, composition time
    if (type == 0) return ReadConfiguration(r.Rest()) ? DecodeResult::NoPicture : DecodeResult::Dropped;
    if (type != 1 || lengthSize_ == 0) return DecodeResult::Dropped;
    // Length-prefixed units to start codes, the parameter sets before a key frame.
    annexB_.clear();
    if (keyFrame) annexB_.insert(annexB_.end(), parameterSets_.begin(), parameterSets_.end());
    while (!r.AtEnd()) {
      uint32_t length = 0;
      std::span<const uint8_t> unit;
      if (!ReadLength(r, length) || length == 0 || !r.Bytes(length, unit)) return DecodeResult::Dropped;
      annexB_.insert(annexB_.end(), kStartCode, kStartCode + 4);
      annexB_.insert(annexB_.end(), unit.begin(), unit.end());
      if ((unit[0] & 0x1F) == kSequenceUnit) ReadGeometry(unit);
    }
    if ((!keyFrame && !started_) || frame < 0 || frame >= kNumbers) return DecodeResult::Dropped;
    if (!started_) lastFed_ = -1;
    started_ = true;
    draining_ = false;
    if (!Feed(annexB_, frame)) return DecodeResult::Dropped;
    if (keyFrame) lastKey_ = annexB_;
    lastFed_ = std::max(lastFed_, frame);
    pending_.push_back(frame);
    if (pending_.size() > kMaxPending) pending_.pop_front();
    return Drain() ? DecodeResult::Picture : DecodeResult::NoPicture;
  }

  const VideoImage* Image() const override { return shown_ ? &image_ : nullptr; }

  void Reset() override {
    if (transform_) transform_->ProcessMessage(MFT_MESSAGE_COMMAND_FLUSH, 0);
    started_ = false;
    pending_.clear();
    ++epoch_;
    fillers_ = 0;
  }

  bool Flush(int64_t upTo) override {
    if (!transform_ || !started_ || lastFed_ < 0) return false;
    if (!draining_) transform_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0);
    draining_ = true;
    // The picture numbered highest is presented last.
    const int64_t last = std::min(upTo, lastFed_);
    bool any = Drain(last);
    // A decoder that keeps pictures back through a drain gives them up when
    // more comes in: the last key frame again (which sends every picture
    // before it out), its own pictures not shown.
    for (int i = 0; i < kMaxFillers && image_.frame != last && !lastKey_.empty(); ++i) {
      if (!Feed(lastKey_, kNumbers + fillers_++ % kNumbers)) break;
      any |= Drain(last);
    }
    return any;
  }

 private:
  bool ReadLength(ByteReader& r, uint32_t& length) {
    length = 0;
    for (int i = 0; i < lengthSize_; ++i) {
      uint8_t b = 0;
      if (!r.U8(b)) return false;
      length = length << 8 | b;
    }
    return true;
  }

  bool ReadConfiguration(std::span<const uint8_t> record) {
    ByteReader r(record);
    uint8_t version = 0, sizeByte = 0, count = 0;
    if (!r.U8(version) || !r.Skip(3) || !r.U8(sizeByte)) return false;
    parameterSets_.clear();
    for (int list = 0; list < 2; ++list) {  // sequence, then picture parameter sets
      if (!r.U8(count)) return false;
      if (list == 0) count &= 0x1F;
      for (int i = 0; i < count; ++i) {
        uint32_t n = 0;
        std::span<const uint8_t> set;
        if (!r.U16BE(n) || !r.Bytes(n, set)) return false;
        parameterSets_.insert(parameterSets_.end(), kStartCode, kStartCode + 4);
        parameterSets_.insert(parameterSets_.end(), set.begin(), set.end());
        if (list == 0 && i == 0) ReadGeometry(set);
      }
    }
    lengthSize_ = (sizeByte & 3) + 1;
    return lengthSize_ != 3;
  }

  // The picture inside the coded frame, as the sequence parameters crop it.
  void ReadGeometry(std::span<const uint8_t> unit) {
    if (auto g = ReadH264Geometry(unit)) geometry_ = *g;
  }

  bool ChooseOutput() {
    for (DWORD i = 0;; ++i) {
      ComPtr<IMFMediaType> type;
      if (FAILED(transform_->GetOutputAvailableType(0, i, type.Put()))) break;
      GUID subtype{};
      type->GetGUID(MF_MT_SUBTYPE, &subtype);
      if (subtype == MFVideoFormat_I420 || subtype == MFVideoFormat_IYUV || subtype == MFVideoFormat_NV12) {
        if (FAILED(transform_->SetOutputType(0, type.Get(), 0))) continue;
        subtype_ = subtype;
        UINT32 w = 0, h = 0;
        MFGetAttributeSize(type.Get(), MF_MT_FRAME_SIZE, &w, &h);
        frameWidth_ = static_cast<int>(w);
        frameHeight_ = static_cast<int>(h);
        stride_ = static_cast<int>(MFGetAttributeUINT32(type.Get(), MF_MT_DEFAULT_STRIDE, w));
        // The picture inside the coded frame, when the decoder says it.
        aperture_ = {};
        MFVideoArea area{};
        UINT32 size = 0;
        if (SUCCEEDED(type->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, reinterpret_cast<UINT8*>(&area), sizeof area, &size)) &&
            size == sizeof area && area.OffsetX.fract == 0 && area.OffsetY.fract == 0)
          aperture_ = {area.OffsetX.value, area.OffsetY.value, area.Area.cx, area.Area.cy};
        return true;
      }
    }
    return false;
  }

  bool Feed(const std::vector<uint8_t>& annexB, int64_t frame) {
    ComPtr<IMFSample> sample;
    ComPtr<IMFMediaBuffer> buffer;
    if (FAILED(MFCreateSample(sample.Put())) || FAILED(MFCreateMemoryBuffer(static_cast<DWORD>(annexB.size()), buffer.Put())))
      return false;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(&data, nullptr, nullptr))) return false;
    std::memcpy(data, annexB.data(), annexB.size());
    buffer->Unlock();
    buffer->SetCurrentLength(static_cast<DWORD>(annexB.size()));
    sample->AddBuffer(buffer.Get());
    sample->SetSampleTime(epoch_ * kEpoch + frame);  // carried to the picture
    HRESULT hr = transform_->ProcessInput(0, sample.Get(), 0);
    if (hr == MF_E_NOTACCEPTING) {
      Drain();
      hr = transform_->ProcessInput(0, sample.Get(), 0);
    }
    return SUCCEEDED(hr);
  }

  // Takes the pictures the decoder has ready, up to the one numbered until
  // (the rest stay with the decoder); true when at least one came.
  bool Drain(int64_t until = INT64_MAX) {
    bool any = false;
    for (int guard = 0; guard < 64; ++guard) {  // a drain gives out every held picture
      MFT_OUTPUT_STREAM_INFO info{};
      if (FAILED(transform_->GetOutputStreamInfo(0, &info))) return any;
      ComPtr<IMFSample> sample;
      if (!(info.dwFlags & (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES | MFT_OUTPUT_STREAM_CAN_PROVIDE_SAMPLES))) {
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(MFCreateSample(sample.Put())) || FAILED(MFCreateMemoryBuffer(std::max<DWORD>(info.cbSize, 1), buffer.Put())))
          return any;
        sample->AddBuffer(buffer.Get());
      }
      MFT_OUTPUT_DATA_BUFFER out{};
      out.dwStreamID = 0;
      out.pSample = sample.Get();
      DWORD status = 0;
      const HRESULT hr = transform_->ProcessOutput(0, 1, &out, &status);
      if (out.pEvents) out.pEvents->Release();
      ComPtr<IMFSample> produced(out.pSample != sample.Get() ? out.pSample : nullptr);
      if (hr == MF_E_TRANSFORM_STREAM_CHANGE) {
        if (!ChooseOutput()) return any;
        continue;
      }
      if (FAILED(hr)) return any;
      IMFSample* picture = produced ? produced.Get() : sample.Get();
      // Only pictures of packets fed since the last reset: a decoder that
      // cannot forget may still give out older ones, and the fillers' pictures
      // may come with times of the decoder's own making.
      LONGLONG time = 0;
      if (FAILED(picture->GetSampleTime(&time)) || time < 0 || time / kEpoch != epoch_ || time % kEpoch >= kNumbers) continue;
      const int64_t frame = time % kEpoch;
      const auto fed = std::find(pending_.begin(), pending_.end(), static_cast<int64_t>(frame));
      if (fed == pending_.end()) continue;
      pending_.erase(fed);
      if (Take(picture)) {
        image_.frame = frame;
        any = true;
        if (frame == until) break;
      }
    }
    return any;
  }

  struct Visible {
    int left = 0, top = 0, width = 0, height = 0;
    // Inside a w x h frame, on even offsets (the chroma planes' samples).
    bool Fits(int w, int h) const {
      return left >= 0 && top >= 0 && left % 2 == 0 && top % 2 == 0 && width > 0 && height > 0 && width <= w - left &&
             height <= h - top;
    }
  };

  // The sequence parameters' crop when it fits the decoder's frame, else the
  // decoder's own aperture, else the whole frame.
  Visible VisibleIn(int w, int h) const {
    const Visible crop{geometry_.left, geometry_.top, geometry_.width, geometry_.height};
    if (crop.Fits(w, h)) return crop;
    if (aperture_.Fits(w, h)) return aperture_;
    return {0, 0, w, h};
  }

  bool Take(IMFSample* sample) {
    ComPtr<IMFMediaBuffer> buffer;
    if (!sample || FAILED(sample->ConvertToContiguousBuffer(buffer.Put()))) return false;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (FAILED(buffer->Lock(&data, nullptr, &length))) return false;
    const int w = frameWidth_, h = frameHeight_, stride = std::max(stride_, w);
    const size_t need = static_cast<size_t>(stride) * h * 3 / 2;
    bool ok = w > 0 && h > 0 && w <= kMaxVideoSide && h <= kMaxVideoSide && length >= need;
    if (ok) {
      const int cw = (w + 1) / 2, ch = (h + 1) / 2;
      planes_[0].resize(static_cast<size_t>(w) * h);
      planes_[1].resize(static_cast<size_t>(cw) * ch);
      planes_[2].resize(static_cast<size_t>(cw) * ch);
      for (int y = 0; y < h; ++y) std::memcpy(&planes_[0][static_cast<size_t>(y) * w], data + static_cast<size_t>(y) * stride, w);
      const BYTE* chroma = data + static_cast<size_t>(stride) * h;
      for (int y = 0; y < ch; ++y) {
        if (subtype_ == MFVideoFormat_NV12) {
          const BYTE* row = chroma + static_cast<size_t>(y) * stride;
          for (int x = 0; x < cw; ++x) {
            planes_[1][static_cast<size_t>(y) * cw + x] = row[2 * x];
            planes_[2][static_cast<size_t>(y) * cw + x] = row[2 * x + 1];
          }
        } else {
          const int cs = stride / 2;
          std::memcpy(&planes_[1][static_cast<size_t>(y) * cw], chroma + static_cast<size_t>(y) * cs, cw);
          std::memcpy(&planes_[2][static_cast<size_t>(y) * cw], chroma + static_cast<size_t>(cs) * ch + static_cast<size_t>(y) * cs, cw);
        }
      }
      const Visible v = VisibleIn(w, h);
      const size_t luma = static_cast<size_t>(v.top) * w + v.left, chromaAt = static_cast<size_t>(v.top / 2) * cw + v.left / 2;
      image_ = VideoImage{v.width, v.height, true,
                          {planes_[0].data() + luma, planes_[1].data() + chromaAt, planes_[2].data() + chromaAt}, {w, cw, cw}};
      shown_ = true;
    }
    buffer->Unlock();
    return ok;
  }

  ComPtr<IMFTransform> transform_;
  bool comInit_ = false;
  GUID subtype_{};
  int frameWidth_ = 0, frameHeight_ = 0, stride_ = 0;
  H264Geometry geometry_;
  Visible aperture_;
  int lengthSize_ = 0;
  bool started_ = false;
  int64_t lastFed_ = -1;
  bool draining_ = false;  // told that the stream ends
  // Sample times: each reset starts an epoch of kEpoch times, far past the
  // last one (a decoder that cannot forget insists on rising times, and makes
  // up times of its own after repeated ones). In an epoch, pictures have their
  // numbers (below kNumbers), and the packets fed only to push pictures out
  // times from kNumbers on (their pictures are never taken).
  static constexpr int64_t kNumbers = int64_t{1} << 31, kEpoch = int64_t{1} << 32;
  int64_t epoch_ = 0, fillers_ = 0;
  static constexpr int kMaxFillers = 64;
  std::deque<int64_t> pending_;  // the numbers of the packets fed whose pictures are still to come
  static constexpr size_t kMaxPending = 256;
  std::vector<uint8_t> parameterSets_, annexB_, lastKey_;
  std::vector<uint8_t> planes_[3];
  VideoImage image_;
  bool shown_ = false;
};

}  // namespace

std::unique_ptr<VideoDecoder> CreateH264Decoder() {
  auto decoder = std::make_unique<H264Decoder>();
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace flash::media
