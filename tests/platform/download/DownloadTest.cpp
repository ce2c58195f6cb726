// The asynchronous download against the tests' loopback server: how each kind
// of answer ends, hostile servers (bodies over the limit or without end, a
// silent TLS port, a trickle, bodies longer than declared, redirect cycles),
// cancelling, the owner going away mid-transfer, quitting mid-transfer, the
// pace of the reports, and that no transfer leaves a thread behind.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <tlhelp32.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "base/Handles.h"
#include "platform/download/Transfer.h"
#include "platform/download/TransferJob.h"
#include "support/LoopbackServer.h"
#include "support/TestSupport.h"

using download::Failure;
using download::Options;
using download::Progress;
using download::Transfer;
using forms_test::PumpUntil;
using testing_support::HttpAnswer;
using testing_support::LoopbackServer;
using testing_support::SilentServer;

namespace {

constexpr int kGuardMs = 30000;  // only a guard against hanging, never a measure
// More than the connection's buffers hold: a server that could send this much
// of a refused body was being read.
constexpr uint64_t kDroppedWithin = 16u << 20;

int ThreadsOfThisProcess() {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {sizeof entry};
  int count = 0;
  if (snapshot && Thread32First(snapshot.get(), &entry)) {
    do {
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    } while (Thread32Next(snapshot.get(), &entry));
  }
  return count;
}

// Waits until the process runs no more threads than it did before.
bool ThreadsBackTo(int count) {
  return PumpUntil([&] { return ThreadsOfThisProcess() <= count; }, kGuardMs);
}

// One transfer's reports and its end.
struct Outcome {
  std::vector<Progress> reports;
  std::optional<download::Result> end;
  bool Saw(long status) const {
    for (const Progress& p : reports)
      if (p.Status == status) return true;
    return false;
  }
  // No report counts more bytes than were declared.
  bool WithinDeclared() const {
    for (const Progress& p : reports)
      if (p.Total > 0 && p.Bytes > p.Total) return false;
    return true;
  }
  // The cache keeps none of the files a failed download reported.
  bool CacheFilesGone() const {
    for (const Progress& p : reports)
      if (p.Status == download::kCacheFile && GetFileAttributesW(p.Text.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    return true;
  }
};

void Watch(Transfer& transfer, Outcome& run) {
  transfer.OnProgress = [&run](const Progress& p) { run.reports.push_back(p); };
  transfer.OnComplete = [&run](const download::Result& r) { run.end = r; };
}

Outcome RunTransfer(bool toCache, const std::wstring& url, const Options& options = Options()) {
  Transfer transfer;
  Outcome run;
  Watch(transfer, run);
  const bool started = toCache ? transfer.DownloadToCache(url, options) : transfer.Fetch(url, options);
  EXPECT_TRUE(started);
  EXPECT_TRUE(PumpUntil([&] { return run.end.has_value(); }, kGuardMs)) << "no end";
  if (!run.end) run.end = download::Result{Failure::System, L"no end"};
  EXPECT_FALSE(transfer.Busy());
  return run;
}

std::string Bytes(size_t size, char seed) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(seed + i * 7);
  return body;
}

HttpAnswer Slow(size_t size) {
  HttpAnswer answer = HttpAnswer::Ok(Bytes(size, 's'), "application/octet-stream");
  answer.chunkSize = 1000;
  answer.chunkPauseMs = 50;
  return answer;
}

class Download : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Listening());
    { SCOPED_TRACE("the test framework's own watcher thread starts now"); }
    threadsBefore = ThreadsOfThisProcess();
  }
  void TearDown() override { EXPECT_TRUE(ThreadsBackTo(threadsBefore)) << "a transfer left a thread behind"; }

  LoopbackServer server;
  int threadsBefore = 0;
};

