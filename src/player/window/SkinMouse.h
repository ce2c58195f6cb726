// How the skin's elements answer the mouse: pressed and released state
// pictures, the seek bar and the volume bar following the mouse, dragging
// the window by the skin's bars and labels, the time labels' mode, the
// movie's pop-up menu from the right button, the hover pictures, and the
// elements' states while another program is active. Elements are addressed
// by the item index their Tag holds; the seek and volume items act by their
// index whatever kind of element the skin makes of them. Positions are
// pixels of the element.
//
// Items by index: 2 control bar and 18 side strip (drag the window), 5 seek
// track and 6 seek fill, 14 and 15 time labels (a click changes the time
// display), 23 volume track and 24 volume level.
#pragma once
#include <optional>
#include <string>

namespace player {

// The arrays of the skin's elements: picture boxes, images, labels.
enum class SkinKind { Picture, Image, Label };

// One item as the mouse handling reads it.
struct SkinElement {
  int Type = 0;  // the skin's item type (3 is a label)
  int View = 0;  // the VIEW it belongs to
  bool HasDown = false, HasOver = false, HasDisabled = false;
  int Width = 0, Height = 0;
};

class SkinMouseHost {
 public:
  virtual ~SkinMouseHost() = default;
  // The item of that index, or nothing outside the item table.
  virtual std::optional<SkinElement> Element(int index) const = 0;
  virtual int ElementCount() const = 0;
  virtual int CurrentView() const = 0;
  virtual void SetState(int index, int state) = 0;  // 1 up, 2 over, 3 down, 4 disabled
  virtual void SetEnabled(int index, bool on) = 0;
  virtual void GoToFrame(double fraction) = 0;
  virtual void SetSound(int volume, int pan) = 0;
  virtual void MoveWindow() = 0;
  virtual void ShowPopUp(bool overPlaylist, bool rootSWF) = 0;
  virtual void ToggleTimeMode() = 0;
};

// The mouse events of an element (button: forms' vbLeftButton, vbRightButton;
// buttons: those held during a move).
void SkinMouseDown(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, int button, int x, int y);
void SkinMouseMove(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, int buttons, int x, int y);
void SkinMouseUp(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, int button, int x, int y);
void SkinDblClick(SkinMouseHost& host, SkinKind kind, const std::wstring& tag);
void SkinClick(SkinMouseHost& host, SkinKind kind, const std::wstring& tag);
// The mouse entering or leaving a picture-box element: its over picture, or its up picture again.
void SkinHover(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, bool entering);
// The program becoming active or inactive: the elements of the current view
// (its VIEW panels aside, which hold the movie) follow, and those with a
// disabled picture show it while inactive.
void SkinActivateApp(SkinMouseHost& host, bool active);

}  // namespace player
