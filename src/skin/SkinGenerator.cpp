#include "skin/SkinGenerator.h"

#include "images/cAlphaDibSection.h"
#include "images/cDIBSection.h"
#include "services/AppIdentity.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"

namespace {

std::function<COLORREF(int)>& ColorSource() {
  static std::function<COLORREF(int)> source;
  return source;
}

COLORREF Sys(int index) { return ColorSource() ? ColorSource()(index) : GetSysColor(index); }

const wchar_t* const kStateFolders[4] = {L"up", L"over", L"down", L"disabled"};

struct ButtonSpec {
  const wchar_t* Name;
  int Band;  // 0 main bar, 1 side band, 2 playlist band
  int Size, X, Y;
  const wchar_t* Round;
  const wchar_t* Curve;
};

constexpr ButtonSpec kButtons[] = {
    {L"play", 0, 40, 46, 6, L"round38.bmp", L"curve40.bmp"},
    {L"pause", 0, 40, 46, 6, L"round38.bmp", L"curve40.bmp"},
    {L"prev", 0, 26, 12, 13, L"round24.bmp", L"curve26.bmp"},
    {L"next", 0, 26, 95, 13, L"round24.bmp", L"curve26.bmp"},
    {L"up", 0, 40, 46, 6, L"round38.bmp", L"curve40.bmp"},
    {L"back", 0, 26, 12, 13, L"round24.bmp", L"curve26.bmp"},
    {L"forward", 0, 26, 95, 13, L"round24.bmp", L"curve26.bmp"},
    {L"browse", 0, 40, 370 - 47, 6, L"round38.bmp", L"curve40.bmp"},
    {L"mute", 1, 26, 4, 72, L"round24.bmp", L"curve26.bmp"},
    {L"sound", 1, 26, 4, 72, L"round24.bmp", L"curve26.bmp"},
    {L"open", 1, 26, 4, 300 - 36, L"round24.bmp", L"curve26.bmp"},
    {L"fs", 1, 26, 4, 300 - 72, L"round24.bmp", L"curve26.bmp"},
    {L"pl", 2, 26, 4, 4, L"round24.bmp", L"curve26.bmp"},
    {L"add", 2, 26, 36, 4, L"", L""},
    {L"remove", 2, 26, 63, 4, L"", L""},
    {L"moveup", 2, 26, 98, 4, L"", L""},
    {L"movedown", 2, 26, 125, 4, L"", L""},
    {L"tip", 2, 26, 180, 4, L"round24.bmp", L"curve26.bmp"},
};

// Counts what a run writes.
struct Writer {
  SlydeRun& run;
  void Save(cDIBSection& picture, const std::wstring& relative) {
    if (picture.SavePicture(UserSkinFolder + relative)) {
      ++run.Written;
    } else {
      ++run.Failed;
    }
  }
};

// A template tinted with a vertical gradient c1 to c2; false when it can't be loaded.
bool TintedTemplate(const std::wstring& file, COLORREF c1, COLORREF c2, cAlphaDibSection& out) {
  cAlphaDibSection mask;
  mask.CreateFromFile(SkinFolder + file);
  if (mask.Width() <= 0 || mask.Height() <= 0) return false;
  cAlphaDibSection fill;
  if (!fill.Create(mask.Width(), mask.Height())) return false;
  DrawGradient(fill.hdc(), {0, 0, fill.Width(), fill.Height()}, c1, c2, true);
  return TintAlphaImage(fill, mask, out);
}

// Paints a template at (x, y) of a band in the colours c1 to c2; y < 0 centres it in the band.
void PaintWell(cDIBSection& band, const std::wstring& file, int x, int y, COLORREF c1, COLORREF c2) {
  cAlphaDibSection well;
  if (!TintedTemplate(file, c1, c2, well)) return;
  if (y < 0) y = RoundEven((band.Height() - well.Height()) / 2.0);
  well.AlphaPaintPicture(band.hdc(), x, y);
}

void SaveCut(const cDIBSection& band, int x, int y, int w, int h, const std::wstring& relative, Writer& out) {
  cDIBSection part;
  if (part.Create(w, h)) BitBlt(part.hdc(), 0, 0, w, h, band.hdc(), x, y, SRCCOPY);
  out.Save(part, relative);
}

void SaveFill(int w, int h, COLORREF colour, bool vertical, const std::wstring& relative, Writer& out) {
  cDIBSection picture;
  if (picture.Create(w, h)) DrawStyledGradient(picture.hdc(), {0, 0, w, h}, colour, vertical);
  out.Save(picture, relative);
}

// A level picture in its over, up and disabled colours (selection, light selection, shadow).
void SaveLevelStates(int w, int h, bool vertical, const std::wstring& name, const SlydeColors& c, Writer& out) {
  SaveFill(w, h, c.Sel, vertical, L"over\\" + name, out);
  SaveFill(w, h, BlendColors(c.Sel, c.Light, 192), vertical, L"up\\" + name, out);
  SaveFill(w, h, c.Shadow, vertical, L"disabled\\" + name, out);
}

void Buttons(const cDIBSection& band, int which, const SlydeColors& c, SlydeRun& run) {
  for (const ButtonSpec& b : kButtons) {
    if (b.Band != which) continue;
    int written = MakeSlydeButton(band, b.Name, b.Size, b.X, b.Y, b.Round, b.Curve, c);
    run.Written += written;
    run.Failed += 4 - written;
  }
}

bool AllFilesPresent() {
  for (const std::wstring& file : SlydeSkinFiles()) {
    if (!FileExists(UserSkinFolder + file)) return false;
  }
  return true;
}

}  // namespace

