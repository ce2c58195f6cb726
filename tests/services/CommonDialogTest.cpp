#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <functional>
#include <thread>

#include "services/CommonDialog.h"
#include "services/FontDialog.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteText;

namespace {

struct FindArgs {
  HWND found = nullptr;
};

BOOL CALLBACK TakeDialog(HWND wnd, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(wnd, cls, 32);
  if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(wnd) && GetDlgItem(wnd, IDCANCEL)) {
    reinterpret_cast<FindArgs*>(param)->found = wnd;
    return FALSE;
  }
  return TRUE;
}

// Runs Drive on a helper thread with the first dialog that the calling thread shows.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND)> drive) {
    DWORD owner = GetCurrentThreadId();
    thread_ = std::thread([owner, drive] {
      FindArgs args;
      testing_support::WaitUntil([&] {
        EnumThreadWindows(owner, TakeDialog, reinterpret_cast<LPARAM>(&args));
        return args.found != nullptr;
      }, 30000);
      if (!args.found) return;
      // The dialog answers once it has filled its lists and waits for the user.
      DWORD_PTR result = 0;
      SendMessageTimeoutW(args.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
      drive(args.found);
    });
  }
  ~DialogDriver() { thread_.join(); }

 private:
  std::thread thread_;
};

void Press(HWND dlg, int id) { PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id))); }

void TypeFileName(HWND dlg, const std::wstring& text) {
  HWND edit = GetDlgItem(dlg, cmb13);
  if (!edit) edit = GetDlgItem(dlg, edt1);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring WindowText(HWND wnd) {
  wchar_t buf[512] = {};
  GetWindowTextW(wnd, buf, 512);
  return buf;
}

BOOL CALLBACK FindText(HWND wnd, LPARAM param) {
  auto* want = reinterpret_cast<std::pair<std::wstring, bool>*>(param);
  if (WindowText(wnd) == want->first) want->second = true;
  return TRUE;
}

bool HasChildText(HWND dlg, const std::wstring& text) {
  std::pair<std::wstring, bool> want{text, false};
  EnumChildWindows(dlg, FindText, reinterpret_cast<LPARAM>(&want));
  return want.second;
}

HWND FolderTree(HWND dlg) {
  HWND tree = FindWindowExW(dlg, nullptr, WC_TREEVIEWW, nullptr);
  HWND inner = nullptr;
  while (!tree && (inner = FindWindowExW(dlg, inner, nullptr, nullptr)))
    tree = FindWindowExW(inner, nullptr, WC_TREEVIEWW, nullptr);
  return tree;
}

void SelectTreeRoot(HWND dlg) {
  HWND tree = FolderTree(dlg);
  auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
}

// Selects the first item below the root whose text is Text; false when there is none.
bool SelectTreeChild(HWND dlg, const std::wstring& text) {
  HWND tree = FolderTree(dlg);
  auto root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
  for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    wchar_t buf[260] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = 260;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    if (text == buf) {
      SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      return true;
    }
  }
  return false;
}

std::wstring NoSlash(const std::wstring& path) { return path.substr(0, path.size() - 1); }

std::wstring CurrentFolder() {
  wchar_t buf[MAX_PATH + 1] = {};
  GetCurrentDirectoryW(MAX_PATH + 1, buf);
  return buf;
}

// Every dialog leaves the process's current folder where it was (else the folder
// the user visited stays in use and relative paths resolve elsewhere).
struct CommonDialogs : ::testing::Test {
  const std::wstring before = CurrentFolder();
  TempDir dir;  // removed after TearDown has put the current folder back
  void TearDown() override {
    EXPECT_EQ(CurrentFolder(), before);
    SetCurrentDirectoryW(before.c_str());
  }
};

}  // namespace

TEST(CommonDialog, FilterConversionAndErrorTexts) {
  EXPECT_EQ(FilterToNulls(L""), std::wstring(1, L'\0'));
  EXPECT_EQ(FilterToNulls(L"a|b"), std::wstring(L"a\0b\0\0", 5));
  EXPECT_EQ(FilterPattern(L"Movies|*.swf|Programs|*.exe", 2), L"*.exe");
  EXPECT_EQ(FilterPattern(L"Movies|*.swf|Programs|*.exe", 3), L"");
  EXPECT_EQ(FilterPattern(L"Movies|*.swf", 0), L"");
  EXPECT_EQ(DialogErrorText(0xFFFFFFFF), DialogErrorText(65535));
  EXPECT_NE(DialogErrorText(65535).find(L"could not be created.\r"), std::wstring::npos);
  EXPECT_EQ(DialogErrorText(0x3003).substr(0, 22), L"The buffer pointed to ");
  EXPECT_EQ(DialogErrorText(77), L"Unknown Error");
  EXPECT_FALSE(ReportDialogError(true, L"DLG_GetOpenFileName"));  // no dialog failed
}

