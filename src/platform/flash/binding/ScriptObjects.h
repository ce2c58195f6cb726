// The script objects of what stands on the stage: a movie clip (its
// timeline, the property table, instances by name, the MovieClip methods),
// a text field (text, HTML text, variable binding, appearance) and a button
// (version 6 and later). Each points at its display-list entry until the
// entry goes; then it answers as an empty object. The classes' prototypes
// (MovieClip, TextField, Button) are installed by MovieScripts.
#pragma once
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/script/ClipObject.h"
#include "platform/flash/script/Vm.h"

namespace flash {

class MovieScripts;

class MovieClipObject final : public script::ClipObject {
 public:
  MovieClipObject(MovieScripts& owner, script::Object* proto, Clip* clip);

  Clip* TheClip() const { return clip_; }
  DisplayObject* Entry() const { return clip_ ? clip_->entry : nullptr; }
  void Detach() { clip_ = nullptr; }
  MovieScripts& Owner() const { return owner_; }

  bool GetHook(script::Vm& vm, script::String* key, script::Value& out) override;
  bool SetHook(script::Vm& vm, script::String* key, const script::Value& v) override;
  bool LateHook(script::Vm& vm, script::String* key, script::Value& out) override;
  void EnumerateHook(script::Vm& vm, std::vector<script::String*>& names) override;
  bool NativeString(script::Vm& vm, std::wstring& out) override;

  bool OnStage() const override { return clip_ != nullptr; }
  ClipObject* ParentClip() override;
  ClipObject* RootClip() override;
  script::Object* Child(script::Vm& vm, script::String* key) override;
  std::wstring Path(bool slashes) override;
  int CurrentFrame() override;
  int TotalFrames() override;
  int FramesLoaded() override { return TotalFrames(); }
  int FrameOfLabel(const std::wstring& label) override;
  void GotoFrame(script::Vm& vm, int frame, int play) override;
  void SetPlaying(bool playing) override;
  void CallFrame(script::Vm& vm, int frame) override;
  script::Value GetProperty(script::Vm& vm, int index) override;
  void SetProperty(script::Vm& vm, int index, const script::Value& v) override;
  void Duplicate(script::Vm& vm, script::String* name, int depth) override;
  void Remove(script::Vm& vm) override;
  void StartDrag(script::Vm& vm, bool lockCenter, const double* constraint) override;
  void GetColor(double ct[8]) override;
  void SetColor(const double ct[8]) override;

 private:
  MovieScripts& owner_;
  Clip* clip_;
};

// A text field or a button: an entry that is no clip.
class EntryObject final : public script::Object {
 public:
  EntryObject(MovieScripts& owner, script::Object* proto, script::ObjClass cls, Clip* parent, DisplayObject* entry);

  Clip* Parent() const { return parent_; }
  DisplayObject* Entry() const { return entry_; }
  MovieScripts& Owner() const { return owner_; }
  void Detach() { parent_ = nullptr, entry_ = nullptr; }

  bool GetHook(script::Vm& vm, script::String* key, script::Value& out) override;
  bool SetHook(script::Vm& vm, script::String* key, const script::Value& v) override;
  bool NativeString(script::Vm& vm, std::wstring& out) override;

 private:
  MovieScripts& owner_;
  Clip* parent_;
  DisplayObject* entry_;
};

// The property table of any entry (x, y, scales, rotation, alpha, visible,
// sizes, name, target, mouse ...), for clips, text fields and buttons.
script::Value EntryProperty(MovieScripts& owner, Clip* parent, DisplayObject* entry, Clip* clip, int index);
void SetEntryProperty(MovieScripts& owner, Clip* parent, DisplayObject* entry, int index, const script::Value& v);
// The property index of a name ("_x" ...), -1 for none.
int PropertyIndex(MovieScripts& owner, script::String* key);

// An auto-sized field grows or shrinks to its text, as its embedded font or
// its device font sets it.
void FitFieldToText(MovieScripts& owner, const Clip* parent, TextFieldState& field);

void InstallMovieClipClass(MovieScripts& owner, script::Vm& vm);
void InstallTextFieldClass(MovieScripts& owner, script::Vm& vm);

}  // namespace flash
