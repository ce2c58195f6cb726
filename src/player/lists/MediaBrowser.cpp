#include "player/lists/MediaBrowser.h"

#include <windows.h>
#include <oleauto.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <unordered_set>

#include "base/BinaryFile.h"
#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/Projector.h"
#include "player/movie/MovieLoader.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace player {
namespace {

// Kind by the last four characters of a file name, 0 for none.
int KindOf(const std::wstring& name) {
  if (EndsWithNoCase(name, L".swf")) return 1;
  if (EndsWithNoCase(name, L".flv")) return 4;
  if (EndsWithNoCase(name, L".exe")) return 2;
  return 0;
}

double OleDate(const FILETIME& time) {
  FILETIME local{};
  SYSTEMTIME st{};
  double date = 0;
  if (FileTimeToLocalFileTime(&time, &local) && FileTimeToSystemTime(&local, &st)) SystemTimeToVariantTime(&st, &date);
  return date;
}

std::wstring DateTimeText(double date) {
  SYSTEMTIME st{};
  if (!VariantTimeToSystemTime(date, &st)) return L"";
  wchar_t day[64] = {}, time[64] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, day, 64);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
  return std::wstring(day) + L" " + time;
}

// A file name as the file system compares it: case folded.
std::wstring Folded(const std::wstring& name) { return UpperInvariant(name); }

// The names (folded) of the files in folder that match pattern, at most as
// many as a folder may list.
void ListNames(const std::wstring& folder, const std::wstring& pattern, std::unordered_set<std::wstring>& names) {
  WIN32_FIND_DATAW data{};
  ScopedFind find(FindFirstFileExW((folder + pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(Folded(data.cFileName));
  } while (names.size() < kMaxBrowseEntries && FindNextFileW(find.get(), &data));
}

std::wstring Line(const std::wstring& element, const std::wstring& text) {
  return L"<" + element + L">" + text + L"</" + element + L">\r\n";
}

}  // namespace

BrowseSettings BrowseSettingsOf(PlayerHost& host) {
  BrowseSettings s;
  s.ShowFolders = host.Checked(L"mnuShowFolder");
  s.ShowMovies = host.Checked(L"mnuShowMovie");
  s.ShowVideos = host.Checked(L"mnuShowVideo");
  s.ShowProjectors = host.Checked(L"mnuShowProjector");
  s.Sort = host.Checked(L"mnuSortSize")   ? BrowseSort::Size
           : host.Checked(L"mnuSortType") ? BrowseSort::Type
           : host.Checked(L"mnuSortDate") ? BrowseSort::Date
                                          : BrowseSort::Name;
  s.Backward = host.Checked(L"mnuSortBack");
  s.GenericProjectors = host.Opts().GenericProjectors;
  s.Satellite = host.Opts().Satellite;
  return s;
}

std::wstring ResolveBrowseFolder(const std::wstring& folder, const std::wstring& current, const std::wstring& myFlash) {
  std::wstring f = !folder.empty() ? folder : !current.empty() ? current : myFlash;
  if (f.empty()) return L"";
  if (f.back() != L'\\') f += L'\\';
  if (f == kDriveList || EndsWithNoCase(f, L":\\..\\")) return kDriveList;
  if (f.compare(0, 2, kDriveList) == 0) f.erase(0, 2);
  if (f.empty()) return current.empty() ? myFlash : current;
  if (std::wstring full = FullPathName(f); !full.empty()) f = full;
  if (f.back() != L'\\') f += L'\\';
  return f;
}

std::wstring ThumbnailFolder(const std::wstring& listedFolder, bool satellite, const std::wstring& cacheFolder) {
  return satellite ? listedFolder : cacheFolder;
}

FolderListing ListFolder(const std::wstring& folder, const BrowseSettings& settings, const std::wstring& cacheFolder) {
  FolderListing out;
  std::vector<BrowseItem> files;
  WIN32_FIND_DATAW data{};
  ScopedFind find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    out.Readable = GetLastError() == ERROR_FILE_NOT_FOUND;
    return out;
  }
  const std::wstring thumbFolder = ThumbnailFolder(folder, settings.Satellite, cacheFolder);
  // The thumbnails present, by name: beside the movies the listing itself
  // names them; in the cache one listing of this folder's thumbnails does.
  std::unordered_set<std::wstring> present;
  const FolderCacheNames cacheNames(folder, L".jpg");
  size_t listed = 0;
  do {
    if (++listed > kMaxBrowseEntries) {
      WriteLog(L"The folder holds more than " + std::to_wstring(kMaxBrowseEntries) +
               L" entries: the rest is not listed: " + folder);
      break;
    }
    const std::wstring name = data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!settings.ShowFolders || name == L"." || name == L"..") continue;
      BrowseItem item;
      item.Name = name;
      item.Path = folder + name;
      item.Kind = kBrowseFolderKind;
      out.Items.push_back(std::move(item));
      continue;
    }
    if (settings.Satellite && EndsWithNoCase(name, L".jpg")) present.insert(Folded(name));
    const int kind = KindOf(name);
    if (kind == 0 || (kind == 1 && !settings.ShowMovies) || (kind == 4 && !settings.ShowVideos) ||
        (kind == 2 && !settings.ShowProjectors))
      continue;
    BrowseItem item;
    item.Name = name;
    item.Path = folder + name;
    item.Kind = kind;
    if (kind == 2 && settings.GenericProjectors && !IsGenericProjector(item.Path)) continue;
    item.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    item.Modified = OleDate(data.ftLastWriteTime);
    item.Thumb = settings.Satellite ? ThumbnailName(item.Path, true) : cacheNames.Of(name);
    files.push_back(std::move(item));
  } while (FindNextFileW(find.get(), &data));
  out.Folders = static_cast<int>(out.Items.size());
  SortListing(files, 0, settings.Sort, settings.Backward);
  if (settings.Backward && settings.Sort == BrowseSort::Name) std::reverse(out.Items.begin(), out.Items.end());
  // In the cache, a folder's thumbnails share the start of their names (a
  // name too long for that is a hash, looked for on its own).
  const std::wstring prefix = settings.Satellite ? L"" : cacheNames.Prefix();
  if (!prefix.empty() && !files.empty()) ListNames(thumbFolder, prefix + L"*.jpg", present);
  for (BrowseItem& item : files) {
    const bool known = settings.Satellite || (!prefix.empty() && item.Thumb.compare(0, prefix.size(), prefix) == 0);
    const bool exists = known ? present.count(Folded(item.Thumb)) > 0
                              : GetFileAttributesW((thumbFolder + item.Thumb).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!exists) out.Missing.push_back(static_cast<int>(out.Items.size()));
    out.Items.push_back(std::move(item));
  }
  return out;
}

