// The update feed's walk over parsed feeds, the web-address rule it applies to
// download addresses, the decoding of fetched feed bytes, and reading a feed
// whole with the reason it is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogCapture.h"
#include "base/TextConv.h"
#include "services/ShellMod.h"
#include "services/UpdateFeed.h"
#include "services/WebAddress.h"

namespace {

const wchar_t* kBase = L"http://www.swfzel.example/";

struct Item {
  std::wstring build;
  std::wstring title = L"Build";
  std::wstring url = L"http://dl.example/new.exe";
  std::wstring length = L"1024";
  std::wstring app = L"SWF.zel";
  std::wstring tag = L"item";
};

std::wstring ItemXml(const Item& item) {
  std::wstring xml = L"<" + item.tag + L"><title>" + item.title + L"</title><pubDate>Mon, 1 Jan 2024</pubDate>" +
                     L"<description>About " + item.title + L"</description>";
  xml += L"<update app=\"" + item.app + L"\"";
  if (item.build != L"-") xml += L" build=\"" + item.build + L"\"";
  xml += L"/>";
  if (item.url != L"-") xml += L"<enclosure url=\"" + item.url + L"\" length=\"" + item.length + L"\"/>";
  return xml + L"</" + item.tag + L">";
}

std::wstring Feed(const std::vector<Item>& items) {
  std::wstring xml = L"<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>News</title>";
  for (const Item& item : items) xml += ItemXml(item);
  return xml + L"</channel></rss>";
}

UpdateFeedResult Walk(const std::wstring& xml, long compBuild = 883) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadXML(xml)) << doc.ParseError().reason;
  return WalkUpdateFeed(doc, compBuild, kBase);
}

std::wstring Block(const std::wstring& title) {
  return L"\r\n\t \u2022 " + title + L" \u2022 \r\n\tMon, 1 Jan 2024\r\n\r\nAbout " + title + L"\r\n";
}

TEST(UpdateFeed, WhichItemsCountAndWhichKeepsTheDownload) {
  struct Case {
    const char* name;
    std::vector<Item> items;
    bool found;
    long newest;
    std::wstring details, url;
    int64_t length;
  };
  const std::vector<Case> cases = {
      {"another program's item, whatever its build",
       {{L"9999", L"Other", L"http://x/o", L"1", L"Other Player"}},
       false,
       883,
       L"",
       L"",
       0},
      {"a build equal to the one compared is no update", {{L"883"}}, false, 883, L"", L"", 0},
      {"two newer items in feed order, the higher keeps address and size",
       {{L"884", L"Small", L"http://dl.example/884.exe", L"1000"},
        {L"890", L"Big", L"http://dl.example/890.exe", L"2097152"}},
       true,
       890,
       Block(L"Small") + Block(L"Big"),
       L"http://dl.example/890.exe",
       2097152},
      {"the higher first: the lower adds details only",
       {{L"890", L"Big", L"http://dl.example/890.exe", L"2097152"},
        {L"884", L"Small", L"http://dl.example/884.exe", L"1000"}},
       true,
       890,
       Block(L"Big") + Block(L"Small"),
       L"http://dl.example/890.exe",
       2097152},
      {"equal highest builds keep the first",
       {{L"900", L"First", L"http://dl.example/a.exe", L"1"}, {L"900", L"Second", L"http://dl.example/b.exe", L"2"}},
       true,
       900,
       Block(L"First") + Block(L"Second"),
       L"http://dl.example/a.exe",
       1},
      {"Item in any case, program name in any case",
       {{L"885", L"Caps", L"http://dl.example/c.exe", L"5", L"swf.ZEL", L"ITEM"},
        {L"886", L"Mixed", L"http://dl.example/m.exe", L"6", L"SWF.zel", L"iTeM"}},
       true,
       886,
       Block(L"Caps") + Block(L"Mixed"),
       L"http://dl.example/m.exe",
       6},
      {"a build that is not a number, or none, is skipped",
       {{L"890", L"Real", L"http://dl.example/r.exe", L"7"},
        {L"abc", L"Text"},
        {L"-", L"Missing"},
        {L"12x", L"Tail"},
        {L"99999999999", L"Huge"}},
       true,
       890,
       Block(L"Real"),
       L"http://dl.example/r.exe",
       7},
      {"no enclosure: the site's download address, size 0",
       {{L"884", L"Plain", L"-"}},
       true,
       884,
       Block(L"Plain"),
       std::wstring(kBase) + L"get",
       0},
      {"a length that is not a number counts as 0",
       {{L"884", L"Odd", L"https://dl.example/o.exe", L"lots"}},
       true,
       884,
       Block(L"Odd"),
       L"https://dl.example/o.exe",
       0},
  };
  for (const Case& c : cases) {
    UpdateFeedResult r = Walk(Feed(c.items));
    EXPECT_EQ(r.Found, c.found) << c.name;
    EXPECT_EQ(r.NewestBuild, c.newest) << c.name;
    EXPECT_EQ(r.Details, c.details) << c.name;
    EXPECT_EQ(r.DownloadURL, c.url) << c.name;
    EXPECT_EQ(r.DownloadLength, c.length) << c.name;
  }
  EXPECT_EQ(FormatByteSize(Walk(Feed(cases[2].items)).DownloadLength), FormatByteSize(2097152));
}