SlydeColors SlydeColorSet(int skinColor) {
  if (skinColor == 1) return {0xFFFFFF, 0x999999, 0x333333, 0x000000};
  return {Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), Sys(COLOR_HIGHLIGHT)};
}

void SetSlydeSysColorSource(std::function<COLORREF(int)> source) { ColorSource() = std::move(source); }

long SlydeThemeHash() {
  uint32_t sum = 0;
  for (int i = 0; i <= 24; ++i) sum += static_cast<uint32_t>(Sys(i));
  sum += 2u * static_cast<uint32_t>(static_cast<int16_t>(app::kVersionRevision));
  return static_cast<long>(static_cast<int32_t>(sum));
}

std::vector<std::wstring> SlydeSkinFiles() {
  std::vector<std::wstring> files = {L"base\\left.bmp",   L"base\\mid.bmp",      L"base\\right.bmp",
                                     L"base\\top.bmp",    L"base\\side.bmp",     L"base\\bot.bmp",
                                     L"base\\volume2.bmp", L"up\\volume.bmp",    L"over\\volume.bmp",
                                     L"disabled\\volume.bmp", L"base\\playlist.bmp", L"up\\inset.bmp",
                                     L"up\\convex.bmp",   L"over\\convex.bmp",   L"disabled\\convex.bmp"};
  for (const ButtonSpec& b : kButtons) {
    for (const wchar_t* state : kStateFolders) files.push_back(std::wstring(state) + L"\\" + b.Name + L".bmp");
  }
  return files;
}

int MakeSlydeButton(const cDIBSection& band, const std::wstring& name, int size, int x, int y,
                    const std::wstring& roundTemplate, const std::wstring& curveTemplate, const SlydeColors& c) {
  cDIBSection button;
  if (!button.Create(size, size)) return 0;
  struct StateLook {
    COLORREF Top, Bottom;  // the body's gradient with a round template
    COLORREF Flat;         // the body's colour without one
    int Shift;             // the icon and highlight one pixel lower when pressed
    bool Gray;
  };
  const StateLook looks[4] = {
      {c.Shadow, c.Face, BlendColors(c.Shadow, c.Face, 96), 0, false},
      {c.Sel, BlendColors(c.Sel, c.Light, 96), BlendColors(c.Sel, c.Light, 224), 0, false},
      {BlendColors(c.Sel, c.Shadow, 255), BlendColors(c.Sel, c.Light, 128), c.Sel, 1, false},
      {c.Shadow, c.Face, BlendColors(c.Shadow, c.Face, 160), 0, true},
  };
  cAlphaDibSection highlight;
  bool hasHighlight = !curveTemplate.empty() && TintedTemplate(curveTemplate, c.Light, c.Light, highlight);
  int written = 0;
  for (int s = 0; s < 4; ++s) {
    const StateLook& look = looks[s];
    BitBlt(button.hdc(), 0, 0, size, size, band.hdc(), x, y, SRCCOPY);
    RECT icon{0, 0, size, size};
    cAlphaDibSection body;
    if (!roundTemplate.empty()) {
      if (TintedTemplate(roundTemplate, look.Top, look.Bottom, body)) {
        body.AlphaPaintPicture(button.hdc(), 1, 1);
        icon = {0, 0, body.Width(), body.Height()};
      }
    } else {
      DrawStyledGradient(button.hdc(), {0, look.Shift, size, size}, look.Flat, true);
    }
    OffsetRect(&icon, 0, look.Shift);
    DrawPNGCentered(SkinFolder + name, button.hdc(), icon, look.Gray);
    if (hasHighlight) highlight.AlphaPaintPicture(button.hdc(), 0, look.Shift);
    if (button.SavePicture(UserSkinFolder + kStateFolders[s] + L"\\" + name + L".bmp")) ++written;
  }
  return written;
}

