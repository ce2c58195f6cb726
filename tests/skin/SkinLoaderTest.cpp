// Reading skin descriptions into the item table.
#include <gtest/gtest.h>

#include "../services/LogCapture.h"
#include "SkinTestHost.h"
#include "TestSupport.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "skin/SkinItems.h"
#include "skin/SkinLoader.h"

namespace {

TEST(SkinNumbers, FollowTheAttributeRule) {
  struct Case {
    const wchar_t* text;
    long value;
    bool number;
  } cases[] = {
      {L"12", 12, true},      {L"12px", 12, true},   {L" 1 2 ", 12, true}, {L"-7", -7, true},
      {L"+3", 3, true},       {L"2.5", 2, true},     {L"3.5", 4, true},    {L"&H1F", 31, true},
      {L"&hff zz", 255, true}, {L"px", 0, false},    {L"", 0, false},      {L"99999999999", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "text " << WideToUtf8(c.text));
    EXPECT_EQ(c.number, SkinLongChecked(c.text).has_value());
    EXPECT_EQ(c.value, SkinLong(c.text));
  }
}

TEST(SkinNumbers, ColoursAreReadRedFirst) {
  struct Case {
    const wchar_t* text;
    COLORREF colour;
  } cases[] = {{L"#FF8000", 0x000080FF}, {L"00ff00", 0x0000FF00}, {L"#00ff00", 0x0000FF00}, {L"0", 0},
               {L"#000000", 0},          {L"#FFFFFF", 0x00FFFFFF}, {L"#12", 0x12}};
  for (const Case& c : cases) EXPECT_EQ(c.colour, ParseSkinColor(c.text)) << WideToUtf8(c.text);
}

// A skin folder of its own with pictures beside the rendered ones.
class SkinLoad : public ::testing::Test {
 protected:
  testing_support::TempDir skinDir;
  SkinFolders folders{skinDir.Path(), RenderedUserSkinFolder()};
  std::vector<std::wstring> extraPictures;
  InterfaceFont savedFont = LangFont;

