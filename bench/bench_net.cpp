// Network benchmark: a 64 MB file from the tests' loopback server through the
// asynchronous download (into memory, and into the Internet cache) against a
// plain WinINet read loop of the same file in the same run; the update feed's
// walk over 1,000 items against parsing the feed alone, and how the walk grows
// over feeds of 100, 1,000 and 10,000 items, per item; the downloader window
// (status line, log line and bar at each report) against the layer alone, both
// into the cache, with the longest time the window took to answer meanwhile;
// and the update window over a feed of 4,000 items against one of 100, with
// the same watch.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "BenchCommon.h"
#include "LoopbackServer.h"
#include "platform/download/Transfer.h"
#include "platform/forms/TextBox.h"
#include "services/Languages.h"
#include "services/UpdateFeed.h"
#include "tools/network/frmDownload.h"
#include "tools/network/frmUpdate.h"

using testing_support::HttpAnswer;
using testing_support::LoopbackServer;

namespace {

// A plain read loop: one request, 64 KB reads until the end (kept in memory or not).
uint64_t PlainRead(unsigned short port, const wchar_t* path, bool keep) {
  std::string kept;
  uint64_t total = 0;
  HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectW(session, L"127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestW(connection, L"GET", path, nullptr, nullptr, nullptr,
                                       INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, 0);
  if (request && HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
    std::string buffer(64 * 1024, '\0');
    DWORD got = 0;
    while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &got) && got) {
      total += got;
      if (keep) kept.append(buffer.data(), got);
    }
  }
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(session);
  return total;
}

// One transfer through the layer, the message loop running until its end.
uint64_t ThroughLayer(const std::wstring& url, bool toCache) {
  download::Transfer transfer;
  bool done = false;
  uint64_t bytes = 0;
  transfer.OnComplete = [&](const download::Result& r) {
    done = true;
    bytes = r.Ok() ? r.Bytes : 0;
    if (!r.Ok()) std::printf("  failed: %ls\n", r.Reason.c_str());
    if (r.Ok() && toCache) DeleteUrlCacheEntryW(url.c_str());
  };
  toCache ? transfer.DownloadToCache(url) : transfer.Fetch(url, download::Options());
  MSG msg;
  while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return bytes;
}

// Asks a window of this thread, from a thread of its own, for an answer
// (WM_NULL) over and over until stopped: the longest it took to answer.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window) : window_(window), thread_([this] { Run(); }) {}
  ~AnswerWatch() { Stop(); }
  // Answers the last question still on its way while the watch ends.
  double Stop() {
    stop_ = true;
    while (!ended_) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      Sleep(1);
    }
    if (thread_.joinable()) thread_.join();
    return longest_;
  }

 private:
  void Run() {
    while (!stop_) {
      const double t = Now();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
      longest_ = std::max(longest_, Now() - t);
      Sleep(2);
    }
    ended_ = true;
  }

  HWND window_;
  std::atomic<bool> stop_{false}, ended_{false};
  double longest_ = 0;
  std::thread thread_;
};

struct WindowRun {
  double seconds = -1;  // -1: it failed
  double longestUnanswered = 0;
  int reports = 0;  // byte counts that reached the window
};

// One transfer through the downloader window, as the user starts it (the
// window opened beforehand); from Download to the report of its end.
WindowRun ThroughWindow(const std::wstring& url) {
  tools::frmDownload& w = tools::DownloadWindow();
  bool done = false, ok = false;
  WindowRun run;
  w.Report = [&](const std::wstring& title, const std::wstring&) {
    done = true;
    ok = title == L"Download Complete";
  };
  w.Open(forms::vbModeless);
  w.Downloader()->Progress = [&](const download::Progress& p) {
    run.reports += p.Status == download::kDownloading;
    w.Downloader_Progress(p);
  };
  w.txtSource->SetText(url);
  AnswerWatch watch(w.hWnd());
  const double t = Now();
  w.cbGo->PerformClick();
  MSG msg;
  while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const double elapsed = Now() - t;
  run.longestUnanswered = watch.Stop();
  w.Close();
  DeleteUrlCacheEntryW(url.c_str());
  if (ok) run.seconds = elapsed;
  return run;
}