// Every framing of a body, and a redirect cycle that comes back to the first
// address before the answer: the final answer's bytes, in memory and in a
// cache file of their own.
TEST_F(Download, ServedFilesArriveInMemoryAndInTheInternetCache) {
  const std::string movie = Bytes(300000, 'm');
  const HttpAnswer plain = HttpAnswer::Ok(movie, "application/x-shockwave-flash");
  HttpAnswer chunked = plain;
  chunked.chunked = true;
  chunked.chunkSize = 7000;
  HttpAnswer undeclared = plain;
  undeclared.declaredLength = -1;
  auto serveAll = [&] {
    server.Serve("/movie.swf", plain);
    server.Serve("/get", plain);  // no extension
    server.Serve("/chunked.swf", chunked);
    server.Serve("/undeclared.swf", undeclared);
    server.Serve("/moved.swf", HttpAnswer::Redirect("/movie.swf"));
    // /flip -> /flop -> /flip, which answers the second time.
    server.Serve("/flip", std::vector<HttpAnswer>{HttpAnswer::Redirect("/flop"), plain});
    server.Serve("/flop", HttpAnswer::Redirect("/flip"));
  };
  for (const char* path : {"/movie.swf", "/get", "/chunked.swf", "/undeclared.swf", "/moved.swf", "/flip"}) {
    SCOPED_TRACE(path);
    const bool declared = path != std::string("/chunked.swf") && path != std::string("/undeclared.swf");
    serveAll();
    Outcome fetched = RunTransfer(false, server.Url(path));
    ASSERT_TRUE(fetched.end->Ok()) << fetched.end->Reason;
    EXPECT_EQ(fetched.end->Body, movie);
    EXPECT_EQ(fetched.end->MimeType, L"application/x-shockwave-flash");
    EXPECT_EQ(fetched.end->HttpStatus, 200);

    serveAll();
    Outcome cached = RunTransfer(true, server.Url(path));
    ASSERT_TRUE(cached.end->Ok()) << cached.end->Reason;
    std::vector<uint8_t> file = testing_support::ReadBytes(cached.end->CacheFile);
    EXPECT_EQ(std::string(file.begin(), file.end()), movie);
    EXPECT_NE(cached.end->CacheFile.find(L"\\INetCache\\"), std::wstring::npos);
    EXPECT_EQ(cached.end->MimeType, L"application/x-shockwave-flash");
    EXPECT_EQ(cached.end->Bytes, movie.size());
    for (const Outcome* run : {&fetched, &cached}) {
      EXPECT_TRUE(run->Saw(download::kConnecting));
      EXPECT_TRUE(run->Saw(download::kMimeType));
      EXPECT_TRUE(run->WithinDeclared());
      ASSERT_FALSE(run->reports.empty());
      EXPECT_EQ(run->reports.back().Status, download::kEndDownload);
      EXPECT_EQ(run->reports.back().Bytes, movie.size());
      EXPECT_EQ(run->reports.back().Total, declared ? movie.size() : 0u);
    }
    EXPECT_TRUE(cached.Saw(download::kCacheFile));
  }
  serveAll();
  EXPECT_TRUE(RunTransfer(false, server.Url("/moved.swf")).Saw(download::kRedirecting));
}

