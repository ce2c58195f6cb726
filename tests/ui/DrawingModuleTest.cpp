#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "DrawTestSupport.h"
#include "FormsTestSupport.h"
#include "TestSupport.h"
#include "base/ErrorLog.h"
#include "images/cAlphaDibSection.h"
#include "platform/forms/Forms.h"
#include "ui/DrawingModule.h"

using draw_test::Surface;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// A loaded (hidden) form with a label and a picture box on it, a label inside the
// picture box, a label array element, and one each of text, combo and list box.
class StyledForm : public forms::Form {
 public:
  StyledForm() : Form(L"frmStyled", Design()) {}
  forms::Label *onForm = nullptr, *inBox = nullptr, *element = nullptr;
  forms::PictureBox* box = nullptr;
  forms::TextBox* text = nullptr;
  forms::ComboBox* combo = nullptr;
  forms::ListBox* list = nullptr;

 private:
  static forms::FormArgs Design() {
    forms::FormArgs d;
    d.ClientWidth = 200;
    d.ClientHeight = 160;
    return d;
  }
  template <class A>
  static A At(const wchar_t* name, int l, int t, int w, int h, forms::Container* in = nullptr) {
    A a;
    a.Name = name;
    a.Left = l, a.Top = t, a.Width = w, a.Height = h;
    a.Container = in;
    return a;
  }
  void CreateControls() override {
    const forms::Color marked = RGB(1, 2, 3);
    auto label = At<forms::LabelArgs>(L"lblOnForm", 10, 10, 50, 20);
    label.BackColor = marked;
    onForm = &Add<forms::Label>(label);
    auto arrayLabel = At<forms::LabelArgs>(L"lblArray", 10, 40, 50, 20);
    arrayLabel.Index = 0;
    arrayLabel.BackColor = marked;
    element = &Add<forms::Label>(arrayLabel);
    box = &Add<forms::PictureBox>(At<forms::PictureBoxArgs>(L"picBox", 100, 10, 80, 60));
    auto inner = At<forms::LabelArgs>(L"lblInBox", 5, 5, 30, 20, box);
    inner.BackColor = marked;
    inBox = &Add<forms::Label>(inner);
    auto t = At<forms::TextBoxArgs>(L"txtName", 10, 70, 80, 20);
    t.BackColor = marked;
    text = &Add<forms::TextBox>(t);
    auto c = At<forms::ComboBoxArgs>(L"cmbKind", 10, 95, 80, 0);
    c.BackColor = marked;
    combo = &Add<forms::ComboBox>(c);
    auto l = At<forms::ListBoxArgs>(L"lstRows", 100, 80, 80, 40);
    l.BackColor = marked;
    list = &Add<forms::ListBox>(l);
  }
};

}  // namespace

TEST(BlendColors, ChannelsRoundHalfToEvenAndTheHighByteIsIgnored) {
  struct Case {
    COLORREF c1, c2;
    long alpha;
    COLORREF want;
  } cases[] = {
      {0x0000FF, 0xFF0000, 128, 0x7F0080},  // red 255 x 128 / 255, blue 255 x 127 / 255
      {RGB(10, 20, 30), RGB(200, 100, 50), 255, RGB(10, 20, 30)},
      {RGB(10, 20, 30), RGB(200, 100, 50), 0, RGB(200, 100, 50)},
      {0xFF000000 | RGB(255, 255, 255), 0x12000000, 255, RGB(255, 255, 255)},
      {RGB(1, 0, 0), RGB(0, 0, 0), 128, RGB(1, 0, 0)},  // 0.502 rounds to 1
  };
  for (const Case& c : cases) EXPECT_EQ(BlendColors(c.c1, c.c2, c.alpha), c.want) << std::hex << c.c1 << " " << c.c2;
  EXPECT_EQ(ColorByteToWord(255), 65280);
}

