// The script host: the system's VBScript engine (IActiveScript with
// IActiveScriptParse) with a site of ours, one named item whose members are
// global, and statements run one at a time. Errors, syntax errors included,
// are given to the error callback with a description and never shown.
//
// The engine runs on a thread of its own; every call of a member is carried
// out on the host's thread (the window's) while the statement waits, so the
// members never meet another thread. A statement is stopped when its object
// asks for it (ScriptAbort, a quit) or when it runs longer than the time limit
// (the time a message box of the statement is up does not count): calls of it
// are refused from then on, the engine is asked to interrupt it, and a
// statement that goes on all the same (the engine under Wine cannot be
// interrupted, and a loop under "On Error Resume Next" swallows the refusals)
// is left to its thread, which waits for good at its next call; a fresh engine
// takes the next statement. The host's thread stays free either way.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace player {

class ScriptObject;

class ScriptEngine {
 public:
  using ErrorSink = std::function<void(const std::wstring& description)>;
  using Clock = std::function<double()>;  // seconds
  static constexpr double kDefaultTimeLimit = 3;

  ScriptEngine();
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // Starts the engine with object as the named item itemName, members global.
  // siteWindow: the owner of the engine's message boxes; without one they fail
  // instead of blocking. False (reason in LastFailure) when the engine is missing.
  bool Start(const std::wstring& itemName, ScriptObject* object, HWND siteWindow = nullptr);
  bool Started() const;
  // Runs one statement; false when it failed (the sink has the reason), was
  // stopped by its object, or ran too long (the sink says so). A statement
  // given while another runs (from inside a member) is refused.
  bool Execute(const std::wstring& statement);
  // Closes the engine; one still running a statement is left to its thread.
  void Stop();

  // The longest a statement may run, in seconds, and the clock that measures it.
  void SetTimeLimit(double seconds, Clock clock = {});
  void SetErrorSink(ErrorSink sink) { sink_ = std::move(sink); }
  const std::wstring& LastError() const { return lastError_; }
  void ClearError() { lastError_.clear(); }
  const std::wstring& LastFailure() const { return failure_; }
  bool Running() const { return running_ > 0; }

 private:
  struct Worker;
  enum class Ending { Finished, Stopped, Overdue };
  Ending WaitForStatement(Worker& worker);
  void LeaveBehind(const std::shared_ptr<Worker>& worker);
  void Report(const std::wstring& description);

  std::shared_ptr<Worker> worker_;
  std::wstring itemName_;
  ScriptObject* object_ = nullptr;
  HWND siteWindow_ = nullptr;
  ErrorSink sink_;
  Clock clock_;
  double timeLimit_ = kDefaultTimeLimit;
  std::wstring lastError_, failure_;
  int running_ = 0;
};

}  // namespace player
