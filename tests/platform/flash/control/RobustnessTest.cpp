// Damaged and hostile movies in the control (seeded, so every run sees the
// same inputs): each loads, steps through every frame, seeks and paints
// without a crash or hang, and the display list stays bounded. Every frame is
// painted through the real renderer and hit-tested, and the pointer moves,
// clicks and drags over the buttons. The seeds are movies of every kind of
// character, a movie of scripts (every kind of action, clip events, button
// actions, classes, drawing, text fields, timers) and the hostile movies
// whose characters place themselves, a movie of bitmaps at their extremes
// (sides of 2880 pixels, flood fills of whole surfaces, noise of many
// octaves, filters of extreme reach, sizes negative, huge and not numbers),
// and a movie whose scripts play sounds
// and a video and load movies and a picture into clips and levels (itself,
// so the damage reaches every loaded copy, beside a damaged copy of the
// video and the MP3 file), and a movie of every filter and blend mode with
// extreme parameters (blurs of 255 in 15 passes, a 255 x 255 convolution,
// distances of 32767, an object far larger than a layer); mutations edit
// bytes, edit the bytes of action records, and rewrite character ids to other
// ids of the movie. Beside them stand hostile scripts (codes no action has,
// handlers that never end) and streams that decode to nothing. Every movie
// also plays 60 frame ticks with its scripts; scripts that run away meet a
// budget shortened to a second (the clock moves at every look). Every action
// code, in both record forms, plays in a movie of each script version.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "FilterMovies.h"
#include "FlashTestSupport.h"
#include "ScriptCompiler.h"
#include "RenderMovies.h"
#include "ShapeStyleMovies.h"
#include "base/ErrorLog.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/media/FlvStream.h"

using namespace flashtest;

namespace {

Bytes RichMovie() {
  moviebytes::Movie m = Frames(0);
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Shape(1), Shape(2),
            Sprite(3, {Place(1, 1, 0, 0), moviebytes::ShowFrame(), Move(1, 40, 40), moviebytes::ShowFrame(),
                       DoAction({ActGoto(0), ActPlay()}), Remove(1), moviebytes::ShowFrame()}),
            Sprite(4, {Place(1, 3, 0, 0), Place(2, 4, 5, 5), moviebytes::ShowFrame()}),
            Place(1, 1, 100, 100), Label("start"), moviebytes::ShowFrame(),
            Place(2, 3, 0, 0, "clip"), Place(3, 4, 1, 1), Move(1, 200, 100, 2.0), moviebytes::ShowFrame(),
            DoAction({ActGetUrl("FSCommand:X", "y"), ActGoto(0)}), Remove(1), moviebytes::ShowFrame(),
            moviebytes::EndTag()};
  return m.Plain();
}

