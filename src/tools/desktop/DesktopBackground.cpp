#include "tools/desktop/DesktopBackground.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <exception>
#include <system_error>
#include <utility>
#include <vector>

#include "base/BinaryFile.h"
#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "images/cDIBSection.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"

namespace tools {
namespace {

constexpr wchar_t kItemName[] = L"Zoruv Uredare";
constexpr wchar_t kShellAdvanced[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
// Save, generate the desktop's HTML, refresh.
constexpr DWORD kApplyAll = AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH;

class ActiveDesktopShell : public DesktopShell {
 public:
  ActiveDesktopShell() {
    made_ = CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                             desktop_.PutVoid());
    if (SUCCEEDED(made_) && !desktop_) made_ = E_NOINTERFACE;
  }
  HRESULT GetDesktopItemBySource(const std::wstring& source, COMPONENT& item) override {
    if (FAILED(made_)) return made_;
    return desktop_->GetDesktopItemBySource(source.c_str(), &item, 0);
  }
  HRESULT GetWallpaper(std::wstring& path) override {
    if (FAILED(made_)) return made_;
    // Room for the longest path the system has.
    std::vector<wchar_t> buffer(32768, L'\0');
    const HRESULT hr = desktop_->GetWallpaper(buffer.data(), static_cast<UINT>(buffer.size()), 0);
    buffer.back() = L'\0';
    path = SUCCEEDED(hr) ? std::wstring(buffer.data()) : std::wstring();
    return hr;
  }
  HRESULT RemoveDesktopItem(const COMPONENT& item) override {
    return FAILED(made_) ? made_ : desktop_->RemoveDesktopItem(&item, 0);
  }
  HRESULT AddDesktopItem(const COMPONENT& item) override {
    return FAILED(made_) ? made_ : desktop_->AddDesktopItem(&item, 0);
  }
  HRESULT ApplyChanges(DWORD flags) override { return FAILED(made_) ? made_ : desktop_->ApplyChanges(flags); }

 private:
  ComPtr<IActiveDesktop> desktop_;
  HRESULT made_ = E_FAIL;
};

std::wstring LastErrorText(const std::wstring& doing, const std::wstring& path) {
  return doing + L" " + path + L": " + ResultText(HRESULT_FROM_WIN32(GetLastError()));
}

// Size and last write of a file; false when it is not there.
bool Stamp(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameStamp(const WIN32_FILE_ATTRIBUTE_DATA& x, const WIN32_FILE_ATTRIBUTE_DATA& y) {
  return x.nFileSizeHigh == y.nFileSizeHigh && x.nFileSizeLow == y.nFileSizeLow &&
         CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0;
}

bool IsCurrentCopy(const std::wstring& from, const std::wstring& to) {
  WIN32_FILE_ATTRIBUTE_DATA sf{}, st{};
  return Stamp(from, sf) && Stamp(to, st) && SameStamp(sf, st);
}

// Copies a file over target unless target is already a copy of it (same
// size and last write, which a copy keeps) or the file itself.
bool CopyUnlessCurrent(const std::wstring& from, const std::wstring& to) {
  return IsCurrentCopy(from, to) || CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

// The template as text: UTF-8 (ours), or the system's code page for a
// template someone saved that way.
std::wstring ReadTemplate(const std::wstring& path) {
  BinaryFile f;
  if (!f.OpenRead(path)) return L"";
  const int64_t size = f.Size();
  if (size <= 0 || size > (16 << 20)) return L"";
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!f.ReadExactAt(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()))) return L"";
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) > 0)
    return Utf8ToWide(bytes);
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

// True when the file at path holds exactly bytes (a page is never large:
// anything over 16 MB is taken as different).
bool HoldsExactly(const std::wstring& path, const std::string& bytes) {
  BinaryFile f;
  if (bytes.size() > (16u << 20) || !f.OpenRead(path) || f.Size() != static_cast<int64_t>(bytes.size())) return false;
  std::vector<uint8_t> held(bytes.size());
  return f.ReadExactAt(0, held) && std::equal(held.begin(), held.end(), bytes.begin(), bytes.end(),
                                              [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); });
}

// The item's page as written: a temporary file beside the page to be moved
// over it, or none when the page already holds exactly these bytes.
struct ItemPage {
  std::wstring temp;
  bool unchanged = false;
  bool ok() const { return unchanged || !temp.empty(); }
};

