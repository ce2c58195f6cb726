// Collects the lines handed to WriteLog while it lives.
#pragma once
#include <string>
#include <vector>

#include "services/Services.h"

struct LogCapture {
  std::vector<std::wstring> lines;
  LogCapture() {
    SetLogSink([this](const std::wstring& text, bool) { lines.push_back(text); });
  }
  ~LogCapture() { SetLogSink(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
};
