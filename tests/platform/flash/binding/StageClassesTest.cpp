// The classes of versions 7 and 8 that reach the stage, in the real control:
// scripts written as their authors write them, their traces compared with
// tables of what the documentation says, and pictures of what they show:
// MovieClip.transform and scrollRect, BitmapData (its pixel methods, its
// filters, draw of a clip, attachBitmap and bitmap fills shown changed on the next frame,
// loadBitmap, sizes out of bounds), MovieClipLoader's events, Selection,
// LocalConnection between two controls, style sheets in fields, text
// snapshots of static text, and which version sees which class. Pictures go
// to classes-sheet.bmp.
#include "MovieScriptFixture.h"
#include "ScriptCompiler.h"

namespace {

using namespace moviescript;

// Action records of a script in the tests' source language, stopped after it runs.
Bytes Source(const std::string& source) {
  std::string error;
  const std::string text = actions::CompileScript(source, &error);
  EXPECT_EQ(error, "") << source;
  return Script(text + "\nstop");
}

struct Case {
  const char* source;
  const char* expected;
};

class StageClassesTest : public MovieScriptTest {
 protected:
  // Runs source as the first frame of a movie of a version (the library's
  // tags before it, later frames after it); the traces joined by "|".
  std::string RunMovie(const std::string& source, uint8_t version = 8, std::vector<Bytes> tags = {},
                       const std::vector<Bytes>& later = {}) {
    tags.push_back(Source(source));
    tags.push_back(moviebytes::ShowFrame());
    tags.insert(tags.end(), later.begin(), later.end());
    Load(FramesMovie(tags, version));
    return Traces();
  }
  void Table(const std::vector<Case>& cases, uint8_t version = 8) {
    for (const Case& c : cases) EXPECT_EQ(RunMovie(c.source, version), c.expected) << c.source;
  }
};

// A clip "a" with a red square of 10 pixels at its origin, placed at (10, 20).
constexpr char kSquare[] =
    "var a = _root.createEmptyMovieClip('a', 1); a.beginFill(0xFF0000); a.moveTo(0, 0); a.lineTo(10, 0); "
    "a.lineTo(10, 10); a.lineTo(0, 10); a.endFill(); a._x = 10; a._y = 20; ";

TEST_F(StageClassesTest, TransformReadsAndWritesTheClipsPlace) {
  const std::string s = kSquare;
  Table({
      {(s + "trace(typeof a.transform); trace(a.transform instanceof flash.geom.Transform); trace(a.transform.matrix);")
           .c_str(),
       "object|true|(a=1, b=0, c=0, d=1, tx=10, ty=20)"},
      {(s + "a._xscale = 200; a._alpha = 50; var t = a.transform; trace(t.matrix.a + ',' + t.matrix.d); "
            "trace(t.colorTransform.alphaMultiplier);")
           .c_str(),
       "2,1|0.5"},
      // The objects are copies: changing one changes nothing until it is set back.
      {(s + "var t = a.transform; var m = t.matrix; m.tx = 50; trace(a._x); t.matrix = m; trace(a._x + ',' + a._y); "
            "t.colorTransform = new flash.geom.ColorTransform(1, 1, 1, 0.25, 10, 0, 0, 0); trace(a._alpha); "
            "trace(a.transform.colorTransform.redOffset);")
           .c_str(),
       "10|50,20|25|10"},
      // Setting transform copies another clip's matrix and colour transform.
      {(s + "var b = _root.createEmptyMovieClip('b', 2); b._x = 7; b._rotation = 90; a.transform = b.transform; "
            "trace(a._x + ',' + a._y + ',' + Math.round(a._rotation));")
           .c_str(),
       "7,0,90"},
      // Concatenated up to the stage: the parent's scale and place, then the child's.
      {(s + "var c = a.createEmptyMovieClip('c', 1); c._x = 5; a._xscale = 200; var cm = c.transform.concatenatedMatrix; "
            "trace(cm.a + ',' + cm.tx + ',' + cm.ty); a._alpha = 50; c._alpha = 50; "
            "trace(c.transform.concatenatedColorTransform.alphaMultiplier);")
           .c_str(),
       "2,20,20|0.25"},
      {(s + "trace(a.transform.pixelBounds); a._xscale = 150; trace(a.transform.pixelBounds);").c_str(),
       "(x=10, y=20, w=10, h=10)|(x=10, y=20, w=15, h=10)"},
  });
}

TEST_F(StageClassesTest, ScrollRectShowsOnlyItsPartAtTheOrigin) {
  // A 40-pixel strip, red then blue, at (50, 0); the scroll rectangle shows 10 x 10 of its blue half.
  const std::string strip =
      "var a = _root.createEmptyMovieClip('a', 1); a.beginFill(0xFF0000); a.moveTo(0, 0); a.lineTo(20, 0); "
      "a.lineTo(20, 10); a.lineTo(0, 10); a.endFill(); a.beginFill(0x0000FF); a.moveTo(20, 0); a.lineTo(40, 0); "
      "a.lineTo(40, 10); a.lineTo(20, 10); a.endFill(); a._x = 50; trace(a.scrollRect); ";
  EXPECT_EQ(RunMovie(strip + "a.scrollRect = new flash.geom.Rectangle(25, 0, 10, 10); trace(a.scrollRect); "
                             "trace(a._width);"),
            "undefined|(x=25, y=0, w=10, h=10)|10");
  Picture p = Shot();
  AddToSheet(L"scrollRect", p, L"classes");
  EXPECT_EQ(p.At(55, 5), kBluePx);
  EXPECT_EQ(p.At(65, 5), kWhite);  // outside the rectangle
  EXPECT_EQ(p.At(52, 15), kWhite);
  // Without it the whole strip shows again.
  EXPECT_EQ(RunMovie(strip + "a.scrollRect = new flash.geom.Rectangle(25, 0, 10, 10); a.scrollRect = undefined; "
                             "trace(a.scrollRect);"),
            "undefined|undefined");
  p = Shot();
  EXPECT_EQ(p.At(55, 5), kRedPx);
  EXPECT_EQ(p.At(85, 5), kBluePx);
}

TEST_F(StageClassesTest, BitmapDataPixelMethods) {
  const std::string b = "var B = flash.display.BitmapData; var R = flash.geom.Rectangle; var P = flash.geom.Point; ";
  Table({
      {(b + "var d = new B(10, 5); trace(d.width + ',' + d.height + ',' + d.transparent); trace(d.rectangle); "
            "trace(d.getPixel(0, 0).toString(16) + ',' + (d.getPixel32(0, 0) >>> 24));")
           .c_str(),
       "10,5,true|(x=0, y=0, w=10, h=5)|ffffff,255"},
      // Sizes out of bounds make an invalid bitmap: -1 from its properties and methods.
      {(b + "trace(new B(0, 10).width); trace(new B(2881, 1).width); trace(new B(-5, 5).height); "
            "trace(new B(2880, 1).width); trace(new B(1, 2880).height); trace(new B(0, 1).getPixel(0, 0));")
           .c_str(),
       "-1|-1|-1|2880|2880|-1"},
      // Surfaces past the script heap's limit are not made.
      {(b + "var k = []; for (var i = 0; i < 10; i++) k.push(new B(2880, 2880)); trace(k[0].width + ',' + k[9].width);")
           .c_str(),
       "2880,-1"},
      // setPixel keeps the alpha, setPixel32 sets it; outside the bitmap pixels read 0.
      {(b + "var d = new B(4, 4, true, 0x80FFFFFF); d.setPixel(1, 1, 0x123456); trace((d.getPixel32(1, 1) >>> 24) + ',' "
            "+ d.getPixel(1, 1).toString(16)); d.setPixel32(2, 2, 0x40ABCDEF); trace((d.getPixel32(2, 2) >>> 24) + ',' "
            "+ d.getPixel(2, 2).toString(16)); trace(d.getPixel(9, 9) + ',' + d.getPixel(-1, 0));")
           .c_str(),
       "128,123456|64,abcdef|0,0"},
      // An opaque bitmap keeps every alpha at 255.
      {(b + "var d = new B(2, 2, false, 0x00112233); d.setPixel32(0, 0, 0x10445566); trace(d.transparent); "
            "trace((d.getPixel32(0, 0) >>> 24) + ',' + d.getPixel(0, 0).toString(16) + ',' + (d.getPixel32(1, 1) >>> 24));")
           .c_str(),
       "false|255,445566,255"},
      {(b + "var d = new B(10, 10, false, 0xFFFFFF); d.fillRect(new R(2, 2, 3, 3), 0x00FF00); "
            "trace(d.getPixel(3, 3).toString(16) + ',' + d.getPixel(5, 5).toString(16) + ',' + d.getPixel(1, 1).toString(16));")
           .c_str(),
       "ff00,ffffff,ffffff"},
      // floodFill takes the connected area of one colour.
      {(b + "var d = new B(10, 10, false, 0xFFFFFF); d.fillRect(new R(4, 0, 1, 10), 0); d.floodFill(8, 8, 0x0000FF); "
            "trace(d.getPixel(9, 0) + ',' + d.getPixel(0, 0).toString(16) + ',' + d.getPixel(4, 4));")
           .c_str(),
       "255,ffffff,0"},
      {(b + "var s = new B(4, 4, false, 0xFF0000); var d = new B(10, 10, false, 0); "
            "d.copyPixels(s, new R(0, 0, 2, 2), new P(8, 8)); trace(d.getPixel(8, 8).toString(16) + ',' + d.getPixel(9, 9).toString(16) "
            "+ ',' + d.getPixel(7, 7));")
           .c_str(),
       "ff0000,ff0000,0"},
      {(b + "var d = new B(4, 4, false, 0x000000); d.colorTransform(new R(0, 0, 2, 4), "
            "new flash.geom.ColorTransform(1, 1, 1, 1, 255, 0, 16, 0)); trace(d.getPixel(1, 1).toString(16) + ',' + d.getPixel(3, 3));")
           .c_str(),
       "ff0010,0"},
      // threshold counts and sets the pixels that pass the test.
      {(b + "var d = new B(4, 4, false, 0x000000); d.fillRect(new R(0, 0, 4, 1), 0xFFFFFF); "
            "trace(d.threshold(d, d.rectangle, new P(0, 0), '>', 0x00800000, 0xFF00FF00, 0x00FF0000)); "
            "trace(d.getPixel(0, 0).toString(16) + ',' + d.getPixel(0, 1));")
           .c_str(),
       "4|ff00,0"},
      {(b + "var d = new B(5, 5, false, 0); d.setPixel(0, 0, 0xFF0000); d.scroll(2, 1); "
            "trace(d.getPixel(2, 1).toString(16));")
           .c_str(),
       "ff0000"},
      // A clone is a copy; a disposed bitmap answers -1.
      {(b + "var d = new B(3, 3, false, 0); var e = d.clone(); e.setPixel(0, 0, 0xFF); trace(d.getPixel(0, 0) + ',' + "
            "e.getPixel(0, 0)); d.dispose(); trace(d.width + ',' + d.getPixel(0, 0) + ',' + e.width);")
           .c_str(),
       "0,255|-1,-1,3"},
      // The same seed gives the same picture, another seed another.
      {(b + "var d = new B(16, 16, false, 0); var e = d.clone(); d.noise(7); e.noise(7); trace(d.compare(e)); e.noise(8); "
            "trace(typeof d.compare(e)); d.perlinNoise(8, 8, 3, 5, true, true); e.perlinNoise(8, 8, 3, 5, true, true); "
            "trace(d.compare(e)); trace(d.compare(new B(2, 16)));")
           .c_str(),
       "0|object|0|-3"},
  });
}

// applyFilter: the source's rectangle through the filter at the point, the
// filter's reach written too; -1 and nothing changed without a filter.
TEST_F(StageClassesTest, BitmapDataAppliesFilters) {
  const std::string b = "var B = flash.display.BitmapData; var R = flash.geom.Rectangle; var P = flash.geom.Point; "
                        "var F = flash.filters; function px(d, x, y) { return (d.getPixel32(x, y) >>> 0).toString(16); } ";
  Table({
      // A colour matrix that swaps red and blue, on a part of the source, at another place.
      {(b + "var s = new B(4, 4, false, 0xFF0000); var d = new B(8, 8, false, 0x00FF00); "
            "var m = new F.ColorMatrixFilter([0,0,1,0,0, 0,1,0,0,0, 1,0,0,0,0, 0,0,0,1,0]); "
            "trace(d.applyFilter(s, new R(0, 0, 2, 2), new P(3, 3), m)); "
            "trace(px(d, 3, 3) + ',' + px(d, 4, 4) + ',' + px(d, 2, 2) + ',' + px(d, 5, 5) + ',' + px(s, 0, 0));")
           .c_str(),
       "0|ff0000ff,ff0000ff,ff00ff00,ff00ff00,ffff0000"},
      // A blur spreads one pixel over its neighbours, beyond the rectangle it was given.
      {(b + "var s = new B(9, 9, true, 0); s.setPixel32(4, 4, 0xFFFF0000); var d = new B(9, 9, true, 0); "
            "trace(d.applyFilter(s, new R(4, 4, 1, 1), new P(4, 4), new F.BlurFilter(4, 4, 1))); "
            "var a = d.getPixel32(4, 4) >>> 24, n = d.getPixel32(5, 4) >>> 24; "
            "trace((a > 0 && a < 255) + ',' + (n > 0) + ',' + (d.getPixel32(0, 0) >>> 24) + ',' + d.getPixel(4, 4).toString(16));")
           .c_str(),
       "0|true,true,0,ff0000"},
      // A hard shadow moved right by its distance, under the object.
      {(b + "var s = new B(10, 2, true, 0); s.fillRect(new R(0, 0, 2, 2), 0xFFFF0000); var d = new B(10, 2, true, 0); "
            "trace(d.applyFilter(s, new R(0, 0, 2, 2), new P(0, 0), new F.DropShadowFilter(4, 0, 0x0000FF, 1, 0, 0))); "
            "trace(px(d, 0, 0) + ',' + px(d, 4, 0) + ',' + px(d, 5, 1) + ',' + px(d, 7, 0));")
           .c_str(),
       "0|ffff0000,ff0000ff,ff0000ff,0"},
      // No filter, no source or a disposed bitmap: -1, nothing written.
      {(b + "var s = new B(2, 2, false, 0xFF); var d = new B(2, 2, false, 0); "
            "trace(d.applyFilter(s, s.rectangle, new P(0, 0), {}) + ',' + d.applyFilter(null, s.rectangle, new P(0, 0), "
            "new F.BlurFilter()) + ',' + d.getPixel(0, 0)); s.dispose(); "
            "trace(d.applyFilter(s, new R(0, 0, 2, 2), new P(0, 0), new F.BlurFilter()));")
           .c_str(),
       "-1,-1,0|-1"},
  });
}

TEST_F(StageClassesTest, BitmapDataDrawsClipsAndItsPicturesShowChanged) {
  // draw: the clip through a matrix and a colour transform, what it leaves uncovered transparent.
  EXPECT_EQ(RunMovie(std::string(kSquare) +
                     "var d = new flash.display.BitmapData(30, 30, true, 0); "
                     "d.draw(a, new flash.geom.Matrix(1, 0, 0, 1, 5, 5)); "
                     "trace((d.getPixel32(7, 7) >>> 0).toString(16) + ',' + d.getPixel32(2, 2) + ',' + d.getPixel32(16, 16)); "
                     "var e = new flash.display.BitmapData(30, 30, false, 0xFFFFFF); "
                     "e.draw(a, new flash.geom.Matrix(), new flash.geom.ColorTransform(0, 1, 1, 1, 0, 0, 255, 0)); "
                     "trace(e.getPixel(5, 5).toString(16) + ',' + e.getPixel(15, 15).toString(16));"),
            "ffff0000,0,0|ff,ffffff");
  // attachBitmap and beginBitmapFill show the bitmap; what a later frame
  // writes into it shows on that frame.
  const std::string attach =
      "var d = new flash.display.BitmapData(20, 20, false, 0xFF0000); _root.d = d; "
      "var h = _root.createEmptyMovieClip('h', 1); h._x = 10; h._y = 10; h.attachBitmap(d, 1); "
      "var f = _root.createEmptyMovieClip('f', 2); f._x = 100; f.beginBitmapFill(d); f.moveTo(0, 0); "
      "f.lineTo(40, 0); f.lineTo(40, 20); f.lineTo(0, 20); f.endFill(); ";
  std::string error;
  Load(FramesMovie({Script(actions::CompileScript(attach, &error)), moviebytes::ShowFrame(),
                    Source("_root.d.fillRect(new flash.geom.Rectangle(0, 0, 10, 20), 0x0000FF);"), moviebytes::ShowFrame(),
                    flashtest::Label("dispose"), Source("_root.d.dispose();"), moviebytes::ShowFrame()},
                   8));
  ASSERT_EQ(error, "");
  Picture p = Shot();
  AddToSheet(L"bitmaps", p, L"classes");
  EXPECT_EQ(p.At(15, 15), kRedPx);
  EXPECT_EQ(p.At(35, 15), kWhite);
  EXPECT_EQ(p.At(105, 5), kRedPx);
  EXPECT_EQ(p.At(125, 5), kRedPx);  // the fill repeats
  Frames(1);
  p = Shot();
  AddToSheet(L"next frame", p, L"classes");
  EXPECT_EQ(p.At(15, 15), kBluePx);
  EXPECT_EQ(p.At(25, 15), kRedPx);
  EXPECT_EQ(p.At(105, 5), kBluePx);
  EXPECT_EQ(p.At(125, 5), kBluePx);
  EXPECT_EQ(p.At(115, 5), kRedPx);
  // A disposed bitmap shows nothing.
  control->TCallLabel(L"/", L"dispose");
  p = Shot();
  EXPECT_EQ(p.At(15, 15), kWhite);
  EXPECT_EQ(p.At(105, 5), kWhite);
}

TEST_F(StageClassesTest, LoadBitmapTakesALibraryPictureByItsLinkage) {
  const std::vector<uint32_t> pixels(6 * 4, 0xFF00FF00);
  const std::vector<Bytes> library{rendertest::Lossless32(5, 6, 4, pixels, false), Export(5, "green")};
  EXPECT_EQ(RunMovie("var d = flash.display.BitmapData.loadBitmap('green'); trace(d.width + ',' + d.height + ',' + "
                     "d.getPixel(2, 2).toString(16)); trace(flash.display.BitmapData.loadBitmap('none'));",
                     8, library),
            "6,4,ff00|undefined");
}

TEST_F(StageClassesTest, MovieClipLoaderTellsItsListeners) {
  testing_support::WriteBytes(dir.File(L"child.swf"),
                              FramesMovie({Box(1, kRed, 0, 0, 20, 20), flashtest::Place(1, 1, 0, 0),
                                           Source("var v = 'child'; trace('child ran');"), moviebytes::ShowFrame()}));
  testing_support::WriteBytes(dir.File(L"broken.swf"), Bytes{'F', 'W', 'S', 7, 1, 2});
  const std::string loader =
      "var l = new MovieClipLoader(); var o = {}; "
      "o.onLoadStart = function (t) { trace('start ' + t); }; "
      "o.onLoadProgress = function (t, n, total) { trace('progress ' + (n > 0) + ' ' + (n == total)); }; "
      "o.onLoadComplete = function (t) { trace('complete ' + t); }; "
      "o.onLoadInit = function (t) { trace('init ' + t + ' ' + t.v); }; "
      "o.onLoadError = function (t, e) { trace('error ' + e); }; l.addListener(o); "
      "var h = _root.createEmptyMovieClip('h', 1); h._x = 100; ";
  const struct {
    const char* load;
    const char* traces;
  } cases[] = {
      {"trace(l.loadClip('child.swf', h));",
       "true|start _level0.h|progress true true|complete _level0.h|child ran|init _level0.h child"},
      {"trace(l.loadClip('child.swf', 3));",
       "true|start _level3|progress true true|complete _level3|child ran|init _level3 child"},
      {"trace(l.loadClip('missing.swf', h));", "true|error URLNotFound"},
      {"trace(l.loadClip('broken.swf', h));", "true|error LoadNeverCompleted"},
      // Outside the movie's folder, as loadMovie.
      {"trace(l.loadClip('..\\\\elsewhere.swf', h));", "true|error URLNotFound"},
      {"trace(l.loadClip('child.swf', {}));", "false"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.load);
    std::string traces = RunMovie(loader + c.load);
    Frames(2);
    const std::string later = Traces();
    EXPECT_EQ(traces + (later.empty() ? "" : "|" + later), c.traces);
  }
  // The loaded clip shows; getProgress counts its bytes; unloadClip takes it away.
  RunMovie(loader + "l.loadClip('child.swf', 'h');", 8, {},
           {flashtest::Label("probe"),
            Source("var p = l.getProgress(h); trace((p.bytesLoaded > 0) + ' ' + (p.bytesLoaded == p.bytesTotal)); "
                   "trace(l.unloadClip(h));"),
            moviebytes::ShowFrame()});
  Frames(2);
  EXPECT_EQ(Shot().At(105, 5), kRedPx);
  Traces();
  control->TCallLabel(L"/", L"probe");
  EXPECT_EQ(Traces(), "true true|true");
  EXPECT_EQ(Shot().At(105, 5), kWhite);
}

// A larger file arrives a part a turn: onLoadProgress for each part, with
// getProgress answering the part in so far, then onLoadComplete, the
// loaded movie's first frame and onLoadInit, in that order.
TEST_F(StageClassesTest, MovieClipLoaderTellsOfALargerFileInParts) {
  const Bytes bulk = moviebytes::Tag(2, U16(9) + Bytes(40000, 0), true);  // a shape of 40,000 bytes
  testing_support::WriteBytes(dir.File(L"large.swf"),
                              FramesMovie({bulk, Source("trace('child ran');"), moviebytes::ShowFrame()}));
  const std::string loader =
      "var l = new MovieClipLoader(); var o = {}; "
      "o.onLoadStart = function (t) { trace('start ' + t); }; "
      "o.onLoadProgress = function (t, n, total) { var p = l.getProgress(t); "
      "  trace((n < total ? n : 'all') + ' ' + (p.bytesLoaded == n) + ' ' + (p.bytesTotal == total)); }; "
      "o.onLoadComplete = function (t) { trace('complete ' + t); }; "
      "o.onLoadInit = function (t) { trace('init ' + t); }; "
      "l.addListener(o); var h = _root.createEmptyMovieClip('h', 1); ";
  const struct {
    const char* load;
    const char* traces;
  } cases[] = {
      {"l.loadClip('large.swf', h);",
       "start _level0.h|16384 true true|32768 true true|all true true|complete _level0.h|child ran|init _level0.h"},
      {"l.loadClip('large.swf', 4);",
       "start _level4|16384 true true|32768 true true|all true true|complete _level4|child ran|init _level4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.load);
    std::string traces = RunMovie(loader + c.load);
    for (int turn = 0; turn < 5; ++turn) {
      Frames(1);
      const std::string later = Traces();
      if (!later.empty()) traces += (traces.empty() ? "" : "|") + later;
    }
    EXPECT_EQ(traces, c.traces);
  }
}

TEST_F(StageClassesTest, SelectionMovesTheKeyboardAndSelectsText) {
  const std::string fields =
      "_root.createTextField('t', 1, 0, 0, 100, 20); t.type = 'input'; t.text = 'hello'; "
      "_root.createTextField('u', 2, 0, 30, 100, 20); u.type = 'input'; "
      "var o = {}; o.onSetFocus = function (from, to) { trace('focus ' + from + ' > ' + to); }; Selection.addListener(o); "
      "t.onKillFocus = function (next) { trace('t lost to ' + next); }; ";
  Table({
      {(fields + "trace(Selection.getFocus()); trace(Selection.getBeginIndex()); trace(Selection.setFocus(t)); "
                 "trace(Selection.getFocus()); trace(Selection.getCaretIndex());")
           .c_str(),
       "null|-1|true|_level0.t|5|focus null > _level0.t"},
      {(fields + "Selection.setFocus('u'); trace(Selection.getFocus());").c_str(), "_level0.u|focus null > _level0.u"},
      {(fields + "Selection.setFocus(t); Selection.setSelection(1, 3); trace(Selection.getBeginIndex() + ',' + "
                 "Selection.getEndIndex() + ',' + Selection.getCaretIndex()); Selection.setSelection(-4, 99); "
                 "trace(Selection.getBeginIndex() + ',' + Selection.getEndIndex());")
           .c_str(),
       "1,3,3|0,5|focus null > _level0.t"},
      // Clips are no fields; null takes the keyboard away.
      {(fields + "trace(Selection.setFocus(_root)); Selection.setFocus(t); Selection.setFocus(null); "
                 "trace(Selection.getFocus()); trace(Selection.getEndIndex());")
           .c_str(),
       "false|null|-1|focus null > _level0.t|t lost to null|focus _level0.t > null"},
  });
}

TEST_F(StageClassesTest, LocalConnectionCallsAnotherMovieOfTheProgram) {
  // The receiver plays in a control of its own beside the test's.
  flashtest::HostWindow otherHost{200, 100};
  flash::FlashControl receiver(otherHost.get(), 0, 0, 200, 100);
  receiver.SetClock([this] { return now; });
  const std::wstring receiverPath = dir.File(L"receiver.swf");
  testing_support::WriteBytes(
      receiverPath,
      FramesMovie({Source("var r = new LocalConnection(); r.ping = function (a, o) { trace('ping ' + a + ' ' + o.n + ' ' + "
                          "o.list.length + ' ' + typeof o.f + ' ' + this.domain()); }; trace(r.connect('Chan')); "
                          "trace(new LocalConnection().connect('localhost:chan')); _root.r = r;"),
                   moviebytes::ShowFrame(), flashtest::Label("close"), Source("_root.r.close();"),
                   moviebytes::ShowFrame()},
                  8));
  receiver.LoadMovie(0, receiverPath);
  EXPECT_EQ(Traces(), "true|false");  // the name is taken, whatever its case or domain
  const std::string sender =
      "var s = new LocalConnection(); s.onStatus = function (i) { trace('status ' + i.level); }; "
      "trace(s.send('chan', 'ping', 5, {n: 'x', list: [1, 2, 3], f: function () {}})); trace(s.send('nobody', 'ping')); "
      "trace(s.send('chan', 'close'));";
  EXPECT_EQ(RunMovie(sender), "true|true|false");
  Frames(1);
  now += 0.1;
  receiver.Pump();
  EXPECT_EQ(Traces(), "status status|status error|ping 5 x 3 undefined localhost");
  // Once the receiver closes its connection, sends find no one.
  receiver.TCallLabel(L"/", L"close");
  RunMovie("var s = new LocalConnection(); s.onStatus = function (i) { trace(i.level); }; s.send('chan', 'ping');");
  Frames(1);
  EXPECT_EQ(Traces(), "error");
}

TEST_F(StageClassesTest, AStyleSheetStylesAFieldsHtml) {
  const std::string field =
      "var ss = new TextField.StyleSheet(); "
      "ss.parseCSS('.hot { color: #FF0000; font-weight: bold; } .gone { display: none; } p { display: block; }'); "
      "_root.createTextField('t', 1, 0, 0, 150, 40); t.html = true; t.styleSheet = ss; ";
  Table({
      {(field + "t.htmlText = '<p class=\"hot\">warm</p><span class=\"gone\">x</span>'; trace(t.text); "
                "trace(t.htmlText); var f = t.getTextFormat(0, 1); trace(f.color.toString(16) + ' ' + f.bold); "
                "trace(t.styleSheet == ss); trace(ss.getStyle('.hot').fontWeight);")
           .c_str(),
       "warm|<p class=\"hot\">warm</p><span class=\"gone\">x</span>|ff0000 true|true|bold"},
      // Without the sheet the HTML shows as it is.
      {(field + "t.htmlText = '<span class=\"gone\">x</span>y'; trace(t.text); t.styleSheet = undefined; trace(t.text);")
           .c_str(),
       "y|xy"},
  });
}

TEST_F(StageClassesTest, TextSnapshotReadsTheStaticTexts) {
  // "AA": glyphs 10 px wide, 12 px apart, from (10, 50) on the baseline.
  const std::vector<Bytes> library{Font2(2, 'A', 1, 48), TextTag(3, 2), rendertest::Place(1, 3, Translate(0, 0))};
  EXPECT_EQ(RunMovie("var s = _root.getTextSnapshot(); trace(s.getCount() + ' ' + s.getText(0, 2)); "
                     "trace(s.findText(0, 'a', false) + ' ' + s.findText(1, 'A', true) + ' ' + s.findText(0, 'b', false)); "
                     "s.setSelected(0, 1, true); trace(s.getSelected(0, 1) + ' ' + s.getSelected(1, 2) + ' ' + "
                     "s.getSelectedText()); trace(s.hitTestTextNearPos(27, 40)); "
                     "trace(_root.createEmptyMovieClip('e', 5).getTextSnapshot().getCount());",
                     8, library),
            "2 AA|0 1 -1|true false A|1|0");
}

TEST_F(StageClassesTest, TypeOfEachStageClassAndWhichVersionsSeeThem) {
  const std::string names =
      "trace(typeof MovieClipLoader); trace(typeof Selection); trace(typeof LocalConnection); "
      "trace(typeof TextField.StyleSheet); trace(typeof TextSnapshot); trace(typeof flash.display.BitmapData); "
      "trace(typeof flash.geom.Transform); trace(typeof _root.attachBitmap); trace(typeof _root.getTextSnapshot);";
  const struct {
    uint8_t version;
    const char* expected;
  } cases[] = {
      {8, "function|object|function|function|function|function|function|function|function"},
      {7, "function|object|function|function|function|undefined|undefined|undefined|function"},
      {6, "undefined|object|function|undefined|undefined|undefined|undefined|undefined|undefined"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunMovie(names, c.version), c.expected) << int(c.version);
}

}  // namespace
