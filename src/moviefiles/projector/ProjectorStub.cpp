// The generic projector: a movie appended to this executable is played by
// opening the projector itself in the installed player, which takes the movie
// out. Without a player (or without a movie) it says what is needed.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

namespace {

const wchar_t kTitle[] = L"SWF.zel Projector";

bool CarriesMovie(const wchar_t* self) {
  HANDLE h = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  unsigned char tail[8] = {};
  DWORD got = 0;
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart >= 16;
  if (ok) {
    LARGE_INTEGER at;
    at.QuadPart = size.QuadPart - 8;
    ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ReadFile(h, tail, 8, &got, nullptr) && got == 8;
  }
  CloseHandle(h);
  if (!ok || tail[0] != 0x56 || tail[1] != 0x34 || tail[2] != 0x12 || tail[3] != 0xFA) return false;
  unsigned long length = tail[4] | tail[5] << 8 | tail[6] << 16 | static_cast<unsigned long>(tail[7]) << 24;
  return length >= 8 && static_cast<long long>(length) <= size.QuadPart - 8;
}

// The program that opens movies, through the ".swf" file association.
bool InstalledPlayer(wchar_t* path, DWORD size) {
  DWORD n = size;
  if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, L".swf", L"open", path, &n))) return false;
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  wchar_t self[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2 || !CarriesMovie(self)) {
    MessageBoxW(nullptr, L"This projector carries no movie.", kTitle, MB_OK | MB_ICONINFORMATION);
    return 1;
  }
  wchar_t player[MAX_PATH * 2] = {};
  if (InstalledPlayer(player, MAX_PATH * 2) && lstrcmpiW(player, self) != 0) {
    wchar_t args[MAX_PATH * 2 + 4];
    wnsprintfW(args, MAX_PATH * 2 + 4, L"\"%s\"", self);
    if (reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", player, args, nullptr, show)) > 32) return 0;
  }
  MessageBoxW(nullptr,
              L"This projector plays its movie with the SWF.zel player, which is not installed.\n\n"
              L"Install SWF.zel, then open this file again.",
              kTitle, MB_OK | MB_ICONINFORMATION);
  return 1;
}
