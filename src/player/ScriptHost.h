// The script host: the system's VBScript engine (IActiveScript with
// IActiveScriptParse) with a site of ours, one named item whose members are
// global, and statements run one at a time. Errors, syntax errors included,
// are given to the error callback with a description and never shown.
// The engine must not be closed or released from inside a member call: the
// owner carries out such work after Execute returns (ScriptObject's abort).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace player {

class ScriptObject;

class ScriptHost {
 public:
  using ErrorSink = std::function<void(const std::wstring& description)>;

  ScriptHost();
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // Starts the engine with object as the named item itemName, members global.
  // siteWindow: the owner of the engine's message boxes; without one they fail
  // instead of blocking. False (reason in LastFailure) when the engine is missing.
  bool Start(const std::wstring& itemName, ScriptObject* object, HWND siteWindow = nullptr);
  bool Started() const;
  // Runs one statement; false when it failed (the sink has the reason) or
  // was stopped by its object.
  bool Execute(const std::wstring& statement);
  // Closes and releases the engine (never from inside a member call).
  void Stop();

  void SetErrorSink(ErrorSink sink) { sink_ = std::move(sink); }
  const std::wstring& LastError() const { return lastError_; }
  void ClearError() { lastError_.clear(); }
  const std::wstring& LastFailure() const { return failure_; }
  bool Running() const { return running_ > 0; }

 private:
  class Site;
  friend class Site;
  void Report(const std::wstring& description);

  std::unique_ptr<Site> site_;
  ErrorSink sink_;
  std::wstring lastError_, failure_;
  int running_ = 0;
};

}  // namespace player