TEST(DrawGradient, FirstColourAtTheStartEdgeInBothDirections) {
  Surface s(64, 64);
  DrawGradient(s.Dc(), {0, 0, 64, 1}, RGB(255, 0, 0), RGB(0, 0, 255), false);
  EXPECT_EQ(s.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_GT(GetBValue(s.Pixel(63, 0)), 240);
  DrawGradient(s.Dc(), {0, 8, 1, 64}, RGB(0, 255, 0), RGB(0, 0, 0), true);
  EXPECT_EQ(s.Pixel(0, 8), RGB(0, 255, 0));
  EXPECT_LT(GetGValue(s.Pixel(0, 63)), 10);
  DrawGradient(s.Dc(), {10, 10, 10, 20}, 0, 0, true);  // empty: nothing, no failure
  EXPECT_EQ(s.Pixel(10, 10), kWhite);
}

TEST(DrawStyledGradient, EachStyleAndTheGlassySplitRow) {
  const COLORREF c = RGB(40, 80, 160), h = GetSysColor(COLOR_3DHIGHLIGHT);
  Surface s(8, 7);
  {
    draw_test::StyleScope style(0);
    DrawStyledGradient(s.Dc(), {0, 0, 8, 7}, c, true);
    EXPECT_FALSE(s.AnyOtherThan({0, 0, 8, 7}, c));
  }
  {
    draw_test::StyleScope style(1);
    DrawStyledGradient(s.Dc(), {0, 0, 8, 7}, c, true);
    EXPECT_EQ(s.Pixel(0, 0), BlendColors(c, h, 96));
  }
  {
    draw_test::StyleScope style(2);  // 7 - 3.5 = 3.5 rounds to 4: rows 0..3 and 4..6
    DrawStyledGradient(s.Dc(), {0, 0, 8, 7}, c, true);
    EXPECT_EQ(s.Pixel(3, 0), BlendColors(c, h, 96));
    EXPECT_NE(s.Pixel(3, 3), c);
    EXPECT_EQ(s.Pixel(3, 4), c);
    DrawStyledGradient(s.Dc(), {0, 0, 7, 7}, c, false);  // the same split across
    EXPECT_EQ(s.Pixel(4, 2), c);
    EXPECT_NE(s.Pixel(3, 2), c);
  }
}

TEST(DrawPNG, CentredOnePixelRightAndAMissingFileLeavesThePictureAlone) {
  testing_support::TempDir dir;
  ASSERT_TRUE(draw_test::WriteSolidPng(dir.File(L"dot.png"), 10, 10, RGB(200, 0, 0)));
  Surface s(20, 20);
  EXPECT_TRUE(DrawPNGCentered(dir.File(L"dot"), s.Dc(), {0, 0, 20, 20}, false));
  EXPECT_EQ(s.Pixel(6, 5), RGB(200, 0, 0));
  EXPECT_EQ(s.Pixel(15, 14), RGB(200, 0, 0));
  EXPECT_EQ(s.Pixel(5, 5), kWhite);
  EXPECT_EQ(s.Pixel(16, 15), kWhite);
  EXPECT_EQ(s.Pixel(6, 4), kWhite);

  std::vector<std::wstring> lines;
  SetLogSink([&](const std::wstring& text, bool) { lines.push_back(text); });
  Surface blank(20, 20);
  EXPECT_FALSE(DrawPNG(dir.File(L"none"), blank.Dc(), 0, 0, false));
  EXPECT_FALSE(DrawPNGCentered(dir.File(L"none"), blank.Dc(), {0, 0, 20, 20}, false));
  SetLogSink(nullptr);
  EXPECT_FALSE(blank.AnyOtherThan({0, 0, 20, 20}, kWhite));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], L"Failed to draw " + dir.File(L"none") + L".png");
}

