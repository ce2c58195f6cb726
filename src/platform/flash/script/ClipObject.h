// What the interpreter asks of a movie clip: the timeline actions, the
// property table of GetProperty/SetProperty, its place in the tree of
// clips (parent, root, instances by name, paths) and the sprite actions.
// The movie player implements it; a clip removed from the stage keeps its
// object, which then answers as an empty clip.
#pragma once
#include <windows.h>

#include <string>

#include "platform/flash/script/Object.h"

namespace flash::script {

// The property table of GetProperty and SetProperty.
enum ClipProperty : int {
  kPropX, kPropY, kPropXScale, kPropYScale, kPropCurrentFrame, kPropTotalFrames, kPropAlpha, kPropVisible,
  kPropWidth, kPropHeight, kPropRotation, kPropTarget, kPropFramesLoaded, kPropName, kPropDropTarget, kPropUrl,
  kPropHighQuality, kPropFocusRect, kPropSoundBufTime, kPropQuality, kPropXMouse, kPropYMouse, kPropCount,
};

class ClipObject : public Object {
 public:
  using Object::Object;

  virtual bool OnStage() const = 0;
  virtual ClipObject* ParentClip() = 0;
  virtual ClipObject* RootClip() = 0;
  // An instance on the clip's display list by name (clips, buttons, text fields).
  virtual Object* Child(Vm& vm, String* key) = 0;
  // "_level0.a.b" (dots) or "/a/b" (slashes).
  virtual std::wstring Path(bool slashes) = 0;

  // Frames are counted from 0 here.
  virtual int CurrentFrame() = 0;
  virtual int TotalFrames() = 0;
  virtual int FramesLoaded() = 0;
  virtual int FrameOfLabel(const std::wstring& label) = 0;  // -1 when absent
  // play: 1 plays on, 0 stops there, -1 keeps the play state.
  virtual void GotoFrame(Vm& vm, int frame, int play) = 0;
  virtual void SetPlaying(bool playing) = 0;
  // Runs the actions of a frame without moving there (the Call action).
  virtual void CallFrame(Vm& vm, int frame) = 0;

  virtual Value GetProperty(Vm& vm, int index) = 0;
  virtual void SetProperty(Vm& vm, int index, const Value& v) = 0;

  // depth: on the display list's scale, as the clone action carries it.
  virtual void Duplicate(Vm& vm, String* name, int depth) = 0;
  virtual void Remove(Vm& vm) = 0;
  // constraint: left, top, right, bottom in the parent's pixels, or null.
  virtual void StartDrag(Vm& vm, bool lockCenter, const double* constraint) = 0;
  // The colour transform as Color sees it: ra, rb, ga, gb, ba, bb, aa, ab
  // (multipliers in percent, offsets -255..255).
  virtual void GetColor(double ct[8]) = 0;
  virtual void SetColor(const double ct[8]) = 0;
};

}  // namespace flash::script