TEST(UpdateFeed, EnclosuresThatAreNotWebAddressesGiveNoDownload) {
  for (const wchar_t* url : {L"file:///C:/x.exe", L"\\\\host\\x.exe", L"ftp://h/x.exe", L"javascript:alert(1)",
                             L"x.exe", L"http:/x.exe", L"http://"}) {
    LogCapture log;
    UpdateFeedResult r = Walk(Feed({{L"884", L"Bad", url}}));
    EXPECT_TRUE(r.Found) << url;
    EXPECT_EQ(r.NewestBuild, 884) << url;
    EXPECT_EQ(r.DownloadURL, L"") << url;
    ASSERT_EQ(log.lines.size(), 1u) << url;
    EXPECT_NE(log.lines[0].find(url), std::wstring::npos) << url;
  }
  // A refused higher build takes the download away from a lower good one.
  EXPECT_EQ(
      Walk(Feed({{L"884", L"Good", L"http://dl.example/g.exe"}, {L"885", L"Bad", L"file:///C:/x.exe"}})).DownloadURL,
      L"");
}

TEST(UpdateFeed, FeedsWithoutAChannelOrWithNestedOnes) {
  const std::wstring item = ItemXml({L"884", L"Nested"});
  EXPECT_FALSE(Walk(L"<rss>" + item + L"</rss>").Found);  // items outside any channel
  EXPECT_FALSE(Walk(L"<feed><channel>" + item + L"</channel></feed>").Found);
  EXPECT_FALSE(Walk(L"<rss><Channel>" + item + L"</Channel></rss>").Found);                 // the path keeps its case
  EXPECT_FALSE(Walk(L"<rss><channel><group>" + item + L"</group></channel></rss>").Found);  // direct children only
  UpdateFeedResult nested = Walk(L"<rss><channel><CHANNEL>" + item + L"</CHANNEL></channel></rss>");
  EXPECT_TRUE(nested.Found);
  EXPECT_EQ(nested.Details, Block(L"Nested"));
  XmlDocument empty;
  EXPECT_FALSE(WalkUpdateFeed(empty, 883, kBase).Found);
}

