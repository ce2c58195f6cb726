// Thumbnail generator benchmark: a generated folder of 200 movies (plain and
// compressed, a quarter of them in each of four sub-folders, each a stage of
// coloured shapes) made into 120 x 90 JPEG thumbnails by the generation run
// with its index, against only rendering the same movies into bitmaps with
// TakeMovieSnapshot (records read beforehand, nothing written), interleaved in
// one run; medians of several rounds after one warm-up each.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "../tests/moviefiles/MovieBytes.h"
#include "moviefiles/SWFModule.h"
#include "services/FileSearch.h"
#include "services/Services.h"
#include "images/IntelJPEGLibrary.h"
#include "tools/thumbnails/GeneratorRun.h"
#include "tools/thumbnails/SnapshotThumbnails.h"
#include "ui/frmFlashShot.h"

namespace {

using moviebytes::Bytes;
using moviebytes::operator+;

constexpr int kMovies = 200;

Bytes U16(uint32_t v) {
  Bytes b;
  moviebytes::PutLE(b, v, 2);
  return b;
}

// DefineShape: a rectangle of one solid colour, in twips.
Bytes RectangleShape(uint16_t id, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
  moviebytes::BitWriter w;
  w.Put(0, 1).Put(0x01 | 0x04, 5).Put(20, 5).Put(static_cast<uint32_t>(x0), 20).Put(static_cast<uint32_t>(y0), 20);
  w.Put(1, 4);  // fill style 1 on the right
  int x = x0, y = y0;
  for (auto [tx, ty] : {std::pair(x1, y0), std::pair(x1, y1), std::pair(x0, y1), std::pair(x0, y0)}) {
    w.Put(1, 1).Put(1, 1).Put(15, 4).Put(1, 1);
    w.Put(static_cast<uint32_t>(tx - x), 17).Put(static_cast<uint32_t>(ty - y), 17);
    x = tx, y = ty;
  }
  w.Put(0, 6);
  Bytes body = U16(id) + moviebytes::Rect(x0, x1, y0, y1) + Bytes{1, 0x00, r, g, b, 0, 0x10} + w.Done();
  return moviebytes::Tag(2, body, true);
}

Bytes PlaceAt(uint16_t depth, uint16_t id) {
  return moviebytes::Tag(26, Bytes{0x02 | 0x04} + U16(depth) + U16(id) + Bytes{0x00});  // identity matrix
}

// A movie of 550 x 400 with twelve overlapping rectangles, different per index.
Bytes BenchMovie(int index) {
  moviebytes::Movie m;
  m.version = 8;
  m.rateWhole = 12;
  m.frames = 1;
  m.tags.push_back(moviebytes::BackgroundTag(static_cast<uint8_t>(index), 0x80, 0xC0));
  for (uint16_t i = 1; i <= 12; ++i) {
    const int x = (index * 37 + i * 410) % 9000, y = (index * 53 + i * 290) % 6000;
    m.tags.push_back(RectangleShape(i, x, y, x + 2000, y + 1500, static_cast<uint8_t>(i * 20),
                                    static_cast<uint8_t>(index), static_cast<uint8_t>(255 - i * 20)));
    m.tags.push_back(PlaceAt(i, i));
  }
  m.tags.push_back(moviebytes::ShowFrame());
  m.tags.push_back(moviebytes::EndTag());
  return index % 2 ? m.Compressed() : m.Plain();
}

// Notes when each stage starts: the search's share of a run.
struct QuietHost : tools::GeneratorHost {
  std::vector<double> stages;
  void Stage(const std::wstring&) override { stages.push_back(Now()); }
  void Current(const std::wstring&) override {}
  void Status(double) override {}
  bool Launch(const std::wstring&) override { return false; }
  bool Summary(const std::wstring&, bool) override { return false; }
  void Explore(const std::wstring&) override {}
  void Problem(const std::wstring&) override {}
};

// The maker's time inside a run (rendering and handing the picture on) and
// the wait for the files at its end; what remains of a run is its own.
struct TimedMaker : tools::ThumbnailMaker {
  tools::SnapshotThumbnails inner;
  double make = 0, finish = 0;
  bool Make(const SWFInfo& record, const tools::ThumbnailJob& job) override {
    const double t0 = Now();
    const bool ok = inner.Make(record, job);
    make += Now() - t0;
    return ok;
  }
  std::vector<tools::UnwrittenThumbnail> Finish() override {
    const double t0 = Now();
    auto lost = inner.Finish();
    finish += Now() - t0;
    return lost;
  }
};

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CacheFolder = BenchFolder(L"swfzel-bench-generator-cache");
  const std::wstring folder = BenchFolder(L"swfzel-bench-generator");
  for (const wchar_t* sub : {L"a", L"b", L"c", L"d"}) Require(MakeDirs(folder + sub), "making a sub-folder");
  std::vector<std::wstring> files;
  for (int i = 0; i < kMovies; ++i) {
    const std::wstring sub = i % 4 == 0 ? L"" : std::wstring(1, static_cast<wchar_t>(L'a' + i % 4)) + L"\\";
    files.push_back(folder + sub + L"movie" + std::to_wstring(i) + L".swf");
    WriteOrFail(files.back(), BenchMovie(i), "a movie");
  }
  std::vector<SWFInfo> records(files.size());
  for (size_t i = 0; i < files.size(); ++i) Require(GetSWFInfo(files[i], records[i], false).empty(), "reading a movie");