// A movie whose frames run scripts of every kind.
Bytes ScriptedMovie() {
  const Bytes record = Bytes{0x0F} + U16(1) + U16(1) + Matrix(0, 0) + Bytes{0};
  const Bytes conditions = U16(0) + Bytes{0x08, 0x00} + Code("push 'clicked'; trace; push 1; gotoFrame2 1");
  const Bytes button = Tag(34, U16(5) + Bytes{0} + U16(static_cast<uint32_t>(2 + record.size() + 1)) + record +
                                   Bytes{0} + conditions, true);
  moviebytes::Movie m = Frames(0);
  m.version = 7;
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Shape(1), Sprite(2, {Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
            Export(2, "sym"), button,
            InitScript(2, "push '_global'; getVariable; push 'Sym'; function '' () { push 'this'; getVariable; "
                          "push 'n', 1; setMember }; setMember; push '_global'; getVariable; push 'Sym'; getMember; "
                          "push 'sym', 2, 'Object'; getVariable; push 'registerClass'; callMethod; pop"),
            PlaceEvents(2, 2, 100, 100, "c",
                        {{0x01, "push 'load'; trace"}, {0x02, "push '_x'; getVariable; increment; push '_x'; "
                                                                "stackSwap; setVariable"},
                         {0x10, "push 10, 'this'; getVariable; push 'startDrag'; callMethod"},
                         {0x40, "push 0, 'Key'; getVariable; push 'getCode'; callMethod; trace"}}),
            Place(3, 5, 200, 200, "btn"),
            Script("constants 'i' 'a' 'o'; push c:0, 0; setVariable; push c:1, 0; initArray; setVariable; "
                   "loop: push c:1; getVariable; push c:0; getVariable; push 1, c:1; getVariable; push 'push'; "
                   "callMethod; pop; push c:0, c:0; getVariable; increment; setVariable; push c:0; getVariable; "
                   "push 50; less2; if loop; push 0, c:1; getVariable; push 'sort'; callMethod; pop; "
                   "try catch=e { push 'x'; throw } catch { push 'e'; getVariable; trace } finally { push 'f'; trace }; "
                   "push c:2, 'k', 2, 1; initObject; setVariable; push c:2; getVariable; with { push 'k'; getVariable; "
                   "trace }; push 1, 's1', 'sym', 3, '_root'; getVariable; push 'attachMovie'; callMethod; "
                   "push '_rotation', 30; setMember; push 2, 'd', 2, '_root'; getVariable; "
                   "push 'createEmptyMovieClip'; callMethod; storeRegister 1; push 100, 0xFF, 2, r:1, 'beginFill'; "
                   "callMethod; pop; push 30, 30, 2, r:1, 'lineTo'; callMethod; pop; push 0, r:1, 'endFill'; "
                   "callMethod; pop; push 20, 100, 0, 0, 3, 't', 6, '_root'; getVariable; push 'createTextField'; "
                   "callMethod; push 'text', 'hello'; setMember; "
                   "function2 tick regs=2 flags=0 () { push 'ticks'; getVariable; increment; push 'ticks'; "
                   "stackSwap; setVariable }; push 50, 'tick'; getVariable; push 2, 'setInterval'; callFunction; "
                   "pop; push 'onEnterFrame'; function '' () { push 'frames'; getVariable; increment; "
                   "push 'frames'; stackSwap; setVariable }; setVariable; push 'FSCommand:x', 'y'; getURL2 0"),
            moviebytes::ShowFrame(),
            Script("push 4, 'e', 2, 's1'; getVariable; push 'duplicateMovieClip'; callMethod; pop; "
                   "push 'c'; getVariable; push 1, 's1'; getVariable; push 'swapDepths'; callMethod; "
                   "push 0, 'd'; getVariable; push 'removeMovieClip'; callMethod; push 2; gotoFrame2 0"),
            moviebytes::ShowFrame(),
            Script("push 0, 's1'; getVariable; push 'removeMovieClip'; callMethod; push 'start'; gotoFrame2 1"),
            Label("start"), moviebytes::ShowFrame(), moviebytes::EndTag()};
  return m.Plain();
}

// Bitmaps at their limits: the largest surfaces filled, flooded, scrolled,
// noised and drawn, sizes out of bounds, rectangles and points far outside,
// Perlin noise of a million octaves, filters past their bounds, every bitmap
// shown on the stage, and a loop that makes surfaces until the script heap
// is spent.
Bytes BitmapMovie() {
  std::string error;
  const std::string first = actions::CompileScript(
      "var B = flash.display.BitmapData; var R = flash.geom.Rectangle; var P = flash.geom.Point; "
      "var big = new B(2880, 2880, false, 0xFF0000); big.floodFill(0, 0, 0x00FF00); big.floodFill(2879, 2879, 0xFF); "
      "big.scroll(100000000, -7); big.fillRect(new R(-1e12, -1e12, 1e13, 1e13), 0); "
      "var wide = new B(2880, 1); var tall = new B(1, 2880, true, 0); wide.noise(1, 300, -40, 15, true); "
      "tall.perlinNoise(1e-9, 1e300, 1000000, 3, true, true, 15, false, [new P(1e308, -1e308)]); "
      "var odd = [new B(-1, 5), new B(1e10, 1e10), new B(0 / 0, 3), new B(2881, 2880), new B('x', {})]; "
      "for (var i = 0; i < odd.length; i++) { odd[i].fillRect(new R(0, 0, 9, 9), 1); odd[i].dispose(); } "
      "var small = new B(64, 64, true, 0x80FFFFFF); small.perlinNoise(32, 32, 64, 9, false, true); "
      "small.copyPixels(big, new R(-5, -5, 1e9, 1e9), new P(-2147483648, 2147483647), wide, new P(1e20, 0), true); "
      "small.threshold(tall, new R(0, 0, 1e9, 1e9), new P(0, 0), '>=', 0x80000000, 0xFF00FF00, 0xFF000000, true); "
      "small.draw(_root, new flash.geom.Matrix(1e30, 0, 0, -1e30, 1e30, 0 / 0)); small.draw(big); "
      "small.pixelDissolve(big, new R(0, 0, 1e9, 1e9), new P(0, 0), 1, 1e15, 0); "
      "small.colorTransform(new R(0, 0, 64, 64), new flash.geom.ColorTransform(1e300, -1e300, 0 / 0, 1, 1e300, 0, 0, -1e300)); "
      "var h = _root.createEmptyMovieClip('h', 1); h.attachBitmap(big, 1); h.attachBitmap(small, 2, 'auto', true); "
      "h.beginBitmapFill(tall, new flash.geom.Matrix(1e-30, 0, 0, 1e30, 0, 0)); h.lineTo(200, 0); h.lineTo(200, 100); "
      "h.endFill(); h.scrollRect = new R(-1e300, 0, 1e300, 1e300); _root.big = big; var F = flash.filters; "
      "big.applyFilter(big, new R(-1e9, -1e9, 2e9, 2e9), new P(-1e9, 1e9), new F.BlurFilter(255, 255, 15)); "
      "small.applyFilter(big, new R(2800, 2800, 1e9, 1e9), new P(-60, 60), new F.DropShadowFilter(32767, 1e300, 0, 1, 255, 255, 255, 15)); "
      "small.applyFilter(small, small.rectangle, new P(0, 0), new F.ConvolutionFilter(255, 255, [], 0, 1e300)); "
      "var kept = []; for (var k = 0; k < 40; k++) kept.push(new B(2880, 2880));",
      &error);
  EXPECT_EQ(error, "");
  const std::string second = actions::CompileScript(
      "_root.big.floodFill(1, 1, 0xFFFF00); _root.big.dispose(); _root.big.floodFill(1, 1, 0); "
      "var again = new flash.display.BitmapData(2880, 2880); again.noise(5);",
      &error);
  EXPECT_EQ(error, "");
  moviebytes::Movie m = Frames(0);
  m.version = 8;
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Script(first), moviebytes::ShowFrame(), Script(second),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  return m.Plain();
}

// Scripts of sounds, a video and loading: Sound objects of the library and of
// an MP3 file with their settings, a NetStream into a Video, the movie
// itself loaded into a clip and a level and a picture into another level,
// all changed again on the next frames.
Bytes MediaScriptMovie(int drop = 0) {
  Bytes pcm = U16(7) + Bytes{0x3E} + Bytes{100, 0, 0, 0};
  for (int i = 0; i < 100; ++i) pcm.push_back(static_cast<uint8_t>(i * 5));
  moviebytes::Movie m = Frames(0);
  m.version = 7;
  const std::string call = "callMethod; pop; ";
  // It loads itself once: the copy loads nothing more.
  const std::string loadsLeft = "push '_global'; getVariable; push 'n'; getMember; push undefined; equals2; not; "
                                "if counted; push '_global'; getVariable; push 'n', 0; setMember; counted: "
                                "push '_global'; getVariable; push 'n', '_global'; getVariable; push 'n'; getMember; "
                                "increment; setMember; push '_global'; getVariable; push 'n'; getMember; push 2; "
                                "less2; not; if done; ";
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Shape(1), Tag(14, pcm, true), Export(7, "snd"),
            Sprite(2, {Place(1, 1, 0, 0), moviebytes::ShowFrame()}), Export(2, "sym"),
            Tag(60, U16(8) + U16(0) + U16(40) + U16(30) + Bytes{0, 2}), Place(5, 8, 0, 0, "v"),
            Place(3, 2, 200, 200, "holder"),
            Script("push 's', 'holder'; getVariable; push 1, 'Sound'; newObject; setVariable; "
                   "push 'snd', 1, 's'; getVariable; push 'attachSound'; " + call +
                   "push 70, 1, 's'; getVariable; push 'setVolume'; " + call +
                   "push -30, 1, 's'; getVariable; push 'setPan'; " + call +
                   "push 3, 0.001, 2, 's'; getVariable; push 'start'; " + call +
                   "push 's'; getVariable; push 'onSoundComplete'; function '' () { push 0, 'this'; getVariable; "
                   "push 'start'; callMethod }; setMember; "
                   "push 'g', 0, 'Sound'; newObject; setVariable; push 'll', 50, 'lr', 50, 'rl', 50, 'rr', 50, 4; "
                   "initObject; push 1, 'g'; getVariable; push 'setTransform'; " + call +
                   (drop & 1 ? "" : "push true, 'tone.mp3', 2, 'g'; getVariable; push 'loadSound'; " + call) +
                   "push 'nc', 0, 'NetConnection'; newObject; setVariable; push null, 1, 'nc'; getVariable; "
                   "push 'connect'; " + call + "push 'ns', 'nc'; getVariable; push 1, 'NetStream'; newObject; "
                   "setVariable; push 'ns'; getVariable; push 1, 'v'; getVariable; push 'attachVideo'; " + call +
                   "push 'ns'; getVariable; push 'onStatus'; function '' (i) { push 'i'; getVariable; push 'code'; getMember; "
                   "trace }; setMember; " + (drop & 2 ? "" : "push 'clip.flv', 1, 'ns'; getVariable; push 'play'; " +
                   call) + (drop & 4 ? "jump done; " : "") + loadsLeft + "push 'mutant.swf', 1, 'holder'; getVariable; push 'loadMovie'; " + call + "done: " +
                    (drop & 8 ? "" : "push 'pic.jpg', '_level3'; getURL2 0")),
            moviebytes::ShowFrame(),
            Script("push 1.5, 1, 'ns'; getVariable; push 'seek'; " + call +
                   "push 0, 'ns'; getVariable; push 'pause'; " + call + "push 'snd', 1, 's'; getVariable; "
                   "push 'stop'; " + call + "push '', '_level3'; getURL2 0; " + loadsLeft +
                   "push 'mutant.swf', '_level1'; getURL2 0; done: "),
            moviebytes::ShowFrame(),
            Script("push 0, 'ns'; getVariable; push 'pause'; " + call + "stopSounds; push 0, 'holder'; "
                   "getVariable; push 'unloadMovie'; " + call + "push 0, 'g'; getVariable; push 'getTransform'; " +
                   call),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  return m.Plain();
}

// Hostile scripts: codes no action has where our own instructions once
// stood (a frame's actions, a function, a try, a with), and handlers that
// never end on every frame, on a timer and on a press.
Bytes HostileScriptMovie() {
  moviebytes::Movie m = Frames(0);
  m.version = 6;
  const std::string endless = "function '' () { loop: jump loop }";
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Shape(1), Sprite(2, {Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
            Place(1, 2, 0, 0, "clip"), DoAction({Bytes{0x01}}),
            Script("push 'a'; raw 0x01 0x02 0x03 0x16 0x19 0x1A 0x1B 0x1E; trace"),
            Script("function f () { raw 0x1E 0x01; push 1; raw 0x03 }; push 0, 'f'; callFunction; pop; "
                   "try catch=e { raw 0x19 0x02; push 'x'; throw } catch { raw 0x1A } finally { raw 0x1B }; "
                   "push 0, 'Object'; newObject; with { raw 0x16 0x01 }"),
            moviebytes::ShowFrame(),
            Script("push '_root'; getVariable; push 'onEnterFrame'; " + endless + "; setMember; "
                   "push 20; " + endless + "; push 2, 'setInterval'; callFunction; pop; "
                   "push 'clip'; getVariable; push 'onPress'; " + endless + "; setMember"),
            moviebytes::ShowFrame(), moviebytes::ShowFrame(), moviebytes::EndTag()};
  return m.Plain();
}

// A stream of a format given that decodes to nothing (Nellymoser, Speex, MP3
// of random bytes) in each of 100 frames.
Bytes SilentStreamMovie(uint8_t format, uint32_t seed) {
  std::mt19937 rng(seed);
  moviebytes::Movie m = Frames(0);
  m.frames = 100;
  m.tags = {moviebytes::Tag(18, Bytes{format, format} + U16(1000))};
  for (int i = 0; i < 100; ++i) {
    Bytes block = (format >> 4) == 2 ? U16(1152) + U16(0) : Bytes{};
    for (int b = 0; b < 300; ++b) block.push_back(static_cast<uint8_t>(rng()));
    m.tags.push_back(moviebytes::Tag(19, block, true));
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

bool DefinesCharacter(uint32_t code) {
  static const std::set<uint32_t> codes{2, 6, 7, 10, 11, 14, 20, 21, 22, 32, 33, 34, 35, 36, 37, 39, 46, 48, 60, 75, 83, 84, 87, 90, 91};
  return codes.count(code) > 0;
}

// The tags of a list: each tag's code, body offset and body length.
struct TagSpan {
  uint32_t code;
  size_t body, length;
};
std::vector<TagSpan> TagsOf(const Bytes& b, size_t pos, size_t end) {
  std::vector<TagSpan> tags;
  while (pos + 2 <= end) {
    const uint32_t header = b[pos] | b[pos + 1] << 8;
    size_t length = header & 63;
    pos += 2;
    if (length == 63) {
      if (pos + 4 > end) break;
      length = b[pos] | b[pos + 1] << 8 | b[pos + 2] << 16 | size_t(b[pos + 3]) << 24;
      pos += 4;
    }
    if (length > end - pos) break;
    tags.push_back({header >> 6, pos, length});
    pos += length;
  }
  return tags;
}

// Rewrites count character ids of a plain movie: a two-byte value inside a
// tag body (the main timeline's or a sprite's) that equals an id the movie
// defines becomes another id it defines.
void RewriteIds(Bytes& plain, int count, std::mt19937& rng) {
  if (plain.size() < 9) return;
  const size_t rectBits = 5 + 4 * (plain[8] >> 3);
  std::vector<TagSpan> tags = TagsOf(plain, 8 + (rectBits + 7) / 8 + 4, plain.size());
  for (size_t i = 0; i < tags.size(); ++i)
    if (tags[i].code == 39 && tags[i].length > 4) {
      const auto inner = TagsOf(plain, tags[i].body + 4, tags[i].body + tags[i].length);
      tags.insert(tags.end(), inner.begin(), inner.end());
    }
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(plain[at] | plain[at + 1] << 8); };
  std::vector<uint16_t> ids;
  for (const TagSpan& t : tags)
    if (DefinesCharacter(t.code) && t.length >= 2) ids.push_back(u16(t.body));
  std::vector<size_t> spots;
  for (const TagSpan& t : tags)
    for (size_t at = t.body; at + 2 <= t.body + t.length; ++at)
      if (std::find(ids.begin(), ids.end(), u16(at)) != ids.end()) spots.push_back(at);
  for (int n = 0; n < count && !spots.empty(); ++n) {
    const size_t at = spots[rng() % spots.size()];
    const uint16_t id = ids[rng() % ids.size()];
    plain[at] = static_cast<uint8_t>(id), plain[at + 1] = static_cast<uint8_t>(id >> 8);
  }
}

// A plain movie as a compressed one.
Bytes Compress(const Bytes& plain) {
  Bytes out{'C', 'W', 'S', plain[3], plain[4], plain[5], plain[6], plain[7]};
  return out + rendertest::Zlib(Bytes(plain.begin() + 8, plain.end()));
}

// Edits count bytes inside the action records of a plain movie (DoAction,
// DoInitAction, clip events and button actions, on the main timeline and in
// sprites), so the structure holds and the scripts get the damage.
void EditActions(Bytes& plain, int count, std::mt19937& rng) {
  if (plain.size() < 9) return;
  const size_t rectBits = 5 + 4 * (plain[8] >> 3);
  std::vector<TagSpan> tags = TagsOf(plain, 8 + (rectBits + 7) / 8 + 4, plain.size());
  for (size_t i = 0; i < tags.size(); ++i)
    if (tags[i].code == 39 && tags[i].length > 4) {
      const auto inner = TagsOf(plain, tags[i].body + 4, tags[i].body + tags[i].length);
      tags.insert(tags.end(), inner.begin(), inner.end());
    }
  std::vector<TagSpan> scripts;
  for (const TagSpan& t : tags)
    if ((t.code == 12 || t.code == 59 || t.code == 26 || t.code == 34) && t.length > 2) scripts.push_back(t);
  for (int i = 0; i < count && !scripts.empty(); ++i) {
    const TagSpan& t = scripts[rng() % scripts.size()];
    const size_t at = t.body + rng() % t.length;
    switch (rng() % 3) {
      case 0: plain[at] = static_cast<uint8_t>(rng()); break;
      case 1: plain[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
      default: plain[at] = static_cast<uint8_t>(plain[at] + (rng() % 2 ? 1 : -1)); break;
    }
  }
}

// Sounds and videos: event sounds of every codec with sound info, a stream,
// button sounds, and embedded video of the test streams' codecs.
Bytes MediaMovie(bool compressed) {
  using rendertest::U32;
  using rendertest::Translate;
  auto dataFile = [](const wchar_t* name) {
    wchar_t root[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"SWFZEL_SOURCE_DIR", root, MAX_PATH);
    return testing_support::ReadBytes(std::wstring(root) + L"\\tests\\platform\\flash\\media\\data\\" + name);
  };
  auto sound = [](uint16_t id, uint8_t format, const Bytes& data) {
    return moviebytes::Tag(14, U16(id) + Bytes{format} + U32(static_cast<uint32_t>(data.size())) + data, true);
  };
  const Bytes mp3 = dataFile(L"tone.mp3");
  Bytes pcm(400), adpcm(300);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<uint8_t>(i * 7), adpcm[i % adpcm.size()] = static_cast<uint8_t>(i * 13);
  const Bytes info = Bytes{0x0F} + U32(10) + U32(300) + U16(2) + Bytes{2} + U32(0) + U16(0) + U16(32768) + U32(200) +
                     U16(32768) + U16(0);
  moviebytes::Movie m = Frames(0);
  const Bytes mp3Data = Bytes{0, 0} + Bytes(mp3.begin(), mp3.begin() + static_cast<ptrdiff_t>(std::min<size_t>(mp3.size(), 1500)));
  m.tags = {sound(1, 0x3E, pcm), sound(2, 0x1A, adpcm), sound(3, 0x2A, mp3Data), sound(4, 0x62, pcm),
            moviebytes::Tag(18, Bytes{0x1A, 0x1A, 0x80, 0x01})};
  // Video of each codec from the media tests' streams: the first frames.
  flash::media::FlvStream flvs[2];
  const Bytes files[2] = {dataFile(L"sorenson.flv"), dataFile(L"screen.flv")};
  for (int v = 0; v < 2; ++v) {
    if (!flvs[v].Open(files[v]) || flvs[v].Video().size() < 3) continue;
    m.tags.push_back(moviebytes::Tag(60, U16(20 + v) + U16(3) + U16(160) + U16(120) + Bytes{0x05, static_cast<uint8_t>(v ? 3 : 2)}));
  }
  for (int f = 0; f < 3; ++f) {
    m.tags.push_back(moviebytes::Tag(19, adpcm, true));
    m.tags.push_back(moviebytes::Tag(15, U16(static_cast<uint16_t>(1 + f)) + info));
    for (int v = 0; v < 2; ++v) {
      if (flvs[v].Video().size() < 3) continue;
      const auto data = flvs[v].Video()[f].data.subspan(1);
      m.tags.push_back(moviebytes::Tag(61, U16(20 + v) + U16(f) + Bytes(data.begin(), data.end()), true));
      Bytes place = Bytes{static_cast<uint8_t>(f == 0 ? 0x16 : 0x11)} + U16(10 + v);
      if (f == 0) moviebytes::Append(place, U16(20 + v) + Translate(v * 800, 0));
      moviebytes::Append(place, U16(f));
      m.tags.push_back(moviebytes::Tag(26, place));
    }
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::Tag(17, U16(13) + U16(1) + info + U16(0) + U16(3) + Bytes{0} + U16(0)));
  m.tags.push_back(moviebytes::EndTag());
  return compressed ? m.Compressed() : m.Plain();
}

TEST(ControlRobustnessTest, MediaSeedSoundsAndDraws) {
  testing_support::TempDir dir;
  HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 200, 100);
  control.SetAudioMode(flash::FlashControl::AudioMode::Manual);
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"media.swf"), MediaMovie(false)));
  control.LoadMovie(0, dir.File(L"media.swf"));
  ASSERT_EQ(control.TotalFrames(), 3);
  EXPECT_GE(control.AudioMixer()->VoiceCount(), 2u);  // the event sound and the stream
  const rendertest::Picture p = rendertest::Paint(MediaMovie(false), {.frame = 2});
  int drawn = 0;
  for (uint32_t px : p.pixels) drawn += (px & 0xFFFFFF) != 0x102030;
  EXPECT_GT(drawn, 1000);
  PumpMessages();
}

