#include "services/CommonDialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <exception>
#include <type_traits>
#include <vector>

#include "base/Handles.h"
#include "services/AppIdentity.h"
#include "services/Services.h"
#include "services/XmlDocument.h"

namespace {

constexpr wchar_t kCR = L'\r';

std::wstring UpToNul(const std::vector<wchar_t>& buffer) {
  auto end = std::find(buffer.begin(), buffer.end(), L'\0');
  return std::wstring(buffer.begin(), end);
}

void ReportUnexpected(const wchar_t* function, const std::exception& e) {
  std::string what = e.what();
  ReportError(std::wstring(app::kTitle) + L" encountered the following error in the " + function + L" function:" +
                  kCR + kCR + L"Error Number = 0" + kCR + L"Error Description = " +
                  std::wstring(what.begin(), what.end()),
              L"48");
}

}  // namespace

std::wstring FilterToNulls(const std::wstring& filter) {
  if (filter.empty()) return std::wstring(1, L'\0');
  std::wstring out = filter;
  std::replace(out.begin(), out.end(), L'|', L'\0');
  out.append(2, L'\0');
  return out;
}

std::wstring FilterPattern(const std::wstring& filter, DWORD index) {
  if (index == 0) return L"";
  size_t wanted = 2 * static_cast<size_t>(index - 1) + 1, part = 0, start = 0;
  while (true) {
    size_t bar = filter.find(L'|', start);
    if (part == wanted) return filter.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
    if (bar == std::wstring::npos) return L"";
    start = bar + 1;
    ++part;
  }
}

std::wstring DialogErrorText(DWORD code) {
  switch (code) {
    case 0xFFFFFFFF:
    case 0xFFFF:
      return std::wstring(L"The dialog box could not be created.") + kCR +
             L"The common dialog box function\u2019s call to the DialogBox function failed. For example, this error "
             L"occurs if the common dialog box call specifies an invalid window handle.";
    case 1: return L"The lStructSize member of the initialization structure for the corresponding common dialog box is invalid.";
    case 2: return L"The common dialog box function failed during initialization. This error often occurs when sufficient memory is not available.";
    case 3: return L"The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the corresponding common dialog box, but a corresponding template was not provided.";
    case 4: return L"The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the corresponding common dialog box, but a corresponding instance handle was not provide.";
    case 5: return L"The common dialog box function failed to load a specified string.";
    case 6: return L"The common dialog box function failed to find a specified resource.";
    case 7: return L"The common dialog box function failed to load a specified resource.";
    case 8: return L"The common dialog box function failed to lock a specified resource.";
    case 9: return L"The common dialog box function was unable to allocate memory for internal structures.";
    case 10: return L"The common dialog box function was unable to lock the memory associated with a handle.";
    case 11: return L"The ENABLEHOOK flag was set in the Flags member of the initialization structure for the corresponding common dialog box, but a pointer to a corresponding hook procedure was not provided.";
    case 12: return L"The RegisterWindowMessage function returned an error code when it was called by the common dialog box function.";
    case 0x3001: return L"An attempt to subclass a list box failed because sufficient memory was not available.";
    case 0x3002: return L"A filename is invalid.";
    case 0x3003: return L"The buffer pointed to by the lpstrFile member of the OPENFILENAME structure is too small for the filename specified by the user.";
    default: return L"Unknown Error";
  }
}

bool ReportDialogError(bool showError, const std::wstring& functionName) {
  DWORD code = CommDlgExtendedError();
  if (code == 0) return false;
  if (showError) {
    long number = code == 0xFFFFFFFF ? -1L : static_cast<long>(code);
    ReportError(L"COMDLG32 encountered the following error while calling the '" + functionName + L"' function:" +
                    kCR + kCR + L"Error Number = " + std::to_wstring(number) + kCR + L"Error Description = " +
                    DialogErrorText(code),
                L"");
  }
  return true;
}

