// The media browser's page: the grid's geometry and the cells in view, a
// thumbnail written after its cell was drawn, the events it sends (hot
// cell, double click, wheel and keys), the document read as input (the
// title's lines, hostile thumbnail names, a huge or truncated document) and
// the page saved as a picture with thumbnails, folders, a hot and a selected cell.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "FlashTestSupport.h"
#include "base/Handles.h"
#include "images/IntelJPEGLibrary.h"
#include "images/cDIBSection.h"
#include "platform/flash/pages/BrowsePage.h"
#include "platform/flash/control/FlashControl.h"
#include "services/Services.h"

using namespace flashtest;
using flash::BrowsePage;
using flash::MediaBrowserView;

namespace {

class RecordingHost : public flash::PageHost {
 public:
  std::wstring Variable(const std::wstring& path) const override {
    auto it = vars.find(path);
    return it == vars.end() ? L"" : it->second;
  }
  void Publish(const std::wstring& path, const std::wstring& value) override { vars[path] = value; }
  void RaiseCommand(const std::wstring& command, const std::wstring& args) override {
    commands.push_back(command + L" " + args);
  }
  void OpenLink(const std::wstring&) override {}
  double Now() const override { return 0; }
  std::map<std::wstring, std::wstring> vars;
  std::vector<std::wstring> commands;
};

// A document of n entries: folders first (k folders), then movies whose thumbnails are "tN.jpg".
std::string Document(int n, int folders, const std::string& cache, const std::string& jpegOverride = "") {
  std::string doc = "<?xml version=\"1.0\"?>\r\n<BROWSE>\r\n<FONT>Tahoma</FONT>\r\n<FOUND>Media Files Found: " +
                    std::to_string(n - folders) + "</FOUND>\r\n<SCROLL>0</SCROLL>\r\n<FOLDER>C:\\Movies\\</FOLDER>\r\n"
                    "<CACHE>" + cache + "</CACHE>\r\n<WAIT>Loading</WAIT>\r\n<ERROR></ERROR>\r\n\r\n";
  for (int i = 1; i <= n; ++i) {
    const bool folder = i <= folders;
    doc += "<JPEG>" + (jpegOverride.empty() ? "t" + std::to_string(i) + ".jpg" : jpegOverride) + "</JPEG>\r\n";
    doc += folder ? "<TITLE>Folder " + std::to_string(i) + "</TITLE>\r\n"
                  : "<TITLE>clip " + std::to_string(i) + ".swf&#60;BR&#62;&#60;font size='10'&#62;1.95 KB</TITLE>\r\n";
    doc += std::string("<TYPE>") + (folder ? "3" : "1") + "</TYPE>\r\n";
  }
  return doc + "</BROWSE>\r\n";
}

void WriteThumb(const std::wstring& path, COLORREF colour) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(120, 90));
  RECT all{0, 0, 120, 90};
  ScopedBrush brush(CreateSolidBrush(colour));
  FillRect(dib.hdc(), &all, brush.get());
  ASSERT_TRUE(SaveJPG(dib, path, 90));
}

class BrowsePageTest : public ::testing::Test {
 protected:
  void Start(const std::string& doc) {
    const std::wstring xml = dir.File(L"browse.xml");
    testing_support::WriteText(xml, doc);
    host.vars[L"myXML"] = xml;
    page.Start(host);
    page.Layout(640, 480);
    host.commands.clear();
  }
  std::string Cache() const {
    std::string s;
    for (wchar_t c : dir.Path()) s += static_cast<char>(c);
    return s;
  }
  testing_support::TempDir dir;
  RecordingHost host;
  BrowsePage page;
};

TEST(MediaBrowserViewTest, GridGeometry) {
  MediaBrowserView view;
  view.SetItems(std::vector<flash::BrowseEntry>(10), L"");
  view.SetBounds(RECT{0, 0, 640, 400});
  EXPECT_EQ(view.Columns(), 4);  // (640 - 17) / 150
  struct Case {
    int x, y, item;
  } cases[] = {{160, 10, 2}, {10, 10, 1}, {10, 160, 5}, {152, 10, 0}, {10, 2, 0}, {620, 10, 0}, {460, 310, 0}};
  // (460, 310): row 2, column 3 is entry 12, past the count.
  for (const Case& c : cases) EXPECT_EQ(view.ItemFromPoint(c.x, c.y), c.item) << c.x << "," << c.y;
  view.SetBounds(RECT{0, 0, 100, 400});
  EXPECT_EQ(view.Columns(), 1);  // never fewer than one column
}

