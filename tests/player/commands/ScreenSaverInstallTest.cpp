// Tools > Flash Screen Saver in the running program, on a playing compressed
// movie and on a projector: the file the user opened is recorded (never the
// movie's copy in the cache), the screen saver shipped beside the program
// becomes the system's, and its settings open.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include "FormsTestSupport.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "base/Handles.h"
#include "services/RegistryModule.h"

using namespace player_test;

namespace {

// Chooses a menu item of the program's window by its caption, from inside the
// program (another process's menus cannot be reached from outside under Wine):
// a window hook loads the menu probe there and hands it the caption.
void ChooseMenuItem(HWND window, const std::wstring& caption) {
  const std::wstring name = L"SWFzelMenuProbe-" + std::to_wstring(GetCurrentProcessId());
  ScopedHandle map(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 65536, name.c_str()));
  auto* text = map ? static_cast<wchar_t*>(MapViewOfFile(map.get(), FILE_MAP_WRITE, 0, 0, 65536)) : nullptr;
  ASSERT_NE(text, nullptr);
  wcscpy(text, caption.c_str());
  HMODULE probe = LoadLibraryW((testing_support::ProgramDir() + L"menuprobe.dll").c_str());
  auto proc = probe ? reinterpret_cast<HOOKPROC>(GetProcAddress(probe, "MenuProbeHook")) : nullptr;
  HHOOK hook = proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, probe, GetWindowThreadProcessId(window, nullptr)) : nullptr;
  EXPECT_NE(hook, nullptr);
  if (hook) {
    SendMessageTimeoutW(window, RegisterWindowMessageW(L"SWFzelMenuClick"), 0, GetCurrentProcessId(), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    UnhookWindowsHookEx(hook);
  }
  if (probe) FreeLibrary(probe);
  UnmapViewOfFile(text);
}

// The sample movie, compressed.
std::vector<uint8_t> CompressedSample() {
  std::vector<uint8_t> plain = testing_support::ReadBytes(testing_support::ProgramDir() + L"Media\\Flash\\sample.swf");
  uLongf size = compressBound(static_cast<uLong>(plain.size()));
  std::vector<uint8_t> movie(plain.begin(), plain.begin() + 8);
  movie[0] = 'C';
  movie.resize(8 + size);
  compress(movie.data() + 8, &size, plain.data() + 8, static_cast<uLong>(plain.size() - 8));
  movie.resize(8 + size);
  return movie;
}

// A projector of the shipped stub carrying the sample movie.
std::vector<uint8_t> SampleProjector() {
  std::vector<uint8_t> bytes = testing_support::ReadBytes(testing_support::ProgramDir() + L"Media\\Binary\\projector.dll");
  const auto movie = testing_support::ReadBytes(testing_support::ProgramDir() + L"Media\\Flash\\sample.swf");
  bytes.insert(bytes.end(), movie.begin(), movie.end());
  const uint32_t size = static_cast<uint32_t>(movie.size());
  for (uint8_t b : {0x56, 0x34, 0x12, 0xFA}) bytes.push_back(b);
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(size >> (8 * i)));
  return bytes;
}

std::wstring LongPath(const std::wstring& path) {
  wchar_t full[1024] = {};
  return GetLongPathNameW(path.c_str(), full, 1024) ? full : path;
}

}  // namespace

TEST(ScreenSaverInstall, ToolsFlashScreenSaverRecordsThePlayingMovieAndTheShippedProgram) {
  PrivateProgramKey key;
  testing_support::RegistryGuard desktop;
  desktop.Value(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE");
  SaveRegString(L"System", L"FirstRun", L"False");
  SaveRegString(L"Update", L"Auto", L"False");
  testing_support::TempDir temp;
  for (const auto& [name, bytes] : {std::pair{L"compressed movie.swf", CompressedSample()},
                                    std::pair{L"projector.exe", SampleProjector()}}) {
    const std::wstring movie = temp.File(name);
    ASSERT_TRUE(testing_support::WriteBytes(movie, bytes));
    ProgramProcess run(L"\"" + movie + L"\"");
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - " + std::wstring(name)));
    ChooseMenuItem(main, L"Flash &Screen Saver...");
    EXPECT_TRUE(forms_test::PumpUntil([&] { return GetRegString(L"ScreenSaver", L"FileName", L"") == movie; }, 10000))
        << GetRegString(L"ScreenSaver", L"FileName", L"");
    const std::wstring system = GetRegString(L"Control Panel\\Desktop", L"SCRNSAVE.EXE", L"", false);
    EXPECT_EQ(CompareStringOrdinal(LongPath(system).c_str(), -1,
                                   (testing_support::ProgramDir() + L"SWF.zel.scr").c_str(), -1, TRUE),
              CSTR_EQUAL)
        << system;
    // Then the screen saver's settings open, as the system opens them.
    HWND settings = nullptr;
    EXPECT_TRUE(forms_test::PumpUntil(
        [&] { return (settings = FindWindowW(nullptr, L"SWF.zel Screen Saver")) != nullptr; }, 20000));
    if (settings) PostMessageW(settings, WM_CLOSE, 0, 0);
    EXPECT_TRUE(forms_test::PumpUntil([&] { return !IsWindow(settings); }, 10000));
    EXPECT_TRUE(run.Close());
  }
}