TEST_F(Download, BadAnswersEndAsFailuresWithTheirReason) {
  HttpAnswer cut = HttpAnswer::Ok(Bytes(100000, 'c'), "application/x-shockwave-flash");
  cut.closeAfter = 5000;
  HttpAnswer cutChunks = cut;
  cutChunks.chunked = true;
  cutChunks.chunkSize = 1000;
  HttpAnswer longer = HttpAnswer::Ok(Bytes(5025, 'l'), "application/x-shockwave-flash");
  longer.declaredLength = 10;
  HttpAnswer badChunks = HttpAnswer::Ok("zz\r\nnot a chunk\r\n0\r\n\r\n");
  badChunks.headers.emplace_back("Transfer-Encoding", "chunked");
  badChunks.declaredLength = -1;
  HttpAnswer huge = HttpAnswer::Ok(Bytes(1000, 'h'));
  huge.declaredLength = 10737418240LL;  // 10 GB
  HttpAnswer undeclared = HttpAnswer::Ok(Bytes(5000, 'u'));
  undeclared.declaredLength = -1;
  HttpAnswer stalled = HttpAnswer::Ok(Bytes(20000, 't'));
  stalled.chunkSize = 1000;
  stalled.chunkPauseMs = 60000;
  SilentServer silent;
  server.Serve("/missing.swf", HttpAnswer::Status(404));
  server.Serve("/error", HttpAnswer::Status(500));
  server.Serve("/cut.swf", cut);
  server.Serve("/cutchunks.swf", cutChunks);
  server.Serve("/longer.swf", longer);
  server.Serve("/badchunks.swf", badChunks);
  server.Serve("/huge.swf", huge);
  server.Serve("/undeclared.swf", undeclared);
  server.Serve("/stalled.swf", stalled);
  server.Serve("/trickle.swf", HttpAnswer::Trickle(Bytes(100, 'r')));
  server.Serve("/tofile.swf", HttpAnswer::Redirect("file:///C:/windows/win.ini"));
  server.Serve("/toftp.swf", HttpAnswer::Redirect("ftp://127.0.0.1/x.swf", 301));
  server.Serve("/loop.swf", HttpAnswer::Redirect("/loop.swf"));
  server.Serve("/tosilent.swf", HttpAnswer::Redirect("https://127.0.0.1:" + std::to_string(silent.Port()) + "/x.swf"));
  server.Serve("/feed.xml", HttpAnswer::Ok(std::string((1 << 20) + 1, 'f'), "text/xml"));
  Options small;
  small.MaxBytes = 4000;
  Options impatient;
  impatient.ReceiveTimeoutMs = 300;
  Options quickHandshake;
  quickHandshake.ConnectTimeoutMs = 300;
  Options deadline;
  deadline.DeadlineMs = 1500;
  const std::wstring refused = L"http://127.0.0.1:" + std::to_wstring(testing_support::RefusingPort()) + L"/x.swf";
  const std::wstring mute = L"http://127.0.0.1:" + std::to_wstring(silent.Port()) + L"/x.swf";

  struct Case {
    const char* name;
    std::wstring url;
    Options options;
    Failure failure;
    std::wstring reason;  // the start of the reason
  };
  const std::vector<Case> cases = {
      {"404", server.Url("/missing.swf"), {}, Failure::Http, L"HTTP 404"},
      {"500", server.Url("/error"), {}, Failure::Http, L"HTTP 500"},
      {"refused connection", refused, {}, Failure::Connect, L"Could not"},
      {"body shorter than declared", server.Url("/cut.swf"), {}, Failure::Truncated, L"Connection closed after"},
      {"chunks cut short", server.Url("/cutchunks.swf"), {}, Failure::Truncated, L"Connection closed inside"},
      {"body longer than declared", server.Url("/longer.swf"), {}, Failure::Overrun, L"Longer than"},
      {"malformed chunks", server.Url("/badchunks.swf"), {}, Failure::BadAnswer, L"A chunk"},
      {"10 GB declared", server.Url("/huge.swf"), {}, Failure::TooLarge, L"Too large"},
      {"more received than allowed", server.Url("/undeclared.swf"), small, Failure::TooLarge, L"Too large"},
      {"redirect to file:", server.Url("/tofile.swf"), {}, Failure::Redirect, L"Redirected to a non-web address"},
      {"redirect to ftp:", server.Url("/toftp.swf"), {}, Failure::Redirect, L"Redirected to a non-web address"},
      {"redirects without end", server.Url("/loop.swf"), {}, Failure::Redirect, L"Too many redirects"},
      {"silent mid-body", server.Url("/stalled.swf"), impatient, Failure::TimedOut, L"Timed out waiting for data"},
      {"never answers", mute, impatient, Failure::TimedOut, L"Timed out waiting for the answer"},
      {"redirect to a silent https port", server.Url("/tosilent.swf"), quickHandshake, Failure::TimedOut,
       L"Timed out during the secure handshake"},
      {"a trickle past the deadline", server.Url("/trickle.swf"), deadline, Failure::TimedOut,
       L"Timed out: the transfer took longer than 1.5 s"},
      {"not a web address", L"ftp://127.0.0.1/x.swf", {}, Failure::Address, L"Not an http"},
      {"a file address", L"file:///C:/windows/win.ini", {}, Failure::Address, L"Not an http"},
  };
  for (const Case& c : cases) {
    for (bool toCache : {false, true}) {
      Outcome run = RunTransfer(toCache, c.url, c.options);
      const download::Result& end = *run.end;
      SCOPED_TRACE(std::string(c.name) + (toCache ? " (cache)" : " (memory)"));
      EXPECT_EQ(end.Error, c.failure) << end.Reason;
      EXPECT_EQ(end.Reason.compare(0, c.reason.size(), c.reason), 0) << end.Reason;
      EXPECT_TRUE(end.CacheFile.empty());
      EXPECT_TRUE(end.Body.empty());
      EXPECT_TRUE(run.CacheFilesGone());
      EXPECT_TRUE(run.WithinDeclared());
    }
  }
  // The feed's limit: one byte over 1 MB.
  Transfer transfer;
  Outcome feed;
  Watch(transfer, feed);
  ASSERT_TRUE(transfer.Fetch(server.Url("/feed.xml")));
  ASSERT_TRUE(PumpUntil([&] { return feed.end.has_value(); }, kGuardMs));
  EXPECT_EQ(feed.end->Error, Failure::TooLarge);
}