// The cells in view as the page scrolls, and a thumbnail written after its
// cell was drawn without one: it shows at the next paint once the page is told.
TEST_F(BrowsePageTest, TheCellsInViewAndAThumbnailWrittenLater) {
  Start(Document(100, 0, Cache()));
  int first = 0, last = 0;
  page.View().VisibleItems(first, last);
  const int rows = (480 - page.View().Bounds().top) / MediaBrowserView::kCell + 1;
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, rows * 4);
  page.View().SetScroll(MediaBrowserView::kCell * 10 + 20);
  page.View().VisibleItems(first, last);
  EXPECT_EQ(first, 41);
  EXPECT_GE(last, 41 + 4 * rows - 1);
  page.View().SetScroll(0);

  cDIBSection dib;
  ASSERT_TRUE(dib.Create(640, 480));
  auto paintedRed = [&] {
    page.Paint(dib.hdc(), RECT{0, 0, 640, 480}, 1.0);
    const RECT cell = page.View().GetItemRect(1);
    const COLORREF c = GetPixel(dib.hdc(), (cell.left + cell.right) / 2, page.View().Bounds().top + cell.top + 50);
    return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
  };
  EXPECT_FALSE(paintedRed());
  WriteThumb(dir.File(L"t1.jpg"), RGB(255, 0, 0));
  EXPECT_FALSE(paintedRed()) << "a failed read is remembered";
  page.View().ThumbnailWritten(L"t1.jpg");
  EXPECT_TRUE(paintedRed());
}

TEST_F(BrowsePageTest, ReadsTheDocumentAndSplitsTitles) {
  Start(Document(3, 1, Cache()));
  ASSERT_TRUE(page.Loaded());
  const auto& e = page.Document().entries;
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].name, L"Folder 1");
  EXPECT_EQ(e[0].kind, 3);
  EXPECT_EQ(e[1].name, L"clip 2.swf");
  EXPECT_EQ(e[1].sizeLine, L"1.95 KB");
  EXPECT_EQ(page.Document().found, L"Media Files Found: 2");
  std::wstring name, size;
  flash::SplitBrowseTitle(L"b.swf<br><font size='10'>1.95 KB", name, size);
  EXPECT_EQ(name + L"|" + size, L"b.swf|1.95 KB");
}

TEST_F(BrowsePageTest, HotCellDoubleClickAndEnter) {
  Start(Document(6, 1, Cache()));
  const int top = page.View().Bounds().top;
  page.MouseMove(host, 20, top + 20, false);
  page.MouseMove(host, 30, top + 30, false);  // same cell: nothing new
  page.MouseMove(host, 170, top + 20, false);
  page.MouseMove(host, 152, top + 20, false);  // the margin between cells
  page.DoubleClick(host, 170, top + 20);
  page.Key(host, VK_RIGHT);
  page.Key(host, VK_RETURN);
  EXPECT_EQ(host.commands, (std::vector<std::wstring>{L"SHOTOVER 1", L"SHOTOVER 2", L"SHOTOVER 0", L"SHOTCLICK 2",
                                                       L"SHOTCLICK 3"}));
}

TEST_F(BrowsePageTest, WheelAndKeysScrollAndReport) {
  std::string doc = Document(40, 0, Cache());
  doc.replace(doc.find("<SCROLL>0"), 9, "<SCROLL>300");
  Start(doc);
  EXPECT_EQ(page.View().Scroll(), 300);  // SCROLL restored
  host.vars[L"mwheel"] = L"-1";
  page.CallLabel(host, L"vbCall", L"MWH");
  host.vars[L"mwheel"] = L"1";
  page.CallLabel(host, L"vbCall", L"MWH");
  page.CallLabel(host, L"vbCall", L"MWH");
  page.Key(host, VK_HOME);
  page.Key(host, VK_END);
  const int max = page.View().MaxScroll();
  EXPECT_EQ(host.commands, (std::vector<std::wstring>{L"BROWSESCROLL 375", L"BROWSESCROLL 300", L"BROWSESCROLL 225",
                                                       L"BROWSESCROLL 0", L"BROWSESCROLL " + std::to_wstring(max)}));
  EXPECT_GT(max, 0);
}

