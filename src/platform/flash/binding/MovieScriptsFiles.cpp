// What a movie's scripts reach outside the movie: files beside it only
// (never above its folder or on another drive), variables loaded from them,
// and get-URL: FS commands, loads into clips and levels, and links handed to
// the control (never "javascript:" or "print:").
#include <windows.h>

#include "base/BinaryFile.h"
#include "base/TextConv.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/script/UrlQuery.h"

namespace flash {
namespace {

constexpr size_t kMaxLoadedFile = size_t(16) << 20;

}  // namespace

using script::Object;
using script::Value;

bool MovieScripts::SandboxPath(const std::wstring& movieFolder, const std::wstring& url, std::wstring& path,
                               bool* missing) {
  if (missing) *missing = false;
  if (movieFolder.empty()) return false;
  std::wstring u = url.substr(0, url.find(L'?'));
  u = PercentDecode(u);
  if (u.empty() || u.find(L':') != std::wstring::npos || u[0] == L'/' || u[0] == L'\\') return false;
  std::wstring out = movieFolder;
  size_t start = 0;
  bool any = false;
  while (start <= u.size()) {
    size_t end = u.find_first_of(L"/\\", start);
    if (end == std::wstring::npos) end = u.size();
    const std::wstring part = u.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == L".") continue;
    if (part == L".." || part.find_first_of(L"<>\"|*?") != std::wstring::npos) return false;
    // The names of devices (CON, NUL, COM1 ...) name no file in any folder.
    std::wstring stem = UpperInvariant(part.substr(0, part.find(L'.')));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* d : devices)
      if (stem == d) return false;
    if (stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) && iswdigit(stem[3])) return false;
    if (any) out += L'\\';
    out += part;
    any = true;
  }
  if (!any) return false;
  const DWORD attributes = GetFileAttributesW(out.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (missing) *missing = true;
    return false;
  }
  path = out;
  return true;
}

std::wstring MovieScripts::Sandboxed(const std::wstring& url, bool* missing) const {
  std::wstring path;
  return SandboxPath(movieFolder_, url, path, missing) ? path : L"";
}

bool MovieScripts::ReadMovieFile(const std::wstring& url, std::string& bytes) {
  bool missing = false;
  const std::wstring path = Sandboxed(url, &missing);
  if (path.empty()) {
    if (!missing) Warn(L"a script may only read files beside the movie: '" + url + L"' was refused");
    return false;
  }
  BinaryFile f;
  if (!f.OpenRead(path)) return false;
  const int64_t size = f.Size();
  if (size < 0 || size > static_cast<int64_t>(kMaxLoadedFile)) return false;
  bytes.assign(static_cast<size_t>(size), '\0');
  if (!f.ReadExactAt(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()))) return false;
  readLocalFile_ = true;
  return true;
}

void MovieScripts::LoadVariablesInto(Object* target, const std::wstring& url) {
  if (!target) return;
  PendingLoad load{target, {}, ReadMovieFile(url, load.bytes)};
  loads_.push_back(std::move(load));
}

void MovieScripts::GetUrl(script::Vm& vm, const std::wstring& url, const std::wstring& target, uint8_t flags,
                          script::ClipObject* clip) {
  if (StartsWithNoCase(url, L"FSCommand:")) {
    player_.Command(url.substr(10), target);
    return;
  }
  Object* base = clip ? static_cast<Object*>(clip) : ObjectOf(player_.Root());
  bool level = StartsWithNoCase(target, L"_level");
  int number = 0;
  for (size_t i = 6; level && i < target.size(); ++i) {
    if (!iswdigit(target[i]) || number > 100000) return;
    number = number * 10 + (target[i] - L'0');
  }
  if (level && target.size() == 6) return;
  script::ClipObject* into = nullptr;
  if (level) {
    into = Level(number);
  } else if (flags & 0x02) {
    into = vm.ResolveTarget(base, target);
  }
  if (flags & 0x01) {
    LoadVariablesInto(into ? into : (flags & 0x02) ? nullptr : ObjectOf(player_.Root()), url);
    return;
  }
  if (level && number > 0) {
    if (url.empty())
      player_.UnloadLevel(number);
    else
      LoadMovieNum(number, url);
    return;
  }
  if (level || (flags & 0x02)) {
    auto* mc = static_cast<MovieClipObject*>(into);
    if (!mc || !mc->TheClip()) return;
    if (url.empty()) {
      player_.Empty(*mc->TheClip());
    } else {
      LoadMovieInto(mc->TheClip(), url);
    }
    return;
  }
  // Blanks and control characters around an address are no part of it.
  size_t first = 0, end = url.size();
  while (first < end && url[first] <= L' ') ++first;
  while (end > first && url[end - 1] <= L' ') --end;
  const std::wstring address = url.substr(first, end - first);
  if (StartsWithNoCase(address, L"javascript:") || StartsWithNoCase(address, L"print:") || address.empty()) return;
  links_.push_back(address);
}

}  // namespace flash