// Bodies over the limit, declared or not, and without end: the failure comes
// at once and the server sees its connection dropped after a little of the
// body (one drained to its end would take the whole 10 GB or never end).
TEST_F(Download, BodiesOverTheLimitAreDroppedNotDrained) {
  server.Serve("/declared", HttpAnswer::Generated(10ull << 30));
  server.Serve("/declared100", HttpAnswer::Generated(100u << 20));
  server.Serve("/endless", HttpAnswer::Generated(HttpAnswer::kEndless));
  server.Serve("/chunks", HttpAnswer::Generated(HttpAnswer::kEndless, true));
  size_t answers = 0;
  for (const char* path : {"/declared", "/declared100", "/endless", "/chunks"}) {
    for (bool toCache : {false, true}) {
      SCOPED_TRACE(std::string(path) + (toCache ? " (cache)" : " (memory)"));
      Outcome run = RunTransfer(toCache, server.Url(path), Transfer::FeedOptions());
      EXPECT_EQ(run.end->Error, Failure::TooLarge) << run.end->Reason;
      ASSERT_TRUE(server.WaitForAnswers(++answers, kGuardMs));
      const testing_support::SeenRequest seen = server.Requests().back();
      EXPECT_FALSE(seen.answeredFully);
      EXPECT_LT(seen.bodyBytesSent, kDroppedWithin) << "bytes the server could send";
      EXPECT_TRUE(run.CacheFilesGone());
    }
  }
}

// Stopped while the server is silent mid-body: the connection goes at once,
// not when the server next sends nor at the receive timeout (two minutes here).
TEST_F(Download, CancelDuringASilentBodyDropsTheConnectionAtOnce) {
  HttpAnswer stalled = HttpAnswer::Ok(Bytes(20000, 't'));
  stalled.chunkSize = 1000;
  stalled.chunkPauseMs = 120000;
  server.Serve("/stalled.swf", stalled);
  Options patient;
  patient.ReceiveTimeoutMs = 120000;
  for (bool toCache : {false, true}) {
    SCOPED_TRACE(toCache ? "cache" : "memory");
    Transfer transfer;
    Outcome run;
    Watch(transfer, run);
    ASSERT_TRUE(toCache ? transfer.DownloadToCache(server.Url("/stalled.swf"), patient)
                        : transfer.Fetch(server.Url("/stalled.swf"), patient));
    ASSERT_TRUE(PumpUntil([&] { return run.Saw(download::kDownloading); }, kGuardMs));
    transfer.Cancel();
    ASSERT_TRUE(server.WaitForAnswers(toCache ? 2 : 1, kGuardMs)) << "the connection stayed";
    EXPECT_FALSE(server.Requests().back().answeredFully);
    EXPECT_TRUE(ThreadsBackTo(threadsBefore));
    EXPECT_TRUE(run.CacheFilesGone());
    EXPECT_FALSE(run.end.has_value());
  }
}

// Cancel ends the transfer without a further event and drops the connection;
// so does destroying the Transfer, also from inside its own event.
TEST_F(Download, CancelOrDestroyingTheOwnerDropsTheTransfer) {
  server.Serve("/slow.swf", Slow(200000));
  enum class End { Cancel, Destroy, DestroyInsideEvent };
  int answers = 0;
  for (End how : {End::Cancel, End::Destroy, End::DestroyInsideEvent}) {
    for (bool toCache : {false, true}) {
      SCOPED_TRACE(static_cast<int>(how) * 2 + toCache);
      auto transfer = std::make_unique<Transfer>();
      int progress = 0, ends = 0;
      transfer->OnProgress = [&](const Progress& p) {
        if (p.Status == download::kDownloading) ++progress;
        if (how == End::DestroyInsideEvent && progress == 2) transfer.reset();
      };
      transfer->OnComplete = [&](const download::Result&) { ++ends; };
      ASSERT_TRUE(toCache ? transfer->DownloadToCache(server.Url("/slow.swf"))
                          : transfer->Fetch(server.Url("/slow.swf"), Options()));
      ASSERT_TRUE(PumpUntil([&] { return progress >= 2; }, kGuardMs));
      if (how == End::Cancel) {
        transfer->Cancel();
        EXPECT_FALSE(transfer->Busy());
      } else if (how == End::Destroy) {
        transfer.reset();
      }
      const int seen = progress;
      // The server sees the connection go before the whole answer went out.
      ASSERT_TRUE(server.WaitForAnswers(++answers, kGuardMs));
      EXPECT_FALSE(server.Requests().back().answeredFully);
      // Once the worker is gone, nothing it did reaches the owner.
      EXPECT_TRUE(ThreadsBackTo(threadsBefore));
      forms::DoEvents();
      EXPECT_EQ(progress, seen);
      EXPECT_EQ(ends, 0);
      if (transfer) {  // usable again after a cancel
        Outcome run;
        Watch(*transfer, run);
        server.Serve("/small.swf", HttpAnswer::Ok("small"));
        ASSERT_TRUE(transfer->Fetch(server.Url("/small.swf")));
        ASSERT_TRUE(PumpUntil([&] { return run.end.has_value(); }, kGuardMs));
        EXPECT_EQ(run.end->Body, "small");
        ++answers;
      }
    }
  }
}