TEST_F(BrowsePageTest, HostileDocumentsNeverReachOutsideTheCache) {
  EXPECT_FALSE(flash::IsBareFileName(L"..\\x.jpg"));
  EXPECT_FALSE(flash::IsBareFileName(L"\\\\host\\x.jpg"));
  for (const wchar_t* bad : {L"C:x.jpg", L"CON", L"nul.jpg", L"com1.jpg", L"*.jpg", L"a.jpg."})
    EXPECT_FALSE(flash::IsBareFileName(bad)) << bad;
  EXPECT_TRUE(flash::IsBareFileName(L"C@Movies#clip.swf.jpg"));
  // A picture beside the cache folder, named through "..": never read.
  testing_support::TempDir cache;
  WriteThumb(dir.File(L"x.jpg"), RGB(255, 0, 0));
  std::string cachePath;
  for (wchar_t c : cache.Path()) cachePath += static_cast<char>(c);
  for (const char* jpeg : {"..\\x.jpg", "\\\\host\\x.jpg"}) {
    Start(Document(2, 0, cachePath, std::string(jpeg)));
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(640, 480));
    page.Paint(dib.hdc(), RECT{0, 0, 640, 480}, 1.0);
    EXPECT_EQ(page.View().DecodedThumbs(), 0u) << jpeg;
  }
  // A huge listing is read and drawn one page at a time; a truncated file is no document.
  Start(Document(100000, 0, Cache()));
  EXPECT_EQ(page.View().Count(), 100000);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(640, 480));
  page.Paint(dib.hdc(), RECT{0, 0, 640, 480}, 1.0);
  EXPECT_LE(page.View().DecodedThumbs(), 12u);
  const std::string whole = Document(5, 0, Cache());
  BrowsePage truncated;
  testing_support::WriteText(dir.File(L"cut.xml"), whole.substr(0, whole.size() / 2));
  host.vars[L"myXML"] = dir.File(L"cut.xml");
  truncated.Start(host);
  EXPECT_FALSE(truncated.Loaded());
  EXPECT_EQ(truncated.View().Count(), 0);
}

// The page as the user sees it, saved for a look: thumbnails, folders, a hot and a selected cell.
TEST_F(BrowsePageTest, PageWithThumbnailsPicture) {
  const auto saved = std::make_pair(ImagesFolder, SkinFolder);
  ImagesFolder = testing_support::ProgramDir() + L"Media\\Images\\";
  SkinFolder = testing_support::ProgramDir() + L"Media\\Skin\\";
  flash::BrowsePage shown;  // made with the program's pictures
  const COLORREF colours[] = {RGB(200, 60, 60), RGB(60, 160, 80), RGB(60, 90, 200), RGB(230, 180, 40)};
  for (int i = 3; i <= 8; ++i) WriteThumb(dir.File(L"t" + std::to_wstring(i) + L".jpg"), colours[i % 4]);
  testing_support::WriteText(dir.File(L"browse.xml"), Document(9, 2, Cache()));
  host.vars[L"myXML"] = dir.File(L"browse.xml");
  shown.Start(host);
  shown.Layout(640, 480);
  const int top = shown.View().Bounds().top;
  shown.MouseDown(host, 170 + 150 * 2, top + 20);   // selects entry 4
  shown.MouseMove(host, 20, top + 170, false);        // entry 5 hot
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(640, 480));
  shown.Paint(dib.hdc(), RECT{0, 0, 640, 480}, 1.0);
  std::tie(ImagesFolder, SkinFolder) = saved;
  EXPECT_EQ(shown.View().Selected, 4);
  EXPECT_EQ(shown.View().Hot, 5);
  // A thumbnail's colour shows inside its cell's picture area.
  const RECT r = shown.View().GetItemRect(3);
  const COLORREF inside = GetPixel(dib.hdc(), (r.left + r.right) / 2, top + r.top + 50);
  EXPECT_GT(GetGValue(inside), 100) << std::hex << inside;
  dib.SavePicture(testing_support::ProgramDir() + L"browser.bmp");
}

TEST(HelperMoviesTest, BrowsePageTakesWheelThroughTheControl) {
  testing_support::TempDir dir;
  std::string cache;
  for (wchar_t c : dir.Path()) cache += static_cast<char>(c);
  testing_support::WriteText(dir.File(L"browse.xml"), Document(30, 0, cache));
  HostWindow window(640, 480);
  flash::FlashControl control(window.get(), 0, 0, 640, 480);
  std::vector<std::wstring> commands;
  control.OnFSCommand = [&](const std::wstring& c, const std::wstring& a) { commands.push_back(c + L" " + a); };
  control.LoadMovie(0, testing_support::ProgramDir() + L"Media\\Flash\\browse.swf?myXML=" + dir.File(L"browse.xml"));
  ASSERT_NE(dynamic_cast<BrowsePage*>(control.Page()), nullptr);
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(640, 480));
  ASSERT_TRUE(control.Paint(dib.hdc(), 640, 480));
  control.SetVariable(L"_root.mwheel", L"-1");
  control.TCallLabel(L"vbCall", L"MWH");
  PumpMessages();
  EXPECT_EQ(commands, (std::vector<std::wstring>{L"BROWSESCROLL 75"}));
}

}  // namespace
