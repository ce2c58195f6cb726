// The program's error state and execution log: the current error that error
// handlers report, the log line writer with its attachable sink, and the
// report that writes an error to the log.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The main window: owner of messages, dialogs and shell operations (null until it exists).
extern HWND MainForm;

// The "current error" that error handlers report (number, source, description).
struct AppError {
  long Number = 0;
  std::wstring Source;
  std::wstring Description;
};
AppError& CurrentError();
void SetError(long number, const std::wstring& source, const std::wstring& description);
void ClearError();

// WriteLog appends a line to the log file (base/LogFile.h) and hands it to an
// attached sink, which sees every line.
using LogSink = std::function<void(const std::wstring& text, bool newLine)>;
void SetLogSink(LogSink sink);  // an empty sink detaches
void WriteLog(const std::wstring& text, bool newLine = true);

void ReportError(const std::wstring& procName, const std::wstring& extra = L"");
