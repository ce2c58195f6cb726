#include "tools/thumbnails/GeneratorRun.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/SWFModule.h"
#include "player/movie/Thumbnails.h"
#include "services/AppIdentity.h"
#include "services/FileSearch.h"
#include "services/Languages.h"
#include "services/Options.h"
#include "services/ShellMod.h"
#include "tools/movieinfo/ExtractorRun.h"
#include "tools/common/FolderRules.h"
#include "ui/MovieSnapshot.h"

namespace tools {
namespace {

std::wstring Text(const wchar_t* key, const wchar_t* english) {
  return LangText(std::wstring(L"frmGenerator/") + key, english);
}

void Attribute(std::wstring& line, const wchar_t* name, const std::wstring& value) {
  line += L' ';
  line += name;
  line += L"=\"";
  line += value;
  line += L'"';
}

int Side(double value) {
  return static_cast<int>(std::clamp(std::nearbyint(value), 1.0, static_cast<double>(kMaxThumbnailSide)));
}

}  // namespace

std::pair<int, int> ThumbnailSize(const player::GeneratorSettings& s, const SWFInfo& record) {
  if (s.Size) return {Side(s.Width), Side(s.Height)};
  double w = std::max(0, record.Width) * static_cast<double>(std::max(1L, s.Percent)) / 100.0;
  double h = std::max(0, record.Height) * static_cast<double>(std::max(1L, s.Percent)) / 100.0;
  const double larger = std::max(w, h);
  if (larger > kMaxThumbnailSide) {
    w = w * kMaxThumbnailSide / larger;
    h = h * kMaxThumbnailSide / larger;
  }
  return {Side(w), Side(h)};
}

std::wstring IndexEscape(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    switch (c) {
      case L'&': out += L"&#38;"; continue;
      case L'<': out += L"&#60;"; continue;
      case L'>': out += L"&#62;"; continue;
      case L'"': out += L"&#34;"; continue;
      case L'\t': out += L"&#9;"; continue;
      case L'\n': out += L"&#10;"; continue;
      case L'\r': out += L"&#13;"; continue;
      default: break;
    }
    if (c >= 0xD800 && c <= 0xDBFF) {  // a pair stays whole; half of one goes
      if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        out += c;
        out += text[++i];
      }
      continue;
    }
    if (c < 0x20 || (c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) continue;
    out += c;
  }
  return out;
}

std::wstring IndexHead() {
  return std::wstring(L"<?xml version=\"1.0\"?><FLASHINFO app=\"") + app::kTitle + L"\" build=\"760\">\r\n";
}

std::wstring IndexLine(const SWFInfo& r, const std::wstring& relativeFolder) {
  std::wstring line = L"\t<MOVIE";
  if (!relativeFolder.empty()) Attribute(line, L"path", IndexEscape(relativeFolder));
  if (!r.Title.empty()) Attribute(line, L"title", IndexEscape(r.Title));
  if (!r.Description.empty()) Attribute(line, L"description", IndexEscape(r.Description));
  Attribute(line, L"width", std::to_wstring(r.Width));
  Attribute(line, L"height", std::to_wstring(r.Height));
  Attribute(line, L"time", FramesToTime(r.FrameCount, r.FrameRate));
  Attribute(line, L"size", std::to_wstring(r.FileSize));
  Attribute(line, L"version", std::to_wstring(r.Version));
  Attribute(line, L"compressed", r.Compressed ? L"True" : L"False");
  Attribute(line, L"frameRate", FrameRateText(r.FrameRate));
  Attribute(line, L"bgColor", IndexEscape(r.BackColor));
  Attribute(line, L"frames", std::to_wstring(r.FrameCount));
  return line + L">" + IndexEscape(r.FileTitle) + L"</MOVIE>\r\n";
}

std::wstring SummaryText(const GeneratorOutcome& o, const player::GeneratorSettings& s) {
  std::wstring text = o.Cancelled ? Text(L"strCancel", L"Thumbnail Generation Cancelled!")
                                  : Text(L"strDone", L"Thumbnail Generation Complete!");
  text += L"\r\n\r\n" + Text(L"strCreated", L"Thumbnails created:") + L" " + std::to_wstring(o.ThumbsCreated);
  if (o.ThumbsCreated < o.MovieCount)
    text += L" " + LangText(L"BrowseMedia/strShotMid", L"of") + L" " + std::to_wstring(o.MovieCount);
  text += L"\r\n" + Text(L"strDirs", L"Folders Searched:") + L" " + std::to_wstring(o.FoldersSearched);
  if (o.IndexFailed)
    text += L"\r\n\r\n" + Text(L"strIndexFailed", L"The movie index could not be written:") + L" " + o.IndexPath;
  if (o.IndexKept)
    text += L"\r\n\r\n" + Text(L"strIndexKept", L"The movie index was not written, as the run was cancelled.");
  if (s.Exec)
    text += L"\r\n\r\n" + (o.Launched ? Text(L"strExe", L"Executed:") : Text(L"strExeFailed", L"Could not execute:")) +
            L" " + s.App;
  return text;
}