SlydeRun CreateSlydeSkin(int skinColor) {
  SlydeRun run;
  const long hash = SlydeThemeHash();
  if (GetRegLong(L"View", L"ThemeHash", 0) == hash && AllFilesPresent()) return run;
  run.Ran = true;
  for (const wchar_t* folder : {L"up", L"over", L"down", L"disabled", L"base"}) MakeDir(UserSkinFolder + folder);
  const SlydeColors c = SlydeColorSet(skinColor);
  Writer out{run};

  cDIBSection band;
  // Main bar.
  if (band.Create(370, 52)) {
    DrawGradient(band.hdc(), {0, 0, 370, 52}, c.Face, c.Shadow, true);
    PaintWell(band, L"round40.bmp", 46, -1, c.Shadow, c.Light);
    cAlphaDibSection probe;
    probe.CreateFromFile(SkinFolder + L"round40.bmp");
    int rightWell = 370 - (probe.Width() > 0 ? probe.Width() : 40) - 7;
    PaintWell(band, L"round40.bmp", rightWell, -1, c.Shadow, c.Light);
    PaintWell(band, L"round26.bmp", 12, -1, c.Shadow, c.Light);
    PaintWell(band, L"round26.bmp", 95, -1, c.Shadow, c.Light);
  }
  SaveCut(band, 0, 0, 260, 52, L"base\\left.bmp", out);
  SaveCut(band, 265, 0, 1, 52, L"base\\mid.bmp", out);
  SaveCut(band, 305, 0, 65, 52, L"base\\right.bmp", out);
  Buttons(band, 0, c, run);

  // Side band.
  if (band.Create(34, 300)) {
    DrawGradient(band.hdc(), {0, 0, 34, 300}, c.Face, c.Shadow, false);
    PaintWell(band, L"sidetop.bmp", 0, 0, c.Light, c.Light);
    PaintWell(band, L"sidebot.bmp", 0, 284, c.Light, c.Light);
    for (int y : {72, 300 - 36, 300 - 72}) PaintWell(band, L"round26.bmp", 4, y, c.Shadow, c.Light);
  }
  SaveCut(band, 0, 0, 34, 32, L"base\\top.bmp", out);
  SaveCut(band, 0, 200, 34, 1, L"base\\side.bmp", out);
  SaveCut(band, 0, 268, 34, 32, L"base\\bot.bmp", out);
  Buttons(band, 1, c, run);

  // Volume.
  {
    cDIBSection track;
    if (track.Create(18, 40)) {
      DrawGradient(track.hdc(), {0, 0, 18, 40}, c.Shadow, c.Light, false);
      DrawStyledGradient(track.hdc(), {1, 1, 17, 39}, c.Face, false);
    }
    out.Save(track, L"base\\volume2.bmp");
    SaveLevelStates(16, 40, false, L"volume.bmp", c, out);
  }

  // Playlist band.
  if (band.Create(214, 34)) {
    DrawGradient(band.hdc(), {0, 0, 214, 34}, c.Light, c.Face, true);
    PaintWell(band, L"round26.bmp", 4, 4, c.Shadow, c.Light);
    PaintWell(band, L"round26.bmp", 180, 4, c.Shadow, c.Light);
    DrawGradient(band.hdc(), {35, 3, 90, 31}, BlendColors(c.Shadow, c.Face, 160), BlendColors(c.Shadow, c.Face, 128),
                 true);
  }
  out.Save(band, L"base\\playlist.bmp");
  Buttons(band, 2, c, run);

  // Inset and convex fields.
  {
    cDIBSection inset;
    if (inset.Create(20, 20)) {
      DrawGradient(inset.hdc(), {0, 0, 20, 20}, c.Shadow, c.Light, true);
      DrawStyledGradient(inset.hdc(), {0, 1, 20, 19}, c.Face, true);
    }
    out.Save(inset, L"up\\inset.bmp");
    SaveLevelStates(100, 18, true, L"convex.bmp", c, out);
  }

  // Only a complete set is remembered: a failed run is tried again at the next load.
  if (run.Failed == 0) SaveRegLong(L"View", L"ThemeHash", hash);
  return run;
}
