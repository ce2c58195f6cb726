// Movie builders for the control's tests (places, moves, removes, sprites,
// frame actions), a hidden host window, and message pumping.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ActionAssembler.h"
#include "TestSupport.h"
#include "moviefiles/MovieBytes.h"

namespace flashtest {

using moviebytes::Bytes;
using moviebytes::Tag;
using moviebytes::operator+;

inline Bytes Matrix(int32_t tx, int32_t ty, double scale = 1.0) {
  moviebytes::BitWriter w;
  if (scale != 1.0) {
    w.Put(1, 1).Put(20, 5);
    int32_t fixed = static_cast<int32_t>(scale * 65536);
    w.Put(static_cast<uint32_t>(fixed), 20).Put(static_cast<uint32_t>(fixed), 20);
  } else {
    w.Put(0, 1);
  }
  w.Put(0, 1).Put(20, 5).Put(static_cast<uint32_t>(tx), 20).Put(static_cast<uint32_t>(ty), 20);
  return w.Done();
}

inline Bytes U16(uint32_t v) {
  Bytes b;
  moviebytes::PutLE(b, v, 2);
  return b;
}

// PlaceObject2: a new character at depth (with a matrix and optionally a name).
inline Bytes Place(uint16_t depth, uint16_t character, int32_t tx, int32_t ty, const std::string& name = "") {
  Bytes body{static_cast<uint8_t>(0x02 | 0x04 | (name.empty() ? 0 : 0x20))};
  moviebytes::Append(body, U16(depth) + U16(character) + Matrix(tx, ty));
  if (!name.empty()) moviebytes::Append(body, moviebytes::Text(name) + Bytes{0});
  return Tag(26, body);
}
// PlaceObject2 with the move flag: a new matrix for what is at depth.
inline Bytes Move(uint16_t depth, int32_t tx, int32_t ty, double scale = 1.0) {
  return Tag(26, Bytes{0x01 | 0x04} + U16(depth) + Matrix(tx, ty, scale));
}
inline Bytes Remove(uint16_t depth) { return Tag(28, U16(depth)); }
inline Bytes Shape(uint16_t id) { return Tag(2, U16(id) + Bytes{0, 0, 0, 0, 0}); }
inline Bytes Sprite(uint16_t id, const std::vector<Bytes>& tags) {
  uint16_t frames = 0;
  Bytes inner;
  for (const Bytes& t : tags) {
    moviebytes::Append(inner, t);
    if (t == moviebytes::ShowFrame()) ++frames;
  }
  return Tag(39, U16(id) + U16(frames) + inner + moviebytes::EndTag(), true);
}
inline Bytes Label(const std::string& name) { return Tag(43, moviebytes::Text(name) + Bytes{0}); }

// DoAction bodies.
inline Bytes ActStop() { return {0x07}; }
inline Bytes ActPlay() { return {0x06}; }
inline Bytes ActGoto(uint16_t frame) { return Bytes{0x81, 2, 0} + U16(frame); }
inline Bytes ActGetUrl(const std::string& url, const std::string& target) {
  Bytes data = moviebytes::Text(url) + Bytes{0} + moviebytes::Text(target) + Bytes{0};
  return Bytes{0x83} + U16(static_cast<uint32_t>(data.size())) + data;
}
inline Bytes DoAction(const std::vector<Bytes>& actions) {
  Bytes body;
  for (const Bytes& a : actions) moviebytes::Append(body, a);
  body.push_back(0);
  return Tag(12, body);
}

// Action records from assembler text (see ActionAssembler.h), with the end action.
inline Bytes Code(const std::string& text) {
  std::string error;
  Bytes code = actions::Assemble(text, &error);
  if (!error.empty()) ADD_FAILURE() << error << " in: " << text;
  code.push_back(0);
  return code;
}
// DoAction, DoInitAction (a sprite's init actions) and ExportAssets.
inline Bytes Script(const std::string& text) { return Tag(12, Code(text), true); }
inline Bytes InitScript(uint16_t sprite, const std::string& text) { return Tag(59, U16(sprite) + Code(text), true); }
inline Bytes Export(uint16_t id, const std::string& name) {
  return Tag(56, U16(1) + U16(id) + moviebytes::Text(name) + Bytes{0});
}
// PlaceObject2 of a new character with clip event handlers (flags, code) of a movie's version.
inline Bytes PlaceEvents(uint16_t depth, uint16_t character, int32_t tx, int32_t ty, const std::string& name,
                         const std::vector<std::pair<uint32_t, std::string>>& events, uint8_t version = 7) {
  Bytes body{static_cast<uint8_t>(0x80 | 0x20 | 0x04 | 0x02)};
  moviebytes::Append(body, U16(depth) + U16(character) + Matrix(tx, ty) + moviebytes::Text(name) + Bytes{0});
  const int flagBytes = version >= 6 ? 4 : 2;
  uint32_t all = 0;
  for (const auto& [flags, code] : events) all |= flags;
  Bytes actions = U16(0);
  moviebytes::PutLE(actions, all, flagBytes);
  for (const auto& [flags, code] : events) {
    const Bytes c = Code(code);
    moviebytes::PutLE(actions, flags, flagBytes);
    moviebytes::PutLE(actions, static_cast<uint32_t>(c.size()), 4);
    moviebytes::Append(actions, c);
  }
  moviebytes::PutLE(actions, 0, flagBytes);
  return Tag(26, body + actions, true);
}

// A movie of n empty frames at 10 fps with a background colour.
inline moviebytes::Movie Frames(int n, uint8_t r = 0x10, uint8_t g = 0x20, uint8_t b = 0x30) {
  moviebytes::Movie m;
  m.rect = moviebytes::Rect(0, 200 * 20, 0, 100 * 20);
  m.rateWhole = 10;
  m.frames = static_cast<uint16_t>(n);
  m.tags.push_back(moviebytes::BackgroundTag(r, g, b));
  for (int i = 0; i < n; ++i) m.tags.push_back(moviebytes::ShowFrame());
  m.tags.push_back(moviebytes::EndTag());
  return m;
}

// A hidden top-level window that hosts controls.
class HostWindow {
 public:
  HostWindow(int width = 200, int height = 100) {
    hwnd_ = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~HostWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

using testing_support::PumpMessages;

// A clock the test moves by hand.
struct FakeClock {
  double now = 100.0;
  std::function<double()> Fn() {
    return [this] { return now; };
  }
};

}  // namespace flashtest