GeneratorOutcome GeneratorRun::Run(bool autoMode) {
  GeneratorOutcome out;
  if (running_) return out;  // one run at a time
  auto refuse = [&](const std::wstring& text) {
    WriteLog(L"Thumbnail Generation :: " + text);
    if (!autoMode) host_.Problem(text);
    return out;
  };
  const std::wstring& source = live_.Source;
  // The program's current folder is its own: a relative source is never looked for there.
  if (!source.empty() && !IsFullFolderPath(source))
    return refuse(NotFullPathText(source));
  bool isFolder = false;
  if (!source.empty() && PathIsDirectoryW(source.c_str())) {
    live_.Source = AddBackslash(source);
    isFolder = true;
  } else if (source.empty() || !FileExists(source)) {
    return refuse(LangText(L"Shared/Nofolder", L"Specified path does not exist:") + L"\r\n" + source);
  }
  settings_ = live_;
  out.Started = true;
  running_ = true;
  stop_ = false;
  host_.Status(0);

  std::vector<std::wstring> files;
  std::wstring searching;
  if (isFolder) {
    long movies = 0, projectors = 0;
    host_.Stage(Text(L"strMovie", L"Searching for Movies..."));
    out.FoldersSearched = 1;
    FindFiles(settings_.Source, L"*.swf", movies, out.FoldersSearched, settings_.Recursive, searching, files, stop_);
    host_.Stage(Text(L"strProjector", L"Searching for Projectors..."));
    out.FoldersSearched = 1;
    FindFiles(settings_.Source, L"*.exe", projectors, out.FoldersSearched, settings_.Recursive, searching, files, stop_);
    out.MovieCount = movies + projectors;
  } else {
    out.MovieCount = 1;
    files.push_back(settings_.Source);
  }
  host_.Stage(Text(L"strThumbnail", L"Creating Thumbnails") + L" (" + std::to_wstring(out.MovieCount) + L")...");

  const std::wstring indexFolder = isFolder ? settings_.Source : GetFolderPart(settings_.Source);
  std::wstring index;
  if (settings_.Info) index = IndexHead();
  for (size_t k = 0; k < files.size(); ++k) {
    if (stop_) break;
    MakeOne(files[k], indexFolder, settings_.Info ? &index : nullptr, out);
    host_.Status(static_cast<double>(k + 1) / static_cast<double>(files.size()));
  }
  out.Cancelled = stop_;
  for (const UnwrittenThumbnail& lost : maker_.Finish()) {
    --out.ThumbsCreated;
    WriteLog(L"Thumbnail Generation :: no thumbnail " + lost.Target + L" :: " + lost.Reason);
  }

  if (settings_.Info) {
    out.IndexPath = indexFolder + kIndexFileName;
    if (out.Cancelled) {
      // A part of the movies would replace a whole index.
      out.IndexKept = true;
      WriteLog(L"Thumbnail Generation :: cancelled, index not written: " + out.IndexPath);
    } else {
      index += L"</FLASHINFO>";
      out.IndexFailed = !SaveXML(out.IndexPath, index);
      if (out.IndexFailed) WriteLog(L"Thumbnail Generation :: index not written: " + out.IndexPath);
    }
  }
  out.Folder = indexFolder;
  WriteLog(L"Thumbnail Generation :: " + std::to_wstring(out.ThumbsCreated) + L" of " +
           std::to_wstring(out.MovieCount));
  running_ = false;
  stop_ = true;
  return out;
}

void GeneratorRun::Finish(GeneratorOutcome& out, bool autoMode) {
  if (!out.Started) return;
  if (settings_.Exec) {
    out.Launched = host_.Launch(settings_.App);
    if (!out.Launched) WriteLog(L"Thumbnail Generation :: could not execute " + settings_.App);
  }
  if (!autoMode && host_.Summary(SummaryText(out, settings_), out.ThumbsCreated > 0)) host_.Explore(out.Folder);
}

void GeneratorRun::MakeOne(const std::wstring& file, const std::wstring& indexFolder, std::wstring* index,
                           GeneratorOutcome& out) {
  host_.Current(file);
  // One reading of the file: a doubtful projector is refused by it before
  // its movie is taken out (no picture, no line), and an executable that
  // held no projector's movie gives neither.
  SWFInfo record;
  const std::wstring error = GetSWFInfo(file, record, false);
  const bool notProjector = error.empty() && EndsWithNoCase(file, L".exe") && GenericProjectors && !record.PathChanged;
  if (!error.empty() || record.Version == 0 || notProjector) {
    WriteLog(L"Thumbnail Generation :: " + file + L" :: " +
             (!error.empty() ? error : notProjector ? L"not a projector" : L"no movie"));
    return;
  }
  if (index) {
    const std::wstring folder = GetFolderPart(file);
    *index += IndexLine(record, folder.size() > indexFolder.size() ? folder.substr(indexFolder.size()) : L"");
  }
  // The thumbnail beside its movie (as the browser keeps it with satellite thumbnails).
  const std::wstring target = player::ThumbnailPath(file, true);
  if (!(settings_.Overwrite || !FileExists(target))) return;
  ThumbnailJob job;
  job.Target = target;
  std::tie(job.Width, job.Height) = ThumbnailSize(settings_, record);
  if (settings_.Color) job.BackColor = settings_.BackColor;
  job.Quality = std::clamp(settings_.Quality, 0L, 100L);
  job.Show = settings_.Show;
  job.Watermark = settings_.Watermark;
  job.LogoPath = settings_.LogoPath;
  if (maker_.Make(record, job))
    ++out.ThumbsCreated;
  else
    WriteLog(L"Thumbnail Generation :: no thumbnail for " + file);
  // The movie taken out of a projector goes again, unless the player plays it.
  if (DeletesShotCopy(record, player::Options().CacheMode, host_.PlayingMovie()) && FileExists(record.Path))
    DeleteFileW(record.Path.c_str());
}

}  // namespace tools