  void Picture(const std::wstring& relative, int w, int h, COLORREF color) {
    WriteSolidBmp(RenderedUserSkinFolder() + relative, w, h, color);
    extraPictures.push_back(RenderedUserSkinFolder() + relative);
  }
  ~SkinLoad() override {
    LangFont = savedFont;
    for (const std::wstring& path : extraPictures) DeleteFileW(path.c_str());
  }
};

TEST_F(SkinLoad, ElementsBecomeItemsInDocumentOrder) {
  Picture(L"up\\wide.bmp", 300, 14, RGB(200, 0, 0));
  WriteSkinXml(skinDir.Path(),
               "<THEME minWidth='320' minHeight='12px'>"
               "<VIEW name='viewNormal'><Subview name='panel' left='5' top='6' width='100' height='50'>"
               "<BUTTON name='b' image='wide.bmp'/><!-- note --><UNKNOWN><BUTTON name='skipped'/></UNKNOWN>"
               "<LABEL name='l' caption='Hello'/></Subview></VIEW>"
               "<IMAGE name='bare'/><VIEW name='viewFullScreen'/></THEME>");
  StandInWindow player;
  player.arrange = false;
  ASSERT_TRUE(LoadSkin(player));
  EXPECT_EQ(320, player.minWidth);
  EXPECT_EQ(12, player.minHeight);
  ASSERT_EQ(6, SkinItemCount());
  const int types[] = {SkinTypeView, SkinTypeSubView, SkinTypeButton, SkinTypeLabel, SkinTypeImage, SkinTypeView};
  const wchar_t* names[] = {L"viewNormal", L"panel", L"b", L"l", L"bare", L"viewFullScreen"};
  const int views[] = {1, 1, 1, 1, 1, 6};
  for (int i = 1; i <= 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(types[i - 1], SkinItemAt(i)->Type);
    EXPECT_EQ(names[i - 1], SkinItemAt(i)->Name);
    EXPECT_EQ(views[i - 1], SkinItemAt(i)->View);
    EXPECT_EQ(std::to_wstring(i), SkinControl(i)->Tag());
  }
  // The picture's pixel size is the default size; the button sits in the panel.
  EXPECT_EQ(L"300", SkinItemAt(3)->Width);
  EXPECT_EQ(L"14", SkinItemAt(3)->Height);
  EXPECT_EQ(300, SkinControl(3)->Width());
  EXPECT_EQ(SkinControl(2), SkinControl(3)->Container()->AsControl());
  EXPECT_TRUE(SkinItemAt(3)->HasUp);
  EXPECT_EQ(SkinStateUp, SkinItemAt(3)->State);
  EXPECT_TRUE(SkinItemAt(3)->Stretch);
  // Without a picture: no state, no stretching, 10 x 10; outside views it sits on the window.
  const SkinItem& bare = *SkinItemAt(5);
  EXPECT_EQ(SkinStateNone, bare.State);
  EXPECT_FALSE(bare.Stretch);
  EXPECT_EQ(10, bare.Control->Width());
  EXPECT_EQ(nullptr, bare.Control->Container()->AsControl());
  EXPECT_EQ(L"Hello", SkinControl(4)->Caption());
  EXPECT_EQ(0, dynamic_cast<forms::Label*>(SkinControl(4))->BackStyle());
  EXPECT_TRUE(dynamic_cast<forms::Image*>(SkinControl(5))->Stretch());
  EXPECT_TRUE(SkinLoaded);
  EXPECT_FALSE(player.skinFailed);
}

TEST_F(SkinLoad, LabelHeightDefaultsToTwiceTheFontSize) {
  LangFont.Size = 9;
  WriteSkinXml(skinDir.Path(),
               "<THEME><LABEL name='nine'/><LABEL name='small' fontSize='8.25'/>"
               "<LABEL name='given' fontSize='8.25' height='30'/><VIEW name='viewNormal'/></THEME>");
  StandInWindow player;
  player.arrange = false;
  ASSERT_TRUE(LoadSkin(player));
  EXPECT_EQ(18, SkinControl(1)->Height());
  EXPECT_EQ(16, SkinControl(2)->Height());
  EXPECT_EQ(30, SkinControl(3)->Height());
}

TEST_F(SkinLoad, ReferencesAreResolvedInTheSkinDocument) {
  WriteSkinXml(skinDir.Path(),
               "<THEME><Captions><Hello text='Hello from the skin'/></Captions>"
               "<LABEL name='l' caption='!Captions/Hello'/><VIEW name='viewNormal'/></THEME>");
  StandInWindow player;
  player.arrange = false;
  ASSERT_TRUE(LoadSkin(player));
  EXPECT_EQ(L"Hello from the skin", SkinControl(1)->Caption());
}

TEST_F(SkinLoad, AFailingElementEndsTheLoadWithNoSkinLeft) {
  struct Case {
    const char* xml;
    const wchar_t* logged;
  } cases[] = {
      {"<THEME minWidth='wide'><VIEW name='viewNormal'/><BUTTON/></THEME>", L"Node Failed: THEME (Type mismatch)"},
      {"<THEME hidesMenu='maybe'><VIEW name='viewNormal'/></THEME>", L"Node Failed: THEME (Type mismatch)"},
      {"<SKIN><VIEW name='viewNormal'/></SKIN>", L"Node Failed: THEME (No THEME element)"},
      {"<THEME><VIEW name='viewNormal'></THEME>", L"Skin Failed: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    WriteSkinXml(skinDir.Path(), c.xml);
    StandInWindow player;
    player.arrange = false;
    LogCapture log;
    EXPECT_FALSE(LoadSkin(player));
    EXPECT_FALSE(SkinLoaded);
    EXPECT_EQ(0, SkinItemCount());
    EXPECT_TRUE(player.skinFailed);
    EXPECT_EQ(0, player.updates);  // no layout ran on a half-read table
    bool found = false;
    for (const std::wstring& line : log.lines) found = found || line.rfind(c.logged, 0) == 0;
    EXPECT_TRUE(found) << WideToUtf8(log.lines.empty() ? L"" : log.lines.front());
  }
}

TEST_F(SkinLoad, ElementsBeyondAnyScreenEndTheLoadAndOnesOffTheScreenLoad) {
  Picture(L"base\\huge.bmp", 8, 8, RGB(0, 90, 0));
  struct Case {
    const char* element;
    const wchar_t* logged;  // "" when the skin loads
  } cases[] = {
      {"<SUBVIEW image='huge.bmp' width='30000' height='30000'/>", L"Node Failed: SUBVIEW (Element size out of range)"},
      {"<BUTTON width='100000' height='4'/>", L"Node Failed: BUTTON (Element size out of range)"},
      {"<IMAGE width='-5'/>", L"Node Failed: IMAGE (Element size out of range)"},
      {"<BUTTON left='-99999'/>", L"Node Failed: BUTTON (Element position out of range)"},
      {"<IMAGE top='999999999999'/>", L"Node Failed: IMAGE (Element position out of range)"},
      {"<LABEL fontSize='100000'/>", L"Node Failed: LABEL (Element size out of range)"},
      // Larger than the screen, or placed off it: a skin may do that.
      {"<SUBVIEW image='huge.bmp' left='-3000' top='9000' width='5000' height='3000'/>", L""},
      {"<BUTTON left='12000' top='-12000' width='2400' height='1800'/>", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    WriteSkinXml(skinDir.Path(), std::string("<THEME><VIEW name='viewNormal'>") + c.element + "</VIEW></THEME>");
    StandInWindow player;
    player.arrange = false;
    LogCapture log;
    const bool loads = *c.logged == 0;
    EXPECT_EQ(loads, LoadSkin(player));
    EXPECT_EQ(loads, SkinLoaded);
    EXPECT_EQ(loads, !player.skinFailed);
    EXPECT_EQ(loads ? 2 : 0, SkinItemCount());
    if (loads) continue;
    bool found = false;
    for (const std::wstring& line : log.lines) found = found || line.rfind(c.logged, 0) == 0;
    EXPECT_TRUE(found) << WideToUtf8(log.lines.empty() ? L"" : log.lines.front());
  }
}

TEST_F(SkinLoad, ALoadedSkinIsTimedInTheLog) {
  WriteSkinXml(skinDir.Path(), "<THEME><VIEW name='viewNormal'/></THEME>");
  StandInWindow player;
  player.arrange = false;
  LogCapture log;
  ASSERT_TRUE(LoadSkin(player));
  bool timed = false;
  for (const std::wstring& line : log.lines)
    timed = timed || (line.find(L"Skin Loaded in ") != std::wstring::npos && line.find(L" ms") != std::wstring::npos);
  EXPECT_TRUE(timed);
  EXPECT_TRUE(player.fullScreenPartsReset);
  EXPECT_FALSE(player.menuBarEntry);
}

TEST_F(SkinLoad, ResetRemovesEveryControlAndPutsTheMovieBack) {
  WriteSkinXml(skinDir.Path(), "<THEME><VIEW name='viewNormal'><BUTTON/><LABEL/></VIEW></THEME>");
  StandInWindow player;
  player.arrange = false;
  ASSERT_TRUE(LoadSkin(player));
  EXPECT_EQ(SkinControl(1), player.view->Container()->AsControl());
  size_t withSkin = player.Controls().size();
  ResetSkin();
  EXPECT_EQ(0, SkinItemCount());
  EXPECT_FALSE(SkinLoaded);
  EXPECT_EQ(nullptr, player.view->Container()->AsControl());
  EXPECT_EQ(withSkin - 3, player.Controls().size());
}

}  // namespace
