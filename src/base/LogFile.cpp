#include "base/LogFile.h"

#include <windows.h>

#include <mutex>
#include <utility>

#include "base/Handles.h"

namespace {

struct LogFileState {
  std::mutex lock;
  ScopedHandle file;
  uint64_t size = 0, limit = 0;
  bool full = false;
  bool midLine = false;  // the last line written did not end
  bool holding = false;
  std::string held;        // the lines waiting for the file
  bool heldOpen = false;   // the last of them did not end
  size_t heldLeftOut = 0;  // lines past kLogHeldLimit
};

// Never destroyed: a line logged while the program's statics are torn down still finds it.
LogFileState& State() {
  static LogFileState* state = new LogFileState;
  return *state;
}

bool StartsNoCase(const std::wstring& text, size_t at, const wchar_t* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (at + i >= text.size()) return false;
    wchar_t c = text[at + i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

// The length of the log's own tag that begins at text[at], or 0 for anything else.
size_t OwnTagLength(const std::wstring& text, size_t at) {
  for (const wchar_t* tag : {L"<b>", L"</b>", L"<i>", L"</i>", L"<br>", L"</font>"})
    if (StartsNoCase(text, at, tag)) return wcslen(tag);
  const wchar_t* font = L"<font color=\"#";
  if (!StartsNoCase(text, at, font)) return 0;
  const size_t digits = at + wcslen(font);
  if (digits + 8 > text.size()) return 0;
  for (size_t i = 0; i < 6; ++i)
    if (!IsHexDigit(text[digits + i])) return 0;
  return text.compare(digits + 6, 2, L"\">") == 0 ? digits + 8 - at : 0;
}

void AppendReference(std::string& out, unsigned long code) { out += "&#" + std::to_string(code) + ";"; }

bool WriteBytes(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

// Writes a line's bytes to the attached file, the lock held; open: they leave a line open.
void Append(LogFileState& s, std::string bytes, bool open) {
  if (!s.file || s.full) return;
  if (s.size + bytes.size() > s.limit) {
    s.full = true;
    bytes = std::string(s.midLine ? "<br>\r\n" : "") + "<b>The log reached its limit of " + std::to_string(s.limit) +
            " bytes: later lines are left out</b><br>\r\n";
  }
  if (WriteBytes(s.file.get(), bytes)) {
    s.size += bytes.size();
    s.midLine = open && !s.full;
  }
}

}  // namespace

std::string LogFileText(const std::wstring& text, bool newLine) {
  std::string out;
  out.reserve(text.size() + 6);
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'<') {
      if (const size_t n = OwnTagLength(text, i)) {
        for (size_t k = 0; k < n; ++k) out += static_cast<char>(text[i + k]);
        i += n - 1;
      } else {
        out += "&lt;";
      }
    } else if (c == L'\r' || c == L'\n') {
      out += ' ';  // a line of the file is one line of the log
    } else if (c == L'\t' || (c >= 0x20 && c < 0x7F)) {
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out += '?';
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      AppendReference(out, 0x10000 + ((static_cast<unsigned long>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out += '?';  // half a character
    } else {
      AppendReference(out, c);
    }
  }
  if (newLine) out += "<br>\r\n";
  return out;
}

void HoldLogLines() {
  LogFileState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.holding = true;
}

bool AttachLogFile(const std::wstring& path, uint64_t limit) {
  LogFileState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.file.reset();
  s.size = 0, s.limit = limit, s.full = false, s.midLine = false;
  if (path.empty()) return true;
  // Others may read the log, and a new start may replace it, while it is written.
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  s.file.reset(file);
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size)) s.size = static_cast<uint64_t>(size.QuadPart);
  const std::string held = std::exchange(s.held, {});
  const size_t leftOut = std::exchange(s.heldLeftOut, 0);
  s.holding = false;
  if (!held.empty()) Append(s, held, s.heldOpen);
  if (leftOut)
    Append(s, LogFileText(std::to_wstring(leftOut) + L" lines logged before the log file was made are left out", true),
           false);
  return true;
}

void AppendLogLine(const std::wstring& text, bool newLine) {
  LogFileState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.file) {
    Append(s, LogFileText(text, newLine), !newLine);
  } else if (s.holding) {
    const std::string bytes = LogFileText(text, newLine);
    if (s.held.size() + bytes.size() <= kLogHeldLimit) {
      s.held += bytes;
      s.heldOpen = !newLine;
    } else {
      ++s.heldLeftOut;
    }
  }
}
