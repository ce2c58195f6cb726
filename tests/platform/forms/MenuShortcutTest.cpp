// Menu shortcuts: the key text shown after the caption, and the key itself
// raising the item's Click from anywhere in the form, but for the keys that
// edit the text box that has the focus.
#include <gtest/gtest.h>

#include <map>

#include "FormsTestSupport.h"
#include "platform/forms/Forms.h"

using namespace forms;

namespace {

MenuArgs Item(const wchar_t* name, const wchar_t* caption, const wchar_t* shortcut = L"",
              std::vector<MenuArgs> items = {}) {
  MenuArgs m;
  m.Name = name;
  m.Caption = caption;
  m.Shortcut = shortcut;
  m.Items = std::move(items);
  return m;
}

std::wstring NativeText(const Menu& m) {
  wchar_t text[128] = {};
  GetMenuStringW(m.OwnerMenu(), static_cast<UINT>(m.Position()), text, 127, MF_BYPOSITION);
  return text;
}

class ShortcutForm : public Form {
 public:
  ShortcutForm() : Form(L"frmShortcuts") {}
  std::map<std::wstring, int> clicks;
  std::vector<int> previewed;  // keys the form saw through key preview

 protected:
  void CreateControls() override {
    AddMenus({Item(L"mnuFile", L"&File", L"",
                   {Item(L"mnuOpen", L"&Open...", L"Ctrl+O"), Item(L"mnuSave", L"&Save", L"Ctrl+S"),
                    Item(L"mnuSaveAs", L"Save &As...", L"Ctrl+Shift+S"), Item(L"mnuDelete", L"&Delete\tDel"),
                    Item(L"mnuPlaylist", L"&Playlist", L"F6"), Item(L"mnuFull", L"&Full Screen", L"Alt+Enter"),
                    Item(L"mnuClear", L"C&lear", L"Shift+Del"), Item(L"mnuZoom", L"&Zoom", L"Ctrl+Z"),
                    Item(L"mnuPaste", L"Pas&te", L"Shift+Insert")}),
              Item(L"mnuPopup", L"Popup", L"", {Item(L"mnuCopy", L"&Copy", L"Ctrl+C")})});
    FindMenu(L"mnuPopup")->SetVisible(false);
    for (Control* c : Controls())
      if (auto* m = dynamic_cast<Menu*>(c)) m->OnClick = [this, m] { ++clicks[m->Name()]; };
    TextBoxArgs ta;
    ta.Name = L"txtEdit";
    ta.Width = 100;
    ta.Height = 20;
    Add<TextBox>(ta);
    SetKeyPreview(true);
    OnKeyDown = [this](int& key, int) { previewed.push_back(key); };
  }
};

// Presses a key with the given modifiers down (vbShiftMask, vbCtrlMask,
// vbAltMask) through the forms' message routing, as the message loop would
// meet it in a window of the form.
void Press(HWND target, UINT key, int shift = 0) {
  BYTE state[256];
  GetKeyboardState(state);
  BYTE saved[256];
  std::copy(std::begin(state), std::end(state), saved);
  state[VK_SHIFT] = (shift & vbShiftMask) ? 0x80 : 0;
  state[VK_CONTROL] = (shift & vbCtrlMask) ? 0x80 : 0;
  state[VK_MENU] = (shift & vbAltMask) ? 0x80 : 0;
  SetKeyboardState(state);
  MSG msg{};
  msg.hwnd = target;
  msg.message = (shift & vbAltMask) ? WM_SYSKEYDOWN : WM_KEYDOWN;
  msg.wParam = key;
  msg.lParam = 1 | ((shift & vbAltMask) ? (1 << 29) : 0);
  DispatchFormMessage(msg);
  SetKeyboardState(saved);
}

}  // namespace

TEST(MenuShortcuts, ReadTheKeyText) {
  UINT key;
  int shift;
  ASSERT_TRUE(ParseShortcut(L"Ctrl+Shift+S", key, shift));
  EXPECT_EQ(key, static_cast<UINT>('S'));
  EXPECT_EQ(shift, vbCtrlMask | vbShiftMask);
  ASSERT_TRUE(ParseShortcut(L"F12", key, shift));
  EXPECT_EQ(key, static_cast<UINT>(VK_F12));
  EXPECT_EQ(shift, 0);
  ASSERT_TRUE(ParseShortcut(L"alt+enter", key, shift));
  EXPECT_EQ(key, static_cast<UINT>(VK_RETURN));
  EXPECT_EQ(shift, vbAltMask);
  for (const wchar_t* bad : {L"", L"Ctrl+", L"Ctrl", L"Hyper+X", L"F25", L"Ctrl+Shift", L"Open"})
    EXPECT_FALSE(ParseShortcut(bad, key, shift)) << bad;
}

