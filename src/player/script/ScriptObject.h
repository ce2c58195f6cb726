// An automation object of ours made from a table of members: late-bound
// calls by name (any letter case), arguments converted from any numeric,
// text, Boolean or by-reference variant. A member may fail with a message
// (ScriptError) or stop the rest of the running statement (ScriptAbort);
// neither crosses the COM boundary as a C++ exception.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace player {

// A member's failure, reported to the script engine with this description.
struct ScriptError : std::runtime_error {
  explicit ScriptError(const std::wstring& description);
  std::wstring Description;
};

// Ends the running statement without an error report (a quit in its middle).
struct ScriptAbort {};

// The arguments of one call, first argument first, by-reference variants
// followed to their values.
class ScriptArgs {
 public:
  explicit ScriptArgs(const DISPPARAMS* params);
  ~ScriptArgs();
  ScriptArgs(const ScriptArgs&) = delete;
  ScriptArgs& operator=(const ScriptArgs&) = delete;

  size_t Count() const { return values_.size(); }
  bool Has(size_t i) const;  // given and not missing (an omitted optional)
  // Conversions; a missing argument gives def, one that does not convert
  // raises ScriptError("Type mismatch").
  long Long(size_t i, long def = 0) const;
  double Double(size_t i, double def = 0) const;
  bool Bool(size_t i, bool def = false) const;  // any non-zero number is True
  std::wstring Text(size_t i, const std::wstring& def = L"") const;

 private:
  const VARIANT& At(size_t i) const { return values_[i]; }
  VARIANT Converted(size_t i, VARTYPE type) const;
  std::vector<VARIANT> values_;
};

using ScriptValue = std::variant<std::monostate, long, double, bool, std::wstring>;
using ScriptMember = std::function<ScriptValue(const ScriptArgs&)>;

class ScriptObject final : public IDispatch {
 public:
  ScriptObject();
  // Adds or replaces a member; names are matched without regard to case.
  void Add(const std::wstring& name, ScriptMember member);
  bool Has(const std::wstring& name) const;
  size_t MemberCount() const { return members_.size(); }

  // IUnknown (the object lives as long as its owner; the count is kept for COM's sake).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override;

  // Set while a member runs (an abort is then turned into the engine's exception).
  bool InCall() const { return depth_ > 0; }
  // True when a call ended with ScriptAbort (until cleared).
  bool Aborted() const { return aborted_; }
  void ClearAborted() { aborted_ = false; }
  // True when the latest call (of any kind) ended with ScriptAbort.
  bool LastCallAborted() const { return lastAborted_; }

 private:
  struct Entry {
    std::wstring name;
    ScriptMember member;
  };
  std::map<std::wstring, DISPID> ids_;  // upper-case name to id
  std::vector<Entry> members_;          // id - 1
  ULONG refs_ = 1;
  int depth_ = 0;
  bool aborted_ = false, lastAborted_ = false;
};

}  // namespace player
