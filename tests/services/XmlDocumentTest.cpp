#include <gtest/gtest.h>

#include <tuple>

#include "base/TextConv.h"
#include "support/LoopbackServer.h"
#include "support/TestSupport.h"
#include "services/XmlDocument.h"

using testing_support::TempDir;
using testing_support::WriteText;

namespace {

const wchar_t* kMetadata =
    L"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
    L"<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/1.1\">"
    L"<dc:title>Night \u05e9 Flight</dc:title><dc:description>A movie</dc:description>"
    L"</rdf:Description></rdf:RDF>";

const wchar_t* kLanguage =
    L"<?xml version=\"1.0\"?>"
    L"<LANG title=\"English\" author=\"me\">"
    L"<FILE text=\"File\"/><OPEN text=\"!FILE\"/><BROKEN text=\"!NOWHERE\"/><EMPTY text=\"\"/>"
    L"<MENU><ITEM text=\"!FILE\"/></MENU>"
    L"</LANG><!-- trailing comment -->";

TEST(XmlDocument, PrefixedPathsAsWrittenInTheDocument) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXML(kMetadata));
  EXPECT_EQ(doc.SelectSingleNode(L"rdf:RDF/rdf:Description/dc:title").Text(), L"Night \u05e9 Flight");
  EXPECT_EQ(GetXMLText(doc, L"rdf:RDF/rdf:Description/dc:description", L"-"), L"A movie");
  EXPECT_TRUE(doc.SelectSingleNode(L"rdf:RDF/rdf:Description/@rdf:about"));
  EXPECT_FALSE(doc.SelectSingleNode(L"RDF/Description/title"));  // no prefix: no match
  EXPECT_FALSE(doc.SelectSingleNode(L"rdf:RDF/rdf:description"));  // names compare with case
  EXPECT_EQ(doc.Root().NodeName(), L"rdf:RDF");

  // A default namespace does not hide names written without a prefix.
  XmlDocument lang;
  ASSERT_TRUE(lang.LoadXML(L"<LANG xmlns=\"urn:example\"><OPEN text=\"Open\"/></LANG>"));
  EXPECT_EQ(GetXMLText(lang, L"LANG/OPEN/@text", L"d"), L"Open");
}

TEST(XmlDocument, SelectionsInDocumentOrder) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXML(L"<TIPS><TIP n=\"1\"/><GROUP><TIP n=\"x\"/></GROUP><TIP n=\"2\">two</TIP></TIPS>"));
  auto tips = doc.SelectNodes(L"TIPS/TIP");
  ASSERT_EQ(tips.size(), 2u);
  EXPECT_EQ(tips[0].Attribute(L"n"), L"1");
  EXPECT_EQ(tips[1].Attribute(L"n"), L"2");
  EXPECT_EQ(GetXMLText(tips[1], L".", L""), L"two");
  EXPECT_EQ(GetXMLText(tips[0], L"@n", L""), L"1");
  EXPECT_EQ(tips[0].Attribute(L"missing"), L"");
  EXPECT_EQ(doc.SelectNodes(L"TIPS/*/TIP").size(), 1u);  // other expressions go to the parser
  EXPECT_EQ(doc.Root().ChildNodes().size(), 3u);
  EXPECT_EQ(doc.Root().LastChild().NodeName(), L"TIP");
  EXPECT_EQ(doc.SelectNodes(L"TIPS/NONE").size(), 0u);
}

TEST(GetXMLText, ReferencesMissingNodesInvalidPathsAndEmptyDocuments) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXML(kLanguage));
  const std::vector<std::tuple<const wchar_t*, const wchar_t*, const wchar_t*>> cases = {
      {L"LANG/FILE/@text", L"d", L"File"},
      {L"LANG/OPEN/@text", L"d", L"File"},
      {L"LANG/BROKEN/@text", L"d", L"d"},
      {L"LANG/EMPTY/@text", L"d", L"d"},
      {L"LANG/MISSING/@text", L"d", L"d"},
      {L"LANG/MISSING/@text", L"!FILE", L"File"},  // a default may refer too
      {L"LANG/MISSING/@text", L"!NOWHERE", L"!NOWHERE"}};
  for (const auto& [path, dflt, text] : cases) EXPECT_EQ(GetXMLText(doc, path, dflt), text) << path << " " << dflt;
  for (const wchar_t* path : {L"00:00", L"LANG/A B", L"", L"LANG/", L"/", L"LANG[", L"LANG/@", L"@@", L"LANG/'x'",
                              L"LANG/FILE/@text/more"}) {
    EXPECT_EQ(GetXMLText(doc, path, L"d"), L"d") << path;
  }
  // From a node deep inside the document, the reference still starts at the root.
  XmlNode menu = doc.SelectSingleNode(L"LANG/MENU");
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetXMLText(menu, L"ITEM/@text", L"d"), L"File");

  XmlDocument empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(GetXMLText(empty, L"LANG/FILE/@text", L"dflt"), L"dflt");
  EXPECT_EQ(GetXMLText(empty, L"LANG/FILE/@text", L"!FILE"), L"!FILE");
  EXPECT_TRUE(empty.SelectNodes(L"TIPS/TIP").empty());
  EXPECT_EQ(GetXMLText(XmlNode(), L"A", L"d"), L"d");
}