// The page for the item, written beside its page unless it is unchanged;
// neither when it could not be written (GetLastError tells why).
ItemPage WriteItemPage(const DesktopPlace& place, const DesktopChoice& choice, const SWFInfo& movie,
                       const std::wstring& caption, long screenWidth, long screenHeight) {
  DesktopPageValues v;
  v.Title = caption;
  v.MoviePath = place.MoviePath();
  v.DataPath = place.DataFolder;
  v.BackColor = movie.BackColor;
  v.ScreenWidth = screenWidth;
  v.ScreenHeight = screenHeight;
  v.MovieWidth = movie.Width;
  v.MovieHeight = movie.Height;
  v.Transparent = choice.Transparent;
  v.Mute = choice.Mute;
  const std::string bytes = WideToUtf8(FillDesktopPage(ReadTemplate(place.TemplatePath), v));
  ItemPage page;
  if (HoldsExactly(place.PagePath(), bytes)) {
    page.unchanged = true;
    return page;
  }
  const std::wstring temp = TempFileBeside(place.PagePath());
  if (temp.empty()) return page;
  if (WriteWholeFile(temp, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))) {
    page.temp = temp;
    return page;
  }
  const DWORD error = GetLastError();
  DeleteFileW(temp.c_str());
  SetLastError(error);
  return page;
}

// Puts the item's files in the folder, the movie's copy last; "" when done,
// else why not (the item's earlier files then stay as they were).
std::wstring WriteItemFiles(const DesktopPlace& place, const DesktopChoice& choice, const SWFInfo& movie,
                            const std::wstring& caption, long screenWidth, long screenHeight,
                            DesktopMovieCopy& movieCopy) {
  if (!FileExists(place.TemplatePath)) return L"The page template is missing: " + place.TemplatePath;
  if (!MakeDirs(place.Folder)) return LastErrorText(L"Could not make the folder", place.Folder);
  if (!CopyUnlessCurrent(place.SoundMovie, place.SoundPath()))
    return LastErrorText(L"Could not copy", place.SoundMovie);
  const ItemPage page = WriteItemPage(place, choice, movie, caption, screenWidth, screenHeight);
  if (!page.ok()) return LastErrorText(L"Could not write", place.PagePath());
  std::wstring failure = movieCopy.Wait();
  if (failure.empty()) failure = movieCopy.Commit();
  if (!failure.empty()) {
    if (!page.unchanged) DeleteFileW(page.temp.c_str());
    return failure;
  }
  // A page that already says what it should is left as it is.
  if (page.unchanged) return L"";
  return CommitTempFile(page.temp, place.PagePath()) ? L"" : LastErrorText(L"Could not write", place.PagePath());
}

}  // namespace

std::unique_ptr<DesktopShell> CreateShellDesktop() { return std::make_unique<ActiveDesktopShell>(); }

DesktopMovieCopy::DesktopMovieCopy(const DesktopPlace& place, const std::wstring& from)
    : from_(from), to_(place.MoviePath()) {
  needed_ = !from.empty() && !IsCurrentCopy(from, to_);
  if (!needed_) return;
  try {
    thread_ = std::thread([this] {
      try {
        Run();
      } catch (const std::exception&) {
        failure_ = L"Could not copy " + from_ + L": out of memory";
      }
    });
  } catch (const std::system_error&) {
    Run();  // no helper thread to be had: copied at once
  }
}

DesktopMovieCopy::~DesktopMovieCopy() {
  Wait();
  if (!temp_.empty()) DeleteFileW(temp_.c_str());
}

void DesktopMovieCopy::Run() {
  const std::wstring folder = to_.substr(0, to_.find_last_of(L'\\') + 1);
  if (!MakeDirs(folder)) {
    failure_ = LastErrorText(L"Could not make the folder", folder);
    return;
  }
  temp_ = TempFileBeside(to_);
  if (temp_.empty()) {
    failure_ = LastErrorText(L"Could not write", to_);
  } else if (!CopyFileW(from_.c_str(), temp_.c_str(), FALSE)) {
    failure_ = LastErrorText(L"Could not copy", from_);
    DeleteFileW(temp_.c_str());
    temp_.clear();
  }
}

std::wstring DesktopMovieCopy::Wait() {
  if (thread_.joinable()) thread_.join();
  return failure_;
}