TEST_F(CommonDialogs, OpenChoosesAFileAndItsFilter) {
  WriteText(dir.File(L"movie one.swf"), "FWS");
  WriteText(dir.File(L"tool.exe"), "MZ");
  std::wstring title;
  DWORD flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  std::wstring fileName, fileTitle, filter = L"Movies|*.swf|Programs|*.exe";
  {
    DialogDriver driver([&](HWND dlg) {
      title = WindowText(dlg);
      HWND types = GetDlgItem(dlg, cmb1);
      SendMessageW(types, CB_SETCURSEL, 1, 0);
      for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})  // as a user's choice sends them
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(cmb1, code), reinterpret_cast<LPARAM>(types));
      TypeFileName(dlg, L"tool.exe");
      Press(dlg, IDOK);
    });
    ASSERT_TRUE(ShowFileDialog(nullptr, flags, fileName, fileTitle, L"swf", L"Open a Movie", filter, dir.Path(), true));
  }
  EXPECT_EQ(title, L"Open a Movie");
  EXPECT_EQ(fileName, dir.File(L"tool.exe"));
  EXPECT_EQ(fileTitle, L"tool.exe");
  EXPECT_EQ(filter, L"*.exe");

  // Cancelled: everything cleared.
  {
    DialogDriver driver([](HWND dlg) { Press(dlg, IDCANCEL); });
    filter = L"Movies|*.swf";
    EXPECT_FALSE(ShowFileDialog(nullptr, flags, fileName, fileTitle, L"", L"", filter, dir.Path(), true));
  }
  EXPECT_EQ(flags, 0u);
  EXPECT_TRUE(fileName.empty());
  EXPECT_TRUE(fileTitle.empty());
  EXPECT_TRUE(filter.empty());
}

