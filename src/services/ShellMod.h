// Path, text, file and shell helpers. Shell execution and change notices go
// through a seam that tests replace.
#pragma once
#include <windows.h>
#include <commdlg.h>  // GetFileTitle is a macro there; declare ours after it

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/TextConv.h"

std::wstring AddBackslash(const std::wstring& path);
std::wstring GetFileTitle(const std::wstring& path, bool noExtension = false);
std::wstring GetFileExt(const std::wstring& path);
std::wstring GetFolderPart(const std::wstring& path);
std::wstring TrimNull(const std::wstring& text);
bool StrEqualNoCase(const std::wstring& a, const std::wstring& b);
// The full form of a path (GetFullPathNameW: ".", ".." and separators
// resolved against the current folder); "" when it cannot be made full.
// Every full path of the program is made here.
std::wstring FullPathName(const std::wstring& path);
// The path as trust is decided on: full (GetFullPathNameW: ".", ".." and
// separators resolved), in its long form when it names something that exists
// ("" when the path cannot be made full). Compare two with SamePath.
std::wstring CanonicalPath(const std::wstring& path);
// Whether two paths name the same place: their canonical forms, compared
// without regard to case (ordinal). Two paths that cannot be made full never match.
bool SamePath(const std::wstring& a, const std::wstring& b);
long CheckUShort(long value);  // throws std::overflow_error (error 6) outside 0..65535
// The path as it fits width pixels in the DC's font: as it is when it fits,
// else shortened in the middle with "..." (the file name kept whole where it
// fits, else cut in its middle too). Without a DC, as it is.
std::wstring CompactPath(const std::wstring& path, long width, HDC dc);
std::wstring FormatByteSize(int64_t bytes);
std::wstring GetSpecialFolder(int csidl);

bool FileExists(const std::wstring& path);
void MakeDir(const std::wstring& path);
// Makes a folder and the folders above it that are missing; true when the
// folder is there afterwards.
bool MakeDirs(const std::wstring& path);
intptr_t ShellOpen(const std::wstring& file, const std::wstring& verb = L"open");
bool ShellDelete(const std::wstring& path, bool confirm);
bool ShellCopyMove(const std::vector<std::wstring>& from, const std::wstring& to, bool move, bool confirm);
bool ShellCopyMove(const std::wstring& from, const std::wstring& to, bool move, bool confirm);
bool ShellMove(const std::wstring& from, const std::wstring& to, bool silent);
std::wstring ReadTextFile(const std::wstring& path);
bool WriteBinaryFile(const std::wstring& path, const std::wstring& text);
bool SaveXML(const std::wstring& path, const std::wstring& xmlText);

std::string StrToMultiByte(const std::wstring& text, int codePage, DWORD flags = 0);
std::wstring URLEncode(const std::wstring& text);

// The seam through which the program reaches ShellExecute and SHChangeNotify.
struct ShellSeam {
  std::function<intptr_t(const std::wstring& file, const std::wstring& verb)> open;
  std::function<void(LONG eventId, UINT flags, const void* item1, const void* item2)> changeNotify;
};
// The current seam (the real shell by default). Not named "Shell": shldisp.h
// (pulled in by shlobj.h) declares a class of that name.
ShellSeam& CurrentShell();
void ResetShellSeam();     // back to the real shell