std::wstring DesktopMovieCopy::Commit() {
  const std::wstring failure = Wait();
  if (!needed_ || !failure.empty()) return failure;
  const std::wstring temp = std::exchange(temp_, std::wstring());
  // The earlier movie is moved aside (a name taken beside it) rather than
  // replaced, so freeing a large file's space is left off OK's way; it is
  // deleted on the helper thread. Moved back when the new copy cannot go in.
  std::wstring aside = FileExists(to_) ? TempFileBeside(to_) : L"";
  if (!aside.empty() && !MoveFileExW(to_.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(aside.c_str());
    aside.clear();
  }
  if (!CommitTempFile(temp, to_)) {
    const std::wstring why = LastErrorText(L"Could not copy", from_);
    if (!aside.empty()) MoveFileExW(aside.c_str(), to_.c_str(), 0);
    return why;
  }
  if (aside.empty()) return L"";
  try {
    thread_ = std::thread([aside] { DeleteFileW(aside.c_str()); });
  } catch (const std::system_error&) {
    DeleteFileW(aside.c_str());  // no helper thread to be had: deleted at once
  }
  return L"";
}

DesktopPlace ShellDesktopPlace() {
  DesktopPlace p;
  // Without the shell's folder the item's files stay with the program's own data.
  const std::wstring appData = GetSpecialFolder(CSIDL_APPDATA);
  p.Folder = (appData.empty() ? UserDataFolder : appData) + L"Microsoft\\Internet Explorer\\";
  p.SoundMovie = FlashFolder + L"sound.swf";
  p.TemplatePath = MediaFolder + L"Desktop.html";
  p.DataFolder = UserDataFolder;
  p.IconsKey = kShellAdvanced;
  return p;
}

COMPONENT DesktopItemRecord(const std::wstring& pagePath, long screenWidth, long screenHeight) {
  COMPONENT c{};
  c.dwSize = sizeof(COMPONENT);
  c.iComponentType = COMP_TYPE_HTMLDOC;
  c.fChecked = c.fDirty = c.fNoScroll = TRUE;
  c.cpPos.dwSize = sizeof(COMPPOS);
  c.cpPos.dwWidth = static_cast<DWORD>(screenWidth);
  c.cpPos.dwHeight = static_cast<DWORD>(screenHeight);
  lstrcpynW(c.wszFriendlyName, kItemName, MAX_PATH);
  lstrcpynW(c.wszSource, pagePath.c_str(), INTERNET_MAX_URL_LENGTH);
  c.dwCurItemState = IS_FULLSCREEN;
  c.csiOriginal.dwSize = sizeof(COMPSTATEINFO);
  c.csiOriginal.dwWidth = static_cast<DWORD>(screenWidth);
  c.csiOriginal.dwHeight = static_cast<DWORD>(screenHeight);
  c.csiOriginal.dwItemState = IS_FULLSCREEN;
  c.csiRestored = c.csiOriginal;
  return c;
}

std::wstring FillDesktopPage(const std::wstring& pageTemplate, const DesktopPageValues& v) {
  std::wstring color = TrimNull(v.BackColor);
  if (color.size() != 6 || color.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
    color = L"FFFFFF";
  const std::pair<const wchar_t*, std::wstring> values[] = {
      {L"[TITLE]", HTMLEncode(v.Title)},
      {L"[MOVIEPATH]", HTMLEncode(v.MoviePath)},
      {L"[DATAPATH]", HTMLEncode(v.DataPath)},
      {L"[BGCOLOR]", color},
      {L"[MOVIEWIDTH]", std::to_wstring(v.ScreenWidth)},
      {L"[MOVIEHEIGHT]", std::to_wstring(v.ScreenHeight)},
      {L"[SCALEMODE]", L"showall"},
      {L"[WMODE]", v.Transparent ? L"transparent" : L"opaque"},
      {L"[SOUND]", L"sound.swf?volume=" + std::wstring(v.Mute ? L"0" : L"100") + L"&x=" +
                       std::to_wstring(v.MovieWidth) + L"&y=" + std::to_wstring(v.MovieHeight)},
  };
  // One pass over the template: a value (a title holding "[WMODE]") is never read again.
  std::wstring page;
  page.reserve(pageTemplate.size() + 512);
  for (size_t i = 0; i < pageTemplate.size();) {
    bool replaced = false;
    if (pageTemplate[i] == L'[') {
      for (const auto& [name, value] : values) {
        if (pageTemplate.compare(i, wcslen(name), name) == 0) {
          page += value;
          i += wcslen(name);
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) page += pageTemplate[i++];
  }
  return page;
}

bool DesktopItemPresent(DesktopShell& shell, const DesktopPlace& place) {
  COMPONENT item{};
  item.dwSize = sizeof(COMPONENT);
  return SUCCEEDED(shell.GetDesktopItemBySource(place.PagePath(), item));
}

bool IconsHidden(const DesktopPlace& place) {
  return GetRegLong(place.IconsKey, L"HideIcons", 0, false, HKEY_CURRENT_USER) != 0;
}

std::wstring ApplyDesktop(DesktopShell& shell, const DesktopPlace& place, const DesktopChoice& choice,
                          const SWFInfo& movie, const std::wstring& caption, long screenWidth, long screenHeight,
                          DesktopMovieCopy& movieCopy) {
  SaveRegLong(place.IconsKey, L"HideIcons", choice.HideIcons ? 1 : 0, false, HKEY_CURRENT_USER);
  const COMPONENT item = DesktopItemRecord(place.PagePath(), screenWidth, screenHeight);
  // Taking the item off deletes its files; putting it on writes each of them
  // again where it changed.
  if (!choice.Enable)
    for (const std::wstring& file : {place.MoviePath(), place.SoundPath(), place.PagePath()}) DeleteFileW(file.c_str());
  // Files that could not all be written leave the item (and what it shows) as it was.
  if (choice.Enable) {
    const std::wstring failure = WriteItemFiles(place, choice, movie, caption, screenWidth, screenHeight, movieCopy);
    if (!failure.empty()) return failure;
  }
  // Removing an item that is not there fails harmlessly: only the changes count.
  shell.RemoveDesktopItem(item);
  HRESULT hr = shell.ApplyChanges(kApplyAll);
  if (!choice.Enable) return FAILED(hr) ? ResultText(hr) : std::wstring();
  hr = shell.AddDesktopItem(item);
  if (SUCCEEDED(hr)) hr = shell.ApplyChanges(kApplyAll);
  return FAILED(hr) ? ResultText(hr) : std::wstring();
}

std::wstring ResultText(HRESULT hr) {
  wchar_t* buffer = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = buffer ? buffer : L"";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text.empty() ? std::wstring(L"Error ") + code : text + L" (" + code + L")";
}

COLORREF MovieBackColor(const std::wstring& hex) {
  const std::wstring h = TrimNull(hex);
  if (h.size() != 6 || h.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos) return RGB(0, 0, 0);
  const unsigned long v = std::wcstoul(h.c_str(), nullptr, 16);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

RECT MiniRect(const RECT& r, long screenWidth, long screenHeight, int width, int height) {
  if (screenWidth <= 0 || screenHeight <= 0) return {};
  auto sx = [&](long x) { return static_cast<LONG>(static_cast<long long>(width) * x / screenWidth); };
  auto sy = [&](long y) { return static_cast<LONG>(static_cast<long long>(height) * y / screenHeight); };
  return {sx(r.left), sy(r.top), sx(r.right), sy(r.bottom)};
}

void DrawMiniDesktop(HDC dc, int width, int height, const MiniDesktop& m) {
  const RECT all{0, 0, width, height};
  if (m.Transparent || !m.Enable) {
    if (m.Wallpaper && m.Wallpaper->hdc()) {
      m.Wallpaper->PaintPicture(dc, 0, 0);
    } else {
      FillRect(dc, &all, GetSysColorBrush(COLOR_DESKTOP));
    }
  } else {
    ScopedBrush brush(CreateSolidBrush(m.MovieColor));
    FillRect(dc, &all, brush.get());
  }
  if (m.Enable) DrawPNG(m.ImagesFolder + L"swf", dc, 36, 20, false);
  if (!m.HideIcons) DrawPNG(m.ImagesFolder + L"icons", dc, 0, 0, false);
  if (m.Taskbar && m.Taskbar->hdc()) m.Taskbar->PaintPicture(dc, m.TaskbarAt.x, m.TaskbarAt.y);
}

}  // namespace tools
