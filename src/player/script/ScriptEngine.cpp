#include "player/script/ScriptEngine.h"

#include <activscp.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>

#include "base/Clock.h"
#include "base/Handles.h"
#include "player/script/ScriptObject.h"

namespace player {
namespace {

// The VBScript engine's class.
const CLSID kCLSID_VBScript = {0xB54F3741, 0x5B07, 0x11CF, {0xA4, 0xB0, 0x00, 0xAA, 0x00, 0x4A, 0x55, 0xE8}};

// IActiveScriptParse of 64-bit engines (the import library lacks it).
const IID kIID_IActiveScriptParse64 = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};

// How often the host's thread looks at the clock while a statement runs, and
// how long a stopped statement gets to end by itself before it is left behind.
constexpr DWORD kSliceMs = 50;
constexpr double kGraceSeconds = 0.25;

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

void FreeExcepInfo(EXCEPINFO& info) {
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info = EXCEPINFO{};
}

// Waits for handle while answering messages other threads send to this one
// (the engine's thread owns message boxes over the host's window); false on
// timeout.
bool WaitAnsweringSent(HANDLE handle, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

// What the host's thread and the engine's thread share. The engine's COM
// objects live on the engine's thread; the events and flags are the only
// meeting points. The thread holds the worker too, so one left behind lives
// on with it.
struct ScriptEngine::Worker {
  class Site;
  class Proxy;

  // Set before the thread starts.
  std::wstring itemName;
  ScriptObject* object = nullptr;  // called on the host's thread only
  HWND siteWindow = nullptr;

  ScopedHandle thread;
  ScopedHandle jobReady{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  ScopedHandle jobDone{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  ScopedHandle callReady{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  ScopedHandle callDone{CreateEventW(nullptr, FALSE, FALSE, nullptr)};

  // The job: written by the host before jobReady, read back after jobDone.
  bool closing = false;
  std::wstring statement;
  HRESULT result = S_OK;
  std::wstring error, failure;
  // A call waiting for the host's thread (between callReady and callDone).
  const std::function<void()>* call = nullptr;

  std::atomic<bool> stopping{false};   // calls of the statement are refused
  std::atomic<bool> leftBehind{false};  // the host has gone: calls wait for good
  std::atomic<int> modal{0};            // message boxes of the statement that are up

  // The engine's thread only.
  ComPtr<IActiveScript> engine;
  ComPtr<IActiveScriptParse> parse;
  std::unique_ptr<Site> site;
  std::unique_ptr<Proxy> proxy;

  bool Ready() const { return jobReady && jobDone && callReady && callDone; }
  HRESULT Open();
  void Close();
  // Runs f on the host's thread; false when the statement is stopped.
  bool OnHostThread(const std::function<void()>& f);
  static DWORD WINAPI Main(void* param);
};

// The engine's view of the host.
class ScriptEngine::Worker::Site final : public IActiveScriptSite, public IActiveScriptSiteWindow {
 public:
  explicit Site(Worker& w) : w_(w) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IActiveScriptSite) {
      *out = static_cast<IActiveScriptSite*>(this);
    } else if (riid == IID_IActiveScriptSiteWindow && w_.siteWindow) {
      *out = static_cast<IActiveScriptSiteWindow*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  // The site lives as long as its worker; the count is kept for COM's sake.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return refs_ > 1 ? --refs_ : 1; }

  HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) override {
    if (!lcid) return E_POINTER;
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) override {
    if (version) *version = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
    if (!error || w_.stopping) return S_OK;  // a stop is no script error
    EXCEPINFO info{};
    std::wstring description;
    if (SUCCEEDED(error->GetExceptionInfo(&info))) {
      if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
      if (info.bstrDescription) description = info.bstrDescription;
      if (description.empty() && info.scode) description = L"Error " + Hex(info.scode);
      FreeExcepInfo(info);
    }
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    error->GetSourcePosition(&context, &line, &column);
    if (description.empty()) {
      // The engine names no reason for a statement it cannot read.
      description = L"Syntax error at character " + std::to_wstring(column + 1);
      BSTR source = nullptr;
      if (SUCCEEDED(error->GetSourceLineText(&source)) && source) {
        description += L": " + std::wstring(source);
        SysFreeString(source);
      }
    }
    w_.error = description;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = w_.siteWindow;
    return S_OK;
  }
  // The engine disables modeless windows while it shows a message box.
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override {
    w_.modal += enable ? -1 : 1;
    return S_OK;
  }

 private:
  Worker& w_;
  ULONG refs_ = 1;
};

// The named item as the engine sees it: every call goes over to the host's
// thread and the object there.
class ScriptEngine::Worker::Proxy final : public IDispatch {
 public:
  explicit Proxy(Worker& w) : w_(w) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return refs_ > 1 ? --refs_ : 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    HRESULT hr = DISP_E_UNKNOWNNAME;
    if (!w_.OnHostThread([&] { hr = w_.object->GetIDsOfNames(riid, names, count, lcid, ids); })) return E_ABORT;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    HRESULT hr = E_FAIL;
    if (w_.OnHostThread([&] { hr = w_.object->Invoke(id, riid, lcid, flags, params, result, exception, argError); }))
      return hr;
    if (exception) {
      *exception = EXCEPINFO{};
      exception->bstrDescription = SysAllocString(L"Stopped");
      exception->scode = E_ABORT;
    }
    return DISP_E_EXCEPTION;
  }

 private:
  Worker& w_;
  ULONG refs_ = 1;
};

HRESULT STDMETHODCALLTYPE ScriptEngine::Worker::Site::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                                                ITypeInfo** info) {
  if (item) *item = nullptr;
  if (info) *info = nullptr;
  if (!name || _wcsicmp(name, w_.itemName.c_str()) != 0 || !w_.object) return TYPE_E_ELEMENTNOTFOUND;
  if (mask & SCRIPTINFO_ITYPEINFO) {
    if (!info) return E_POINTER;
    // No type information: the engine resolves the members by name.
    if (!(mask & SCRIPTINFO_IUNKNOWN)) return TYPE_E_ELEMENTNOTFOUND;
  }
  if (mask & SCRIPTINFO_IUNKNOWN) {
    if (!item) return E_POINTER;
    w_.proxy->AddRef();
    *item = static_cast<IDispatch*>(w_.proxy.get());
  }
  return S_OK;
}

HRESULT ScriptEngine::Worker::Open() {
  site = std::make_unique<Site>(*this);
  proxy = std::make_unique<Proxy>(*this);
  HRESULT hr = CoCreateInstance(kCLSID_VBScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.PutVoid());
  if (FAILED(hr)) {
    failure = L"The VBScript engine is not available (" + Hex(hr) + L")";
    return hr;
  }
  hr = engine->QueryInterface(kIID_IActiveScriptParse64, parse.PutVoid());
  if (SUCCEEDED(hr)) hr = engine->SetScriptSite(site.get());
  if (SUCCEEDED(hr)) hr = parse->InitNew();
  if (SUCCEEDED(hr)) hr = engine->AddNamedItem(itemName.c_str(), SCRIPTITEM_ISVISIBLE | SCRIPTITEM_GLOBALMEMBERS);
  if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
  if (FAILED(hr)) failure = L"The script engine could not be set up (" + Hex(hr) + L")";
  return hr;
}

void ScriptEngine::Worker::Close() {
  if (engine) {
    engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    engine->Close();
  }
  parse.Reset();
  engine.Reset();
}

bool ScriptEngine::Worker::OnHostThread(const std::function<void()>& f) {
  // A statement left behind waits here for good: it no longer reaches the
  // host, takes no time, and the program's end ends it.
  if (leftBehind) Sleep(INFINITE);
  if (stopping) return false;
  call = &f;
  SetEvent(callReady.get());
  WaitForSingleObject(callDone.get(), INFINITE);
  return true;
}

DWORD WINAPI ScriptEngine::Worker::Main(void* param) {
  std::shared_ptr<Worker> w = std::move(*static_cast<std::shared_ptr<Worker>*>(param));
  delete static_cast<std::shared_ptr<Worker>*>(param);
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  w->result = w->Open();
  const bool opened = SUCCEEDED(w->result);
  SetEvent(w->jobDone.get());
  while (opened) {
    // Wait for a job, dispatching what windows of this thread receive.
    HANDLE ready = w->jobReady.get();
    const DWORD r = MsgWaitForMultipleObjects(1, &ready, FALSE, INFINITE, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      continue;
    }
    if (r != WAIT_OBJECT_0 || w->closing || w->leftBehind) break;
    EXCEPINFO info{};
    w->result = w->parse->ParseScriptText(w->statement.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &info);
    FreeExcepInfo(info);
    SetEvent(w->jobDone.get());
  }
  w->Close();
  if (SUCCEEDED(init)) CoUninitialize();
  return 0;
}

ScriptEngine::ScriptEngine() = default;

ScriptEngine::~ScriptEngine() { Stop(); }

bool ScriptEngine::Start(const std::wstring& itemName, ScriptObject* object, HWND siteWindow) {
  Stop();
  failure_.clear();
  if (!object) {
    failure_ = L"The script engine has no object";
    return false;
  }
  itemName_ = itemName;
  object_ = object;
  siteWindow_ = siteWindow;
  auto w = std::make_shared<Worker>();
  w->itemName = itemName;
  w->object = object;
  w->siteWindow = siteWindow;
  auto* param = new std::shared_ptr<Worker>(w);
  if (w->Ready()) w->thread = ScopedHandle(CreateThread(nullptr, 0, &Worker::Main, param, 0, nullptr));
  if (!w->thread) {
    delete param;
    failure_ = L"The script engine's thread could not be started";
    return false;
  }
  WaitAnsweringSent(w->jobDone.get(), INFINITE);
  if (FAILED(w->result)) {
    failure_ = w->failure;
    WaitAnsweringSent(w->thread.get(), INFINITE);  // the thread has closed what it opened
    return false;
  }
  worker_ = std::move(w);
  return true;
}

bool ScriptEngine::Started() const { return worker_ != nullptr; }

void ScriptEngine::SetTimeLimit(double seconds, Clock clock) {
  timeLimit_ = seconds;
  clock_ = std::move(clock);
}

bool ScriptEngine::Execute(const std::wstring& statement) {
  if (running_ > 0) {
    Report(L"A statement is running; this one was not run: " + statement);
    return false;
  }
  // The engine of a statement left behind is replaced.
  if (!worker_ && object_) Start(itemName_, object_, siteWindow_);
  if (!Started()) {
    Report(failure_.empty() ? std::wstring(L"The script engine is not running") : failure_);
    return false;
  }
  std::shared_ptr<Worker> w = worker_;
  w->statement = statement;
  w->error.clear();
  w->stopping = false;
  w->modal = 0;
  ++running_;
  SetEvent(w->jobReady.get());
  const Ending ending = WaitForStatement(*w);
  --running_;
  if (ending == Ending::Finished || ending == Ending::Stopped) {
    if (!w->error.empty()) Report(w->error);
    return ending == Ending::Finished && SUCCEEDED(w->result);
  }
  wchar_t limit[32];
  swprintf(limit, 32, L"%g", timeLimit_);
  Report(L"The statement ran longer than " + std::wstring(limit) + L" seconds and was stopped: " + statement);
  return false;
}

ScriptEngine::Ending ScriptEngine::WaitForStatement(Worker& w) {
  const Clock clock = clock_ ? clock_ : Clock(MonotonicSeconds);
  double started = clock();
  Ending ending = Ending::Finished;
  ULONGLONG stoppedAt = 0;  // real time of a stop, for the grace it gets
  HANDLE handles[] = {w.jobDone.get(), w.callReady.get()};
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, kSliceMs, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return ending;
    if (r == WAIT_OBJECT_0 + 1) {
      // A member call, carried out here; a stop asked for in it ends the statement.
      (*w.call)();
      const bool stop = w.object && w.object->LastCallAborted();
      if (stop) w.stopping = true;
      SetEvent(w.callDone.get());
      if (stop && !stoppedAt) ending = Ending::Stopped;
    } else if (r == WAIT_OBJECT_0 + 2) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (w.modal > 0) started = clock();  // a message box waits for the user, not the statement
    if (!stoppedAt && ending == Ending::Finished && clock() - started > timeLimit_) {
      w.stopping = true;
      ending = Ending::Overdue;
    }
    if (ending != Ending::Finished && !stoppedAt) {
      stoppedAt = GetTickCount64();
      // The engine is asked to end the statement (the engine under Wine cannot).
      if (w.engine) {
        EXCEPINFO info{};
        info.scode = E_ABORT;
        w.engine->InterruptScriptThread(SCRIPTTHREADID_ALL, &info, 0);
      }
    }
    if (stoppedAt && GetTickCount64() - stoppedAt > static_cast<ULONGLONG>(kGraceSeconds * 1000)) {
      LeaveBehind(worker_);
      return ending;
    }
  }
}

void ScriptEngine::LeaveBehind(const std::shared_ptr<Worker>& worker) {
  if (!worker) return;
  worker->leftBehind = true;
  SetEvent(worker->jobReady.get());  // a thread that ends its statement after all then ends too
  if (worker_ == worker) worker_.reset();
}

void ScriptEngine::Stop() {
  object_ = nullptr;  // no fresh engine after this
  if (!worker_) return;
  std::shared_ptr<Worker> w = worker_;
  if (running_ > 0) {  // from inside a member call: the statement cannot end now
    w->stopping = true;
    LeaveBehind(w);
    return;
  }
  worker_.reset();
  w->closing = true;
  SetEvent(w->jobReady.get());
  WaitAnsweringSent(w->thread.get(), 10000);
}

void ScriptEngine::Report(const std::wstring& description) {
  lastError_ = description;
  if (sink_) sink_(description);
}

}  // namespace player
