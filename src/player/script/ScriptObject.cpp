#include "player/script/ScriptObject.h"

#include <oleauto.h>

#include "base/TextConv.h"

namespace player {
namespace {

const LCID kInvariant = LOCALE_INVARIANT;

bool IsMissing(const VARIANT& v) { return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND; }

void FillException(EXCEPINFO* info, const std::wstring& description, HRESULT code) {
  if (!info) return;
  *info = EXCEPINFO{};
  info->bstrSource = SysAllocString(L"Player");
  info->bstrDescription = SysAllocString(description.c_str());
  info->scode = code;
}

void StoreResult(const ScriptValue& value, VARIANT* result) {
  if (!result) return;
  VariantInit(result);
  if (auto* l = std::get_if<long>(&value)) {
    V_VT(result) = VT_I4;
    V_I4(result) = *l;
  } else if (auto* d = std::get_if<double>(&value)) {
    V_VT(result) = VT_R8;
    V_R8(result) = *d;
  } else if (auto* b = std::get_if<bool>(&value)) {
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = *b ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (auto* s = std::get_if<std::wstring>(&value)) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocStringLen(s->data(), static_cast<UINT>(s->size()));
  }
}

}  // namespace

ScriptError::ScriptError(const std::wstring& description)
    : std::runtime_error(WideToUtf8(description)), Description(description) {}

ScriptArgs::ScriptArgs(const DISPPARAMS* params) {
  if (!params) return;
  // The engine passes the arguments last first.
  for (UINT i = params->cArgs; i-- > 0;) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopyInd(&copy, &params->rgvarg[i]))) {
      V_VT(&copy) = VT_ERROR;
      V_ERROR(&copy) = DISP_E_PARAMNOTFOUND;
    }
    // A reference to a variant that holds a reference again (a variable passed on).
    if (V_VT(&copy) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&copy)) {
      VARIANT inner;
      VariantInit(&inner);
      VariantCopyInd(&inner, V_VARIANTREF(&copy));
      VariantClear(&copy);
      copy = inner;
    }
    values_.push_back(copy);
  }
}

ScriptArgs::~ScriptArgs() {
  for (VARIANT& v : values_) VariantClear(&v);
}

bool ScriptArgs::Has(size_t i) const { return i < values_.size() && !IsMissing(values_[i]); }

VARIANT ScriptArgs::Converted(size_t i, VARTYPE type) const {
  VARIANT out;
  VariantInit(&out);
  VARIANT in = At(i);
  if (FAILED(VariantChangeTypeEx(&out, &in, kInvariant, 0, type))) throw ScriptError(L"Type mismatch");
  return out;
}

long ScriptArgs::Long(size_t i, long def) const {
  if (!Has(i)) return def;
  VARIANT v = Converted(i, VT_I4);
  return V_I4(&v);
}

double ScriptArgs::Double(size_t i, double def) const {
  if (!Has(i)) return def;
  VARIANT v = Converted(i, VT_R8);
  return V_R8(&v);
}

bool ScriptArgs::Bool(size_t i, bool def) const {
  if (!Has(i)) return def;
  VARIANT v = Converted(i, VT_BOOL);
  return V_BOOL(&v) != VARIANT_FALSE;
}

std::wstring ScriptArgs::Text(size_t i, const std::wstring& def) const {
  if (!Has(i)) return def;
  VARIANT v = Converted(i, VT_BSTR);
  std::wstring text(V_BSTR(&v) ? V_BSTR(&v) : L"", V_BSTR(&v) ? SysStringLen(V_BSTR(&v)) : 0);
  VariantClear(&v);
  return text;
}

ScriptObject::ScriptObject() = default;

void ScriptObject::Add(const std::wstring& name, ScriptMember member) {
  const std::wstring key = UpperInvariant(name);
  auto found = ids_.find(key);
  if (found != ids_.end()) {
    members_[found->second - 1].member = std::move(member);
    return;
  }
  members_.push_back(Entry{name, std::move(member)});
  ids_[key] = static_cast<DISPID>(members_.size());
}

bool ScriptObject::Has(const std::wstring& name) const { return ids_.count(UpperInvariant(name)) != 0; }

HRESULT ScriptObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG ScriptObject::AddRef() { return ++refs_; }
ULONG ScriptObject::Release() { return refs_ > 1 ? --refs_ : 1; }

HRESULT ScriptObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ScriptObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ScriptObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  lastAborted_ = false;
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (i > 0) {  // named arguments are not supported
      hr = DISP_E_UNKNOWNNAME;
      continue;
    }
    auto found = names[i] ? ids_.find(UpperInvariant(names[i])) : ids_.end();
    if (found == ids_.end()) {
      hr = DISP_E_UNKNOWNNAME;
    } else {
      ids[i] = found->second;
    }
  }
  return hr;
}

HRESULT ScriptObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argError) {
  if (id < 1 || id > static_cast<DISPID>(members_.size())) return DISP_E_MEMBERNOTFOUND;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return DISP_E_MEMBERNOTFOUND;
  if (argError) *argError = 0;
  // Keep the member alive even if the call replaces it.
  ScriptMember member = members_[id - 1].member;
  lastAborted_ = false;
  ++depth_;
  HRESULT hr = S_OK;
  try {
    ScriptArgs args(params);
    ScriptValue value = member ? member(args) : ScriptValue{};
    StoreResult(value, result);
  } catch (const ScriptAbort&) {
    aborted_ = lastAborted_ = true;
    FillException(exception, L"Stopped", E_ABORT);
    hr = DISP_E_EXCEPTION;
  } catch (const ScriptError& e) {
    FillException(exception, e.Description, E_FAIL);
    hr = DISP_E_EXCEPTION;
  } catch (const std::exception& e) {
    FillException(exception, Utf8ToWide(e.what()), E_FAIL);
    hr = DISP_E_EXCEPTION;
  } catch (...) {
    FillException(exception, L"Unexpected failure", E_FAIL);
    hr = DISP_E_EXCEPTION;
  }
  --depth_;
  return hr;
}

}  // namespace player
