// The Windows open, save and folder dialogs, the "|"-separated filter
// conversion and the texts of common-dialog failures.
#pragma once
#include <windows.h>

#include <string>

// Open (IsOpen) or save dialog. Filter alternates descriptions and patterns
// separated by "|" ("Movies|*.swf|All|*.*"). On True: FileName is the chosen
// path (with OFN_ALLOWMULTISELECT: the folder or single path, NUL, each name,
// NUL, and a final NUL; the Explorer-style dialog is used then), FileTitle the name (empty for several files), Filter
// the pattern of the filter the user chose ("*.exe"), Flags the returned
// flags. On cancel or failure Flags is 0 and FileName, FileTitle and Filter
// are empty. The process's current folder is never changed (OFN_NOCHANGEDIR).
bool ShowFileDialog(HWND owner, DWORD& flags, std::wstring& fileName, std::wstring& fileTitle,
                    const std::wstring& defaultExt, const std::wstring& title, std::wstring& filter,
                    const std::wstring& initialDir, bool isOpen);

// The shell's folder picker. Folder is the root of the tree on entry ("" is
// the desktop) and the chosen path on True; Flags 0 means file-system folders
// only; an empty Title shows "Select Folder:". False (Flags 0, Folder and
// DisplayName empty) when cancelled or when the item chosen has no file-system path.
bool BrowseForFolder(HWND owner, UINT& flags, std::wstring& displayName, std::wstring& folder,
                     const std::wstring& title);

// "a|b" as the dialog wants it: "a", NUL, "b", NUL, NUL; "" gives one NUL.
std::wstring FilterToNulls(const std::wstring& filter);
// The pattern of filter entry Index (from 1) of a "|"-separated filter; "" when there is none.
std::wstring FilterPattern(const std::wstring& filter, DWORD index);

// Reports the last common-dialog failure (when ShowError) and returns True
// when there was one.
bool ReportDialogError(bool showError, const std::wstring& functionName);
// The description of a common-dialog error code.
std::wstring DialogErrorText(DWORD code);