TEST(StyleForm, FlatStyleOnlyClearsTheDrawing) {
  StyledForm f;
  ASSERT_TRUE(f.Load());
  f.Line(0, 0, 199, 159, RGB(255, 0, 0), forms::LineStyle::BoxFilled);
  draw_test::StyleScope style(0);
  StyleForm(f, 120, false);
  EXPECT_EQ(f.Point(50, 50), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(f.Point(50, 150), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(f.onForm->BackColor(), RGB(1, 2, 3));
  f.Unload();
}

TEST(StyleForm, GradientBodyFooterAndOnlyTheSurfacesOwnControls) {
  StyledForm f;
  ASSERT_TRUE(f.Load());
  draw_test::StyleScope style(1);
  const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW),
                 light = GetSysColor(COLOR_3DHIGHLIGHT);
  StyleForm(f, 120, false);
  EXPECT_EQ(f.Point(0, 0), light);
  EXPECT_EQ(f.Point(5, 120), BlendColors(BlendColors(face, shadow, 160), light, 96));
  // The label on the form takes the mid tone of the gradient above and below it.
  EXPECT_EQ(f.onForm->BackColor(), BlendColors(f.Point(10, 9), f.Point(10, 31), 128));
  // An array element and a label inside the picture box keep their colour;
  // text, combo and list boxes are left alone.
  for (forms::Control* c : std::vector<forms::Control*>{f.element, f.inBox, f.text, f.combo, f.list})
    EXPECT_EQ(c->BackColor(), RGB(1, 2, 3));
  // Styled itself, the picture box paints no footer and styles its own label.
  StyleForm(*f.box, 30, false);
  EXPECT_EQ(f.box->Point(2, 0), f.Point(100, 9));
  EXPECT_NE(f.inBox->BackColor(), RGB(1, 2, 3));
  f.Unload();
}

TEST(DrawSeparatorLine, EtchedInTheMiddleFadingToTheBackground) {
  StyledForm f;
  ASSERT_TRUE(f.Load());
  draw_test::StyleScope style(1);
  f.Cls();
  const COLORREF back = f.Point(100, 50);
  DrawSeparatorLine(f, 50);
  EXPECT_EQ(f.Point(0, 50), back);
  EXPECT_EQ(f.Point(0, 51), back);
  EXPECT_EQ(f.Point(100, 50), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(f.Point(100, 51), GetSysColor(COLOR_3DHIGHLIGHT));
  VisualStyle = 0;
  f.Cls();
  DrawSeparatorLine(f, 20);
  EXPECT_EQ(f.Point(8, 20), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(f.Point(8, 21), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(f.Point(4, 20), back);
  f.Unload();
}

TEST(TintAlphaImage, MaskIntensityBecomesPremultipliedAlpha) {
  cAlphaDibSection source, mask, target;
  ASSERT_TRUE(source.Create(2, 1));
  ASSERT_TRUE(mask.Create(2, 1));
  uint8_t* s = source.DIBSectionBitsPtr();
  uint8_t* m = mask.DIBSectionBitsPtr();
  const uint8_t colour[4] = {30, 120, 240, 255};
  for (int px = 0; px < 2; ++px)
    for (int i = 0; i < 4; ++i) s[px * 4 + i] = colour[i];
  m[0] = 0;    // first pixel: mask 0
  m[4] = 255;  // second: mask 255
  ASSERT_TRUE(TintAlphaImage(source, mask, target));
  const uint8_t* t = target.DIBSectionBitsPtr();
  EXPECT_EQ(std::vector<uint8_t>(t, t + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(t + 4, t + 8), (std::vector<uint8_t>{30, 120, 240, 255}));

  cAlphaDibSection small, untouched;
  ASSERT_TRUE(small.Create(1, 1));
  EXPECT_FALSE(TintAlphaImage(source, small, untouched));  // a mask smaller than the source
  EXPECT_EQ(untouched.Width(), 0);
}

TEST(PointInRect, EdgesAreOutside) {
  const RECT r{10, 20, 30, 40};
  struct Case {
    long x, y;
    bool inside;
  } cases[] = {{11, 21, true}, {10, 25, false}, {15, 20, false}, {30, 25, false}, {15, 40, false}, {29, 39, true}};
  for (const Case& c : cases) EXPECT_EQ(PointInRect(c.x, c.y, r), c.inside) << c.x << "," << c.y;
}

// The picture box on a styled form shows the theme's tab pane, or without a
// theme continues the gradient behind it.
TEST(Themed, StyleFormDrawsTheTabPaneOnAPictureBox) {
  if (!draw_test::ThemeRun(true)) GTEST_SKIP() << "only in the themed child process";
  StyledForm f;
  ASSERT_TRUE(f.Load());
  draw_test::StyleScope style(1);
  f.box->Line(0, 0, 79, 59, RGB(255, 0, 0), forms::LineStyle::BoxFilled);
  StyleForm(f, 120, false);
  EXPECT_NE(f.box->Point(40, 30), RGB(255, 0, 0));
  EXPECT_TRUE(DrawThemePart(f.box->hDC(), f.box->hWnd(), {0, 0, 80, 60}, L"Tab", 9, 1));
  f.Unload();
}

TEST(Unthemed, StyleFormContinuesTheGradientOnAPictureBox) {
  if (!draw_test::ThemeRun(false)) GTEST_SKIP() << "only in the unthemed child process";
  StyledForm f;
  ASSERT_TRUE(f.Load());
  draw_test::StyleScope style(1);
  StyleForm(f, 120, false);
  EXPECT_EQ(f.box->Point(40, 0), f.Point(100, 9));
  EXPECT_NE(f.box->Point(40, 0), f.box->Point(40, 59));
  EXPECT_FALSE(DrawThemePart(f.box->hDC(), f.box->hWnd(), {0, 0, 80, 60}, L"Tab", 9, 1));
  f.Unload();
}
