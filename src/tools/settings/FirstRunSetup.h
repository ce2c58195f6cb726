// What the first-run set-up does without its window: the entries of its
// language list, the folder it offers, the language choice and what OK stores.
#pragma once
#include <string>
#include <vector>

namespace tools {

// "Name - Title" for each language of the program's list, in list order.
std::vector<std::wstring> LanguageEntries();
// The My Flash folder offered: the stored one, else "My Flash" in the user's
// documents folder; with a trailing "\".
std::wstring OfferedMyFlashFolder();
// Makes language index the program's language (its texts and tips loaded).
void ChooseLanguage(long index);
// Why a typed My Flash folder cannot be taken (it is no full path), or "".
std::wstring MyFlashFolderProblem(const std::wstring& folder);
// OK: with makeDefault the program becomes the handler of movies, videos and
// playlists. The folder goes into section "Recent" exactly as typed, as the
// key's default value (the media browser's folder) and as "MyFlash"; the
// "FileTypes" values "SWF", "FLV" and "PL" record the choice, so the first
// save of the options keeps it.
void CompleteFirstRun(const std::wstring& folder, bool makeDefault);

}  // namespace tools
