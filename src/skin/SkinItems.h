// The skin item table: one SkinItem per element of the skin description, in
// document order from index 1, each holding the control made for it on the
// main window (whose Tag is the index), its geometry texts, state pictures
// and fade state; the window-mask regions; the load state. Also the number
// rule of skin attributes and the skin colour reader.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "images/cDIBSection.h"
#include "platform/forms/Picture.h"

namespace forms {
class Container;
class Control;
class PictureBox;
}  // namespace forms
class SkinHost;

enum SkinItemType { SkinTypeView = 0, SkinTypeSubView = 1, SkinTypeButton = 2, SkinTypeLabel = 3,
                    SkinTypeImage = 4, SkinTypeButtonLite = 5 };
enum SkinItemState { SkinStateNone = 0, SkinStateUp = 1, SkinStateOver = 2, SkinStateDown = 3,
                     SkinStateDisabled = 4 };

// Stands for a missing attribute.
inline const std::wstring SkinAbsent = L"| no |";

struct SkinItem {
  std::wstring Name = SkinAbsent;
  forms::Control* Control = nullptr;
  int View = 0;   // index of the VIEW it was read in; a VIEW holds its own
  int Type = SkinTypeView;
  std::wstring Left = L"0", Top = L"0", Width = L"10", Height = L"10";
  bool HasUp = false, HasDown = false, HasOver = false, HasDisabled = false;
  bool Stretch = false;
  int State = SkinStateNone;
  forms::Picture PicUp, PicOver, PicDown, PicDisabled;
  std::unique_ptr<cDIBSection> FadeDib;  // the picture being faded in
  UINT_PTR TimerID = 0;                  // the running fade timer (the item index), 0 when none
  int FadePos = 0, FadeStep = 0, FadeMax = 0;
};

struct SkinRegion {
  ScopedRegion Region;                  // mask-colour pixels, in the panel's coordinates
  forms::PictureBox* Control = nullptr; // the panel
};

// The table and the load state (one skin per program).
extern std::vector<SkinItem> SkinItems;  // element i - 1 is item i
extern std::vector<SkinRegion> SkinRegions;
extern int CurrentView;                  // index of the VIEW shown now
extern bool SkinLoaded;
extern SkinHost* SkinWindow;             // the main window the skin was built on

int SkinItemCount();
// Item index (1-based), or null outside 1..SkinItemCount.
SkinItem* SkinItemAt(int index);
// The control of an item, or null (the layout's xObj).
forms::Control* SkinControl(int index);

// The number rule of skin attributes: blanks ignored, optional sign, decimal
// digits with an optional fraction, or "&H" and hexadecimal digits; anything
// after the number ignored ("12px" is 12). Nothing without a number.
std::optional<double> SkinNumber(const std::wstring& text);
// The number as a 32-bit integer, a fraction rounded half to even; nothing
// without a number or when it does not fit.
std::optional<long> SkinLongChecked(const std::wstring& text);
// The same with 0 for no number.
long SkinLong(const std::wstring& text);
// "#RRGGBB" (or without "#") as a COLORREF (red in the low byte).
COLORREF ParseSkinColor(const std::wstring& text);
