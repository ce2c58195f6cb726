// Menu figures, in this process with the program's own main window: the
// whole View menu (its items and sub-menu headers) measured and drawn
// owner-drawn with its icons and marks, against drawing the same captions
// with DrawTextW into a memory DC in the same run; and AssignMenus with the
// menu bar made owner-drawn. The program's registry key is moved aside while
// measuring and put back.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "base/Handles.h"
#include "player/window/PlayerWindow.h"
#include "player/start/Startup.h"
#include "services/Services.h"
#include "ui/OwnerDrawn.h"

namespace {


[[noreturn]] void Stop(const char* step) {
  std::fprintf(stderr, "bench_menus: %s failed\n", step);
  DropOwnSettings();
  std::exit(1);
}

// One item of the menu as the system hands it to the owner drawing.
struct MenuRow {
  UINT id;
  UINT state;       // ODS_ flags
  std::wstring text;  // caption and accelerator, for the plain drawing
};

}  // namespace

int wmain() {
  UseOwnSettings(L"bench_menus");
  QuietStartSettings();
  if (player::StartUp(L"") != player::StartOutcome::Running || !player::Player.IsLoaded()) Stop("starting the player");
  player::PlayerWindow& w = player::Player;
  HWND window = w.hWnd();

  // AssignMenus: the caption cache emptied, the bar made owner-drawn, the icons entered.
  std::vector<double> assign;
  for (int round = 0; round < 21; ++round) {
    const double t0 = Now();
    w.AssignMenus();
    assign.push_back(Now() - t0);
  }

  // The View menu as it opens: owner-drawn, then every item measured and drawn.
  forms::Menu* view = w.FindMenu(L"MenuView");
  if (!view || !view->SubMenu()) Stop("finding the View menu");
  HMENU menu = view->SubMenu();
  MakePopupOwnerDrawn(w.Menus(), menu, window, 0);
  std::vector<MenuRow> rows;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_ID | MIIM_STATE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    const auto caption = w.Menus().Captions.find(MenuCaptionKey(mii.wID, window));
    rows.push_back({mii.wID, (mii.fState & MFS_CHECKED) ? static_cast<UINT>(ODS_CHECKED) : 0u,
                    caption == w.Menus().Captions.end() ? L"" : caption->second});
  }
  if (rows.empty()) Stop("reading the View menu");

  const int width = 220, rowHeight = 24;
  ScopedWindowDC screen(nullptr);
  ScopedMemoryDC dc(screen.get());
  ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, rowHeight * static_cast<int>(rows.size())));
  ScopedSelect select(dc.get(), bitmap.get());
  auto ownerDrawn = [&] {
    int top = 0;
    for (const MenuRow& r : rows) {
      SIZE size{};
      MeasureMenuItem(w.Menus(), window, r.id, 0, size, false);
      DRAWITEMSTRUCT item{};
      item.CtlType = ODT_MENU;
      item.itemID = r.id;
      item.itemState = r.state;
      item.hDC = dc.get();
      item.hwndItem = reinterpret_cast<HWND>(menu);
      item.rcItem = {0, top, width, top + size.cy};
      DrawMenuItem(w.Menus(), window, item);
      top += size.cy;
    }
  };
  ScopedFont font(CreateMenuFont(dc.get(), false));
  auto plain = [&] {
    ScopedSelect selectFont(dc.get(), font.get());
    int top = 0;
    for (const MenuRow& r : rows) {
      RECT box{26, top, width - 10, top + rowHeight};
      DrawTextW(dc.get(), r.text.c_str(), -1, &box, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS);
      top += rowHeight;
    }
  };
  // The first opening after the captions were renewed: pictures read, items drawn afresh.
  std::vector<double> first;
  for (int round = 0; round < 11; ++round) {
    w.AssignMenus();
    MakePopupOwnerDrawn(w.Menus(), menu, window, 0);
    const double t0 = Now();
    ownerDrawn();
    first.push_back(Now() - t0);
  }
  std::vector<double> drawn, text, ratios;
  for (int round = 0; round < 31; ++round) {
    double t0 = Now();
    for (int i = 0; i < 20; ++i) ownerDrawn();
    double t1 = Now();
    for (int i = 0; i < 20; ++i) plain();
    double t2 = Now();
    drawn.push_back((t1 - t0) / 20), text.push_back((t2 - t1) / 20), ratios.push_back((t1 - t0) / (t2 - t1));
  }
  w.Quit(L"Benchmark", false);
  DropOwnSettings();

  std::printf("The View menu, %zu items (medians of 31 rounds of 20):\n", rows.size());
  std::printf("| measure | ms |\n|---|---|\n");
  std::printf("| measured and owner-drawn, icons and marks | %.3f |\n", Median(drawn) * 1000);
  std::printf("| the same captions with DrawTextW | %.3f |\n", Median(text) * 1000);
  std::printf("| ratio (median of each round's) | %.2fx |\n", Median(ratios));
  std::printf("| the first opening after the captions were renewed (median of 11) | %.3f |\n", Median(first) * 1000);
  std::printf("AssignMenus, the bar made owner-drawn (median of 21): %.2f ms\n", Median(assign) * 1000);
  return 0;
}