TEST_F(CommonDialogs, MultiSelectOfManyLongNames) {
  std::vector<std::wstring> names;
  std::wstring typed;
  for (int i = 0; i < 40; ++i) {
    std::wstring name = L"movie " + std::to_wstring(100 + i) + L" " + std::wstring(150, L'x') + L".swf";
    WriteText(dir.File(name), "FWS");
    names.push_back(name);
    typed += L"\"" + name + L"\" ";
  }
  DWORD flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;  // Explorer style follows
  std::wstring fileName, fileTitle, filter = L"Movies|*.swf";
  {
    DialogDriver driver([&](HWND dlg) {
      TypeFileName(dlg, typed);
      Press(dlg, IDOK);
    });
    ASSERT_TRUE(ShowFileDialog(nullptr, flags, fileName, fileTitle, L"", L"", filter, dir.Path(), true));
  }
  ASSERT_GE(fileName.size(), 2u);
  EXPECT_EQ(fileName.substr(fileName.size() - 2), std::wstring(2, L'\0'));
  std::vector<std::wstring> parts;
  for (size_t start = 0; start < fileName.size() - 2;) {
    size_t nul = fileName.find(L'\0', start);
    parts.push_back(fileName.substr(start, nul - start));
    start = nul + 1;
  }
  ASSERT_EQ(parts.size(), names.size() + 1);
  EXPECT_EQ(parts[0], NoSlash(dir.Path()));
  std::vector<std::wstring> got(parts.begin() + 1, parts.end());
  std::sort(got.begin(), got.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(got, names);
  EXPECT_TRUE(fileTitle.empty());
}

TEST_F(CommonDialogs, SaveAcceptsAProposedNameLongerThanItsBuffer) {
  std::wstring proposed = std::wstring(300, L'n') + L".swf";
  std::wstring shown;
  DWORD flags = OFN_EXPLORER;
  std::wstring fileName = proposed, fileTitle, filter = L"Movies|*.swf";
  {
    DialogDriver driver([&](HWND dlg) {
      HWND edit = GetDlgItem(dlg, cmb13) ? GetDlgItem(dlg, cmb13) : GetDlgItem(dlg, edt1);
      wchar_t buf[1024] = {};
      GetWindowTextW(edit, buf, 1024);
      shown = buf;
      Press(dlg, IDCANCEL);
    });
    EXPECT_FALSE(ShowFileDialog(nullptr, flags, fileName, fileTitle, L"swf", L"", filter, dir.Path(), false));
  }
  EXPECT_EQ(shown, proposed);
}

TEST_F(CommonDialogs, FolderBrowser) {
  bool defaultTitle = false;
  UINT flags = 0;
  std::wstring display, folder = dir.Path();
  {
    DialogDriver driver([&](HWND dlg) {
      defaultTitle = HasChildText(dlg, L"Select Folder:");
      SelectTreeRoot(dlg);
      Press(dlg, IDOK);
    });
    ASSERT_TRUE(BrowseForFolder(nullptr, flags, display, folder, L""));
  }
  EXPECT_TRUE(defaultTitle);
  EXPECT_TRUE(flags & BIF_RETURNONLYFSDIRS);
  EXPECT_EQ(CompareStringOrdinal(folder.c_str(), -1, NoSlash(dir.Path()).c_str(), -1, TRUE), CSTR_EQUAL) << folder;
  EXPECT_FALSE(display.empty());

  {
    DialogDriver driver([](HWND dlg) { Press(dlg, IDCANCEL); });
    folder = dir.Path();
    EXPECT_FALSE(BrowseForFolder(nullptr, flags, display, folder, L"Pick one"));
  }
  EXPECT_EQ(flags, 0u);
  EXPECT_TRUE(folder.empty());
  EXPECT_TRUE(display.empty());
}

TEST_F(CommonDialogs, FolderWithoutFileSystemPathIsNoChoice) {
  bool selected = false;
  UINT flags = BIF_NONEWFOLDERBUTTON;  // virtual folders may be chosen
  std::wstring display = L"x", folder;
  {
    DialogDriver driver([&](HWND dlg) {
      selected = SelectTreeChild(dlg, L"My Computer");
      Press(dlg, IDOK);
    });
    EXPECT_FALSE(BrowseForFolder(nullptr, flags, display, folder, L"Virtual"));
  }
  EXPECT_TRUE(selected);
  EXPECT_EQ(flags, 0u);
  EXPECT_TRUE(folder.empty());
  EXPECT_TRUE(display.empty());
}

TEST_F(CommonDialogs, FontDialogReturnsTheChoice) {
  StdFont font;
  font.Size = 12;
  font.Italic = true;
  HDC printer = kNoPrinterDC;
  COLORREF color = RGB(0, 0, 255);
  DWORD flags = CF_ENABLEHOOK | CF_APPLY;
  {
    DialogDriver driver([](HWND dlg) { Press(dlg, IDOK); });
    ASSERT_TRUE(ShowFontDialog(font, printer, nullptr, color, 6, 36, flags));
  }
  EXPECT_EQ(printer, nullptr);
  EXPECT_TRUE(flags & CF_EFFECTS);
  EXPECT_TRUE(flags & CF_LIMITSIZE);
  EXPECT_TRUE(flags & CF_SCREENFONTS);
  EXPECT_FALSE(flags & (CF_ENABLEHOOK | CF_APPLY));
  EXPECT_FALSE(font.Name.empty());
  EXPECT_EQ(color, RGB(0, 0, 255));
  EXPECT_GT(font.Size, 0);

  {
    DialogDriver driver([](HWND dlg) { Press(dlg, IDCANCEL); });
    StdFont before = font;
    EXPECT_FALSE(ShowFontDialog(font));
    EXPECT_EQ(font.Name, before.Name);
  }
}

TEST_F(CommonDialogs, MultiSelectAnswerEndsAtItsDoubleNul) {
  // A long proposed name that the user replaces by a shorter choice: nothing of it may trail the answer.
  WriteText(dir.File(L"a.swf"), "FWS");
  WriteText(dir.File(L"b.swf"), "FWS");
  DWORD flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
  std::wstring fileName = std::wstring(200, L'p') + L".swf", fileTitle, filter = L"Movies|*.swf";
  {
    DialogDriver driver([](HWND dlg) {
      TypeFileName(dlg, L"\"a.swf\" \"b.swf\"");
      Press(dlg, IDOK);
    });
    ASSERT_TRUE(ShowFileDialog(nullptr, flags, fileName, fileTitle, L"", L"", filter, dir.Path(), true));
  }
  EXPECT_EQ(fileName, NoSlash(dir.Path()) + std::wstring(1, L'\0') + L"a.swf" + std::wstring(1, L'\0') + L"b.swf" +
                          std::wstring(2, L'\0'));
}
