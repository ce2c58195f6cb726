#include "platform/flash/media/H264Decoder.h"

#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mftransform.h>
#include <wmcodecdsp.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/ByteReader.h"
#include "base/Handles.h"

namespace flash::media {
namespace {

constexpr uint8_t kStartCode[4] = {0, 0, 0, 1};
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
    }
    if (!keyFrame && !started_) return DecodeResult::Dropped;
    started_ = true;
    if (!Feed(frame)) return DecodeResult::Dropped;
    lastFed_ = frame;
    return Drain() ? DecodeResult::Picture : DecodeResult::NoPicture;
  }

  const VideoImage* Image() const override { return shown_ ? &image_ : nullptr; }

  void Reset() override {
    if (transform_) transform_->ProcessMessage(MFT_MESSAGE_COMMAND_FLUSH, 0);
    started_ = false;
  }

  bool Flush() override {
    if (!transform_ || !started_ || lastFed_ < 0) return false;
    transform_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0);
    bool any = Drain();
    // A decoder that keeps pictures back through a drain gives them up when
    // more comes in: the last packet again, its pictures not shown.
    for (int i = 0; i < 32 && image_.frame != lastFed_ && !annexB_.empty(); ++i) {
      if (!Feed(kFiller)) break;
      any |= Drain();
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
      }
    }
    lengthSize_ = (sizeByte & 3) + 1;
    return lengthSize_ != 3;
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
        visibleWidth_ = frameWidth_;
        visibleHeight_ = frameHeight_;
        MFVideoArea area{};
        UINT32 size = 0;
        if (SUCCEEDED(type->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, reinterpret_cast<UINT8*>(&area), sizeof area, &size)) &&
            size == sizeof area && area.OffsetX.value == 0 && area.OffsetY.value == 0 && area.Area.cx > 0 &&
            area.Area.cy > 0 && area.Area.cx <= frameWidth_ && area.Area.cy <= frameHeight_) {
          visibleWidth_ = area.Area.cx;
          visibleHeight_ = area.Area.cy;
        }
        return true;
      }
    }
    return false;
  }

  bool Feed(int64_t frame) {
    ComPtr<IMFSample> sample;
    ComPtr<IMFMediaBuffer> buffer;
    if (FAILED(MFCreateSample(sample.Put())) || FAILED(MFCreateMemoryBuffer(static_cast<DWORD>(annexB_.size()), buffer.Put())))
      return false;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(&data, nullptr, nullptr))) return false;
    std::memcpy(data, annexB_.data(), annexB_.size());
    buffer->Unlock();
    buffer->SetCurrentLength(static_cast<DWORD>(annexB_.size()));
    sample->AddBuffer(buffer.Get());
    sample->SetSampleTime(frame);  // carried to the picture
    HRESULT hr = transform_->ProcessInput(0, sample.Get(), 0);
    if (hr == MF_E_NOTACCEPTING) {
      Drain();
      hr = transform_->ProcessInput(0, sample.Get(), 0);
    }
    return SUCCEEDED(hr);
  }

  // Takes every picture the decoder has ready; true when at least one came.
  bool Drain() {
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
      LONGLONG frame = kFiller;
      if (SUCCEEDED(picture->GetSampleTime(&frame)) && frame != kFiller && Take(picture)) {
        image_.frame = frame;
        any = true;
      }
    }
    return any;
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
      image_ = VideoImage{std::min(visibleWidth_, w), std::min(visibleHeight_, h), true,
                          {planes_[0].data(), planes_[1].data(), planes_[2].data()}, {w, cw, cw}};
      shown_ = true;
    }
    buffer->Unlock();
    return ok;
  }

  ComPtr<IMFTransform> transform_;
  bool comInit_ = false;
  GUID subtype_{};
  int frameWidth_ = 0, frameHeight_ = 0, stride_ = 0;
  int visibleWidth_ = 0, visibleHeight_ = 0;
  int lengthSize_ = 0;
  bool started_ = false;
  int64_t lastFed_ = -1;
  static constexpr LONGLONG kFiller = -12345;  // the time of packets fed only to push pictures out
  std::vector<uint8_t> parameterSets_, annexB_;
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
