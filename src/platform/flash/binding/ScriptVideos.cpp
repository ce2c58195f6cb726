// NetConnection (local files only: connect(null)), NetStream (an FLV file
// beside the movie played on the control's clock, or its sound's while that
// plays) and Video (attachVideo shows a stream's picture in the video's
// rectangle on the stage).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/script/builtins/Builtins.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

constexpr double kSoundLead = 0.5;  // seconds of a stream's sound fed ahead

NetStreamObject* ThisStream(const CallInfo& c) {
  return script::ThisAs<NetStreamObject>(c, script::ObjClass::NetStream);
}

void Status(NetStreamObject& n, const wchar_t* code, const wchar_t* level = L"status") {
  ScriptMedia::Event e{ScriptMedia::Event::kStatus, &n};
  e.code = code;
  e.level = level;
  n.media.Later(std::move(e));
}

// The stream's sound from its position, on level 0's channel.
void StartSound(NetStreamObject& n) {
  if (!n.player || !n.player->HasSound()) return;
  auto mixer = n.media.Mixer();
  if (!mixer) return;
  const Clip& root = n.media.Scripts().Player().Root();
  const uint64_t channel = SoundChannelOf(root);
  mixer->SetChannelMix(n.media.Owner(), channel, n.media.MixOf(root));
  n.player->StartSound(mixer, n.media.Owner(), n.position, channel);
}

// Copies the stream's picture of its position into the picture its videos show.
bool Show(NetStreamObject& n) {
  if (!n.player || !n.player->ShowAt(n.position) || n.player->Pixels().empty()) return false;
  Bitmap& p = *n.picture;
  p.width = n.player->Width(), p.height = n.player->Height();
  p.pixels.assign(n.player->Pixels().begin(), n.player->Pixels().end());
  return true;
}

void Close(NetStreamObject& n) {
  if (n.player) n.player->StopSound();
  n.player.reset();
  n.position = n.duration = n.bytes = 0;
  n.paused = n.ended = false;
}

Value Connect(Vm& vm, CallInfo& c) {
  Object* self = script::ThisAs(c, script::ObjClass::NetConnection);
  if (!self) return Value::Bool(false);
  // Only local files: connect(null).
  const bool local = c.Arg(0).IsNullish();
  vm.Put(self, L"isConnected", Value::Bool(local), 0);
  if (!local) vm.Host().Warn(L"a NetConnection to a server was refused: the control plays local files only");
  return Value::Bool(local);
}

Value NetConnectionCtor(Vm& vm, CallInfo& c) {
  Object* proto = c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto;
  Object* o = vm.GetHeap().New<Object>(proto, script::ObjClass::NetConnection);
  vm.Put(o, L"isConnected", Value::Bool(false), 0);
  return Value::Obj(o);
}

Value NetStreamCtor(Vm& vm, CallInfo& c) {
  ScriptMedia& media = *static_cast<ScriptMedia*>(c.callee->hostData);
  Object* proto = c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto;
  return Value::Obj(vm.GetHeap().New<NetStreamObject>(media, proto));
}

enum StreamMethod { kPlay, kPause, kSeek, kClose, kSetBufferTime };

Value StreamMethodFn(Vm& vm, CallInfo& c) {
  NetStreamObject* n = ThisStream(c);
  if (!n) return Value::Undefined();
  ScriptMedia& media = n->media;
  switch (c.callee->magic) {
    case kPlay: {
      Close(*n);
      const std::wstring name = vm.ToText(c.Arg(0));
      bool missing = false;
      const std::wstring path = media.Scripts().Sandboxed(name, &missing);
      if (!path.empty()) {
        n->player = std::make_unique<media::FlvPlayer>();
        if (!n->player->Open(path)) n->player.reset();
      } else if (!missing) {
        vm.Host().Warn(L"a script may only play videos beside the movie: '" + name + L"' was refused");
      }
      if (!n->player) {
        Status(*n, L"NetStream.Play.StreamNotFound", L"error");
        break;
      }
      if (!media.Playing(*n)) {
        vm.Host().Warn(L"more than " + std::to_wstring(ScriptMedia::kMaxStreams) + L" videos at once: '" + name +
                       L"' was not played");
        Close(*n);
        Status(*n, L"NetStream.Play.Failed", L"error");
        break;
      }
      n->duration = n->player->Duration();
      WIN32_FILE_ATTRIBUTE_DATA data{};
      if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        n->bytes = static_cast<double>(uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
      n->lastClock = media.Now();
      Status(*n, L"NetStream.Play.Start");
      ScriptMedia::Event meta{ScriptMedia::Event::kMetaData, n};
      meta.numbers[0] = n->duration;
      Show(*n);
      meta.numbers[1] = n->picture->width, meta.numbers[2] = n->picture->height;
      media.Later(std::move(meta));
      Status(*n, L"NetStream.Buffer.Full");
      StartSound(*n);
      media.Scripts().Player().Changed();
      break;
    }
    case kPause: {
      if (!n->player) break;
      const bool pause = c.argc && !c.Arg(0).IsUndefined() ? vm.ToBool(c.Arg(0)) : !n->paused;
      if (pause == n->paused) break;
      n->paused = pause;
      n->lastClock = media.Now();
      if (pause) n->player->StopSound();
      else if (!n->ended) StartSound(*n);
      Status(*n, pause ? L"NetStream.Pause.Notify" : L"NetStream.Unpause.Notify");
      break;
    }
    case kSeek: {
      if (!n->player) break;
      const double to = vm.ToNumber(c.Arg(0));
      if (!std::isfinite(to)) break;
      // To the key frame at or before the time; an ended stream plays on from there.
      n->position = n->player->KeyTime(std::clamp(to, 0.0, std::max(n->duration, 0.0)));
      n->ended = false;
      n->lastClock = media.Now();
      n->player->StopSound();
      if (!n->paused) StartSound(*n);
      if (Show(*n)) media.Scripts().Player().Changed();
      Status(*n, L"NetStream.Seek.Notify");
      break;
    }
    case kClose: Close(*n); break;
    default: {
      const double d = vm.ToNumber(c.Arg(0));
      if (std::isfinite(d) && d >= 0) n->bufferTime = d;
      break;
    }
  }
  return Value::Undefined();
}

EntryObject* ThisVideo(const CallInfo& c) {
  return script::ThisAs<EntryObject>(c, script::ObjClass::Video);
}

// 0 attachVideo(stream or null), 1 clear.
Value VideoMethod(Vm&, CallInfo& c) {
  EntryObject* v = ThisVideo(c);
  DisplayObject* entry = v ? v->Entry() : nullptr;
  if (!entry) return Value::Undefined();
  Object* source = c.Arg(0).ObjectOrNull();
  if (c.callee->magic == 0 && source && source->Class() == script::ObjClass::NetStream)
    entry->video = static_cast<NetStreamObject*>(source)->picture;
  else
    entry->video.reset();
  v->Owner().Player().Changed();
  return Value::Undefined();
}

}  // namespace

