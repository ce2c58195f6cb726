// A movie as the control plays it: its header, a dictionary of characters
// and, for the main timeline and each sprite, the display-list commands,
// label and action records of every frame. Built once from the movie's
// uncompressed bytes, which it keeps (character bodies are views into them).
// An id may be defined again or freed (FreeCharacter) later in the movie: a
// definition holds from the main-timeline frame whose tags hold it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "moviefiles/SwfTags.h"
#include "base/ByteReader.h"
#include "platform/flash/parse/FilterRecords.h"
#include "platform/flash/parse/FontHints.h"

namespace flash {

// A 2x3 transform in twips: scale/rotate in 16.16 fixed point read as doubles.
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1;  // x' = a*x + c*y + tx, y' = b*x + d*y + ty
  int32_t tx = 0, ty = 0;
  bool operator==(const Matrix&) const = default;
};

// Colour transform: channel' = channel * mult / 256 + add.
struct ColorTransform {
  int32_t mr = 256, mg = 256, mb = 256, ma = 256;
  int32_t ar = 0, ag = 0, ab = 0, aa = 0;
  bool operator==(const ColorTransform&) const = default;
};

// One PlaceObject/PlaceObject2/PlaceObject3 or RemoveObject/RemoveObject2.
struct PlaceCommand {
  bool remove = false;
  uint16_t depth = 0;
  bool move = false;  // modifies the object at depth rather than placing a new one
  std::optional<uint16_t> character;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> color;
  std::optional<uint16_t> ratio;
  std::optional<std::wstring> name;
  std::optional<uint16_t> clipDepth;
  std::span<const uint8_t> clipActions;  // PlaceObject2/3's clip event records, as stored
  // PlaceObject3: a filter list (non-null when the record has one), blend mode and bitmap caching.
  std::shared_ptr<const FilterList> filters;
  std::optional<BlendMode> blend;
  std::optional<bool> cacheAsBitmap;
};

// What one frame does: views into its timeline's lists, in tag order.
struct FrameScript {
  std::span<const PlaceCommand> commands;
  std::span<const std::span<const uint8_t>> doActions;  // DoAction bodies
  // DoInitAction: a sprite's actions, run once when the frame is first reached.
  std::span<const std::pair<uint16_t, std::span<const uint8_t>>> initActions;
};

// A timeline's frames. Its records are kept in three lists for all frames
// (one allocation each, not one a frame), which the frames view; a timeline
// is moved, never copied, so the views stay good. It is built a frame at a
// time (Add..., EndFrame) and then sealed (Finish), which sets the views.
struct Timeline {
  Timeline() = default;
  Timeline(Timeline&&) = default;
  Timeline& operator=(Timeline&&) = default;
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  std::vector<FrameScript> frames;               // at least one
  std::map<std::wstring, int> labels;            // frame label -> frame
  int FrameOfLabel(const std::wstring& label) const;  // -1 when absent

  // Room for what is known to come (counted from the tags before reading them).
  void Reserve(size_t frameCount, size_t commandCount, size_t actionCount, size_t initCount);
  void Add(PlaceCommand command) { commands_.push_back(std::move(command)); }
  void AddAction(std::span<const uint8_t> code) { actions_.push_back(code); }
  void AddInit(uint16_t sprite, std::span<const uint8_t> code) { inits_.emplace_back(sprite, code); }
  // Whether records were added since the last EndFrame.
  bool FrameOpen() const;
  // Closes the frame being built; FramesBuilt counts the closed ones.
  void EndFrame();
  size_t FramesBuilt() const { return ends_.size(); }
  // Closes an open frame (or makes an empty one when there is none) and sets the views.
  void Finish();

 private:
  struct Ends {  // where each closed frame's records end in the lists
    uint32_t commands = 0, actions = 0, inits = 0;
  };
  std::vector<PlaceCommand> commands_;
  std::vector<std::span<const uint8_t>> actions_;
  std::vector<std::pair<uint16_t, std::span<const uint8_t>>> inits_;
  std::vector<Ends> ends_;
};

struct Character {
  uint16_t id = 0;
  SwfTag tagCode = SwfTag::End;   // FreeCharacter: the id is undefined from frame on
  std::span<const uint8_t> body;  // the defining tag's body after the id
  int sprite = -1;                // index into MovieDefinition::sprites for DefineSprite
  int frame = 0;                  // the main-timeline frame from which this definition holds
};

struct MovieDefinition {
  std::vector<uint8_t> bytes;  // the uncompressed movie (a plain file whole, a compressed one from its body)
  uint8_t version = 0;
  RECT frame{};                // stage rectangle in twips
  double frameRate = 0;        // frames per second from the header
  uint16_t scriptSeconds = 0;  // ScriptLimits: how long a script may run (0: not said)
  uint16_t headerFrames = 0;
  Timeline root;
  std::vector<Timeline> sprites;
  std::map<uint16_t, std::vector<Character>> dictionary;  // each id's definitions and frees, in tag order
  std::optional<COLORREF> background;  // the first SetBackgroundColor of the main timeline
  std::string metadata;        // the Metadata tag's text, when present
  std::map<std::wstring, uint16_t> exports;  // ExportAssets: names of library characters
  std::map<uint16_t, RECT> scalingGrids;     // DefineScalingGrid: a sprite's or button's grid, in its own twips
  std::map<uint16_t, FontZones> fontZones;   // DefineFontAlignZones, by font
  std::map<uint16_t, TextSettings> textSettings;  // CSMTextSettings, by text or edit text
  bool damaged = false;        // a tag could not be read; the stage stays blank
  std::span<const uint8_t> jpegTables;  // the JPEGTables tag's body, shared by DefineBits images
  uint64_t serial = 0;         // different for every definition read, for keying what is drawn from it

  // The definition of id in force at a main-timeline frame (before its first
  // definition: that one); null when there is none or it was freed.
  const Character* Find(uint16_t id, int frame) const;
  // The character exported under a name (case-insensitive before version 7); 0 for none.
  uint16_t Exported(const std::wstring& name) const;
  // The rate frames are played at (a header rate of 0 plays at the default).
  static constexpr double kDefaultRate = 12;
  double PlayRate() const { return frameRate > 0 ? frameRate : kDefaultRate; }
  int StageWidthPixels() const { return (frame.right - frame.left) / 20; }
  int StageHeightPixels() const { return (frame.bottom - frame.top) / 20; }
};

enum class MovieError { None, Unreadable, NotAMovie, TooLarge };

// A number no definition read before has had (for MovieDefinition::serial).
uint64_t NewMovieSerial();

// Reads a whole movie file (FWS or CWS) into a definition, walking its tags
// with the movie files' tag walker. A file whose
// header is sound but whose tags are damaged gives a one-frame blank movie
// with damaged set.
MovieError ReadMovieDefinition(std::span<const uint8_t> file, std::unique_ptr<MovieDefinition>& out);

// Fields shared with the tag readers of the control's tests and pages.
// What a sprite shows before it runs: the objects its first frame places (by
// depth, clip layers left out); empty for a character that is no valid sprite.
std::map<uint16_t, const PlaceCommand*> FirstFramePlacements(const MovieDefinition& movie, const Character& sprite);

bool ReadMatrix(ByteReader& reader, Matrix& m);
bool ReadColorTransform(ByteReader& reader, bool withAlpha, ColorTransform& cx);

}  // namespace flash