bool ShowFileDialog(HWND owner, DWORD& flags, std::wstring& fileName, std::wstring& fileTitle,
                    const std::wstring& defaultExt, const std::wstring& title, std::wstring& filter,
                    const std::wstring& initialDir, bool isOpen) {
  try {
    // The open dialog takes longer selections; several files need room for many long names.
    size_t length = isOpen ? 1024 : 260;
    if (flags & OFN_ALLOWMULTISELECT) length = std::max<size_t>(length, 32768);
    if (fileName.size() >= length) length = fileName.size() + 1;
    std::vector<wchar_t> fileBuf(length, L'\0');
    std::copy(fileName.begin(), fileName.end(), fileBuf.begin());
    std::vector<wchar_t> titleBuf(length, L'\0');

    std::wstring dir = initialDir;
    if (dir.empty()) {
      wchar_t cwd[MAX_PATH + 1] = {};
      GetCurrentDirectoryW(MAX_PATH, cwd);
      dir = cwd;
    }
    const std::wstring filterNulls = FilterToNulls(filter);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterNulls.c_str();
    // No custom-filter buffer: the chosen entry of our own filter is what callers want
    // (and an empty custom filter makes some dialogs drop the whole filter list).
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = fileBuf.data();
    ofn.nMaxFile = static_cast<DWORD>(fileBuf.size());
    ofn.lpstrFileTitle = titleBuf.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(titleBuf.size());
    ofn.lpstrInitialDir = dir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();  // none: the dialog's own title
    // Several files come back NUL-separated only from the Explorer-style dialog. The
    // dialog never moves the process's current folder: relative paths keep their
    // meaning, and the folder the user visited is not held open afterwards.
    ofn.Flags = ((flags & OFN_ALLOWMULTISELECT) ? flags | OFN_EXPLORER : flags) | OFN_NOCHANGEDIR;
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();

    BOOL ok = isOpen ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    if (ReportDialogError(true, L"DLG_GetOpenFileName") || !ok) {
      flags = 0;
      fileName.clear();
      fileTitle.clear();
      filter.clear();
      return false;
    }

    if (flags & OFN_ALLOWMULTISELECT) {
      // The answer ends at its double NUL; what follows may be left from the proposed name.
      size_t end = 0;
      while (end + 1 < fileBuf.size() && !(fileBuf[end] == L'\0' && fileBuf[end + 1] == L'\0')) ++end;
      fileName.assign(fileBuf.begin(), fileBuf.begin() + end);
      fileName.append(2, L'\0');
    } else {
      fileName = UpToNul(fileBuf);
    }
    // Several files: the buffer holds the folder, NUL, then the names; no single title.
    bool several = ofn.nFileOffset > 0 && ofn.nFileOffset < fileBuf.size() && fileBuf[ofn.nFileOffset - 1] == L'\0';
    fileTitle = several ? std::wstring() : UpToNul(titleBuf);

    filter = FilterPattern(filter, ofn.nFilterIndex);
    flags = ofn.Flags & ~static_cast<DWORD>((flags & OFN_NOCHANGEDIR) ? 0 : OFN_NOCHANGEDIR);
    return true;
  } catch (const std::exception& e) {
    ReportUnexpected(L"CD_ShowOpen_Save", e);
    flags = 0;
    fileName.clear();
    fileTitle.clear();
    filter.clear();
    return false;
  }
}

bool BrowseForFolder(HWND owner, UINT& flags, std::wstring& displayName, std::wstring& folder,
                     const std::wstring& title) {
  // Item ID lists come from the shell's task allocator (ILFree is CoTaskMemFree).
  using ItemIdList = CoTaskMem<std::remove_pointer_t<PIDLIST_ABSOLUTE>>;
  ItemIdList root, chosen;
  bool result = false;
  try {
    EnsureCom();
    if (flags == 0) flags = BIF_RETURNONLYFSDIRS;
    const std::wstring caption = title.empty() ? L"Select Folder:" : title;
    std::wstring start = folder;
    if (flags & (BIF_BROWSEFORCOMPUTER | BIF_BROWSEFORPRINTER)) start.clear();
    if (!start.empty()) root.reset(ILCreateFromPathW(start.c_str()));  // a missing folder gives the desktop

    std::vector<wchar_t> display(MAX_PATH, L'\0');
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.pidlRoot = root.get();
    bi.pszDisplayName = display.data();
    bi.lpszTitle = caption.c_str();
    bi.ulFlags = flags;
    chosen.reset(SHBrowseForFolderW(&bi));

    std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
    if (chosen && SHGetPathFromIDListW(chosen.get(), path.data())) {
      flags = bi.ulFlags;
      displayName = UpToNul(display);
      folder = UpToNul(path);
      result = true;
    }
  } catch (const std::exception& e) {
    ReportUnexpected(L"CD_ShowFolder", e);
  }
  if (!result) {
    flags = 0;
    displayName.clear();
    folder.clear();
  }
  return result;
}