void SortListing(std::vector<BrowseItem>& items, int folders, BrowseSort sort, bool backward) {
  const auto first = items.begin() + std::clamp<ptrdiff_t>(folders, 0, static_cast<ptrdiff_t>(items.size()));
  switch (sort) {
    case BrowseSort::Size:
      std::stable_sort(first, items.end(), [](const BrowseItem& a, const BrowseItem& b) { return a.Size < b.Size; });
      break;
    case BrowseSort::Type:
      std::stable_sort(first, items.end(), [](const BrowseItem& a, const BrowseItem& b) { return a.Kind < b.Kind; });
      break;
    case BrowseSort::Date:
      std::stable_sort(first, items.end(),
                       [](const BrowseItem& a, const BrowseItem& b) { return a.Modified < b.Modified; });
      break;
    case BrowseSort::Name: break;  // the listing's own order
  }
  if (backward) std::reverse(first, items.end());
}

std::vector<BrowseItem> DriveList() {
  std::vector<BrowseItem> out;
  EnsureCom();
  ComPtr<IShellFolder> desktop;
  PIDLIST_ABSOLUTE drivesPidl = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(desktop.Put())) &&
      SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drivesPidl))) {
    CoTaskMem<ITEMIDLIST_ABSOLUTE> own(drivesPidl);
    ComPtr<IShellFolder> drives;
    ComPtr<IEnumIDList> items;
    if (SUCCEEDED(desktop->BindToObject(drivesPidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(drives.Put()))) &&
        drives && drives->EnumObjects(nullptr, SHCONTF_FOLDERS, items.Put()) == S_OK && items) {
      PITEMID_CHILD child = nullptr;
      while (items->Next(1, &child, nullptr) == S_OK) {
        CoTaskMem<ITEMID_CHILD> ownChild(child);
        SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER;
        PCUITEMID_CHILD list[1] = {child};
        if (FAILED(drives->GetAttributesOf(1, list, &attributes)) ||
            (attributes & (SFGAO_FILESYSTEM | SFGAO_FOLDER)) != (SFGAO_FILESYSTEM | SFGAO_FOLDER))
          continue;
        STRRET name{}, path{};
        wchar_t nameText[MAX_PATH] = {}, pathText[MAX_PATH] = {};
        if (FAILED(drives->GetDisplayNameOf(child, SHGDN_NORMAL, &name)) ||
            FAILED(StrRetToBufW(&name, child, nameText, MAX_PATH)) ||
            FAILED(drives->GetDisplayNameOf(child, SHGDN_FORPARSING, &path)) ||
            FAILED(StrRetToBufW(&path, child, pathText, MAX_PATH)))
          continue;
        BrowseItem item;
        item.Name = nameText;
        item.Path = AddBackslash(pathText);
        item.Kind = kBrowseFolderKind;
        out.push_back(std::move(item));
      }
    }
  }
  if (out.empty()) {
    // Without the shell's namespace: the logical drives.
    wchar_t buffer[512] = {};
    const DWORD n = GetLogicalDriveStringsW(511, buffer);
    for (const wchar_t* p = buffer; n > 0 && n < 512 && *p; p += wcslen(p) + 1) {
      BrowseItem item;
      item.Name = item.Path = p;
      item.Kind = kBrowseFolderKind;
      out.push_back(std::move(item));
    }
  }
  return out;
}