// An item's fields come from its first element of each name, wherever it
// stands among the others; attributes from the first element carrying them.
TEST(UpdateFeed, AnItemsFieldsWhateverTheirOrderAndCompany) {
  const std::wstring update = L"<update app=\"SWF.zel\" build=\"884\"/>";
  const std::wstring enclosure = L"<enclosure url=\"http://dl.example/e.exe\" length=\"42\"/>";
  const std::wstring full = L"<title>T</title><pubDate>Mon, 1 Jan 2024</pubDate><description>About T</description>";
  struct Case {
    const char* name;
    std::wstring children;
    std::wstring details, url;
    int64_t length;
  };
  const std::wstring plain = Block(L"T"), url = L"http://dl.example/e.exe";
  const std::wstring base = std::wstring(kBase) + L"get";
  const std::wstring defaults = L"\r\n\t \u2022 SWF.zel \u2022 \r\n\t1\r\n\r\n\r\n";
  const std::vector<Case> cases = {
      {"fields in reverse order",
       enclosure + update + L"<description>About T</description><pubDate>Mon, 1 Jan 2024</pubDate><title>T</title>",
       plain, url, 42},
      {"repeated fields: the first of each",
       full + L"<title>U</title><description>Other</description>" + update +
           L"<update app=\"SWF.zel\" build=\"999\"/>" + enclosure +
           L"<enclosure url=\"http://dl.example/2.exe\" length=\"7\"/>",
       plain, url, 42},
      {"an attribute from the first element carrying it",
       full + L"<update build=\"884\"/><enclosure length=\"9\"/><update app=\"SWF.zel\" build=\"1\"/>" +
           L"<enclosure url=\"http://dl.example/late.exe\" length=\"8\"/>",
       plain, L"http://dl.example/late.exe", 9},
      {"prefixed, differently cased and unknown elements are not fields",
       L"<dc:title xmlns:dc=\"urn:dc\">D</dc:title><Title>C</Title><category>x</category>" + full +
           L"<m:update xmlns:m=\"urn:m\" app=\"SWF.zel\" build=\"999\"/>" + update +
           L"<m:enclosure xmlns:m=\"urn:m\" url=\"http://dl.example/m.exe\"/>" +
           L"<ENCLOSURE url=\"http://x/X\"/>" + enclosure,
       plain, url, 42},
      {"whitespace, comments and instructions between the fields",
       L"\r\n  <!-- <title>no</title> -->\r\n  <?title no?><title>T</title>\r\n  <pubDate>Mon, 1 Jan 2024</pubDate> "
       L"<!--c--><description>About T</description>\r\n  " + update + L"\r\n  <?enclosure url=\"http://x/\"?>" +
           enclosure + L"\r\n",
       plain, url, 42},
      {"missing fields take their defaults", update, defaults, base, 0},
      {"empty fields take their defaults too",
       L"<title/><pubDate></pubDate><description/>" + update + L"<enclosure url=\"\" length=\"\"/>", defaults, base,
       0},
      {"CDATA and markup inside a field",
       L"<title><![CDATA[T]]></title><pubDate>Mon, 1 <!--x-->Jan <b>2024</b></pubDate>"
       L"<description>About <![CDATA[<b>T</b> & more]]></description>" + update + enclosure,
       L"\r\n\t \u2022 T \u2022 \r\n\tMon, 1 Jan 2024\r\n\r\nAbout <b>T</b> & more\r\n", url, 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UpdateFeedResult r = Walk(L"<rss><channel><item>" + c.children + L"</item></channel></rss>");
    EXPECT_TRUE(r.Found);
    EXPECT_EQ(r.NewestBuild, 884);
    EXPECT_EQ(r.Details, c.details);
    EXPECT_EQ(r.DownloadURL, c.url);
    EXPECT_EQ(r.DownloadLength, c.length);
  }
  // Only a field's first element is read, even when it leaves the item out.
  EXPECT_FALSE(Walk(L"<rss><channel><item><update build=\"884\" app=\"Other\"/>" + update +
                    L"</item></channel></rss>").Found);
  EXPECT_FALSE(Walk(L"<rss><channel><item><x:update xmlns:x=\"urn:x\" app=\"SWF.zel\" build=\"884\"/>"
                    L"</item></channel></rss>").Found);
  // A field reading "!name" is the "text" attribute of that element under the root.
  const UpdateFeedResult named = Walk(L"<rss><names text=\"Named\"/><channel><item><title>!names</title>" + update +
                                      L"</item></channel></rss>");
  EXPECT_EQ(named.Details, L"\r\n\t \u2022 Named \u2022 \r\n\t1\r\n\r\n\r\n");
}

// The walk's bounds: each stops the walk short and says so in the log.
TEST(UpdateFeed, TheWalksBoundsAreLogged) {
  const std::wstring item = ItemXml({L"884", L"Late"});
  {
    LogCapture log;
    std::wstring children;
    for (int i = 1; i < kMaxFeedItemChildren; ++i) children += L"<category/>";
    const std::wstring update = L"<update app=\"SWF.zel\" build=\"884\"/></item></channel></rss>";
    EXPECT_TRUE(Walk(L"<rss><channel><item>" + children + update).Found);  // the last child read
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(Walk(L"<rss><channel><item><category/>" + children + update).Found);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(L"children of an item"), std::wstring::npos);
  }
  for (int depth : {kMaxFeedChannelDepth, kMaxFeedChannelDepth + 1}) {
    LogCapture log;
    std::wstring open, close;
    for (int i = 1; i < depth; ++i) open += L"<channel>", close += L"</channel>";
    const UpdateFeedResult r = Walk(L"<rss><channel>" + open + item + close + L"</channel></rss>");
    EXPECT_EQ(r.Found, depth == kMaxFeedChannelDepth) << depth;
    EXPECT_EQ(log.lines.size(), depth == kMaxFeedChannelDepth ? 0u : 1u) << depth;
  }
  {
    LogCapture log;
    std::wstring entries;
    entries.reserve(kMaxFeedEntries * 4 + item.size());
    for (int i = 1; i < kMaxFeedEntries; ++i) entries += L"<x/>";
    const std::wstring last = entries + item;
    EXPECT_TRUE(Walk(L"<rss><channel>" + last + L"</channel></rss>").Found);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(Walk(L"<rss><channel><x/>" + last + L"</channel></rss>").Found);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(L"entries"), std::wstring::npos);
  }
}

