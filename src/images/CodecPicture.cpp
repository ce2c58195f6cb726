#include "images/CodecPicture.h"

#include <objbase.h>
#include <wincodec.h>

#include "base/Handles.h"

namespace {

// Opens the decoder (from the file, or from the bytes through stream, which
// outlives the decoder) with the factory given.
using DecoderOpener =
    std::function<HRESULT(IWICImagingFactory& factory, ComPtr<IWICStream>& stream, IWICBitmapDecoder** decoder)>;

bool Decode(const DecoderOpener& open, const CodecPixelRoom& room) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool done = false;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    UINT w = 0, h = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   factory.PutVoid())) &&
        SUCCEEDED(open(*factory.Get(), stream, decoder.Put())) && SUCCEEDED(decoder->GetFrame(0, frame.Put())) &&
        SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), converted.Put())) &&
        SUCCEEDED(converted->GetSize(&w, &h)) && w > 0 && h > 0 && w <= 0x7FFFFFFF / 4 / h) {
      uint8_t* pixels = room(w, h);
      const UINT stride = w * 4;
      done = pixels && SUCCEEDED(converted->CopyPixels(nullptr, stride, stride * h, pixels));
    }
  }  // the codec objects go before COM does
  if (SUCCEEDED(init)) CoUninitialize();
  return done;
}

}  // namespace

bool DecodeCodecPicture(const std::wstring& path, const CodecPixelRoom& room) {
  return Decode(
      [&](IWICImagingFactory& factory, ComPtr<IWICStream>&, IWICBitmapDecoder** decoder) {
        return factory.CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                 decoder);
      },
      room);
}

bool DecodeCodecPicture(std::span<const uint8_t> encoded, const CodecPixelRoom& room) {
  if (encoded.empty() || encoded.size() > 0x7FFFFFFF) return false;
  return Decode(
      [&](IWICImagingFactory& factory, ComPtr<IWICStream>& stream, IWICBitmapDecoder** decoder) {
        HRESULT hr = factory.CreateStream(stream.Put());
        if (SUCCEEDED(hr))
          hr = stream->InitializeFromMemory(const_cast<BYTE*>(encoded.data()), static_cast<DWORD>(encoded.size()));
        if (SUCCEEDED(hr))
          hr = factory.CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder);
        return hr;
      },
      room);
}