TEST(XmlDocument, FailedLoadsLeaveAnEmptyDocument) {
  TempDir dir;
  ASSERT_TRUE(WriteText(dir.File(L"bad.xml"), "<SKIN>\n<ITEM>\n</SKIN>"));
  ASSERT_TRUE(WriteText(dir.File(L"held.xml"), "<HELD/>"));
  XmlDocument doc;
  auto expectFails = [&](const std::wstring& path) {
    ASSERT_TRUE(doc.LoadXML(L"<OLD/>"));
    EXPECT_FALSE(doc.Load(path)) << path;
    EXPECT_FALSE(doc.ParseError().reason.empty()) << path;
    EXPECT_TRUE(doc.Empty()) << path;
    EXPECT_FALSE(doc.SelectSingleNode(L"OLD")) << path;
  };
  for (const std::wstring& path : {dir.File(L"missing.xml"), dir.File(L"bad.xml"), dir.Path(),  // a folder
                                   dir.Path() + std::wstring(300, L'x') + L".xml"})
    expectFails(path);
  EXPECT_FALSE(doc.LoadXML(L""));
  EXPECT_TRUE(doc.Empty());

  // A file another program holds open: readable while it lets others read, not otherwise.
  for (DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{0}}) {
    HANDLE held = CreateFileW(dir.File(L"held.xml").c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    if (share) EXPECT_TRUE(doc.Load(dir.File(L"held.xml")));
    else expectFails(dir.File(L"held.xml"));
    CloseHandle(held);
  }
}

TEST(XmlDocument, EntityExpansionIsNotFollowed) {
  std::wstring text = L"<!DOCTYPE B [<!ENTITY e0 \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\">";
  for (int i = 1; i <= 9; ++i) {
    text += L"<!ENTITY e" + std::to_wstring(i) + L" \"";
    for (int k = 0; k < 10; ++k) text += L"&e" + std::to_wstring(i - 1) + L";";
    text += L"\">";
  }
  text += L"]><B>&e9;</B>";
  XmlDocument doc;
  doc.LoadXML(text);  // refused, or at least not expanded to gigabytes
  EXPECT_LT(doc.Root().Text().size(), 1000000u);
}

// A DOCTYPE that only names the root element and an external DTD is taken
// as no DTD at all: paths start at the root element, and nothing is fetched
// (the DTDs named here are on the tests' own server, which must see no
// request). One with declarations of its own is refused.
TEST(XmlDocument, DoctypesThatDeclareNothingAreAcceptedAndNeverRead) {
  testing_support::LoopbackServer server;
  server.Serve("/rss.dtd", testing_support::HttpAnswer::Ok("<!ENTITY title \"Fetched\">", "application/xml-dtd"));
  const std::wstring dtd = server.Url("/rss.dtd");
  const std::wstring body = L"<rss version=\"0.91\"><channel><title>News</title></channel></rss>";
  const std::wstring accepted[] = {
      L"<?xml version=\"1.0\"?>\n<!DOCTYPE rss>\n" + body,
      L"<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" \"" + dtd + L"\">" + body,
      L"<?xml version=\"1.0\"?><!-- a comment --><?style x?><!DOCTYPE rss SYSTEM '" + dtd + L"?a>b'>" + body,
  };
  for (const std::wstring& text : accepted) {
    SCOPED_TRACE(WideToUtf8(text));
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(text)) << WideToUtf8(doc.ParseError().reason);
    EXPECT_EQ(doc.SelectSingleNode(L"rss/channel/title").Text(), L"News");
    EXPECT_EQ(GetXMLText(doc, L"rss/@version", L""), L"0.91");
    EXPECT_EQ(doc.SelectNodes(L"rss/channel").size(), 1u);
  }
  const std::wstring refused[] = {
      L"<!DOCTYPE rss [<!ENTITY t \"Declared\">]><rss><channel><title>&t;</title></channel></rss>",
      L"<?xml version=\"1.0\"?><!DOCTYPE rss SYSTEM \"" + dtd + L"\" []>" + body,
  };
  for (const std::wstring& text : refused) {
    SCOPED_TRACE(WideToUtf8(text));
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadXML(text));
    EXPECT_TRUE(doc.ParseError().declaresDtd);
    EXPECT_TRUE(doc.Empty());
  }
  EXPECT_TRUE(server.Requests().empty()) << "a DTD was fetched";
}

