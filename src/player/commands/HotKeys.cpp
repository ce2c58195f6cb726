#include "player/commands/HotKeys.h"

#include "base/ErrorLog.h"
#include "player/movie/Transport.h"

namespace player {
namespace {

constexpr UINT kAlt = MOD_ALT, kCtrl = MOD_CONTROL, kShift = MOD_SHIFT;

constexpr HotKeyRow kRows[kHotKeyCount] = {
    {0, kCtrl, 'O', false},         {1, kCtrl, 'I', false},         {2, kCtrl, 'Q', false},
    {3, kCtrl, 'F', false},         {4, kAlt, VK_RETURN, false},    {5, 0, 0, false},
    {6, kCtrl, 'T', false},         {7, kCtrl, 'H', false},         {8, kCtrl, 'L', false},
    {9, kCtrl, 'Z', true},          {10, kCtrl, 'P', false},        {11, kCtrl, 'S', false},
    {12, kCtrl, 'N', false},        {13, kCtrl, 'B', false},        {14, kCtrl, 'U', false},
    {15, kCtrl, 'J', false},        {16, kCtrl, 'M', false},        {17, kCtrl, VK_RIGHT, true},
    {18, kCtrl, VK_LEFT, true},     {19, kAlt, VK_RIGHT, false},    {20, kAlt, VK_LEFT, false},
    {21, kCtrl, VK_INSERT, true},   {22, kShift, VK_INSERT, true},  {23, kShift, VK_DELETE, true},
    {24, kCtrl, 'K', false}};

// The forms layer's shift state (1 Shift, 2 Ctrl, 4 Alt) as hot-key modifiers.
UINT Modifiers(int shift) {
  return ((shift & 1) ? kShift : 0) | ((shift & 2) ? kCtrl : 0) | ((shift & 4) ? kAlt : 0);
}

}  // namespace

void RegisterHotKeys(const std::function<void(int, UINT, UINT)>& add) {
  for (const HotKeyRow& row : kRows)
    if (row.Key != 0 && !row.Edits) add(row.Id, row.Modifiers, row.Key);
  WriteLog(L"Added Hotkeys");
}

void UnregisterHotKeys(const std::function<void(int)>& remove) {
  for (const HotKeyRow& row : kRows) remove(row.Id);
  WriteLog(L"Removed Hotkeys");
}

MenuClick HotKeyClick(long id, bool browsed) {
  switch (id) {
    case 0: return {L"mnuOpen"};
    case 1: return {L"mnuInfo"};
    case 2: return {L"mnuExit"};
    case 3:
    case 4: return {L"mnuFullScreen"};
    case 5: return {L"mnuMenuBar"};
    case 6: return {L"mnuTopMost"};
    case 7: return {L"mnuQLvl", 0};
    case 8: return {L"mnuQLvl", 2};
    case 9: return {L"mnuZoom100"};
    case 10: return {L"mnuPlay"};
    case 11: return {L"mnuStop"};
    case 12: return {L"mnuFFwd"};
    case 13: return {L"mnuRwd"};
    case 14: return {L"mnuVolumeUp"};
    case 15: return {L"mnuVolumeDown"};
    case 16: return {L"mnuMute"};
    case 17: return {browsed ? L"mnuBrowseForward" : L"mnuPlayNext"};
    case 18: return {browsed ? L"mnuBrowseBack" : L"mnuPlayPrev"};
    case 19: return {browsed ? L"mnuBrowseForward" : nullptr};
    case 20: return {browsed ? L"mnuBrowseBack" : nullptr};
    case 21: return {L"mnuPicture"};
    case 22: return {L"mnuThumbnail"};
    case 23: return {L"mnuClearCache"};
    case 24: return {L"mnuHandyKeys"};
    default: return {};
  }
}

void HotKeyAction(CommandHost& host, long id) {
  const MenuClick click = HotKeyClick(id, host.Player().State().Browsed);
  if (click.Item) host.Click(click.Item, click.Index);
}

int EditingHotKeyId(UINT key, int shift) {
  const UINT modifiers = Modifiers(shift);
  for (const HotKeyRow& row : kRows)
    if (row.Edits && row.Key == key && row.Modifiers == modifiers) return row.Id;
  return -1;
}

HandyCommand HandyCommandFor(long key, bool hiddenMenuBar, bool browsed, bool handyKeys) {
  // The accelerators of the hidden top menus.
  if (hiddenMenuBar) {
    switch (key) {
      case VK_F1: return {HandyKind::Click, L"mnuHelpMe"};
      case VK_F2: return {HandyKind::Click, L"mnuMenuBar"};
      case VK_F3: return {HandyKind::Click, L"mnuBrowse"};
      case VK_F6: return {HandyKind::Click, L"mnuPlaylist"};
      case VK_F8: return {HandyKind::Click, L"mnuHideUI"};
    }
  }
  if (key == VK_BACK && browsed) return {HandyKind::LevelUp};
  if (handyKeys && !browsed) {
    switch (key) {
      case VK_ESCAPE: return {HandyKind::LeaveFullScreen};
      case VK_SPACE: return {HandyKind::Click, L"mnuPlay"};
      case VK_LEFT: return {HandyKind::Click, L"mnuRwd"};
      case VK_UP: return {HandyKind::Click, L"mnuVolumeUp"};
      case VK_RIGHT: return {HandyKind::Click, L"mnuFFwd"};
      case VK_DOWN: return {HandyKind::Click, L"mnuVolumeDown"};
    }
  }
  return {};
}

void HandyAction(CommandHost& host, bool hiddenMenuBar, long key) {
  PlayerHost& p = host.Player();
  const HandyCommand c = HandyCommandFor(key, hiddenMenuBar, p.State().Browsed, p.Checked(L"mnuHandyKeys"));
  switch (c.Kind) {
    case HandyKind::Click: host.Click(c.Item); break;
    case HandyKind::LevelUp: GoLevelUp(p); break;
    case HandyKind::LeaveFullScreen: p.FullScreen(false, false, false); break;
    case HandyKind::None: break;
  }
}

}  // namespace player