namespace {

// An element of the document's own line, its text escaped, written in place.
void AppendElement(std::wstring& out, const wchar_t* element, const std::wstring& text) {
  out += L'<';
  out += element;
  out += L'>';
  AppendXmlEscaped(out, text);
  out += L"</";
  out += element;
  out += L">\r\n";
}

}  // namespace

std::wstring XmlText(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  AppendXmlEscaped(out, text);
  return out;
}

std::wstring BrowseSizeLine(const BrowseItem& item, bool byDate) {
  return byDate ? DateTimeText(item.Modified) : FormatByteSize(item.Size);
}

std::wstring BuildBrowseDocument(const std::vector<BrowseItem>& items, const BrowseDocumentArgs& args) {
  const auto found = std::count_if(items.begin(), items.end(),
                                   [](const BrowseItem& i) { return i.Kind != kBrowseFolderKind; });
  std::wstring doc = L"<?xml version=\"1.0\"?>\r\n<BROWSE>\r\n";
  doc += Line(L"FONT", XmlText(args.Font));
  doc += Line(L"FOUND", HTMLEncode(LangText(L"BROWSEMEDIA/STRFOUND", L"Media Files Found:") + L" " +
                                   std::to_wstring(found)));
  doc += Line(L"SCROLL", std::to_wstring(args.Scroll));
  doc += Line(L"FOLDER", XmlText(args.Folder));
  doc += Line(L"CACHE", XmlText(args.Cache));
  doc += Line(L"WAIT", HTMLEncode(LangText(L"BROWSEMEDIA/STRWAIT", L"Loading")));
  doc += Line(L"ERROR", XmlText(args.Message)) + L"\r\n";
  // Written in place: a folder of tens of thousands of entries makes megabytes.
  doc.reserve(doc.size() + items.size() * 160);
  std::wstring title;
  for (const BrowseItem& item : items) {
    AppendElement(doc, L"JPEG", item.Thumb);
    // The title is HTML: its name and size line are text within it, escaped once
    // for the HTML and the whole once more for the document.
    title = XmlText(item.Name);
    if (item.Kind != kBrowseFolderKind) {
      title += L"<BR><font size='10'>";
      title += XmlText(BrowseSizeLine(item, args.ByDate));
    }
    AppendElement(doc, L"TITLE", title);
    doc += L"<TYPE>";
    doc += std::to_wstring(item.Kind);
    doc += L"</TYPE>\r\n";
  }
  doc += L"</BROWSE>\r\n";
  return doc;
}

