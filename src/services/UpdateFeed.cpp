#include "services/UpdateFeed.h"

#include <windows.h>
#include <msxml2.h>

#include <optional>

#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "services/ShellMod.h"
#include "services/WebAddress.h"

namespace {

const wchar_t* kBullet = L" \u2022 ";

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return L"";
  return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// A whole number that fits 32 bits, with an optional sign; nothing else.
std::optional<long> ParseBuild(const std::wstring& text) {
  const std::wstring t = Trimmed(text);
  size_t i = (!t.empty() && (t[0] == L'+' || t[0] == L'-')) ? 1 : 0;
  if (i == t.size()) return std::nullopt;
  for (size_t j = i; j < t.size(); ++j) {
    if (t[j] < L'0' || t[j] > L'9') return std::nullopt;
  }
  return TextToLongChecked(t);
}

// A byte count given as a decimal number (a fraction is dropped); 0 when it is not one.
int64_t ParseLength(const std::wstring& text) {
  const std::wstring t = Trimmed(text);
  int64_t value = 0;
  size_t i = 0;
  for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) return 0;
    value = value * 10 + (t[i] - L'0');
  }
  if (i == 0) return 0;
  if (i < t.size() && t[i] == L'.') {
    for (++i; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i) {
    }
  }
  return i == t.size() ? value : 0;
}

// The elements an item's fields are read from, found in one pass over its
// children: for each name the first element of it (names compared exactly,
// prefixes as written), as the paths "title", "update/@app" and so on select.
enum Field { kTitle, kPubDate, kDescription, kUpdate, kEnclosure, kFieldCount };
const wchar_t* const kFieldNames[kFieldCount] = {L"title", L"pubDate", L"description", L"update", L"enclosure"};

struct ItemFields {
  XmlNode first[kFieldCount];
  bool more[kFieldCount] = {};  // a later element of the same name follows the first
};

// The text GetXMLText gives for Path under the item when the selected node's
// text is Text: Default when empty; a "!" reference is left to GetXMLText.
std::wstring Resolved(const XmlNode& item, const std::wstring& text, const wchar_t* path, const std::wstring& def) {
  const std::wstring& value = text.empty() ? def : text;
  if (!value.empty() && value[0] == L'!') return GetXMLText(item, path, def);
  return value;
}

class FeedWalk {
 public:
  FeedWalk(long compBuild, const std::wstring& baseURL, const std::wstring& appTitle)
      : compBuild_(compBuild), baseURL_(baseURL), appTitle_(appTitle) {
    result_.NewestBuild = compBuild;
  }

  void Node(const XmlNode& node, int depth = 0) {
    const std::wstring name = UpperInvariant(node.NodeName());
    if (name == L"CHANNEL") {
      if (depth >= kMaxFeedChannelDepth) {
        WriteLog(L"Update feed: channels nested deeper than " + std::to_wstring(kMaxFeedChannelDepth) +
                 L" levels are not read");
        return;
      }
      // Child by child: only the item in hand is held, however long the feed.
      for (XmlNode child = node.FirstChild(); child && !stopped_; child = child.NextSibling()) {
        if (++walked_ > kMaxFeedEntries) {
          WriteLog(L"Update feed: only the first " + std::to_wstring(kMaxFeedEntries) +
                   L" entries of its channels are read");
          stopped_ = true;
          return;
        }
        Node(child, depth + 1);
      }
    } else if (name == L"ITEM") {
      Item(node);
    }
  }

  UpdateFeedResult Result() const { return result_; }

 private:
  static ItemFields FieldsOf(const XmlNode& item) {
    ItemFields fields;
    int seen = 0;
    for (XmlNode child = item.FirstChild(); child; child = child.NextSibling()) {
      if (++seen > kMaxFeedItemChildren) {
        WriteLog(L"Update feed: only the first " + std::to_wstring(kMaxFeedItemChildren) +
                 L" children of an item are read");
        break;
      }
      if (!child.IsElement()) continue;
      const std::wstring name = child.NodeName();
      for (int f = 0; f < kFieldCount; ++f) {
        if (name != kFieldNames[f]) continue;
        if (fields.first[f]) {
          fields.more[f] = true;
        } else {
          fields.first[f] = child;
        }
        break;
      }
    }
    return fields;
  }

  // The text of an element's field ("title"), as GetXMLText reads it.
  static std::wstring Text(const XmlNode& item, const ItemFields& fields, Field f, const std::wstring& def) {
    return Resolved(item, fields.first[f].Text(), kFieldNames[f], def);
  }