TEST(XmlDocument, BytesInMemoryAreReadInTheirOwnEncodingAndFollowNoEntity) {
  auto load = [](const std::string& bytes) {
    XmlDocument doc;
    doc.LoadBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    return doc.Root().Text();
  };
  EXPECT_EQ(load("<A>\xC3\xA9\xE4\xB8\xAD</A>"), L"\u00E9\u4E2D");  // UTF-8 without a declaration
  EXPECT_EQ(load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A>\xE9</A>"), L"\u00E9");
  EXPECT_EQ(load(std::string("\xFF\xFE<\0A\0>\0\xE9\0-N<\0/\0A\0>\0", 20)), L"\u00E9\u4E2D");  // UTF-16 LE
  EXPECT_EQ(load("<A>\xE9</A>"), L"");  // not UTF-8, and no other encoding named
  // An entity naming a file of the machine brings nothing of it in.
  TempDir dir;
  ASSERT_TRUE(WriteText(dir.File(L"secret.txt"), "secret"));
  std::string url = "file:///";
  for (wchar_t c : dir.File(L"secret.txt")) url += c == L'\\' ? '/' : static_cast<char>(c);
  EXPECT_EQ(load("<!DOCTYPE A [<!ENTITY s SYSTEM \"" + url + "\">]><A>&s;</A>").find(L"secret"), std::wstring::npos);
}

TEST(XmlDocument, LoadsAndSavesInFoldersWithUrlCharactersOrBeyondASCII) {
  TempDir dir;
  for (const wchar_t* name : {L"plain", L"C# tools", L"50% off", L"a%20b", L"x;y&z=1", L"[1] {2}",
                              L"\u05e2\u05d5\u05e8"}) {
    std::wstring folder = dir.File(name) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << name;
    ASSERT_TRUE(WriteText(folder + L"skin.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                "<SKIN name=\"Gr\xC3\xBCn\"><VIEW id=\"viewNormal\"/></SKIN>"));
    XmlDocument doc;
    EXPECT_TRUE(doc.Load(folder + L"skin.xml")) << name;
    EXPECT_EQ(GetXMLText(doc, L"SKIN/@name", L"d"), L"Gr\u00fcn") << name;
    EXPECT_TRUE(doc.Save(folder + L"copy.xml")) << name;
    XmlDocument copy;
    EXPECT_TRUE(copy.Load(folder + L"copy.xml")) << name;
    EXPECT_EQ(GetXMLText(copy, L"SKIN/VIEW/@id", L"d"), L"viewNormal") << name;
    EXPECT_EQ(GetXMLText(copy, L"SKIN/@name", L"d"), L"Gr\u00fcn") << name;
  }
}

TEST(XmlDocument, FilesInOtherEncodings) {
  TempDir dir;
  // UTF-16 with its byte-order mark, as a text editor saves "Unicode".
  std::wstring text = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><LANG title=\"\u0420\u0443\u0441\"/>";
  std::vector<uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()),
                             reinterpret_cast<const uint8_t*>(text.data() + text.size()));
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"utf16.xml"), bytes));
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(dir.File(L"utf16.xml")));
  EXPECT_EQ(GetXMLText(doc, L"LANG/@title", L""), L"\u0420\u0443\u0441");
  ASSERT_TRUE(WriteText(dir.File(L"latin1.xml"), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><LANG title=\"Fran\xE7" "ais\"/>"));
  ASSERT_TRUE(doc.Load(dir.File(L"latin1.xml")));
  EXPECT_EQ(GetXMLText(doc, L"LANG/@title", L""), L"Fran\u00e7ais");
}

}  // namespace
