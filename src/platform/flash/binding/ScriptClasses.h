// The classes of versions 7 and 8 that reach the stage, installed by
// MovieScripts after MovieClip and TextField as the movie's version shows
// them: flash.geom.Transform with MovieClip.transform and scrollRect,
// flash.display.BitmapData with MovieClip.attachBitmap and beginBitmapFill,
// MovieClipLoader, Selection, LocalConnection, TextSnapshot
// (MovieClip.getTextSnapshot) and TextField.StyleSheet with
// TextField.styleSheet.
#pragma once
#include <memory>

#include "platform/flash/script/builtins/ClassKit.h"

namespace flash {

class MovieScripts;
class MovieClipObject;
class EntryObject;
class BitmapSurface;

void InstallPlayerClasses(MovieScripts& owner, script::Vm& vm);

void InstallTransform(MovieScripts& owner, script::Vm& vm, script::Object* movieClip);
void InstallBitmapData(MovieScripts& owner, script::Vm& vm, script::Object* movieClip);
void InstallClipLoader(MovieScripts& owner, script::Vm& vm);
void InstallSelection(MovieScripts& owner, script::Vm& vm);
void InstallLocalConnection(MovieScripts& owner, script::Vm& vm);
// A movie's scripts end: its connections close.
void ForgetLocalConnections(MovieScripts& owner);
void InstallTextSnapshot(MovieScripts& owner, script::Vm& vm, script::Object* movieClip);
void InstallFieldStyles(MovieScripts& owner, script::Vm& vm, script::Object* textField);

// How a MovieClipLoader's load of target goes: its movie begins to arrive
// (onLoadStart), a part arrived (onLoadProgress with the bytes loaded and
// total), all of it arrived (onLoadComplete), its first frame ran
// (onLoadInit), or it failed (onLoadError: "URLNotFound" for an address
// refused or naming no file, "LoadNeverCompleted" for a file that is no
// movie or picture).
enum LoadPhase { kLoadStart, kLoadProgress, kLoadComplete, kLoadRan, kLoadMissing, kLoadBroken };
void ClipLoaderEvent(MovieScripts& owner, script::Object* loader, const script::Value& target, LoadPhase phase,
                     uint64_t loaded, uint64_t total);

// The keyboard went from one text field to another (either null): their
// onKillFocus and onSetFocus, and Selection's listeners' onSetFocus, queued.
void FocusChanged(MovieScripts& owner, EntryObject* from, EntryObject* to);

// The clip a script value names: a clip object, or a target path from the main timeline.
MovieClipObject* ClipArg(MovieScripts& owner, const script::Value& v);
// What stands behind a BitmapData: its surface (null when it was made with
// a size out of bounds, or disposed), counted against the script heap.
class BitmapState final : public script::State {
 public:
  std::shared_ptr<BitmapSurface> surface;
};
BitmapState* BitmapOf(const script::Value& v);
std::shared_ptr<BitmapSurface> SurfaceOf(const script::Value& v);
// A new BitmapData of a surface.
script::Value NewBitmapData(script::Vm& vm, std::shared_ptr<BitmapSurface> surface);
// The BitmapData methods that reach the player (draw, loadBitmap), on its
// prototype and constructor, and MovieClip's attachBitmap and beginBitmapFill.
void InstallBitmapDrawing(MovieScripts& owner, script::Vm& vm, script::Object* prototype, script::Object* ctor,
                          script::Object* movieClip);
// A field's HTML text shown through its style sheet, when it has one.
void ApplyFieldStyleSheet(script::Vm& vm, EntryObject& field);

}  // namespace flash