  // An attribute's text ("update/@app"): the first element of the name that
  // carries the attribute, as GetXMLText reads it.
  static std::wstring Attribute(const XmlNode& item, const ItemFields& fields, Field f, const wchar_t* attribute,
                                const std::wstring& def) {
    const std::wstring path = std::wstring(kFieldNames[f]) + L"/@" + attribute;
    if (XmlNode node = fields.first[f].AttributeNode(attribute)) return Resolved(item, node.Text(), path.c_str(), def);
    return fields.more[f] ? GetXMLText(item, path, def) : Resolved(item, L"", path.c_str(), def);
  }

  void Item(const XmlNode& item) {
    const ItemFields fields = FieldsOf(item);
    if (!StrEqualNoCase(Attribute(item, fields, kUpdate, L"app", L""), appTitle_)) return;
    const std::optional<long> build = ParseBuild(Attribute(item, fields, kUpdate, L"build", L""));
    if (!build || *build <= compBuild_) return;
    result_.Found = true;
    std::wstring block =
        L"\r\n\t" + std::wstring(kBullet) + Text(item, fields, kTitle, appTitle_) + kBullet + L"\r\n";
    block += L"\t" + Text(item, fields, kPubDate, std::to_wstring(app::kVersionMajor)) + L"\r\n\r\n";
    block += Text(item, fields, kDescription, L"") + L"\r\n";
    if (result_.DetailsLeftOut == 0 && result_.Details.size() + block.size() <= kMaxUpdateDetails) {
      result_.Details += block;
    } else {
      ++result_.DetailsLeftOut;
    }
    if (*build <= result_.NewestBuild) return;
    const std::wstring url = Attribute(item, fields, kEnclosure, L"url", baseURL_ + L"get");
    if (IsWebAddress(url)) {
      result_.DownloadURL = url;
    } else {
      result_.DownloadURL.clear();
      WriteLog(L"Update feed: download address refused (not an http or https address): " + url);
    }
    result_.DownloadLength = ParseLength(Attribute(item, fields, kEnclosure, L"length", L"0"));
    result_.NewestBuild = *build;
  }

  long compBuild_;
  std::wstring baseURL_, appTitle_;
  UpdateFeedResult result_;
  int walked_ = 0;  // children of channels looked at
  bool stopped_ = false;
};

std::wstring Decode(const char* data, size_t size, UINT codePage, DWORD flags) {
  if (size == 0) return L"";
  const int n = MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), nullptr, 0);
  if (n <= 0) return L"";
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), out.data(), n);
  return out;
}

std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian) {
  std::wstring out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
  }
  return out;
}

}  // namespace

UpdateFeedResult WalkUpdateFeed(const XmlDocument& feed, long compBuild, const std::wstring& baseURL,
                                const std::wstring& appTitle) {
  FeedWalk walk(compBuild, baseURL, appTitle);
  if (XmlNode channel = feed.SelectSingleNode(L"rss/channel")) walk.Node(channel);
  return walk.Result();
}

std::wstring FeedText(const std::string& bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return Decode(bytes.data() + 3, bytes.size() - 3, CP_UTF8, 0);
  }
  if (bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
    return DecodeUtf16(bytes, bytes[0] == '\xFE');
  }
  std::wstring text = Decode(bytes.data(), bytes.size(), CP_UTF8, MB_ERR_INVALID_CHARS);
  return text.empty() && !bytes.empty() ? Decode(bytes.data(), bytes.size(), 1252, 0) : text;
}

UpdateFeedReading ReadUpdateFeed(const std::string& bytes, long compBuild, const std::wstring& baseURL,
                                 const std::wstring& appTitle) {
  UpdateFeedReading reading;
  XmlDocument doc;
  if (!doc.LoadXML(FeedText(bytes))) {
    const XmlParseError& error = doc.ParseError();
    if (error.declaresDtd) {
      reading.Reason = L"The feed declares a DTD (entities or other declarations), which is not read";
    } else {
      reading.Reason = L"Not XML: " + error.reason;
      if (error.line > 0) {
        reading.Reason +=
            L" (line " + std::to_wstring(error.line) + L", column " + std::to_wstring(error.linepos) + L")";
      }
    }
    return reading;
  }
  const std::wstring root = doc.Root().NodeName();
  if (root != L"rss") {
    reading.Reason = L"No rss element: the document's root element is \"" + root + L"\"";
    return reading;
  }
  reading.Read = true;
  reading.Feed = WalkUpdateFeed(doc, compBuild, baseURL, appTitle);
  return reading;
}
