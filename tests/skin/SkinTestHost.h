// The skin tests' stand-in main window: a 640 x 480 form with a picture box
// as the movie view, a playlist, an address bar and a tips panel, whose
// player state the tests set. Also the process-wide test environment (the
// program's skin folder, a user skin folder rendered once, the registry
// value the generator keeps) and an off-screen picture of a window.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "skin/SkinHost.h"

class StandInWindow : public forms::Form, public SkinHost {
 public:
  explicit StandInWindow(int clientWidth = 640, int clientHeight = 480);
  ~StandInWindow() override;

  // Player state the skin reads.
  bool hideUI = false, playlistShown = false, fullScreen = false;
  bool playing = false, muted = false, browsed = false, timeMode = false;
  int volume = 50;
  double percent = 0;
  std::wstring timeCur = L"00:00", timeRem = L"-00:00", timeTot = L"00:00", title;
  int skinColor = 0;
  // What the skin wrote back.
  int xOffset = -1, yOffset = -1, minWidth = -1, minHeight = -1;
  bool menuBarEntry = true, skinFailed = false, fullScreenPartsReset = false;
  int updates = 0;
  bool arrange = true;  // false: views switch without the built-in skin's layout

  forms::PictureBox* view = nullptr;
  forms::ListBox* playlist = nullptr;
  forms::ComboBox* address = nullptr;
  forms::PictureBox* tipPanel = nullptr;

  // SkinHost.
  forms::Form& Window() override { return *this; }
  forms::PictureBox* MovieView() override { return view; }
  forms::Control* MovieControl() override { return nullptr; }
  forms::Control* PlayList() override { return playlist; }
  forms::Control* AddressBar() override { return address; }
  forms::Control* TipPanel() override { return tipPanel; }
  bool HideUI() const override { return hideUI; }
  bool PlaylistShown() const override { return playlistShown; }
  bool FullScreenChecked() const override { return fullScreen; }
  bool Playing() const override { return playing; }
  bool Muted() const override { return muted; }
  int Volume() const override { return volume; }
  bool Browsed() const override { return browsed; }
  double MoviePercent() const override { return percent; }
  std::wstring TimeInfoCur() const override { return timeCur; }
  std::wstring TimeInfoRem() const override { return timeRem; }
  std::wstring TimeInfoTot() const override { return timeTot; }
  bool TimeMode() const override { return timeMode; }
  std::wstring MediaTitle() const override { return title; }
  int SkinColor() const override { return skinColor; }
  void SetSkinOffsets(int x, int y) override { xOffset = x, yOffset = y; }
  void SetMinSize(int w, int h) override { minWidth = w, minHeight = h; }
  void ShowMenuBarEntry(bool visible) override { menuBarEntry = visible; }
  void SkinFailed() override { skinFailed = true; }
  void ResetFullScreenParts() override { fullScreenPartsReset = true; }
  void ApplyFullScreen() override;
  void UpdateSkin() override;
  void BringOwnControlsToFront() override;

 protected:
  void CreateControls() override;
};

// The program's skin folder as staged beside the test program.
std::wstring StagedSkinFolder();
// The user skin folder the environment rendered once with the staged templates.
std::wstring RenderedUserSkinFolder();

// Points the skin and user skin folders elsewhere for one test and puts them back.
struct SkinFolders {
  std::wstring savedSkin, savedUser;
  SkinFolders(const std::wstring& skin, const std::wstring& user);
  ~SkinFolders();
};

// Writes a skin description into folder\skin.xml.
void WriteSkinXml(const std::wstring& folder, const std::string& xml);
// A BMP file of one colour.
void WriteSolidBmp(const std::wstring& path, int w, int h, COLORREF color);
// The pixel of a BMP file at (x, y) from the top; CLR_INVALID when unreadable.
COLORREF BmpPixel(const std::wstring& path, int x, int y);

// The client area of a window with its visible child windows drawn over it
// bottom to top, off the screen (WM_PRINT), as a 24-bit picture.
std::vector<BYTE> CaptureClient(HWND hwnd, int& width, int& height);
COLORREF CapturedPixel(const std::vector<BYTE>& bits, int width, int height, int x, int y);
bool SaveCapture(const std::vector<BYTE>& bits, int width, int height, const std::wstring& path);
