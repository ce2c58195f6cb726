#include "base/ErrorLog.h"

#include "base/LogFile.h"
#include "base/TextConv.h"

HWND MainForm = nullptr;

namespace {

LogSink& Sink() {
  static LogSink sink;
  return sink;
}

}  // namespace

AppError& CurrentError() {
  static AppError error;
  return error;
}

void SetError(long number, const std::wstring& source, const std::wstring& description) {
  CurrentError() = AppError{number, source, description};
}

void ClearError() { CurrentError() = AppError{}; }

void SetLogSink(LogSink sink) { Sink() = std::move(sink); }

void WriteLog(const std::wstring& text, bool newLine) {
  AppendLogLine(text, newLine);
  if (Sink()) Sink()(text, newLine);
}

void ReportError(const std::wstring& procName, const std::wstring& extra) {
  const AppError error = CurrentError();
  WriteLog(L"");
  WriteLog(L"<B><FONT color=\"#000000\">" + std::to_wstring(error.Number));
  WriteLog(procName);
  WriteLog(error.Source);
  WriteLog(error.Description);
  if (!extra.empty()) WriteLog(L"</B><I><FONT color=\"#333333\">" + HTMLEncode(extra) + L"</FONT></I><B>");
  WriteLog(L"</FONT></B>");
  WriteLog(L"<B>ALERT:</B> " + procName + L"<BR>" + error.Description + L"<BR>" + error.Source);
  ClearError();
}
