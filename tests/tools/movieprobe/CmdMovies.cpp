// Probe commands of the movie files: info, extract, projector, frames.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "Probe.h"
#include "moviefiles/Projector.h"
#include "moviefiles/ResourceExtractor.h"
#include "moviefiles/SWFModule.h"
#include "services/AppIdentity.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

// The probe's own log: a running program's log stays as it is.
void StartServices() {
  wchar_t exe[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
  std::wstring folder(exe);
  InitServices(folder.substr(0, folder.find_last_of(L'\\') + 1), std::wstring(app::kLogName) + L" Probe");
}

std::wstring Bool(bool b) { return b ? L"True" : L"False"; }

// Shortest decimal text that reads back as the same number ("." as decimal point).
std::wstring Number(double v, int digits) {
  wchar_t text[64];
  for (int p = 1; p <= digits; ++p) {
    swprintf(text, 64, L"%.*g", p, v);
    if (wcstod(text, nullptr) == v) break;
  }
  return text;
}

std::wstring WithoutNul(const std::wstring& s) {
  std::wstring out;
  for (wchar_t c : s)
    if (c) out += c;
  return out;
}

void PrintInfo(const std::wstring& result, const SWFInfo& i) {
  probe::Out(L"Result", result);
  probe::Out(L"Version", std::to_wstring(i.Version));
  probe::Out(L"Compressed", Bool(i.Compressed));
  probe::Out(L"MovieLength", Number(i.MovieLength, 17));
  probe::Out(L"FileSize", std::to_wstring(i.FileSize));
  probe::Out(L"MovieFileSize", std::to_wstring(i.MovieFileSize));
  probe::Out(L"Width", std::to_wstring(i.Width));
  probe::Out(L"Height", std::to_wstring(i.Height));
  probe::Out(L"FrameRate", FrameRateText(i.FrameRate));
  probe::Out(L"FrameCount", std::to_wstring(i.FrameCount));
  probe::Out(L"Path", i.Path);
  probe::Out(L"RequestedPath", i.RequestedPath);
  probe::Out(L"HeaderCachePath", i.HeaderCachePath);
  probe::Out(L"FileTitle", i.FileTitle);
  probe::Out(L"FirstTagOffset", std::to_wstring(i.FirstTagOffset));
  probe::Out(L"PathChanged", Bool(i.PathChanged));
  probe::Out(L"IsFLV", Bool(i.IsFLV));
  probe::Out(L"VideoCodecID", std::to_wstring(i.VideoCodecID));
  probe::Out(L"VideoDataRate", std::to_wstring(i.VideoDataRate));
  probe::Out(L"AudioDataRate", std::to_wstring(i.AudioDataRate));
  probe::Out(L"BackColor", WithoutNul(i.BackColor));
  probe::Out(L"Title", i.Title);
  probe::Out(L"Description", i.Description);
  probe::Out(L"LastError", LastError);
}

int Info(const probe::Args& args) {
  bool full = !args.empty() && args[0] == L"--full";
  if (args.size() != (full ? 2u : 1u)) return probe::Fail(L"usage: info [--full] FILE");
  StartServices();
  SWFInfo info;
  std::wstring result = GetSWFInfo(args.back(), info, full);
  PrintInfo(result, info);
  return result.empty() ? 0 : 1;
}

int Extract(const probe::Args& args) {
  if (args.size() != 2) return probe::Fail(L"usage: extract FILE DESTFOLDER");
  StartServices();
  SWFInfo info;
  std::wstring result = GetSWFInfo(args[0], info, true);
  probe::Out(L"Result", result);
  int32_t counts[5] = {0, 0, 0, 0, 0};
  if (result.empty()) {
    std::wstring dest = AddBackslash(args[1]);
    CreateDirectoryW(dest.c_str(), nullptr);
    bool cancel = false;
    ExtractResources(info, dest, nullptr, counts, cancel);
  }
  probe::Out(L"JPEG=" + std::to_wstring(counts[0]) + L" PNG=" + std::to_wstring(counts[1]) +
             L" Sound=" + std::to_wstring(counts[2]) + L" Stream=" + std::to_wstring(counts[3]) +
             L" Video=" + std::to_wstring(counts[4]));
  return result.empty() ? 0 : 1;
}

int MakeProjector(const probe::Args& args) {
  if (args.size() != 2) return probe::Fail(L"usage: projector MOVIE OUT");
  StartServices();
  SWFInfo info;
  std::wstring result = GetSWFInfo(args[0], info, false);
  if (result.empty() && info.IsFLV) result = L"Not a Flash Movie";
  if (result.empty()) result = CreateProjector(args[1], info);
  probe::Out(L"Result", result);
  return result.empty() ? 0 : 1;
}

int Frames(const probe::Args& args) {
  if (args.size() != 2) return probe::Fail(L"usage: frames COUNT RATE");
  long count = wcstol(args[0].c_str(), nullptr, 10);
  double rate = wcstod(args[1].c_str(), nullptr);
  probe::Out(FramesToTime(static_cast<int32_t>(count), static_cast<float>(rate)));
  return 0;
}

probe::ProbeCommand regInfo(L"info", L"[--full] FILE", Info);
probe::ProbeCommand regExtract(L"extract", L"FILE DESTFOLDER", Extract);
probe::ProbeCommand regProjector(L"projector", L"MOVIE OUT", MakeProjector);
probe::ProbeCommand regFrames(L"frames", L"COUNT RATE", Frames);

}  // namespace
