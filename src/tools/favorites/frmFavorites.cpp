#include "tools/favorites/frmFavorites.h"

#include "platform/forms/ListBox.h"
#include "player/window/PlayerWindow.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "ui/FitText.h"
#include "ui/LanguageForms.h"

namespace tools {
namespace {

constexpr int kWidth = 460, kHeight = 260;
constexpr int kListLeft = 80, kSide = 32;

}  // namespace

frmFavorites& FavoritesWindow() { return Instance<frmFavorites>(); }

frmFavorites::frmFavorites() : ToolWindow(L"frmFavorites", forms::FixedDialogArgs(L"Favorite Folders", kWidth, kHeight)) {
  HeaderPicture = L"favorite";
}

player::PlayerHost& frmFavorites::Host() { return host_ ? *host_ : player::Player.Host(); }

void frmFavorites::CreateControls() {
  forms::CommandButton& ok = AddButton(L"cbOK", L"OK");
  ok.SetTag(L"!SHARED/OK");
  ok.SetDefault(true);
  ok.OnClick = [this] { cbOK_Click(); };
  forms::CommandButton& cancel = AddButton(L"cbCancel", L"Cancel");
  cancel.SetTag(L"!SHARED/CANCEL");
  cancel.SetCancel(true);
  cancel.OnClick = [this] { cbCancel_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({&ok, &cancel, &help});

  const int listWidth = kWidth - kListLeft - 16 - kSide - 8;
  const int listHeight = static_cast<int>(BandHeight()) - 32;
  auto list = forms::Placed<forms::ListBoxArgs>(L"FavList", kListLeft, 16, listWidth, listHeight);
  FavList = &Add<forms::ListBox>(list);
  FavList->OnClick = [this] { FavList_Click(); };
  FavList->OnMouseMove = [this](int, int, int x, int y) { FavList_MouseMove(x, y); };

  struct Side {
    const wchar_t *name, *caption, *tip;
    void (frmFavorites::*click)();
  };
  const Side sides[] = {{L"cpPlus", L"+", L"Add Folder", &frmFavorites::cpPlus_Click},
                        {L"cbMinus", L"-", L"Remove Folder", &frmFavorites::cbMinus_Click},
                        {L"cbUp", L"\x25B2", L"Move Up", &frmFavorites::cbUp_Click},
                        {L"cbDown", L"\x25BC", L"Move Down", &frmFavorites::cbDown_Click}};
  int top = 16;
  for (const Side& s : sides) {
    auto a = forms::Placed<forms::CommandButtonArgs>(s.name, kWidth - 16 - kSide, top, kSide, 26);
    a.Caption = s.caption;
    a.ToolTipText = s.tip;
    const auto click = s.click;
    Add<forms::CommandButton>(a).OnClick = [this, click] { (this->*click)(); };
    top += 32;
  }
}

void frmFavorites::Form_Load() {
  Host().SetEnabled(L"mnuFavorites", false);
  ApplyLanguage(*this);
  SetVisual();
  list_ = FavoritesList(player::Player.FavoriteFolderList());
  ShowList();
}

void frmFavorites::Form_Unload() { Host().SetEnabled(L"mnuFavorites", true); }

void frmFavorites::ShowList() {
  if (!IsLoaded()) return;
  FavList->Clear();
  // The rows' room: the box less its borders, a scroll bar and the text's margins.
  const int room = FavList->Width() - 4 - GetSystemMetrics(SM_CXVSCROLL) - 6;
  std::vector<std::wstring> shown;
  for (const std::wstring& folder : list_.Items()) shown.push_back(FitPathIn(*FavList, folder, room));
  FavList->AddItems(shown);
  FavList->SetListIndex(list_.Selected());
  const FavoriteButtons b = list_.Buttons();
  FindControl(L"cbMinus")->SetEnabled(b.Remove);
  FindControl(L"cbUp")->SetEnabled(b.Up);
  FindControl(L"cbDown")->SetEnabled(b.Down);
  ShowTip(-1);
}

void frmFavorites::ShowTip(int row) {
  if (row < 0 || row >= static_cast<int>(list_.Items().size())) row = list_.Selected();
  FavList->SetToolTipText(row >= 0 ? list_.Items()[static_cast<size_t>(row)] : L"");
}

void frmFavorites::FavList_MouseMove(int x, int y) {
  if (!FavList->hWnd()) return;
  const LRESULT hit = SendMessageW(FavList->hWnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  ShowTip(HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit)));
}

void frmFavorites::FavList_Click() {
  if (FavList->ListIndex() == list_.Selected()) return;
  list_.Select(FavList->ListIndex());
  ShowList();
}

void frmFavorites::RemoveFavItem(int index) {
  list_.Remove(index);
  ShowList();
}

void frmFavorites::MoveFavItem(int index, int direction) {
  list_.Move(index, direction);
  ShowList();
}

void frmFavorites::AddFavItem(const std::wstring& folder) {
  list_.Add(folder);
  ShowList();
}

void frmFavorites::cpPlus_Click() {
  UINT flags = 1;
  std::wstring display, folder = Host().Opts().CurrentFolder;
  const HWND owner = player::Player.IsLoaded() ? player::Player.hWnd() : hWnd();
  if (BrowseForFolder(owner, flags, display, folder,
                      LangText(L"BROWSEMEDIA/strAddFav", L"Choose a folder to add to Favorites:")))
    AddFavItem(folder);
}

void frmFavorites::cbOK_Click() {
  player::Player.LoadFavorites(false);
  for (const std::wstring& folder : list_.Items()) player::Player.AddFavorite(folder);
  Close();
}

}  // namespace tools