TEST(ControlRobustnessTest, DrawnSeedDrawsEveryKind) {
  const rendertest::Picture p = rendertest::Paint(rendertest::DrawnMovie(false), {.frame = 1});
  rendertest::AddToSheet(L"robustness seed", p);
  ASSERT_EQ(p.width, 200);
  int drawn = 0;
  for (uint32_t px : p.pixels) drawn += (px & 0xFFFFFF) != 0x090909;
  EXPECT_GT(drawn, 1000);
}

// Extreme filters end within the paint's bounds: what would take too long, or
// a layer beyond 2880 pixels a side, is drawn without its effects (and said
// so in the log); the rest is drawn.
TEST(ControlRobustnessTest, ExtremeEffectsStayBounded) {
  std::vector<std::wstring> log;
  SetLogSink([&log](const std::wstring& text, bool) { log.push_back(text); });
  for (int size : {100, 1000}) {
    for (long frame : {0L, 1L}) {
      const rendertest::Picture p = rendertest::Paint(filtertest::EffectsMovie(), {.width = size, .height = size, .frame = frame});
      ASSERT_EQ(p.width, size);
      int drawn = 0;
      for (uint32_t px : p.pixels) drawn += (px & 0xFFFFFF) != 0xFFFFFF;
      EXPECT_GT(drawn, size * size / 20) << size << " frame " << frame;
      if (size == 100 && frame == 0) rendertest::AddToSheet(L"extreme effects", p, L"flash8");
    }
  }
  SetLogSink({});
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::wstring& l) { return l.find(L"left out") != std::wstring::npos; }));
}

