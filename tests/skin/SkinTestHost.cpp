#include "SkinTestHost.h"

#include <fstream>

#include "TestSupport.h"
#include "base/Handles.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "skin/SkinGenerator.h"
#include "skin/SkinLayout.h"
#include "skin/SkinLoader.h"
#include "skin/SkinItems.h"
#include "skin/SkinStates.h"

using testing_support::ProgramDir;

namespace {

forms::FormArgs StandInDesign(int w, int h) {
  forms::FormArgs d;
  d.Caption = L"SWF.zel - skin stand-in";
  d.ClientWidth = w;
  d.ClientHeight = h;
  d.Left = 0;
  d.Top = 0;
  d.StartUpPosition = forms::vbStartUpManual;
  return d;
}

// One rendered user skin folder and the registry value kept for the whole run.
class SkinEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<testing_support::TempDir>();
    registry_ = std::make_unique<testing_support::RegistryGuard>();
    registry_->AppValue(L"View", L"ThemeHash");
    SkinFolders folders(StagedSkinFolder(), dir_->Path());
    CreateSlydeSkin(0);
  }
  void TearDown() override {
    registry_.reset();
    dir_.reset();
  }
  std::wstring Path() const { return dir_ ? dir_->Path() : std::wstring(); }

 private:
  std::unique_ptr<testing_support::TempDir> dir_;
  std::unique_ptr<testing_support::RegistryGuard> registry_;
};

SkinEnvironment* const g_env =
    static_cast<SkinEnvironment*>(::testing::AddGlobalTestEnvironment(new SkinEnvironment));

}  // namespace

StandInWindow::StandInWindow(int clientWidth, int clientHeight) : Form(L"Player", StandInDesign(clientWidth, clientHeight)) {
  Load();
}

StandInWindow::~StandInWindow() {
  if (SkinWindow == this) {
    ResetSkin();
    SkinWindow = nullptr;
  }
  Unload();
}

void StandInWindow::CreateControls() {
  forms::PictureBoxArgs v;
  v.Name = L"View";
  v.Width = 320;
  v.Height = 240;
  v.BackColor = RGB(0, 0, 0);
  view = &Add<forms::PictureBox>(v);
  forms::ListBoxArgs l;
  l.Name = L"PlayList";
  l.Width = 180;
  l.Height = 200;
  l.Visible = false;
  playlist = &Add<forms::ListBox>(l);
  forms::ComboBoxArgs a;
  a.Name = L"AddressBar";
  a.Width = 200;
  a.Height = 21;
  a.Visible = false;
  address = &Add<forms::ComboBox>(a);
  forms::PictureBoxArgs t;
  t.Name = L"svTip";
  t.Width = 180;
  t.Height = 60;
  t.Visible = false;
  tipPanel = &Add<forms::PictureBox>(t);
}

void StandInWindow::ApplyFullScreen() { SetSkinView(fullScreen ? L"viewFullScreen" : L"viewNormal"); }

void StandInWindow::UpdateSkin() {
  ++updates;
  if (arrange) SlydeArrange();
  // Stretched panels follow their new sizes.
  for (int i = 1; i <= SkinItemCount(); ++i) {
    int state = 0;
    SetSkinItemState(i, state);
  }
}

void StandInWindow::BringOwnControlsToFront() {
  for (forms::Control* c : {static_cast<forms::Control*>(address), static_cast<forms::Control*>(playlist),
                            static_cast<forms::Control*>(tipPanel)})
    c->ZOrder(forms::vbBringToFront);
}

std::wstring StagedSkinFolder() { return ProgramDir() + L"Media\\Skin\\"; }
std::wstring RenderedUserSkinFolder() { return g_env->Path(); }

SkinFolders::SkinFolders(const std::wstring& skin, const std::wstring& user)
    : savedSkin(SkinFolder), savedUser(UserSkinFolder) {
  SkinFolder = skin;
  UserSkinFolder = user;
}

