// Desktop background and about window benchmark: OK of the desktop window
// with a 64 MB movie (its old files deleted, the movie and the sound movie
// copied, the page written, the item set through a shell that accepts
// everything) against copying the same file with CopyFileW; and the about
// window shown with its page's text painted against the program's message
// box shown. Interleaved in one run; medians of several rounds after one
// warm-up each.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "BenchMessageBox.h"
#include "base/BinaryFile.h"
#include "moviefiles/SWFInfo.h"
#include "platform/forms/Forms.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "tools/pages/frmAbout.h"
#include "tools/desktop/frmDesktop.h"
#include "ui/DrawingModule.h"
#include "ui/frmMessage.h"

namespace {

class AcceptingShell : public tools::DesktopShell {
 public:
  HRESULT GetDesktopItemBySource(const std::wstring&, COMPONENT&) override { return E_INVALIDARG; }
  HRESULT GetWallpaper(std::wstring& path) override {
    path.clear();
    return S_OK;
  }
  HRESULT RemoveDesktopItem(const COMPONENT&) override { return S_OK; }
  HRESULT AddDesktopItem(const COMPONENT&) override { return S_OK; }
  HRESULT ApplyChanges(DWORD) override { return S_OK; }
};

class BenchHost : public tools::DesktopHost {
 public:
  tools::DesktopPlace place;
  std::wstring report;
  std::unique_ptr<tools::DesktopShell> Shell() override { return std::make_unique<AcceptingShell>(); }
  tools::DesktopPlace Place() override { return place; }
  std::wstring Caption() override { return L"SWF.zel - big.swf"; }
  void Minimize() override {}
  void Report(const std::wstring& text) override { report = text; }
  void SetMenuEnabled(bool) override {}
  SIZE Screen() override { return {1280, 1024}; }
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// When the desktop window's unloading began.
double g_unloadStart = 0;
// The movie put on the desktop, as the menu command hands it to the window.
SWFInfo g_movie;

// The system's writing of the last copy is left to finish before each measure.
void Settle() { Sleep(150); }

// OK until the window is gone; closedAt: until the item was set (the window's
// unloading left out).
// changed: the movie changed since the last OK (copied again); else OK's
// fixed steps alone (the copy already current).
double PressOk(BenchHost& host, double* setAt = nullptr, bool changed = true) {
  tools::frmDesktop& w = tools::DesktopWindow();
  w.OpenFor(g_movie, -1);
  w.chkEnable->SetValue(forms::vbChecked);
  static ULONGLONG stamp = 0x01D0000000000000ULL;
  if (changed) {
    stamp += 10000000;
    FILETIME time{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
    HANDLE f = CreateFileW(g_movie.Path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE || !SetFileTime(f, nullptr, nullptr, &time)) Fail("changing the movie's time");
    CloseHandle(f);
  }
  Settle();
  const double t0 = Now();
  w.cbGo_Click();
  const double t = Now() - t0;
  if (setAt) *setAt = g_unloadStart - t0;
  if (!host.report.empty() || FileSizeOf(host.place.MoviePath()) != FileSizeOf(g_movie.Path)) Fail("OK");
  return t;
}

double CopyAlone(const std::wstring& target) {
  Settle();
  const double t0 = Now();
  if (!CopyFileW(g_movie.Path.c_str(), target.c_str(), FALSE)) Fail("CopyFileW");
  return Now() - t0;
}

// Dark pixels in the page's text area: the page has drawn its text.
bool TextDrawn(HWND page) {
  HDC dc = GetDC(page);
  int dark = 0;
  for (int y = 10; y < 60; y += 2)
    for (int x = 10; x < 200; x += 2) dark += GetRValue(GetPixel(dc, x, y)) < 100;
  ReleaseDC(page, dc);
  return dark > 20;
}

double OpenAbout() {
  const double t0 = Now();
  tools::frmAbout& w = tools::AboutWindow();
  w.Open(0);
  RedrawWindow(w.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  for (int i = 0; i < 2000 && !TextDrawn(w.SWF()->hWnd()); ++i) {
    Pump();
    if (i > 100) Sleep(1);
  }
  GdiFlush();
  const double t = Now() - t0;
  if (!TextDrawn(w.SWF()->hWnd())) Fail("about page painted");
  w.Close();
  return t;
}

// The baseline: the program's message box with a prompt of the same kind.
double OpenMessage() { return OpenMessageBox(L"The movie could not be put on the desktop.", L"OK", L"", L"info"); }

}  // namespace

int main() {
  // Settings under a key of the benchmark's own, never the user's.
  SetEnvironmentVariableW(kTestKeyVariable, L"bench_desktop");
  const std::wstring program = ProgramFolder();
  ImagesFolder = program + L"Media\\Images\\";
  FlashFolder = program + L"Media\\Flash\\";
  MediaFolder = program + L"Media\\";
  VisualStyle = 1;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring work = std::wstring(temp) + L"bench_desktop\\";
  CreateDirectoryW(work.c_str(), nullptr);
  UserDataFolder = work;

  // A 64 MB plain movie: its header and one large tag of data.
  const size_t size = 64u << 20;
  std::vector<uint8_t> movie(size, 0x5A);
  const uint8_t header[] = {'F', 'W', 'S', 10};
  std::copy(header, header + 4, movie.begin());
  const uint32_t length = static_cast<uint32_t>(size);
  std::memcpy(movie.data() + 4, &length, 4);
  g_movie.Path = work + L"big.swf";
  if (!WriteWholeFile(g_movie.Path, movie)) Fail("writing the movie");
  g_movie.Width = 550;
  g_movie.Height = 400;
  g_movie.BackColor = L"336699";

  BenchHost host;
  host.place.Folder = work + L"Internet Explorer\\";
  host.place.SoundMovie = FlashFolder + L"sound.swf";
  host.place.TemplatePath = MediaFolder + L"Desktop.html";
  host.place.DataFolder = work;
  host.place.IconsKey = AppRegistryKey() + L"\\Explorer";
  tools::DesktopWindow().SetHost(&host);
  auto unload = tools::DesktopWindow().OnUnload;
  tools::DesktopWindow().OnUnload = [unload](bool& cancel) {
    g_unloadStart = Now();
    unload(cancel);
  };
  const std::wstring copyTarget = work + L"copy.swf";

  const int rounds = 9;
  std::vector<double> ok, set, copy, ratio, setRatio, fixedSet;
  PressOk(host);
  CopyAlone(copyTarget);
  for (int i = 0; i < rounds; ++i) {
    double s = 0, fixed = 0;
    const double a = PressOk(host, &s), b = CopyAlone(copyTarget);
    PressOk(host, &fixed, false);
    ok.push_back(a);
    set.push_back(s);
    copy.push_back(b);
    ratio.push_back(a / b);
    setRatio.push_back(s / b);
    fixedSet.push_back(fixed);
  }
  std::printf("desktop OK, 64 MB movie: %.1f ms (best %.1f), ratio %.2fx; until the item is set %.1f ms, ratio %.2fx;"
              " CopyFileW alone %.1f ms (best %.1f)\n",
              Median(ok) * 1000, *std::min_element(ok.begin(), ok.end()) * 1000, Median(ratio), Median(set) * 1000,
              Median(setRatio), Median(copy) * 1000, *std::min_element(copy.begin(), copy.end()) * 1000);

  std::printf("OK's fixed steps (the movie unchanged, nothing copied), until the item is set: %.1f ms\n",
              Median(fixedSet) * 1000);

  std::vector<double> about, message, pageRatio;
  OpenAbout();
  OpenMessage();
  for (int i = 0; i < 15; ++i) {
    const double a = OpenAbout(), b = OpenMessage();
    about.push_back(a);
    message.push_back(b);
    pageRatio.push_back(a / b);
  }
  std::printf("about window with its page painted: %.1f ms; message box: %.1f ms; ratio %.2fx\n",
              Median(about) * 1000, Median(message) * 1000, Median(pageRatio));

  RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());
  for (const wchar_t* f : {L"big.swf", L"copy.swf", L"about.xml", L"Internet Explorer\\Desktop.swf",
                           L"Internet Explorer\\sound.swf", L"Internet Explorer\\Desktop.html"})
    DeleteFileW((work + f).c_str());
  RemoveDirectoryW((work + L"Internet Explorer").c_str());
  RemoveDirectoryW(work.c_str());
  return 0;
}