// Loads a movie and puts it through its paces: every frame played, painted
// and hit-tested, the pointer over and around the buttons, seeks and paints,
// then 60 frame ticks with its scripts.
class Exerciser {
 public:
  // With sound, a device that plays nothing takes the mix at the clock's
  // pace; without, sounds run silent on the clock.
  explicit Exerciser(bool sound = false) : control_(host_.get(), 0, 0, 64, 48) {
    control_.SetClock([this] { return now_ += 0.25; });
    control_.SetAudioMode(sound ? flash::FlashControl::AudioMode::Silent : flash::FlashControl::AudioMode::None);
    control_.SetScriptBudget(1);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, 64, 48);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Exerciser() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  // Files beside the movie, for its scripts to load.
  void Beside(const std::wstring& name, const Bytes& bytes) { testing_support::WriteBytes(dir_.File(name), bytes); }

  void Run(const Bytes& movie, const std::wstring& label) {
    SCOPED_TRACE(label);
    const std::wstring path = dir_.File(L"mutant.swf");
    testing_support::WriteBytes(path, movie);
    control_.LoadMovie(0, path);
    const long total = control_.TotalFrames();
    if (control_.FrameNum() < 0) {
      EXPECT_EQ(total, 0);
      return;
    }
    ASSERT_GE(total, 1);
    static const POINT points[] = {{15, 15}, {25, 20}, {30, 30}, {50, 10}};
    control_.Play();
    for (long f = 0; f < total + 2; ++f) {
      now_ += 1.0;
      control_.Pump();
      Paint();
      for (const POINT& p : points) Send(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    }
    control_.GotoFrame(total - 1);
    // The pointer over and around the buttons: moves, a click, a drag out and a leave.
    for (const POINT& p : points) {
      const LPARAM at = MAKELPARAM(p.x, p.y);
      Send(WM_MOUSEMOVE, 0, at);
      Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
      Send(WM_LBUTTONUP, 0, at);
      Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
      Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 20, p.y + 10));
      Send(WM_LBUTTONUP, 0, MAKELPARAM(p.x + 20, p.y + 10));
      Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control_.hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    Send(WM_MOUSELEAVE, 0, 0);
    Paint();
    control_.GotoFrame(0);
    Paint();
    control_.Play();
    const double frameTime = 1 / control_.Movie()->PlayRate();
    for (int tick = 0; tick < 60 && control_.Player(); ++tick) {
      now_ += frameTime;
      control_.Pump();
      if (tick % 10 == 0) Paint();
    }
    if (!control_.Player()) return;  // the movie loaded another in its place, which failed
    EXPECT_LT(control_.Player()->Describe().size(), 4u << 20);
    EXPECT_LE(control_.Scripts()->Vm().GetHeap().Bytes(), flash::script::Vm::kDefaultHeapLimit + (16u << 20));
    SendMessageW(control_.hWnd(), WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(control_.hWnd(), WM_CHAR, L'a', 0);
    SendMessageW(control_.hWnd(), WM_KEYUP, VK_LEFT, 0);
    PumpMessages();
  }

 private:
  void Send(UINT msg, WPARAM wp, LPARAM lp) { SendMessageW(control_.hWnd(), msg, wp, lp); }
  void Paint() { Send(WM_PAINT, reinterpret_cast<WPARAM>(dc_), 0); }

  testing_support::TempDir dir_;
  HostWindow host_;
  flash::FlashControl control_;
  double now_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The movies of every kind and the hostile movies; the chains (each run of
// one draws and tests thousands of characters) only when asked.
std::vector<std::pair<std::wstring, Bytes>> Seeds(bool chains) {
  std::vector<std::pair<std::wstring, Bytes>> seeds{
      {L"rich", RichMovie()}, {L"drawn", rendertest::DrawnMovie(false)}, {L"scripted", ScriptedMovie()},
      {L"media scripts", MediaScriptMovie()}, {L"effects", filtertest::EffectsMovie()},
      {L"version 8 shapes", rendertest::Version8ShapesMovie()},
      {L"hostile scripts", HostileScriptMovie()},
      {L"Nellymoser stream", SilentStreamMovie(0x6E, 1)}, {L"Speex stream", SilentStreamMovie(0xB2, 2)},
      {L"random MP3 stream", SilentStreamMovie(0x2F, 3)}};
  // The bitmaps' extremes take long to draw: played as they are, not mutated.
  if (chains) seeds.emplace_back(L"bitmaps", BitmapMovie());
  for (const rendertest::HostileMovie& h : rendertest::HostileMovies())
    if (h.cycle || chains) seeds.emplace_back(h.name, h.movie);
  return seeds;
}

// What the media scripts load beside the movie: the test video and tone (in
// the mutated run with a few bytes damaged) and a picture.
void MediaFiles(Exerciser& run, std::mt19937* rng) {
  auto data = [](const wchar_t* name) {
    wchar_t root[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"SWFZEL_SOURCE_DIR", root, MAX_PATH);
    return testing_support::ReadBytes(std::wstring(root) + L"\\tests\\platform\\flash\\media\\data\\" + name);
  };
  // The video's first half second or so (its last tag cut), to keep the runs short.
  static const Bytes whole = data(L"sorenson.flv"), video(whole.begin(), whole.begin() + std::min<size_t>(whole.size(), 16000));
  static const Bytes tone = data(L"tone.mp3"), picture = rendertest::FlatJpeg(10, 200, 10);
  Bytes v = video, t = tone;
  for (int i = 0; rng && i < 3; ++i) {
    if (v.size() > 20) v[13 + (*rng)() % (v.size() - 13)] ^= static_cast<uint8_t>(1u << ((*rng)() % 8));
    if (!t.empty()) t[(*rng)() % t.size()] = static_cast<uint8_t>((*rng)());
  }
  run.Beside(L"clip.flv", v);
  run.Beside(L"tone.mp3", t);
  run.Beside(L"pic.jpg", picture);
}

TEST(ControlRobustnessTest, SeedsPlayPaintAndTakeThePointer) {
  Exerciser run(true);
  MediaFiles(run, nullptr);
  for (const auto& [name, movie] : Seeds(true)) {
    run.Run(movie, name);
    run.Run(Compress(movie), name + L" compressed");
  }
}

TEST(ControlRobustnessTest, MutatedMoviesLoadStepAndPaint) {
  Exerciser run;
  const auto seeds = Seeds(false);
  std::mt19937 rng(20261209);
  for (int i = 0; i < 800; ++i) {
    const auto& [name, seed] = seeds[static_cast<size_t>(i) % seeds.size()];
    MediaFiles(run, &rng);
    Bytes input = seed;
    const int rewrites = static_cast<int>(rng() % 3);
    RewriteIds(input, rewrites, rng);
    EditActions(input, static_cast<int>(rng() % 4), rng);
    if (i / seeds.size() % 2) input = Compress(input);
    const int edits = rewrites ? static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !input.empty(); ++e) {
      size_t at = rng() % input.size();
      switch (rng() % 4) {
        case 0: input[at] = static_cast<uint8_t>(rng()); break;
        case 1: input[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: input.resize(at); break;
        default: input.insert(input.begin() + static_cast<ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
      }
    }
    run.Run(input, name + L" mutant " + std::to_wstring(i));
  }
}

}  // namespace

namespace {

// Every action code 0x00 to 0xFF in both record forms (short; long with a
// length and a payload), each in a record of its own: alone, in a function,
// in a try and in a with, in a movie of each script version.
TEST(ControlRobustnessTest, EveryActionCodeInBothFormsPlays) {
  Exerciser run(true);
  for (int version = 4; version <= 7; ++version) {
    moviebytes::Movie m = Frames(0);
    m.version = static_cast<uint8_t>(version);
    m.tags = {moviebytes::BackgroundTag(9, 9, 9)};
    for (int code = 0; code < 256; ++code) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", code);
      for (const std::string& record : {std::string(hex), std::string(hex) + " 0x03 0x00 0x01 0x02 0x03"}) {
        const std::string raw = "raw " + record;
        m.tags.push_back(Script("push 'a'; " + raw + "; push 'b'; trace"));
        m.tags.push_back(Script("function f () { " + raw + " }; push 0, 'f'; callFunction; pop"));
        m.tags.push_back(Script("try catch=e { " + raw + " } catch { push 'e'; trace } finally { push 'f'; trace }"));
        m.tags.push_back(Script("push 0, 'Object'; newObject; with { " + raw + " }"));
      }
    }
    m.tags.push_back(moviebytes::ShowFrame());
    m.tags.push_back(moviebytes::ShowFrame());
    m.tags.push_back(moviebytes::EndTag());
    run.Run(m.Plain(), L"every action code, version " + std::to_wstring(version));
  }
}

}  // namespace
