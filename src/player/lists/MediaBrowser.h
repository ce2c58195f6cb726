// The media browser: BrowseFolder lists a folder (folders first, then the
// movies, videos and projectors the Browser menu's filters let through,
// sorted by its marks), shows the page, and has the window make the
// thumbnails that are missing in the background (ThumbnailRun), and
// ShowBrowsePage writes "browse.xml" and loads the program's page
// "browse.swf" over it. Also the Browser menu's enabling, the folder picker
// and the address bar's history.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "player/movie/PlayerHost.h"
#include "player/movie/ThumbnailRun.h"
#include "player/movie/Thumbnails.h"
#include "player/window/PlayerState.h"

namespace player {

// The most entries of one folder listed (the rest is left out and logged).
inline constexpr size_t kMaxBrowseEntries = 100000;

enum class BrowseSort { Name, Type, Size, Date };

// What a listing obeys: the Browser menu's marks and the options.
struct BrowseSettings {
  bool ShowFolders = true, ShowMovies = true, ShowVideos = true, ShowProjectors = true;
  bool GenericProjectors = false;  // only generic projectors are listed
  BrowseSort Sort = BrowseSort::Name;
  bool Backward = false;
  bool Satellite = false;  // thumbnails beside the movies, else in the cache
};
BrowseSettings BrowseSettingsOf(PlayerHost& host);

inline constexpr wchar_t kDriveList[] = L":\\";

// The folder a request names: "" means current, then myFlash; ":\" and a
// drive root followed by ".." mean the drive list (kDriveList); a drive
// chosen from that list arrives as ":\" and its path; anything else becomes
// a full path (relative parts resolved) ending in "\".
std::wstring ResolveBrowseFolder(const std::wstring& folder, const std::wstring& current,
                                 const std::wstring& myFlash);

struct FolderListing {
  std::vector<BrowseItem> Items;
  int Folders = 0;           // the first Folders items are folders
  std::vector<int> Missing;  // indices of Items whose thumbnail file is missing
  bool Readable = true;      // false when the folder could not be read
};
// The folder's entries (folder ends in "\"), at most kMaxBrowseEntries;
// cacheFolder: where thumbnails lie unless beside the movies.
FolderListing ListFolder(const std::wstring& folder, const BrowseSettings& settings, const std::wstring& cacheFolder);
// The file entries (from index folders on) stably sorted; folders are only reversed, by name.
void SortListing(std::vector<BrowseItem>& items, int folders, BrowseSort sort, bool backward);
// The file-system folders of "My Computer", Kind 3, paths ending in "\".
std::vector<BrowseItem> DriveList();

// The folder that holds the thumbnails of a listed folder.
std::wstring ThumbnailFolder(const std::wstring& listedFolder, bool satellite, const std::wstring& cacheFolder);

// Text for an element of browse.xml: every "&", "<", ">" and quote escaped.
std::wstring XmlText(const std::wstring& text);
struct BrowseDocumentArgs {
  std::wstring Font, Folder, Cache, Message;
  int Scroll = 0;
  bool ByDate = false;  // the size line holds the modified date
};
// Each TITLE holds HTML: the name, then for files "<BR><font size='10'>" and the
// size line, both escaped as HTML text, so the page shows every name as written.
std::wstring BuildBrowseDocument(const std::vector<BrowseItem>& items, const BrowseDocumentArgs& args);
// Writes the document as UTF-8, beside the target first; false when it could not be written.
bool WriteBrowseDocument(const std::wstring& path, const std::wstring& document);
// The size line of a file entry: its size, or its date when sorted by date.
std::wstring BrowseSizeLine(const BrowseItem& item, bool byDate);

// The address bar's history: a folder that differs from the selected row
// (ignoring case) drops the rows after it and is added as the selected last row.
void AddToHistory(std::vector<std::wstring>& rows, int& selected, const std::wstring& folder);

// What the browser needs of the window beyond PlayerHost (and the window side
// of a thumbnail run).
class BrowserWindow : public ThumbnailRunWindow {
 public:
  virtual ~BrowserWindow() = default;
  virtual std::vector<std::wstring> HistoryRows() const = 0;
  virtual int HistoryIndex() const = 0;
  virtual void SetHistory(const std::vector<std::wstring>& rows, int selected) = 0;
  virtual void FocusMovie() = 0;
  virtual void RedrawMenuBar() = 0;
  // The folder dialog; "" when cancelled.
  virtual std::wstring AskFolder(const std::wstring& title, const std::wstring& start) = 0;
  // The progress window for a thumbnail run (null: run without one, as
  // during the start-up).
  virtual std::unique_ptr<ThumbnailProgress> OpenProgress(int count) = 0;
  // Starts making these thumbnails (none: the run before just ends) from
  // the window's timer, a slice of time at each tick.
  virtual void StartThumbnails(std::vector<MissingThumbnail> jobs, std::unique_ptr<ThumbnailProgress> progress) = 0;
};

void BrowseFolder(PlayerHost& host, BrowserWindow& window, const std::wstring& folder, bool keepScroll);
void ShowBrowsePage(PlayerHost& host, BrowserWindow& window, bool load, const std::wstring& message);
void SetBrowseMenus(PlayerHost& host, BrowserWindow& window, bool browsing, bool menusShown, bool redraw);
void SelectBrowseFolder(PlayerHost& host, BrowserWindow& window, const std::wstring& startFolder);

}  // namespace player
