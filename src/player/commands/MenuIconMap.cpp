#include "player/commands/MenuIconMap.h"

#include "services/Languages.h"

namespace player {

std::map<std::wstring, std::wstring> MenuIconMap(const std::function<std::wstring(const std::wstring&, int)>& caption,
                                                 const std::function<int(const std::wstring&)>& upperBound) {
  std::map<std::wstring, std::wstring> icons;
  auto addText = [&](const std::wstring& text, const wchar_t* icon) {
    if (!text.empty()) icons.try_emplace(text, icon);
  };
  auto add = [&](const wchar_t* item, const wchar_t* icon) { addText(caption(item, -1), icon); };
  auto addArray = [&](const wchar_t* array, const wchar_t* icon) {
    for (int i = 0; i <= upperBound(array); ++i) {
      const std::wstring text = caption(array, i);
      if (text != L"-") addText(text, icon);
    }
  };

  const std::pair<const wchar_t*, const wchar_t*> tops[] = {
      {L"MenuFile", L"file"},     {L"MenuView", L"view"},    {L"MenuPlayback", L"play"},
      {L"MenuBrowser", L"search"}, {L"MenuTools", L"system"}, {L"MenuHelp", L"help"},
      {L"mnuOpen", L"open"}};
  for (const auto& [item, icon] : tops) add(item, icon);
  add(L"mnuConvert", L"save");
  addText(LangText(L"Player/mnuConvertEXE", L"Convert EXE to SWF"), L"save");
  addText(LangText(L"Player/mnuConvert", L"Convert to EXE"), L"save");
  add(L"mnuHelpMe", L"help");
  add(L"mnuInfo", L"info");
  // Play's caption follows the playing state: both texts keep their own icon.
  addText(LangText(L"Player/mnuPause", L"Pause"), L"pause");
  addText(LangText(L"Player/mnuPlay", L"Play"), L"play");
  add(L"mnuPlay", L"play");
  const std::pair<const wchar_t*, const wchar_t*> items[] = {
      {L"mnuClearCache", L"cleanup"},       {L"mnuExit", L"exit"},  {L"mnuBrowse", L"search"},
      {L"mnuFavorites", L"favorite"},       {L"mnuScreenSaver", L"screensaver"},
      {L"mnuOpt", L"system"},               {L"mnuWeb", L"web"},    {L"mnuSkin", L"skin"},
      {L"mnuAbout", L"about"}};
  for (const auto& [item, icon] : items) add(item, icon);

  for (const wchar_t* item :
       {L"mnuFullScreen", L"mnuMute", L"mnuMenuBar", L"mnuTopMost", L"mnuHideUI", L"mnuPlaylist", L"mnuKeepSize",
        L"mnuAspectRatio", L"mnuShuffle", L"mnuNonStop", L"mnuHandyKeys", L"mnuTips", L"mnuShowOther",
        L"mnuShowFolder", L"mnuShowProjector", L"mnuShowVideo", L"mnuShowMovie", L"mnuPopFullScreen", L"mnuPopMute"})
    add(item, L"check");
  addArray(L"mnuQLvl", L"radio");
  for (const wchar_t* item : {L"mnuZoom50", L"mnuZoom100", L"mnuZoom200"}) add(item, L"radio");
  addArray(L"mnuSMode", L"radio");
  addArray(L"mnuRepeatMode", L"radio");
  for (const wchar_t* item : {L"mnuOpFull", L"mnuOpSign", L"mnuOpMed", L"mnuOpSlite", L"mnuSortBack",
                              L"mnuSortForward", L"mnuSortName", L"mnuSortType", L"mnuSortSize", L"mnuSortDate",
                              L"mnuPopHQ", L"mnuPopLQ"})
    add(item, L"radio");
  addArray(L"mnuLangList", L"radio");
  add(L"mnuItemDelete", L"delete");
  return icons;
}

}  // namespace player
