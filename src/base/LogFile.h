// The execution log's file: the lines WriteLog is given, appended to the file
// attached at start-up (which holds the log's head). A line that ends gets
// "<br>" and CR LF. The file is plain ASCII: any other character is written as
// a character reference. Of the markup only the log's own emphasis stays
// markup ("<b>", "<i>", "<br>", "<font color=\"#rrggbb\">" and their ends); any
// other "<" is written "&lt;", so a file name or a movie's text in a line shows
// as written and never becomes a tag or a script of the page. The file stops
// growing at its limit, with one line that says so. The lines of a start-up
// that makes the file later can be held for it meanwhile.
#pragma once
#include <cstdint>
#include <string>

inline constexpr uint64_t kLogFileLimit = uint64_t{4} << 20;

// Appends the lines from now on to the file at path (an existing file), the
// lines held until then first; false when it cannot be opened. An empty path
// detaches the file (lines held stay held).
bool AttachLogFile(const std::wstring& path, uint64_t limit = kLogFileLimit);
// Holds the lines from now on, up to kLogHeldLimit bytes (the rest counted in
// a line of their own), until a file is attached.
inline constexpr size_t kLogHeldLimit = size_t{256} << 10;
void HoldLogLines();
// Appends one line to the attached file; nothing when none is attached or its limit was reached.
void AppendLogLine(const std::wstring& text, bool newLine);
// The bytes one line adds to the file.
std::string LogFileText(const std::wstring& text, bool newLine);