  player::GeneratorSettings& settings = player::Options().Generator;
  settings = player::GeneratorSettings{};
  settings.Source = folder;
  settings.Info = true;
  settings.Show = false;
  TimedMaker maker;
  QuietHost host;
  FileSearchYield().IntervalSeconds = 1e9;  // no pumping inside the search

  ShotSettings shot;
  shot.ShotDoEvents = true;
  shot.FixedBackColor = true;
  shot.BackColor = settings.BackColor;
  auto renderOnly = [&] {
    const double t0 = Now();
    for (const SWFInfo& r : records) {
      frmFlashShot.SWF().Move(0, 0, settings.Width, settings.Height);
      Require(TakeMovieSnapshot(frmFlashShot, frmFlashShot.myDib, r, false, 0, shot), "rendering a movie");
    }
    return Now() - t0;
  };
  // Per run: the search (first stage to the last), the maker's Make and Finish.
  std::vector<double> searchIn, makeIn, finishIn;
  auto fullRun = [&] {
    maker.make = maker.finish = 0;
    host.stages.clear();
    const double t0 = Now();
    tools::GeneratorRun run(settings, maker, host);
    const tools::GeneratorOutcome out = run.Run(true);
    const double t = Now() - t0;
    Require(out.ThumbsCreated == kMovies && !out.IndexFailed && host.stages.size() == 3, "the generation run");
    searchIn.push_back(host.stages.back() - host.stages.front());
    makeIn.push_back(maker.make);
    finishIn.push_back(maker.finish);
    return t;
  };

  const int rounds = 5;
  renderOnly();
  fullRun();
  searchIn.clear(), makeIn.clear(), finishIn.clear();
  std::vector<double> render, full;
  for (int i = 0; i < rounds; ++i) {
    render.push_back(renderOnly());
    full.push_back(fullRun());
  }
  // Where the difference goes: the run's other steps alone, over the same 200 files.
  auto timed = [](const auto& step) {
    const double t0 = Now();
    step();
    return (Now() - t0) * 1000;
  };
  const double plain = timed([&] {
    for (size_t i = 0; i < files.size(); i += 2) Require(GetSWFInfo(files[i], records[i], false).empty(), "reading");
  });
  const double compressed = timed([&] {
    for (size_t i = 1; i < files.size(); i += 2) Require(GetSWFInfo(files[i], records[i], false).empty(), "reading");
  });
  const double jpeg = timed([&] {
    for (const std::wstring& f : files) Require(SaveJPG(frmFlashShot.myDib, f + L".jpg", 90), "a JPEG");
  });
  const double jpegAgain = timed([&] {
    for (const std::wstring& f : files) Require(SaveJPG(frmFlashShot.myDib, f + L".jpg", 90), "a JPEG");
  });
  const double search = timed([&] {
    long n = 0, d = 1;
    std::wstring current;
    std::vector<std::wstring> found;
    const bool stop = false;
    FindFiles(folder, L"*.swf", n, d, true, current, found, stop);
    FindFiles(folder, L"*.exe", n, d, true, current, found, stop);
  });
  const double index = timed([&] {
    std::wstring text = tools::IndexHead();
    for (const SWFInfo& rec : records) text += tools::IndexLine(rec, L"");
    Require(SaveXML(folder + L"index.xml", text + L"</FLASHINFO>"), "an index");
  });
  Require(FileExists(folder + L"Flash Info.xml") && FileExists(folder + L"d\\movie3.jpg"), "the files written");
  const double r = Median(render), f = Median(full);
  std::printf("%d movies (550x400, 12 shapes, half compressed) into 120x90 thumbnails, median of %d rounds:\n",
              kMovies, rounds);
  std::printf("| work | s | thumbnails/s | ratio |\n|---|---|---|---|\n");
  std::printf("| rendering only (TakeMovieSnapshot) | %.3f | %.0f | baseline |\n", r, kMovies / r);
  std::printf("| generation run (search, reading, rendering, JPEG, index) | %.3f | %.0f | %.2fx |\n", f, kMovies / f,
              f / r);
  std::printf("\nInside a run (medians, ms): search %.0f, the maker's Make (rendering, picture handed on) %.0f, "
              "waiting for the files %.0f, the rest (reading, paths, index) %.0f\n",
              Median(searchIn) * 1000, Median(makeIn) * 1000, Median(finishIn) * 1000,
              (f - Median(searchIn) - Median(makeIn) - Median(finishIn)) * 1000);
  std::printf("\nThe other steps alone, ms for the 200: reading plain %.0f, compressed %.0f; JPEG files %.0f "
              "(again over them, as a run does: %.0f); search %.0f; index %.0f\n",
              plain, compressed, jpeg, jpegAgain, search, index);
  frmFlashShot.Unload();
  ShellDelete(folder.substr(0, folder.size() - 1), false);
  return 0;
}