// Quitting the program while transfers run neither blocks nor crashes: the
// child below leaves two running transfers to the end of its process.
TEST_F(Download, QuittingDuringATransfer) {
  server.Serve("/slow.swf", Slow(2000000));
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command =
      L"\"" + std::wstring(self) + L"\" --gtest_filter=DownloadChild.QuitsMidTransfer --gtest_repeat=1";
  SetEnvironmentVariableW(L"SWFZEL_DOWNLOAD_CHILD_URL", server.Url("/slow.swf").c_str());
  STARTUPINFOW si = {sizeof si};
  si.dwFlags = STARTF_USESTDHANDLES;  // quiet: no inherited output
  PROCESS_INFORMATION pi = {};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableW(L"SWFZEL_DOWNLOAD_CHILD_URL", nullptr);
  ASSERT_TRUE(started);
  ScopedHandle process(pi.hProcess), thread(pi.hThread);
  ASSERT_EQ(WaitForSingleObject(process.get(), kGuardMs), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(server.WaitForAnswers(2, kGuardMs));
}

TEST(DownloadChild, QuitsMidTransfer) {
  wchar_t url[512] = {};
  if (!GetEnvironmentVariableW(L"SWFZEL_DOWNLOAD_CHILD_URL", url, 512))
    GTEST_SKIP() << "run by QuittingDuringATransfer";
  // One transfer destroyed with the program's statics, one never destroyed.
  static Transfer fetch;
  auto* cache = new Transfer;
  int progress = 0;
  fetch.OnProgress = cache->OnProgress = [&](const Progress& p) { progress += p.Status == download::kDownloading; };
  ASSERT_TRUE(fetch.Fetch(url, Options()));
  ASSERT_TRUE(cache->DownloadToCache(url));
  ASSERT_TRUE(PumpUntil([&] { return progress >= 4; }, kGuardMs));
  fetch.OnProgress = cache->OnProgress = nullptr;
}

// Byte counts reach the owner at most every 50 ms (a fast transfer makes
// thousands), the latest one standing for those before it; every other
// report comes through at once.
TEST(DownloadReports, ByteCountsComeAtMostEveryFiftyMilliseconds) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  download::TransferJob job;
  double now = 100;
  job.Clock = [&] { return now; };
  job.Attach(owner);
  auto bytes = [&](uint64_t count) { job.Report({download::kDownloading, L"url", count, 0}); };
  auto taken = [&]() -> std::vector<uint64_t> {  // the byte counts that reached the owner
    std::vector<uint64_t> counts;
    download::TransferJob::Event event;
    while (job.Take(event)) counts.push_back(std::get<Progress>(event).Bytes);
    return counts;
  };
  bytes(1);
  EXPECT_EQ(taken(), std::vector<uint64_t>{1});
  now += 0.010;
  bytes(2);
  now += 0.030;
  bytes(3);
  EXPECT_EQ(taken(), std::vector<uint64_t>{}) << "within 50 ms of the last";
  now += 0.011;
  bytes(4);
  now += 0.060;
  bytes(5);  // replaces the one still waiting
  EXPECT_EQ(taken(), std::vector<uint64_t>{5});
  job.Report({download::kMimeType, L"text/xml", 0, 0});
  job.Report({download::kEndDownload, L"url", 6, 0});
  EXPECT_EQ(job.Waiting(), 2u) << "other stages are never held back";
  job.Release();
  DestroyWindow(owner);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, download::kReportsWaiting, download::kReportsWaiting, PM_REMOVE)) {
  }
}

}  // namespace
