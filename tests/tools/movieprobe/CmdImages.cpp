// Probe commands of the image classes: png, jpeg, resample.
#include <windows.h>

#include <memory>

#include "Probe.h"
#include "images/IntelJPEGLibrary.h"
#include "images/cDIBSection.h"
#include "images/cPNG.h"
#include "services/Services.h"
#include "base/TextConv.h"

namespace {

// Loads a BMP file into a 24-bit bitmap; nothing when it can't be read.
std::unique_ptr<cDIBSection> LoadBmp(const std::wstring& path) {
  auto bmp = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                             LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (!bmp) return nullptr;
  auto dib = std::make_unique<cDIBSection>();
  dib->CreateFromPicture(bmp);
  DeleteObject(bmp);
  if (!dib->hdc()) return nullptr;
  return dib;
}

bool ParseHexColour(const std::wstring& text, COLORREF& colour) {
  if (text.size() != 6) return false;
  wchar_t* end = nullptr;
  const unsigned long v = wcstoul(text.c_str(), &end, 16);
  if (*end) return false;
  colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  return true;
}

int Png(const probe::Args& args) {
  if (args.size() < 2 || args.size() > 3) return probe::Fail(L"usage: png FILE OUT.bmp [BGHEX]");
  COLORREF background = RGB(255, 255, 255);
  if (args.size() == 3 && !ParseHexColour(args[2], background))
    return probe::Fail(L"background must be six hexadecimal digits, red first");
  cPNG png;
  const long result = png.LoadPNGFile(args[0]);
  probe::Out(L"Result", std::to_wstring(result));
  probe::Out(L"Width", std::to_wstring(png.Width()));
  probe::Out(L"Height", std::to_wstring(png.Height()));
  probe::Out(L"BitDepth", std::to_wstring(png.BitDepth()));
  probe::Out(L"ColorType", std::to_wstring(png.ColorType()));
  probe::Out(L"Interlaced", BoolToText(png.Interlaced()));
  if (result != 0) return 1;
  if (png.Width() <= 0 || png.Height() <= 0) return 0;  // nothing to draw
  cDIBSection dib;
  if (!dib.Create(png.Width(), png.Height())) return probe::Fail(L"can't create the bitmap");
  HBRUSH brush = CreateSolidBrush(background);
  RECT all{0, 0, png.Width(), png.Height()};
  FillRect(dib.hdc(), &all, brush);
  DeleteObject(brush);
  png.DrawToDC(dib.hdc(), 0, 0, false);
  if (!dib.SavePicture(args[1])) return probe::Fail(L"can't write " + args[1]);
  return 0;
}

int Jpeg(const probe::Args& args) {
  if (args.size() != 3) return probe::Fail(L"usage: jpeg IN.bmp OUT.jpg QUALITY");
  auto dib = LoadBmp(args[0]);
  if (!dib) return probe::Fail(L"can't read " + args[0]);
  const bool ok = SaveJPG(*dib, args[1], TextToLong(args[2]));
  probe::Out(L"Result", BoolToText(ok));
  if (!ok) probe::Out(L"Error", CurrentError().Description);
  return ok ? 0 : 1;
}

int Resample(const probe::Args& args) {
  if (args.size() != 4) return probe::Fail(L"usage: resample IN.bmp WIDTH HEIGHT OUT.bmp");
  auto dib = LoadBmp(args[0]);
  if (!dib) return probe::Fail(L"can't read " + args[0]);
  auto resized = dib->Resample(TextToLong(args[1]), TextToLong(args[2]));
  const bool ok = resized && resized->SavePicture(args[3]);
  probe::Out(L"Result", BoolToText(ok));
  return ok ? 0 : 1;
}

probe::ProbeCommand regPng(L"png", L"FILE OUT.bmp [BGHEX]", Png);
probe::ProbeCommand regJpeg(L"jpeg", L"IN.bmp OUT.jpg QUALITY", Jpeg);
probe::ProbeCommand regResample(L"resample", L"IN.bmp WIDTH HEIGHT OUT.bmp", Resample);

}  // namespace
