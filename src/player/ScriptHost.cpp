#include "player/ScriptHost.h"

#include <activscp.h>
#include <oleauto.h>

#include "base/Handles.h"
#include "player/ScriptObject.h"

namespace player {
namespace {

// The VBScript engine's class.
const CLSID kCLSID_VBScript = {0xB54F3741, 0x5B07, 0x11CF, {0xA4, 0xB0, 0x00, 0xAA, 0x00, 0x4A, 0x55, 0xE8}};

// IActiveScriptParse of 64-bit engines (the import library lacks it).
const IID kIID_IActiveScriptParse64 = {0xC7EF7658, 0xE1EE, 0x480E, {0x97, 0xEA, 0xD5, 0x2C, 0xB4, 0xD7, 0x6D, 0x17}};

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

// The engine's view of the host. Its lifetime is the host's; the counts are
// kept for the engine's sake only.
class ScriptHost::Site final : public IActiveScriptSite, public IActiveScriptSiteWindow {
 public:
  Site(ScriptHost& host, std::wstring itemName, ScriptObject* object, HWND window)
      : host_(host), itemName_(std::move(itemName)), object_(object), window_(window) {}

  ComPtr<IActiveScript> engine;
  ComPtr<IActiveScriptParse> parse;

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IActiveScriptSite) {
      *out = static_cast<IActiveScriptSite*>(this);
    } else if (riid == IID_IActiveScriptSiteWindow && window_) {
      *out = static_cast<IActiveScriptSiteWindow*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return refs_ > 1 ? --refs_ : 1; }

  // IActiveScriptSite.
  HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) override {
    if (!lcid) return E_POINTER;
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override {
    if (item) *item = nullptr;
    if (info) *info = nullptr;
    if (!name || _wcsicmp(name, itemName_.c_str()) != 0 || !object_) return TYPE_E_ELEMENTNOTFOUND;
    if (mask & SCRIPTINFO_ITYPEINFO) {
      if (!info) return E_POINTER;
      // No type information: the engine resolves the members by name.
      if (!(mask & SCRIPTINFO_IUNKNOWN)) return TYPE_E_ELEMENTNOTFOUND;
    }
    if (mask & SCRIPTINFO_IUNKNOWN) {
      if (!item) return E_POINTER;
      object_->AddRef();
      *item = static_cast<IDispatch*>(object_);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) override {
    if (version) *version = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
    if (!error) return S_OK;
    if (object_ && object_->Aborted()) return S_OK;  // a stop asked for by our object
    EXCEPINFO info{};
    std::wstring description;
    if (SUCCEEDED(error->GetExceptionInfo(&info))) {
      if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
      if (info.bstrDescription) description = info.bstrDescription;
      if (description.empty() && info.scode) description = L"Error " + Hex(info.scode);
      SysFreeString(info.bstrSource);
      SysFreeString(info.bstrDescription);
      SysFreeString(info.bstrHelpFile);
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
    host_.Report(description);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

  // IActiveScriptSiteWindow.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

 private:
  ScriptHost& host_;
  std::wstring itemName_;
  ScriptObject* object_;
  HWND window_;
  ULONG refs_ = 1;
};

ScriptHost::ScriptHost() = default;

ScriptHost::~ScriptHost() { Stop(); }

bool ScriptHost::Start(const std::wstring& itemName, ScriptObject* object, HWND siteWindow) {
  Stop();
  failure_.clear();
  site_ = std::make_unique<Site>(*this, itemName, object, siteWindow);
  HRESULT hr = CoCreateInstance(kCLSID_VBScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                site_->engine.PutVoid());
  if (FAILED(hr)) {
    failure_ = L"The VBScript engine is not available (" + Hex(hr) + L")";
    site_.reset();
    return false;
  }
  hr = site_->engine->QueryInterface(kIID_IActiveScriptParse64, site_->parse.PutVoid());
  if (SUCCEEDED(hr)) hr = site_->engine->SetScriptSite(site_.get());
  if (SUCCEEDED(hr)) hr = site_->parse->InitNew();
  if (SUCCEEDED(hr))
    hr = site_->engine->AddNamedItem(itemName.c_str(), SCRIPTITEM_ISVISIBLE | SCRIPTITEM_GLOBALMEMBERS);
  if (SUCCEEDED(hr)) hr = site_->engine->SetScriptState(SCRIPTSTATE_CONNECTED);
  if (FAILED(hr)) {
    failure_ = L"The script engine could not be set up (" + Hex(hr) + L")";
    Stop();
    return false;
  }
  return true;
}

bool ScriptHost::Started() const { return site_ && site_->engine && site_->parse; }

bool ScriptHost::Execute(const std::wstring& statement) {
  if (!Started()) {
    Report(failure_.empty() ? std::wstring(L"The script engine is not running") : failure_);
    return false;
  }
  EXCEPINFO info{};
  ++running_;
  HRESULT hr = site_->parse->ParseScriptText(statement.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &info);
  --running_;
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return SUCCEEDED(hr);
}

void ScriptHost::Stop() {
  if (!site_) return;
  if (site_->engine) {
    site_->engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    site_->engine->Close();
  }
  site_->parse.Reset();
  site_->engine.Reset();
  site_.reset();
}

void ScriptHost::Report(const std::wstring& description) {
  lastError_ = description;
  if (sink_) sink_(description);
}

}  // namespace player
