// Resource extraction benchmark: a 64 MB movie of 500 JPEG images and 50 MP3
// sounds extracted through the extractor window (its progress bar drawn, the
// message loop run, the summary answered) against ExtractResources alone
// with no progress, into two folders, interleaved in one run; medians of
// several rounds after one warm-up each, and the median of each round's own
// ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "moviefiles/ResourceExtractor.h"
#include "moviefiles/SWFModule.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TextBox.h"
#include "services/Services.h"
#include "tools/movieinfo/frmDecompiler.h"
#include "ui/DrawingModule.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 550x400 at 12 fps, one frame: 500 images of 123 KB, 50 sounds of 80 KB.
Bytes LargeMovie() {
  Bytes body = {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 12, 1, 0};  // rectangle, rate, 1 frame
  uint32_t seed = 1;
  for (uint16_t id = 1; id <= 500; ++id) {
    Bytes tag;
    PutLE(tag, id, 2);
    tag.insert(tag.end(), {0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8});
    for (int i = 0; i < 123 * 1024 - 4; ++i) tag.push_back(static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24));
    tag.insert(tag.end(), {0xFF, 0xD9});
    Tag(body, 21, tag);
  }
  for (uint16_t id = 501; id <= 550; ++id) {
    Bytes tag;
    PutLE(tag, id, 2);
    tag.push_back(0x2F);
    PutLE(tag, 44100, 4);
    PutLE(tag, 0, 2);
    tag.resize(tag.size() + 80 * 1024, 0xAB);
    Tag(body, 14, tag);
  }
  body.insert(body.end(), {0x40, 0x00, 0x00, 0x00});  // ShowFrame, End
  Bytes movie = {'F', 'W', 'S', 8};
  PutLE(movie, static_cast<uint32_t>(body.size() + 8), 4);
  movie.insert(movie.end(), body.begin(), body.end());
  return movie;
}

// Deletes the files of a folder.
void ClearFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
}

// Deletes the files of a folder, then the folder.
void RemoveFolder(const std::wstring& folder) {
  ClearFolder(folder);
  RemoveDirectoryW(folder.c_str());
}

// Closes the summary at once and counts what it reported.
struct Answers : tools::ExtractorPrompts {
  std::wstring last;
  bool Ask(const std::wstring& prompt, const std::wstring&, const std::wstring&, const std::wstring&) override {
    last = prompt;
    return false;
  }
  void ShowFolder(const std::wstring&) override {}
};

const wchar_t kExpected[] =
    L"The following resources were extracted:\r\n\r\nJPEG Compressed Images: 500\r\nEvent MP3 Sounds: 50";

// The window, open over the movie since the start, runs it again.
double ThroughWindow(const std::wstring& folder, Answers& answers) {
  tools::frmDecompiler& w = tools::ExtractorWindow();
  w.txtDest->SetText(folder);
  answers.last.clear();
  ClearFolder(folder);  // every round writes the same names afresh (the extractor never replaces a file)
  const double t0 = Now();
  w.cbGo_Click();
  const double t = Now() - t0;
  Require(answers.last == kExpected, "extracting through the window");
  return t;
}

double Alone(const SWFInfo& info, const std::wstring& folder) {
  int32_t counts[5] = {0, -1, 0, 0, -1};
  const bool cancel = false;
  ClearFolder(folder);
  const double t0 = Now();
  ExtractResources(info, folder, nullptr, counts, cancel);
  const double t = Now() - t0;
  Require(counts[0] == 500 && counts[2] == 50, "extracting alone");
  return t;
}

}  // namespace

int main() {
  VisualStyle = 1;
  const std::wstring folder = BenchFolder(L"swfzel-bench-extract");
  const std::wstring movie = folder + L"large.swf";
  WriteOrFail(movie, LargeMovie(), "the 64 MB movie");
  SWFInfo info;
  Require(GetSWFInfo(movie, info, true).empty(), "reading the movie");
  const std::wstring windowOut = folder + L"window\\", aloneOut = folder + L"alone\\";
  Require(MakeDirs(windowOut) && MakeDirs(aloneOut), "making the output folders");

  Answers answers;
  tools::frmDecompiler& w = tools::ExtractorWindow();
  w.SetPrompts(&answers);
  w.OpenFor(info, forms::vbModeless);
  ThroughWindow(windowOut, answers);
  Alone(info, aloneOut);

  const int rounds = 9;
  std::vector<double> window, alone, ratios;
  for (int i = 0; i < rounds; ++i) {
    const double a = i % 2 ? Alone(info, aloneOut) : ThroughWindow(windowOut, answers);
    const double b = i % 2 ? ThroughWindow(windowOut, answers) : Alone(info, aloneOut);
    const double tw = i % 2 ? b : a, ta = i % 2 ? a : b;
    window.push_back(tw), alone.push_back(ta), ratios.push_back(tw / ta);
  }
  w.Close();
  std::printf("Extracting a %.0f MB movie (500 JPEG images, 50 MP3 sounds), medians of %d rounds:\n",
              info.MovieLength / (1 << 20), rounds);
  std::printf("  ExtractResources alone, no progress : %7.1f ms (best %.1f)\n", Median(alone) * 1000,
              *std::min_element(alone.begin(), alone.end()) * 1000);
  std::printf("  through the extractor window        : %7.1f ms (best %.1f)\n", Median(window) * 1000,
              *std::min_element(window.begin(), window.end()) * 1000);
  std::printf("  ratio (median of each round's own)  : %7.2fx (target at most 1.1x)\n", Median(ratios));
  RemoveFolder(windowOut);
  RemoveFolder(aloneOut);
  RemoveFolder(folder);
  return 0;
}