bool WriteBrowseDocument(const std::wstring& path, const std::wstring& document) {
  // Well-formed by construction (every text escaped): written as UTF-8, a
  // piece at a time (a folder of thousands of movies makes megabytes).
  const std::wstring temp = TempFileBeside(path);
  if (temp.empty()) return false;
  bool written = false;
  {
    BinaryFile file;
    if (file.Create(temp)) {
      constexpr size_t kPiece = size_t(1) << 18;
      written = true;
      for (size_t at = 0; written && at < document.size();) {
        size_t n = std::min(kPiece, document.size() - at);
        // A surrogate pair stays in one piece.
        if (at + n < document.size() && document[at + n - 1] >= 0xD800 && document[at + n - 1] <= 0xDBFF) --n;
        const std::string bytes = WideToUtf8(std::wstring_view(document).substr(at, n));
        written = file.Write(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        at += n;
      }
      written = file.CloseChecked() && written;
    }
  }
  if (!written) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return CommitTempFile(temp, path);
}

void AddToHistory(std::vector<std::wstring>& rows, int& selected, const std::wstring& folder) {
  if (selected >= 0 && selected < static_cast<int>(rows.size()) && StrEqualNoCase(rows[selected], folder)) return;
  const size_t keep = selected >= 0 ? std::min(rows.size(), static_cast<size_t>(selected) + 1) : 0;
  rows.resize(keep);
  rows.push_back(folder);
  selected = static_cast<int>(rows.size()) - 1;
}

void BrowseFolder(PlayerHost& host, BrowserWindow& window, const std::wstring& folder, bool keepScroll) {
  WriteLog(L"");
  WriteLog(L" :: New Media Browse (" + folder + L")");
  PlayerState& s = host.State();
  OptionSet& o = host.Opts();
  if (!keepScroll) s.BrowseScroll = 0;
  window.StartThumbnails({}, nullptr);  // the run of the folder before ends
  s.BrowseItems.clear();
  s.HoverItem = 0;
  host.PlaylistMarkNonePlaying();
  const std::wstring resolved = ResolveBrowseFolder(folder, o.CurrentFolder, o.MyFlashFolder);
  if (resolved == kDriveList) {
    o.CurrentFolder = kDriveList;
    s.BrowseItems = DriveList();
    ShowBrowsePage(host, window, true, L"");
    return;
  }
  if (resolved.empty()) {
    ShowBrowsePage(host, window, true, LangText(L"BrowseMedia/strNoFolder", L"No folder to browse"));
    return;
  }
  o.CurrentFolder = resolved;
  const BrowseSettings settings = BrowseSettingsOf(host);
  FolderListing listing = ListFolder(resolved, settings, CacheFolder);
  std::wstring message;
  if (!listing.Readable) {
    message = LangText(L"BrowseMedia/strCannotList", L"This folder cannot be listed:") + L" " + resolved;
    WriteLog(message);
  }
  s.BrowseItems = std::move(listing.Items);
  // The page first; the missing thumbnails after it, those in view first.
  ShowBrowsePage(host, window, true, message);
  std::vector<MissingThumbnail> jobs;
  jobs.reserve(listing.Missing.size());
  const std::wstring thumbFolder = ThumbnailFolder(resolved, settings.Satellite, CacheFolder);
  for (int index : listing.Missing) {
    const BrowseItem& item = s.BrowseItems[static_cast<size_t>(index)];
    jobs.push_back(MissingThumbnail{index + 1, item.Path, thumbFolder + item.Thumb, item.Thumb});
  }
  std::unique_ptr<ThumbnailProgress> progress =
      jobs.empty() ? nullptr : window.OpenProgress(static_cast<int>(jobs.size()));
  window.StartThumbnails(std::move(jobs), std::move(progress));
}

void ShowBrowsePage(PlayerHost& host, BrowserWindow& window, bool load, const std::wstring& message) {
  PlayerState& s = host.State();
  OptionSet& o = host.Opts();
  BrowseDocumentArgs args;
  args.Font = LangFont.Name;
  args.Folder = o.CurrentFolder;
  args.Cache = o.CurrentFolder == kDriveList ? L"" : ThumbnailFolder(o.CurrentFolder, o.Satellite, CacheFolder);
  args.Message = message;
  args.Scroll = s.BrowseScroll;
  args.ByDate = host.Checked(L"mnuSortDate");
  const std::wstring path = UserDataFolder + L"browse.xml";
  if (!WriteBrowseDocument(path, BuildBrowseDocument(s.BrowseItems, args)))
    WriteLog(L"The browse page could not be written: " + path);
  if (!load) return;
  std::wstring url = FlashFolder + L"browse.swf?myXML=" + URLEncode(path) + L"&time=" +
                     std::to_wstring(GetTickCount64());
  LoadFlash(host, url, LangText(L"BrowseMedia/strBrowseMedia", L"Browse Media"), true);
  window.FocusMovie();
  std::vector<std::wstring> rows = window.HistoryRows();
  int selected = window.HistoryIndex();
  const size_t before = rows.size();
  const int beforeSelected = selected;
  AddToHistory(rows, selected, o.CurrentFolder);
  if (rows.size() != before || selected != beforeSelected) window.SetHistory(rows, selected);
}

void SetBrowseMenus(PlayerHost& host, BrowserWindow& window, bool browsing, bool menusShown, bool redraw) {
  host.SetEnabled(L"MenuPlayback", !browsing);
  host.SetEnabled(L"mnuBrowseShow", browsing);
  host.SetEnabled(L"mnuBrowseSort", browsing);
  if (menusShown && redraw) window.RedrawMenuBar();
}

void SelectBrowseFolder(PlayerHost& host, BrowserWindow& window, const std::wstring& startFolder) {
  const std::wstring start = startFolder.empty() ? host.Opts().CurrentFolder : startFolder;
  const std::wstring folder =
      window.AskFolder(LangText(L"Player/strSelFolder", L"Select Folder to Browse Media in:"), start);
  if (!folder.empty()) BrowseFolder(host, window, folder, false);
}

}  // namespace player
