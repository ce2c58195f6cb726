#include "player/commands/PlayerMenus.h"

#include <string>

#include "services/AppIdentity.h"

namespace player {
namespace {

using forms::MenuArgs;

enum Design : unsigned { kPlain = 0, kMarked = 1, kHidden = 2, kDisabled = 4 };

MenuArgs Item(const wchar_t* name, const wchar_t* caption, const wchar_t* shortcut = L"", unsigned design = kPlain,
              const wchar_t* tag = L"", int index = -1) {
  MenuArgs a;
  a.Name = name;
  a.Caption = caption;
  a.Shortcut = shortcut;
  a.Checked = design & kMarked;
  a.Visible = !(design & kHidden);
  a.Enabled = !(design & kDisabled);
  a.Tag = tag;
  a.Index = index;
  return a;
}

MenuArgs Sep(const wchar_t* name, unsigned design = kPlain) { return Item(name, L"-", L"", design); }

MenuArgs Sub(MenuArgs item, std::vector<MenuArgs> items) {
  item.Items = std::move(items);
  return item;
}

}  // namespace

std::vector<MenuArgs> PlayerMenuDesign() {
  MenuArgs file = Sub(Item(L"MenuFile", L"&File"),
                      {Item(L"mnuOpen", L"&Open...", L"Ctrl+O"), Item(L"mnuAddtoPL", L"&Add to Playlist..."),
                       Item(L"mnuDownload", L"&Download...", L"", kHidden | kDisabled),
                       Item(L"mnuConvert", L"&Convert to EXE...", L"", kHidden), Sep(L"mnuSepInfo"),
                       Item(L"mnuInfo", L"Get &Info", L"Ctrl+I"), Item(L"mnuShowExplorer", L"Show in &Explorer"),
                       Item(L"mnuSavePL", L"E&xport Playlist..."), Sep(L"mnuSepRecent"),
                       Item(L"mnuMRU", L"No Recent Files", L"", kDisabled, L"", 0), Sep(L"mnuSepExit"),
                       Item(L"mnuExit", L"E&xit", L"Ctrl+Q")});

  MenuArgs view = Sub(
      Item(L"MenuView", L"&View"),
      {Item(L"mnuFullScreen", L"&Full Screen", L"Ctrl+F"), Item(L"mnuPlaylist", L"&Playlist", L"F6", kMarked),
       Item(L"mnuTopMost", L"Always on &Top", L"Ctrl+T"), Item(L"mnuMenuBar", L"&Menu Bar", L"F2", kMarked),
       Sep(L"mnuSepOnTop"),
       Sub(Item(L"mnuQuality", L"&Quality"),
           {Item(L"mnuQLvl", L"&High", L"Ctrl+H", kPlain, L"High", 0),
            Item(L"mnuQLvl", L"&Medium", L"", kPlain, L"Medium", 1),
            Item(L"mnuQLvl", L"&Low", L"Ctrl+L", kPlain, L"Low", 2), Item(L"mnuQLvl", L"-", L"", kPlain, L"-", 3),
            Item(L"mnuQLvl", L"Auto Hi&gh", L"", kPlain, L"AutoHigh", 4),
            Item(L"mnuQLvl", L"Auto Lo&w", L"", kPlain, L"AutoLow", 5)}),
       Sub(Item(L"mnuZoom", L"&Zoom Movie"),
           {Item(L"mnuZoom50", L"&50%"), Item(L"mnuZoom100", L"&100%", L"Ctrl+Z", kMarked),
            Item(L"mnuZoom200", L"&200%"), Sep(L"mnuSep16"), Item(L"mnuKeepSize", L"Keep Window &Size"),
            Item(L"mnuAspectRatio", L"Keep &Aspect Ratio")}),
       Sub(Item(L"mnuScale", L"&Scale Mode"),
           {Item(L"mnuSMode", L"Show &All", L"", kPlain, L"", 0), Item(L"mnuSMode", L"&No Border", L"", kPlain, L"", 1),
            Item(L"mnuSMode", L"&Fit in Window", L"", kPlain, L"", 2),
            Item(L"mnuSMode", L"No &Scaling", L"", kPlain, L"", 3)}),
       Sep(L"mnuSepVisibility", kHidden),
       Sub(Item(L"mnuOpacity", L"&Opacity", L"", kHidden),
           {Item(L"mnuOpFull", L"&Full"), Item(L"mnuOpSign", L"&Significant"), Item(L"mnuOpMed", L"&Medium"),
            Item(L"mnuOpSlite", L"S&light")}),
       Sep(L"mnuSepSkin"),
       Sub(Item(L"mnuSkin", L"S&kin", L"", kHidden), {Item(L"mnuSkinList", L"No Skin"), Sep(L"mnuSepMoreSkins")}),
       Item(L"mnuHideUI", L"&Hide User Interface", L"F8")});

  MenuArgs playback = Sub(
      Item(L"MenuPlayback", L"&Playback"),
      {Item(L"mnuPlay", L"&Play", L"Ctrl+P"), Item(L"mnuStop", L"&Stop", L"Ctrl+S"), Sep(L"mnuSepStop"),
       Item(L"mnuPlayNext", L"&Next"), Item(L"mnuPlayPrev", L"P&revious"), Sep(L"mnuSepFwd"),
       Item(L"mnuFFwd", L"Step &Forward", L"Ctrl+N"), Item(L"mnuRwd", L"Step &Backward", L"Ctrl+B"),
       Sep(L"mnuSepVolUp"), Item(L"mnuVolumeUp", L"Volume &Up", L"Ctrl+U"),
       Item(L"mnuVolumeDown", L"Volume &Down", L"Ctrl+J"), Item(L"mnuMute", L"&Mute Sound", L"Ctrl+M"),
       Sep(L"mnuSepLoop"),
       Sub(Item(L"mnuRepeat", L"R&epeat"),
           {Item(L"mnuRepeatMode", L"Repeat &Off", L"", kPlain, L"", 0),
            Item(L"mnuRepeatMode", L"Repeat O&ne", L"", kPlain, L"", 1),
            Item(L"mnuRepeatMode", L"Repeat &All", L"", kPlain, L"", 2)}),
       Sep(L"mnuSepRep"), Item(L"mnuShuffle", L"S&huffle"), Item(L"mnuNonStop", L"Play Non S&top")});

  MenuArgs browser = Sub(
      Item(L"MenuBrowser", L"&Browser"),
      {Item(L"mnuBrowse", L"&Media Browser", L"F3", kPlain, L"!PLAYER/MNUBROWSE"), Item(L"mnuBrowsePick", L"&Go To..."),
       Sep(L"mnuSepPick"), Item(L"mnuBrowseBack", L"&Back"), Item(L"mnuBrowseForward", L"&Forward"),
       Item(L"mnuBrowseUp", L"&Up"), Sep(L"sepRefresh"),
       Sub(Item(L"mnuBrowseShow", L"&Show"),
           {Item(L"mnuShowMovie", L"Flash Movie (SWF)", L"", kMarked, L"!BROWSEMEDIA/STRMOVIE"),
            Item(L"mnuShowProjector", L"Flash Projector (EXE)", L"", kMarked, L"!BROWSEMEDIA/STRPROJECTOR"),
            Item(L"mnuShowVideo", L"Flash Video (FLV)", L"", kMarked, L"!BROWSEMEDIA/STRVIDEO"), Sep(L"mnuSepShow"),
            Item(L"mnuShowFolder", L"&Folders", L"", kMarked), Item(L"mnuShowOther", L"&Other Files", L"", kHidden)}),
       Sub(Item(L"mnuBrowseSort", L"S&ort"),
           {Item(L"mnuSortName", L"&Name", L"", kPlain, L"Name"), Item(L"mnuSortType", L"&Type", L"", kPlain, L"Type"),
            Item(L"mnuSortSize", L"&Size", L"", kPlain, L"Size"), Item(L"mnuSortDate", L"&Date", L"", kMarked, L"Date"),
            Sep(L"mnuSepOrder"), Item(L"mnuSortForward", L"Sort &Forward", L"", kMarked),
            Item(L"mnuSortBack", L"Sort &Backward")}),
       Sep(L"sepBrowseList"),
       Sub(Item(L"mnuFavorites", L"F&avorite Folders"),
           {Item(L"mnuFavAdd", L"&Add Current Folder"), Item(L"mnuFavManage", L"&Manage..."), Sep(L"mnuSepFav"),
            Item(L"mnuFavList", L"[ No Favorite Folders ]", L"", kHidden | kDisabled, L"", 0)})});

  MenuArgs tools = Sub(
      Item(L"MenuTools", L"&Tools"),
      {Item(L"mnuDesktop", L"&Zoruv Uredare..."), Item(L"mnuScreenSaver", L"Flash &Screen Saver..."),
       Item(L"mnuWallpaper", L"Set as &Wallpaper", L"Ctrl+D"), Sep(L"mnuSepExtr"),
       Item(L"mnuGenerator", L"&Thumbnail Generator..."), Item(L"mnuExtract", L"&Extract Resources..."),
       Sep(L"mnuSepThumb"), Item(L"mnuPicture", L"&Capture Frame", L"Ctrl+Insert"),
       Item(L"mnuThumbnail", L"Set T&humbnail", L"Shift+Insert"),
       Item(L"mnuClearCache", L"C&lear Thumbnails Up", L"Shift+Del"), Sep(L"mnuSepPref"),
       Item(L"mnuHandyKeys", L"Handy Hot &Keys", L"Ctrl+K"), Item(L"mnuOpt", L"&Options..."),
       Sep(L"mnuSepLang", kHidden),
       Sub(Item(L"mnuLang", L"&Language"), {Item(L"mnuLangList", L"[ No Languages ]", L"", kPlain, L"", 0)})});

  MenuArgs help = Sub(Item(L"MenuHelp", L"&Help"),
                      {Item(L"mnuHelpMe", L"SWF.zel &Help", L"F1"), Item(L"mnuTips", L"&Tips and Tricks", L"", kMarked),
                       Item(L"mnuIntro", L"&Feature Overview"), Item(L"mnuAutomate", L"&Automation"),
                       Sep(L"mnuSepUpd"), Item(L"mnuUpd", L"Check for &Updates"),
                       Item(L"mnuFeedback", L"Support && &Feedback"),
                       Item(L"mnuWeb", app::kWebHost), Sep(L"mnuSepAbout"),
                       Item(L"mnuAbout", L"&About SWF.zel")});

  // The pop-up menus: top menus that never show in the bar. Their items
  // share the main menu's captions (and so their icons and translations).
  MenuArgs movie = Sub(
      Item(L"PopUp", L"POPUP", L"", kHidden),
      {Item(L"mnuPopPlay", L"&Play"), Item(L"mnuPopStop", L"&Stop", L"", kPlain, L"!PLAYER/MNUSTOP"),
       Item(L"mnuPopMute", L"&Mute Sound", L"", kPlain, L"!PLAYER/MNUMUTE"), Sep(L"mnuPopSepHQ"),
       Item(L"mnuPopHQ", L"&High Quality"), Item(L"mnuPopLQ", L"&Low Quality"), Sep(L"mnuPopSepFS"),
       Item(L"mnuPopFullScreen", L"&Full Screen", L"", kPlain, L"!PLAYER/MNUFULLSCREEN"),
       Item(L"mnuPopBrowse", L"&Media Browser", L"", kPlain, L"!PLAYER/MNUBROWSE"),
       Item(L"mnuPopInfo", L"Get &Info", L"", kPlain, L"!PLAYER/MNUINFO"), Sep(L"mnuSepOpen"),
       Item(L"mnuPopOpen", L"&Open...", L"", kPlain, L"!PLAYER/MNUOPEN"),
       Item(L"mnuPopConvert", L"&Convert to EXE...", L"", kHidden, L"!PLAYER/MNUCONVERT"), Sep(L"mnuSepPopAbout"),
       Item(L"mnuPopAbout", L"&About SWF.zel", L"", kPlain, L"!PLAYER/MNUABOUT"), Sep(L"mnuSepPopExit"),
       Item(L"mnuPopExit", L"E&xit", L"", kPlain, L"!PLAYER/MNUEXIT")});

  MenuArgs item = Sub(
      Item(L"PupItem", L"PUPITEM", L"", kHidden),
      {Item(L"mnuFolderBrowse", L"&Browse Media", L"", kPlain, L"!PLAYER/MNUBROWSE"),
       Item(L"mnuMoviePlay", L"&Play", L"", kPlain, L"!PLAYER/MNUPLAY"),
       Item(L"mnuItemAdd", L"&Add to Playlist", L"", kPlain, L"!PLAYER/ADDTOPL"),
       Item(L"mnuItemShow", L"Show in &Explorer", L"", kPlain, L"!PLAYER/MNUSHOWEXPLORER"), Sep(L"mnuMovieSepPlay"),
       Item(L"mnuMovieInfo", L"Get &Info", L"", kPlain, L"!PLAYER/MNUINFO"),
       Item(L"mnuMovieConvert", L"&Convert to EXE...", L"", kPlain, L"!PLAYER/MNUSAVEAS"),
       Item(L"mnuFolderGenerator", L"&Thumbnail Generator...", L"", kPlain, L"!PLAYER/MNUGENERATOR"),
       Item(L"mnuMovieExtract", L"&Extract Resources...", L"", kPlain, L"!PLAYER/MNUEXTRACT"),
       Item(L"mnuMovieSaver", L"Flash &Screen Saver...", L"", kPlain, L"!PLAYER/MNUSCREENSAVER"), Sep(L"mnuSepCut"),
       Item(L"mnuItemCut", L"Cu&t"), Item(L"mnuItemCopy", L"&Copy"), Item(L"mnuFolderPaste", L"&Paste"),
       Sep(L"mnuItemSepDelete"), Item(L"mnuItemDelete", L"&Delete"), Item(L"mnuItemRename", L"Rena&me"),
       Item(L"mnuMoveUp", L"Move &Up"), Item(L"mnuMoveDown", L"Move &Down"), Item(L"mnuRemove", L"&Remove"),
       Item(L"mnuRemoveAll", L"Remove A&ll"), Sep(L"mnuSepPLopt"), Item(L"mnuPLadd", L"Add &Files..."),
       Item(L"mnuPLaddFolder", L"Add F&older...")});

  return {file, view, playback, browser, tools, help, movie, item};
}

}  // namespace player