TEST(UpdateFeed, WebAddresses) {
  for (const wchar_t* yes : {L"http://a.b/x", L"HTTPS://a.b", L"Http://127.0.0.1:8080/get?x=1", L"http://u@h/x"}) {
    EXPECT_TRUE(IsWebAddress(yes)) << yes;
  }
  for (const wchar_t* no : {L"", L"http://", L"https:///x", L"http://a b/", L"http://a\\b", L"http://u@/x",
                            L"http://:80/", L"mailto:a@b", L"file://host/share"}) {
    EXPECT_FALSE(IsWebAddress(no)) << no;
  }
}

// A feed of thousands of newer items: the details end at their bound after a
// whole item, the rest are counted, and the download is still the newest build's.
TEST(UpdateFeed, TheDetailsOfAHugeFeedAreBoundedButEveryItemCounts) {
  std::vector<Item> items;
  for (int i = 0; i < 2000; ++i) {
    items.push_back({std::to_wstring(900 + i), L"Build " + std::to_wstring(i),
                     L"http://dl.example/" + std::to_wstring(i) + L".exe"});
  }
  const UpdateFeedResult r = Walk(Feed(items));
  EXPECT_LE(r.Details.size(), kMaxUpdateDetails);
  size_t shown = 0;
  for (size_t at = 0; (at = r.Details.find(L" \u2022 \r\n", at)) != std::wstring::npos; ++at) ++shown;
  EXPECT_GT(shown, 10u);
  EXPECT_EQ(shown + static_cast<size_t>(r.DetailsLeftOut), items.size());
  EXPECT_EQ(r.Details.substr(r.Details.size() - Block(L"Build " + std::to_wstring(shown - 1)).size()),
            Block(L"Build " + std::to_wstring(shown - 1)))
      << "the last item shown is whole";
  EXPECT_EQ(r.NewestBuild, 2899);
  EXPECT_EQ(r.DownloadURL, L"http://dl.example/1999.exe");
  EXPECT_EQ(Walk(Feed({{L"900"}})).DetailsLeftOut, 0);
}

TEST(UpdateFeed, ReadingAFeedSaysWhatIsWrongWithIt) {
  const std::string decl = "<?xml version=\"1.0\"?>";
  const std::string feed = WideToUtf8(Feed({{L"900"}}));
  const std::string body = feed.substr(decl.size());
  const struct Case {
    const char* name;
    std::string bytes;
    bool read;
    std::wstring reason;  // its start
  } cases[] = {
      {"a plain feed", feed, true, L""},
      {"a bare DOCTYPE", decl + "<!DOCTYPE rss>" + body, true, L""},
      {"the RSS 0.91 DOCTYPE",
       decl +
           "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
           "\"http://127.0.0.1:1/rss-0.91.dtd\">" +
           body,
       true, L""},
      {"entity declarations", decl + "<!DOCTYPE rss [<!ENTITY b \"900\">]>" + body, false, L"The feed declares a DTD"},
      {"a web page", "<html><body>Not found", false, L"Not XML: "},
      {"nothing", "", false, L"Not XML: "},
      {"another root element", decl + "<feed><entry/></feed>", false, L"No rss element"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UpdateFeedReading reading = ReadUpdateFeed(c.bytes, 883, kBase);
    EXPECT_EQ(reading.Read, c.read);
    EXPECT_EQ(reading.Reason.compare(0, c.reason.size(), c.reason), 0) << WideToUtf8(reading.Reason);
    EXPECT_EQ(reading.Feed.Found, c.read);
    if (c.read) {
      EXPECT_EQ(reading.Feed.NewestBuild, 900);
    }
  }
}

TEST(UpdateFeed, FeedBytesToText) {
  struct Case {
    std::string bytes;
    std::wstring text;
  };
  const std::vector<Case> cases = {
      {"<a>\xC3\xA9</a>", L"<a>\u00e9</a>"},                  // UTF-8
      {"\xEF\xBB\xBF<a>\xE2\x80\xA2</a>", L"<a>\u2022</a>"},  // UTF-8 with its mark
      {std::string("\xFF\xFE<\0a\0>\0", 8), L"<a>"},          // UTF-16, little end first
      {std::string("\xFE\xFF\0<\0a\0>", 8), L"<a>"},          // UTF-16, big end first
      {"<a>\xE9t\xE9</a>", L"<a>\u00e9t\u00e9</a>"},          // not UTF-8: Windows-1252
      {"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(FeedText(c.bytes), c.text) << c.bytes;
  // The parser takes the decoded text of a feed that declared another encoding.
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXML(FeedText("<?xml version=\"1.0\" encoding=\"windows-1252\"?><rss>caf\xE9</rss>")));
  EXPECT_EQ(doc.Root().Text(), L"caf\u00e9");
}

}  // namespace
