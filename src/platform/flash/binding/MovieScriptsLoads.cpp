// The movies scripts load into clips and levels (loadMovie, loadMovieNum,
// MovieClipLoader): read beside the movie once the frame's scripts are
// done. A MovieClipLoader's load arrives a part of kLoadStep bytes a turn,
// its listeners told of each part, and shows once all of it is in.
#include <algorithm>

#include "base/MappedFile.h"
#include "base/TextConv.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/play/LoadedMovie.h"

namespace flash {

using script::Object;
using script::Value;

void MovieScripts::LoadMovieInto(Clip* clip, const std::wstring& url, Object* loader) {
  if (!clip) return;
  if (clip == &player_.Root()) return LoadMovieNum(0, url, loader);
  bool missing = false;
  const std::wstring path = Sandboxed(url, &missing);
  if (path.empty()) {
    if (!missing) Warn(L"a script may only load movies beside the movie: '" + url + L"' was refused");
    if (!loader) return;
  }
  movieLoads_.push_back(PendingMovie{ObjectOf(*clip), -1, path, loader});
}

void MovieScripts::LoadMovieNum(int level, const std::wstring& url, Object* loader) {
  bool missing = false;
  const std::wstring path = Sandboxed(url, &missing);
  if (path.empty()) {
    if (!missing) Warn(L"a script may only load movies beside the movie: '" + url + L"' was refused");
    if (loader && level != 0) movieLoads_.push_back(PendingMovie{nullptr, level, L"", loader});
    return;
  }
  if (level == 0)
    reload_ = path;  // the control loads it once the scripts are done
  else
    movieLoads_.push_back(PendingMovie{nullptr, level, path, loader});
}

// A file loaded before is read again from the same definition; a new one
// counts against the budget of all loaded files.
const MovieDefinition* MovieScripts::LoadedMovie(const std::wstring& path) {
  const std::wstring key = LowerInvariant(path);
  auto known = library_.find(key);
  if (known != library_.end()) return known->second;
  const MovieDefinition* movie = nullptr;
  MappedFile file;
  std::unique_ptr<MovieDefinition> read;
  std::wstring why;
  if (!file.Open(path, kMaxLoadedBytes)) {
    why = L"it could not be read, or it is larger than " + std::to_wstring(kMaxLoadedBytes >> 20) + L" MB";
  } else if (!ReadLoadedMovie(file.Bytes(), kMaxLoadedBytes - loadedBytes_, read)) {
    why = L"it is no movie or JPEG picture, or loaded movies would exceed " +
          std::to_wstring(kMaxLoadedBytes >> 20) + L" MB";
  } else {
    loadedBytes_ += read->bytes.size();
    movie = &player_.Keep(std::move(read));
  }
  if (!movie) Warn(L"'" + path + L"' was not loaded: " + why);
  if (library_.size() < 4096) library_[key] = movie;
  return movie;
}

bool MovieScripts::LoadingInto(const Clip* clip, int level, uint64_t& loaded, uint64_t& total) const {
  for (const PendingMovie& l : movieLoads_) {
    const bool into = l.target ? clip && l.target->TheClip() == clip : !clip && l.level == level;
    if (!into || l.total == 0) continue;
    loaded = l.loaded, total = l.total;
    return true;
  }
  return false;
}

void MovieScripts::LoadPendingMovies() {
  if (movieLoads_.empty()) return;
  // Loads the new movies' first frames ask for wait for the next frame.
  std::vector<PendingMovie> loads = std::exchange(movieLoads_, {});
  for (PendingMovie& l : loads) {
    const MovieDefinition* movie = l.path.empty() ? nullptr : LoadedMovie(l.path);
    if (l.target && !l.target->TheClip()) continue;
    // A MovieClipLoader hears of the file a part at a time; the movie shows,
    // and its first frame runs, once all of it is in. A new level is made
    // then, and named by its path until then (one whose file arrives in one
    // part is made first, so its listeners see the level itself).
    const bool levelAtOnce = !l.target && !player_.Level(l.level) && l.loaded == 0 && movie &&
                             movie->bytes.size() <= kLoadStep;
    if (l.loader && movie && !levelAtOnce) {
      Clip* into = l.target ? l.target->TheClip() : player_.Level(l.level);
      const Value target = into ? Value::Obj(ObjectOf(*into)) : Value::Str(vm_->Intern(L"_level" + std::to_wstring(l.level)));
      l.total = std::max<uint64_t>(movie->bytes.size(), 1);
      if (l.loaded == 0) ClipLoaderEvent(*this, l.loader, target, kLoadStart, 0, l.total);
      l.loaded = std::min(l.total, l.loaded + kLoadStep);
      ClipLoaderEvent(*this, l.loader, target, kLoadProgress, l.loaded, l.total);
      if (l.loaded < l.total) {
        movieLoads_.push_back(l);
        continue;
      }
      l.told = true;
    }
    Clip* clip = l.target ? l.target->TheClip() : movie ? player_.LevelFor(l.level, *movie) : nullptr;
    const Value target = l.target ? Value::Obj(l.target) : clip ? Value::Obj(ObjectOf(*clip)) : Value::Undefined();
    if (!movie) {
      if (l.loader) ClipLoaderEvent(*this, l.loader, target, l.path.empty() ? kLoadMissing : kLoadBroken, 0, 0);
      continue;
    }
    if (l.loader && clip) {
      if (!l.told) {
        l.total = std::max<uint64_t>(movie->bytes.size(), 1);
        ClipLoaderEvent(*this, l.loader, target, kLoadStart, 0, l.total);
        ClipLoaderEvent(*this, l.loader, target, kLoadProgress, l.total, l.total);
      }
      ClipLoaderEvent(*this, l.loader, target, kLoadComplete, l.total, l.total);
    }
    const bool ok = clip && player_.LoadInto(*clip, *movie);
    if (ok && l.target) {
      held_.push_back(l.target);
      Event(l.target, clip->entry, kEventLoad, nullptr, false);
      held_.pop_back();
    }
    if (!ok) Warn(L"'" + l.path + L"' was not loaded: too many movies are loaded inside one another, or too many levels");
    if (!l.loader) continue;
    ClipLoaderEvent(*this, l.loader, target, ok ? kLoadRan : kLoadBroken, 0, 0);
  }
  Drain();
}

}  // namespace flash
