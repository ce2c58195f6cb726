#include "player/PlaylistFile.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwctype>

#include "player/CommandLine.h"
#include "services/AppIdentity.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"

namespace player {
namespace {

bool HasControlCharacter(const std::wstring& text) {
  for (wchar_t c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// The build attribute as a number; false when it is none (empty, signs or
// letters, or too long to be one).
bool ParseBuild(const std::wstring& text, long& build) {
  if (text.empty() || text.size() > 9) return false;
  long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  build = value;
  return true;
}

}  // namespace

std::wstring EscapeXmlText(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + 8);
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&#38;"; break;
      case L'<': out += L"&#60;"; break;
      case L'>': out += L"&#62;"; break;
      case L'"': out += L"&#34;"; break;
      default: out += c;
    }
  }
  return out;
}

std::wstring PlaylistText(const std::vector<std::wstring>& items, long playing) {
  std::wstring text;
  size_t size = 128;
  for (const std::wstring& item : items) size += item.size() + 24;
  text.reserve(size);
  text += L"<?xml version=\"1.0\"?><PLAYLIST app=\"";
  text += EscapeXmlText(app::kTitle);
  text += L"\" build=\"" + std::to_wstring(kPlaylistFileBuild) + L"\" play=\"" + std::to_wstring(playing) + L"\">\r\n";
  for (const std::wstring& item : items) {
    text += L"\r\n\t<FILE>";
    text += EscapeXmlText(item);
    text += L"</FILE>\r\n";
  }
  text += L"\r\n\t</PLAYLIST>";
  return text;
}

bool WritePlaylistFile(const std::wstring& path, const std::vector<std::wstring>& items, long playing) {
  if (path.empty()) return false;
  const std::wstring target = GetFileExt(path).empty() ? path + kPlaylistExtension : path;
  return SaveXML(target, PlaylistText(items, playing));
}

PlaylistFileContent ReadPlaylistFile(const std::wstring& path, long programBuild) {
  PlaylistFileContent content;
  XmlDocument doc;
  if (!doc.Load(path)) return content;
  long build = 0;
  if (!ParseBuild(GetXMLText(doc, L"PLAYLIST/@build", L""), build) || build > programBuild) {
    content.Status = PlaylistFileStatus::Incompatible;
    return content;
  }
  content.Status = PlaylistFileStatus::Read;
  const std::wstring folder = GetFolderPart(path);
  const XmlNode root = doc.SelectSingleNode(L"PLAYLIST");
  for (const XmlNode& node : root.ChildNodes()) {
    // Elements only: text, comments and instructions are named "#...".
    const std::wstring name = node.NodeName();
    if (name.empty() || name[0] == L'#') continue;
    std::wstring entry = PlaylistEntryPath(node.Text(), folder);
    if (!entry.empty()) content.Entries.push_back(std::move(entry));
  }
  return content;
}

std::wstring PlaylistEntryPath(const std::wstring& text, const std::wstring& folder) {
  size_t first = text.find_first_not_of(L" ");
  if (first == std::wstring::npos) return L"";
  const std::wstring entry = text.substr(first, text.find_last_not_of(L" ") - first + 1);
  // An entry is a file's path: a script statement would run when played.
  if (IsExecCommand(entry) || HasControlCharacter(entry)) return L"";
  if (!PathIsRelativeW(entry.c_str()) || entry.find(L':') != std::wstring::npos || folder.empty()) return entry;
  // Relative: from the playlist file's folder, with "." and ".." resolved.
  const std::wstring joined = AddBackslash(folder) + entry;
  DWORD n = GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr);
  if (n == 0) return joined;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(joined.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return full.empty() ? joined : full;
}

}  // namespace player