TEST(MenuShortcuts, AKeyRaisesItsItemsClickOnceAndIsConsumed) {
  ShortcutForm f;
  f.Show();
  HWND edit = f.Find<TextBox>(L"txtEdit")->hWnd();
  Press(edit, 'O', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 1);
  EXPECT_TRUE(f.previewed.empty());  // the key went no further
  Press(f.hWnd(), 'O', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 2);

  // Modifiers are told apart; keys without one count too.
  Press(edit, 'S', vbCtrlMask);
  Press(edit, 'S', vbCtrlMask | vbShiftMask);
  Press(edit, 'S', vbCtrlMask | vbShiftMask);
  EXPECT_EQ(f.clicks[L"mnuSave"], 1);
  EXPECT_EQ(f.clicks[L"mnuSaveAs"], 2);
  Press(edit, 'O');
  Press(edit, 'O', vbCtrlMask | vbShiftMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 2);
  EXPECT_EQ(f.previewed, (std::vector<int>{'O', 'O'}));
  Press(edit, VK_DELETE);  // from the caption's key text
  Press(edit, VK_F6);
  Press(edit, VK_RETURN, vbAltMask);
  EXPECT_EQ(f.clicks[L"mnuDelete"], 1);
  EXPECT_EQ(f.clicks[L"mnuPlaylist"], 1);
  EXPECT_EQ(f.clicks[L"mnuFull"], 1);
  f.Unload();
}

TEST(MenuShortcuts, HiddenItemsAnswerAndDisabledOnesDoNot) {
  ShortcutForm f;
  f.Show();
  HWND edit = f.Find<TextBox>(L"txtEdit")->hWnd();
  Press(edit, 'C', vbCtrlMask);  // under a hidden menu
  EXPECT_EQ(f.clicks[L"mnuCopy"], 1);
  f.FindMenu(L"mnuOpen")->SetVisible(false);
  Press(edit, 'O', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 1);

  f.FindMenu(L"mnuOpen")->SetEnabled(false);
  Press(edit, 'O', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 1);
  EXPECT_EQ(f.previewed, (std::vector<int>{'O'}));  // passed on like any key
  f.FindMenu(L"mnuOpen")->SetEnabled(true);
  Press(edit, 'O', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 2);
  f.Unload();
}

TEST(MenuShortcuts, TheKeyTextFollowsTheCaptionThroughChangesAndClones) {
  ShortcutForm f;
  ASSERT_TRUE(f.Load());
  Menu* open = f.FindMenu(L"mnuOpen");
  EXPECT_EQ(NativeText(*open), L"&Open...\tCtrl+O");
  EXPECT_EQ(open->Caption(), L"&Open...");
  EXPECT_EQ(NativeText(*f.FindMenu(L"mnuDelete")), L"&Delete\tDel");
  open->SetCaption(L"&\u00D6ffnen...");  // a translated caption keeps the key
  EXPECT_EQ(NativeText(*open), L"&\u00D6ffnen...\tCtrl+O");
  open->SetVisible(false);
  open->SetVisible(true);
  EXPECT_EQ(NativeText(*open), L"&\u00D6ffnen...\tCtrl+O");
  Press(f.hWnd(), 'O', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 1);
  EXPECT_EQ(open->CurrentArgs().Shortcut, L"Ctrl+O");

  // A caption losing its key text loses its key.
  Menu* del = f.FindMenu(L"mnuDelete");
  del->SetCaption(L"&Remove");
  Press(f.hWnd(), VK_DELETE);
  EXPECT_EQ(f.clicks[L"mnuDelete"], 0);

  // Elements loaded into a menu array carry the key text.
  MenuArgs recent = Item(L"mnuMRU", L"(none)", L"Ctrl+R");
  recent.Index = 0;
  recent.Parent = f.FindMenu(L"mnuFile");
  f.AddMenu(recent);
  Menu& second = f.Array<Menu>(L"mnuMRU").Load(1);
  second.SetVisible(true);
  EXPECT_EQ(NativeText(second), L"(none)\tCtrl+R");
  f.Unload();
}

TEST(MenuShortcuts, KeysThatEditStayWithTheFocusedTextBox) {
  ShortcutForm f;
  f.Show();
  TextBox* box = f.Find<TextBox>(L"txtEdit");
  HWND edit = box->hWnd();
  SetFocus(edit);
  box->SetText(L"one two");
  SendMessageW(edit, EM_SETSEL, 4, 7);
  Press(edit, VK_DELETE, vbShiftMask);  // cut
  EXPECT_EQ(box->Text(), L"one ");
  Press(edit, VK_INSERT, vbShiftMask);  // paste
  Press(edit, 'Z', vbCtrlMask);
  Press(edit, VK_DELETE);
  EXPECT_EQ(box->Text(), L"one two");
  for (const wchar_t* item : {L"mnuClear", L"mnuPaste", L"mnuZoom", L"mnuDelete"}) EXPECT_EQ(f.clicks[item], 0) << item;
  // Other shortcuts still answer there, and every key answers elsewhere.
  Press(edit, 'O', vbCtrlMask);
  Press(edit, VK_F6);
  EXPECT_EQ(f.clicks[L"mnuOpen"], 1);
  EXPECT_EQ(f.clicks[L"mnuPlaylist"], 1);
  SetFocus(f.hWnd());
  Press(f.hWnd(), VK_DELETE, vbShiftMask);
  Press(f.hWnd(), 'Z', vbCtrlMask);
  EXPECT_EQ(f.clicks[L"mnuClear"], 1);
  EXPECT_EQ(f.clicks[L"mnuZoom"], 1);
  EXPECT_TRUE(EditsText(VK_LEFT, vbCtrlMask) && EditsText('A', 0) && !EditsText('O', vbCtrlMask) &&
              !EditsText(VK_LEFT, vbAltMask) && !EditsText(VK_F2, 0));
  f.Unload();
}