SkinFolders::~SkinFolders() {
  SkinFolder = savedSkin;
  UserSkinFolder = savedUser;
}

void WriteSkinXml(const std::wstring& folder, const std::string& xml) {
  testing_support::WriteText(folder + L"skin.xml", xml);
}

void WriteSolidBmp(const std::wstring& path, int w, int h, COLORREF color) {
  int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> bytes(54 + static_cast<size_t>(stride) * h, 0);
  BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(bytes.size()), 0, 0, 54};
  BITMAPINFOHEADER bi{sizeof(bi), w, h, 1, 24, BI_RGB};
  memcpy(bytes.data(), &fh, sizeof(fh));
  memcpy(bytes.data() + sizeof(fh), &bi, sizeof(bi));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = bytes.data() + 54 + static_cast<size_t>(y) * stride + x * 3;
      p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color);
    }
  testing_support::WriteBytes(path, bytes);
}

COLORREF BmpPixel(const std::wstring& path, int x, int y) {
  std::vector<uint8_t> bytes = testing_support::ReadBytes(path);
  if (bytes.size() < 54) return CLR_INVALID;
  BITMAPINFOHEADER bi;
  memcpy(&bi, bytes.data() + 14, sizeof(bi));
  DWORD offset;
  memcpy(&offset, bytes.data() + 10, 4);
  int bpp = bi.biBitCount / 8;
  int stride = (bi.biWidth * bpp + 3) & ~3;
  size_t at = offset + static_cast<size_t>(bi.biHeight - 1 - y) * stride + static_cast<size_t>(x) * bpp;
  if (bpp < 3 || at + 3 > bytes.size()) return CLR_INVALID;
  return RGB(bytes[at + 2], bytes[at + 1], bytes[at]);
}

namespace {

void PrintTree(HWND hwnd, HDC dc, POINT origin) {
  SaveDC(dc);
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  RestoreDC(dc, -1);
  // Children bottom to top: the last in the z-order first.
  HWND child = GetWindow(hwnd, GW_CHILD);
  if (!child) return;
  child = GetWindow(child, GW_HWNDLAST);
  for (; child; child = GetWindow(child, GW_HWNDPREV)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    SaveDC(dc);
    IntersectClipRect(dc, origin.x + r.left, origin.y + r.top, origin.x + r.right, origin.y + r.bottom);
    PrintTree(child, dc, {origin.x + r.left, origin.y + r.top});
    RestoreDC(dc, -1);
  }
}

}  // namespace

std::vector<BYTE> CaptureClient(HWND hwnd, int& width, int& height) {
  RECT client;
  GetClientRect(hwnd, &client);
  width = client.right;
  height = client.bottom;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
  void* bits = nullptr;
  ScopedBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  ScopedMemoryDC dc(nullptr);
  {
    ScopedSelect select(dc.get(), bmp.get());
    PrintTree(hwnd, dc.get(), {0, 0});
    GdiFlush();
  }
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
  const BYTE* p = static_cast<const BYTE*>(bits);
  return std::vector<BYTE>(p, p + stride * height);
}

COLORREF CapturedPixel(const std::vector<BYTE>& bits, int width, int height, int x, int y) {
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
  const BYTE* p = bits.data() + static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * 3;
  return RGB(p[2], p[1], p[0]);
}

bool SaveCapture(const std::vector<BYTE>& bits, int width, int height, const std::wstring& path) {
  std::vector<uint8_t> bytes(54);
  BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(54 + bits.size()), 0, 0, 54};
  BITMAPINFOHEADER bi{sizeof(bi), width, height, 1, 24, BI_RGB};
  memcpy(bytes.data(), &fh, sizeof(fh));
  memcpy(bytes.data() + sizeof(fh), &bi, sizeof(bi));
  bytes.insert(bytes.end(), bits.begin(), bits.end());
  return testing_support::WriteBytes(path, bytes);
}
