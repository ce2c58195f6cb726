#include "player/lists/PlaylistFile.h"

#include <windows.h>
#include <msxml2.h>

#include <cwctype>
#include <span>

#include "base/BinaryFile.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "player/start/CommandLine.h"
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

// Whether every character may stand in an XML document: no control
// characters, no U+FFFE or U+FFFF, surrogates only in pairs.
bool IsXmlText(const std::wstring& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if ((c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') || c == 0xFFFE || c == 0xFFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
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

std::wstring EntryPath(const wchar_t* text, size_t size, const std::wstring& folder) {
  // Blanks and line breaks around the path are the file's layout.
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  size_t first = 0, end = size;
  while (first < end && blank(text[first])) ++first;
  while (end > first && blank(text[end - 1])) --end;
  if (first == end) return L"";
  std::wstring entry(text + first, end - first);
  // An entry is a file's path: a script statement would run when played.
  if ((entry[0] == L'/' && IsExecCommand(entry)) || HasControlCharacter(entry)) return L"";
  const bool rooted = entry[0] == L'\\' || entry[0] == L'/' || entry.find(L':') != std::wstring::npos;
  if (rooted || folder.empty()) return entry;
  // Relative: from the playlist file's folder, with "." and ".." resolved.
  const std::wstring joined = AddBackslash(folder) + entry;
  DWORD n = GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr);
  if (n == 0) return joined;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(joined.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return full.empty() ? joined : full;
}

// Appends the text as UTF-8 with every "&", "<", ">" and '"' as a character
// reference (the text holds surrogates in pairs only: IsXmlText).
void AppendEscapedUtf8(std::string& out, const std::wstring& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c < 0x80) {
      switch (c) {
        case L'&': out += "&#38;"; break;
        case L'<': out += "&#60;"; break;
        case L'>': out += "&#62;"; break;
        case L'"': out += "&#34;"; break;
        default: out += static_cast<char>(c);
      }
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const uint32_t code = 0x10000 + ((static_cast<uint32_t>(c) - 0xD800) << 10) + (text[++i] - 0xDC00);
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

}  // namespace

std::wstring EscapeXmlText(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() + 8);
  AppendEscapedUtf8(out, text);
  return Utf8ToWide(out);
}

std::string PlaylistText(const std::vector<std::wstring>& items, long playing) {
  std::string text;
  size_t size = 128;
  for (const std::wstring& item : items) size += item.size() + 24;
  text.reserve(size + size / 4);
  // As the XML library saves it: the declaration and the root on lines of their own.
  text += "<?xml version=\"1.0\"?>\r\n<PLAYLIST app=\"";
  AppendEscapedUtf8(text, app::kTitle);
  text += "\" build=\"" + std::to_string(kPlaylistFileBuild) + "\" play=\"" + std::to_string(playing) + "\">";
  for (const std::wstring& item : items) {
    if (!IsXmlText(item)) continue;  // no file's name: it could not be read back
    text += "<FILE>";
    AppendEscapedUtf8(text, item);
    text += "</FILE>";
  }
  text += "</PLAYLIST>\r\n";
  return text;
}

bool WritePlaylistFile(const std::wstring& path, const std::vector<std::wstring>& items, long playing) {
  if (path.empty()) return false;
  const std::wstring target = GetFileExt(path).empty() ? path + kPlaylistExtension : path;
  // The text is well-formed by construction (every entry escaped, none that
  // XML cannot hold): written beside the old file, then put in its place.
  const std::string bytes = PlaylistText(items, playing);
  const std::wstring temp = TempFileBeside(target);
  if (temp.empty()) return false;
  if (!WriteWholeFile(temp, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return CommitTempFile(temp, target);
}

PlaylistFileContent ReadPlaylistFile(const std::wstring& path, long programBuild) {
  PlaylistFileContent content;
  XmlDocument doc;
  {
    // White space is kept as it stands (the entries are trimmed here), which
    // spares the parser its test of every text it reads.
    ComPtr<IXMLDOMDocument> raw;
    if (doc.Node() && SUCCEEDED(doc.Node().Raw()->QueryInterface(IID_IXMLDOMDocument, raw.PutVoid())))
      raw->put_preserveWhiteSpace(VARIANT_TRUE);
  }
  if (!doc.Load(path)) return content;
  long build = 0;
  if (!ParseBuild(GetXMLText(doc, L"PLAYLIST/@build", L""), build) || build > programBuild) {
    content.Status = PlaylistFileStatus::Incompatible;
    return content;
  }
  content.Status = PlaylistFileStatus::Read;
  const std::wstring folder = GetFolderPart(path);
  const XmlNode root = doc.SelectSingleNode(L"PLAYLIST");
  if (!root) return content;
  // The element children in document order (text, comments and instructions
  // are no entries), walked sibling by sibling.
  ComPtr<IXMLDOMNode> child;
  root.Raw()->get_firstChild(child.Put());
  while (child) {
    DOMNodeType type = NODE_INVALID;
    if (SUCCEEDED(child->get_nodeType(&type)) && type == NODE_ELEMENT) {
      BSTR text = nullptr;
      if (SUCCEEDED(child->get_text(&text)) && text) {
        std::wstring entry = EntryPath(text, SysStringLen(text), folder);
        if (!entry.empty()) content.Entries.push_back(std::move(entry));
      }
      SysFreeString(text);
    }
    ComPtr<IXMLDOMNode> next;
    child->get_nextSibling(next.Put());
    child = std::move(next);
  }
  return content;
}

std::wstring PlaylistEntryPath(const std::wstring& text, const std::wstring& folder) {
  return EntryPath(text.data(), text.size(), folder);
}

}  // namespace player