// The update window checking against a feed the server holds: from opening
// to the end of the check, with the longest time the window took to answer.
WindowRun UpdateWindowRun() {
  tools::frmUpdate& w = tools::UpdateWindow();
  w.Today = [] { return std::wstring(L"1-1-2024"); };
  WindowRun run;
  const double t = Now();
  w.Open(forms::vbModeless);
  AnswerWatch watch(w.hWnd());
  MSG msg;
  while (w.IsLoaded() && !(w.Check() && w.Check()->ReadyState() == 4) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const double elapsed = Now() - t;
  run.longestUnanswered = watch.Stop();
  if (w.IsLoaded() && w.Check() && w.Check()->Outcome() == tools::UpdateOutcome::Found) {
    run.seconds = elapsed;
  } else if (w.IsLoaded() && w.Check()) {
    std::printf("  the check: %ls\n", w.Check()->FailureReason().c_str());
  }
  w.Close();
  return run;
}

std::wstring FeedOf(int items) {
  std::wstring xml = L"<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>News</title>";
  for (int i = 0; i < items; ++i) {
    const std::wstring n = std::to_wstring(i);
    xml += L"<item><title>Build " + n + L"</title><pubDate>Mon, 1 Jan 2024</pubDate><description>What is new in " + n +
           L": faster drawing, fewer crashes.</description><update app=\"" +
           std::wstring(i % 4 == 0 ? L"Other" : L"SWF.zel") + L"\" build=\"" + std::to_wstring(800 + i) +
           L"\"/><enclosure url=\"http://dl.example/b" + n + L".exe\" length=\"" + std::to_wstring(1000000 + i) +
           L"\"/></item>";
  }
  return xml + L"</channel></rss>";
}

// The update feed's walk against LoadXML alone, and how both grow with the
// feed; false when a feed does not parse or its walk finds no update.
bool FeedFigures() {
  const std::wstring feedText = FeedOf(1000);
  std::vector<double> load, walk;
  size_t found = 0;
  for (int round = 0; round < 7; ++round) {
    XmlDocument doc;
    double t = Now();
    if (!doc.LoadXML(feedText)) {
      std::printf("the feed does not parse\n");
      return false;
    }
    load.push_back(Now() - t);
    t = Now();
    UpdateFeedResult result = WalkUpdateFeed(doc, 883, L"http://www.swfzel.example/");
    walk.push_back(Now() - t);
    found += result.Details.size();
  }
  std::printf("update feed of 1,000 items (%zu characters), medians of 7:\n", feedText.size());
  std::printf("  LoadXML alone: %.1f ms\n", Median(load) * 1000);
  std::printf("  walk alone:    %.1f ms, %.2fx of LoadXML\n", Median(walk) * 1000, Median(walk) / Median(load));
  std::printf("(%zu characters of details)\n", found);

  // How the walk grows: each size's median per item, interleaved rounds.
  const int feedSizes[] = {100, 1000, 10000};
  std::wstring feeds[3];
  for (int s = 0; s < 3; ++s) feeds[s] = FeedOf(feedSizes[s]);
  std::vector<double> perLoad[3], perWalk[3];
  for (int round = 0; round < 7; ++round) {
    for (int s = 0; s < 3; ++s) {
      XmlDocument doc;
      double t = Now();
      if (!doc.LoadXML(feeds[s])) {
        std::printf("a feed does not parse\n");
        return false;
      }
      perLoad[s].push_back((Now() - t) / feedSizes[s]);
      t = Now();
      const UpdateFeedResult result = WalkUpdateFeed(doc, 883, L"http://www.swfzel.example/");
      perWalk[s].push_back((Now() - t) / feedSizes[s]);
      if (!result.Found) {
        std::printf("a feed's walk found no update\n");
        return false;
      }
    }
  }
  std::printf("how the feed grows, medians of 7, microseconds per item:\n");
  std::printf("  %-16s %9s %9s %9s  largest/smallest\n", "items", "100", "1,000", "10,000");
  for (auto [what, per] : {std::pair{"LoadXML alone", perLoad}, std::pair{"the walk", perWalk}})
    std::printf("  %-16s %9.2f %9.2f %9.2f  %.2f\n", what, Median(per[0]) * 1e6, Median(per[1]) * 1e6,
                Median(per[2]) * 1e6, Median(per[2]) / Median(per[0]));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The argument "feed" measures the update feed alone.
  if (argc > 1 && std::string(argv[1]) == "feed") return FeedFigures() ? 0 : 1;
  UseOwnSettings(L"bench_net");
  LoopbackServer server;
  if (!server.Listening()) {
    std::printf("no loopback server\n");
    return 1;
  }
  const size_t size = 64u << 20;
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 131 + (i >> 12));
  server.Serve("/big.swf", HttpAnswer::Ok(std::move(body), "application/x-shockwave-flash"));
  const std::wstring url = server.Url("/big.swf");

  std::vector<double> plain, plainKept, memory, cache, memoryRatio, cacheRatio;
  const int rounds = 9;
  for (int round = 0; round <= rounds; ++round) {
    double t = Now();
    uint64_t a = PlainRead(server.Port(), L"/big.swf", false);
    double tPlain = Now() - t;
    t = Now();
    a = std::min<uint64_t>(a, PlainRead(server.Port(), L"/big.swf", true));
    double tPlainKept = Now() - t;
    t = Now();
    uint64_t b = ThroughLayer(url, false);
    double tMemory = Now() - t;
    t = Now();
    uint64_t c = ThroughLayer(url, true);
    double tCache = Now() - t;
    if (a != size || b != size || c != size) {
      std::printf("short transfer: %llu %llu %llu\n", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b), static_cast<unsigned long long>(c));
      return 1;
    }
    if (round == 0) continue;  // warm-up
    plain.push_back(tPlain);
    plainKept.push_back(tPlainKept);
    memoryRatio.push_back(tMemory / tPlainKept);
    cacheRatio.push_back(tCache / tPlain);
    memory.push_back(tMemory);
    cache.push_back(tCache);
  }
  const double p = Median(plain), pk = Median(plainKept), m = Median(memory), c = Median(cache);
  std::printf("64 MB from the loopback server, medians of %d interleaved rounds (ratios: median of each round's):\n",
              rounds);
  std::printf("  plain WinINet read loop (64 KB reads): %.0f ms (best %.0f)\n", p * 1000,
              *std::min_element(plain.begin(), plain.end()) * 1000);
  std::printf("  the same loop keeping the bytes:       %.0f ms (best %.0f)\n", pk * 1000,
              *std::min_element(plainKept.begin(), plainKept.end()) * 1000);
  std::printf("  layer, into memory:                   %.0f ms (best %.0f), %.2fx of the loop keeping them\n", m * 1000,
              *std::min_element(memory.begin(), memory.end()) * 1000, m / pk);
  std::printf("  layer, into the Internet cache:       %.0f ms (best %.0f), %.2fx\n", c * 1000,
              *std::min_element(cache.begin(), cache.end()) * 1000, Median(cacheRatio));

  std::vector<double> layer, window, windowRatio, unanswered, reportRates;
  for (int round = 0; round <= 5; ++round) {
    double t = Now();
    const uint64_t a = ThroughLayer(url, true);
    const double tLayer = Now() - t;
    const WindowRun w = ThroughWindow(url);
    if (a != size || w.seconds < 0) {
      std::printf("short transfer through the window\n");
      return 1;
    }
    if (round == 0) continue;
    layer.push_back(tLayer);
    window.push_back(w.seconds);
    windowRatio.push_back(w.seconds / tLayer);
    unanswered.push_back(w.longestUnanswered);
    reportRates.push_back(w.reports / w.seconds);
  }
  std::printf("64 MB into the cache, medians of 5 interleaved rounds:\n");
  std::printf("  layer alone:          %.0f ms (best %.0f)\n", Median(layer) * 1000,
              *std::min_element(layer.begin(), layer.end()) * 1000);
  std::printf("  the downloader window: %.0f ms (best %.0f), %.2fx\n", Median(window) * 1000,
              *std::min_element(window.begin(), window.end()) * 1000, Median(windowRatio));
  std::printf("  the window's longest wait for an answer: %.0f ms (median of rounds), %.0f ms (worst)\n",
              Median(unanswered) * 1000, *std::max_element(unanswered.begin(), unanswered.end()) * 1000);
  std::printf("  byte counts reaching the window: %.0f a second (median)\n", Median(reportRates));

  if (!FeedFigures()) return 1;

  // The update window over a feed of 4,000 items (just under the feed's 1 MB)
  // from the server it names as its web site, against the same window over a
  // feed of 100 items, interleaved.
  auto served = [&](int items) {
    std::string bytes;
    for (wchar_t c : FeedOf(items)) bytes += static_cast<char>(c);
    return HttpAnswer::Ok(std::move(bytes), "text/xml");
  };
  const HttpAnswer smallFeed = served(100), bigFeed = served(4000);
  LangDoc().LoadXML(L"<LANG title=\"Loopback\" langID=\"1033\"><PLAYER><MNUWEB text=\"127.0.0.1:" +
                    std::to_wstring(server.Port()) + L"\"/></PLAYER></LANG>");
  std::vector<double> check, checkUnanswered, smallCheck, smallUnanswered;
  for (int round = 0; round <= 5; ++round) {
    server.Serve("/rss.php", smallFeed);
    const WindowRun s = UpdateWindowRun();
    server.Serve("/rss.php", bigFeed);
    const WindowRun w = UpdateWindowRun();
    if (w.seconds < 0 || s.seconds < 0) {
      std::printf("the update window found no update in the feed\n");
      return 1;
    }
    if (round == 0) continue;
    check.push_back(w.seconds);
    checkUnanswered.push_back(w.longestUnanswered);
    smallCheck.push_back(s.seconds);
    smallUnanswered.push_back(s.longestUnanswered);
  }
  std::printf("update window, medians of 5 interleaved rounds:\n");
  std::printf("  feed of 100 items (%zu bytes): %.0f ms from opening to the end of the check; longest wait for an "
              "answer %.0f ms (median of rounds), %.0f ms (worst)\n",
              smallFeed.body->size(), Median(smallCheck) * 1000, Median(smallUnanswered) * 1000,
              *std::max_element(smallUnanswered.begin(), smallUnanswered.end()) * 1000);
  std::printf("  feed of 4,000 items (%zu bytes): %.0f ms from opening to the end of the check; longest wait for an "
              "answer %.0f ms (median of rounds), %.0f ms (worst)\n",
              bigFeed.body->size(), Median(check) * 1000, Median(checkUnanswered) * 1000,
              *std::max_element(checkUnanswered.begin(), checkUnanswered.end()) * 1000);
  DropOwnSettings();
  return 0;
}