NetStreamObject::NetStreamObject(ScriptMedia& media, Object* proto)
    : Object(proto, script::ObjClass::NetStream), media(media) {
  hooks_ = true;
}

NetStreamObject::~NetStreamObject() {
  if (player) player->StopSound();
}

bool NetStreamObject::GetHook(Vm&, script::String* key, Value& out) {
  const auto name = key->View();
  if (name == L"time") out = Value::Number(std::round(position * 1000) / 1000);
  else if (name == L"bytesloaded" || name == L"bytesLoaded" || name == L"bytestotal" || name == L"bytesTotal") out = Value::Number(bytes);
  else if (name == L"buffertime" || name == L"bufferTime") out = Value::Number(bufferTime);
  else if (name == L"bufferlength" || name == L"bufferLength") out = Value::Number(player && !ended ? bufferTime : 0);
  else return false;
  return true;
}

// Moves an open stream on to the clock (its sound's while that plays); true when its picture changed.
bool ScriptMedia::Advance(NetStreamObject& n, double now) {
  const double elapsed = std::max(now - n.lastClock, 0.0);
  n.lastClock = now;
  if (!n.player || n.paused || n.ended) return false;
  const auto& latency = scripts_.Environment().soundLatency;
  const double sound = n.player->SoundClock(latency ? latency() : 0);
  n.position = sound >= 0 ? std::max(sound, n.position) : n.position + elapsed;
  n.player->FeedSound(kSoundLead);
  if (n.position >= n.duration) {
    n.position = n.duration;
    n.ended = true;
    n.player->StopSound();
    Status(n, L"NetStream.Play.Stop");
    Status(n, L"NetStream.Buffer.Empty");
  }
  return Show(n);
}

bool VideoProperty(Vm& vm, DisplayObject* entry, script::String* key, Value& out) {
  const auto name = key->View();
  const Bitmap* picture = entry && entry->video ? entry->video.get() : nullptr;
  if (name == L"width") out = Value::Number(picture ? picture->width : 0);
  else if (name == L"height") out = Value::Number(picture ? picture->height : 0);
  else if (name == L"smoothing") out = Value::Bool(entry && entry->videoSmoothing);
  else if (name == L"deblocking") out = Value::Number(0);
  else return false;
  (void)vm;
  return true;
}

bool SetVideoProperty(Vm& vm, DisplayObject* entry, script::String* key, const Value& v) {
  const auto name = key->View();
  if (name == L"smoothing") {
    if (entry) entry->videoSmoothing = vm.ToBool(v);
    return true;
  }
  return name == L"width" || name == L"height";  // read-only
}

void InstallVideoClasses(ScriptMedia& media, Vm& vm) {
  Object* connection = vm.NewObject();
  vm.Method(connection, L"connect", Connect);
  vm.Class(L"NetConnection", NetConnectionCtor, connection);

  Object* stream = vm.NewObject();
  const wchar_t* methods[] = {L"play", L"pause", L"seek", L"close", L"setBufferTime"};
  for (int i = 0; i < 5; ++i) vm.Method(stream, methods[i], StreamMethodFn, i);
  vm.Class(L"NetStream", NetStreamCtor, stream)->hostData = &media;

  Object* video = vm.NewObject();
  vm.Method(video, L"attachVideo", VideoMethod, 0);
  vm.Method(video, L"clear", VideoMethod, 1);
  vm.Class(L"Video", [](Vm&, CallInfo& c) { return c.thisv; }, video);
}

}  // namespace flash
