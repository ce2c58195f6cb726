#include "platform/flash/binding/ScriptClasses.h"

#include "platform/flash/binding/MovieScripts.h"

namespace flash {

// Classes new in a version are hidden from movies of earlier ones: Selection
// came with version 5, LocalConnection with 6, MovieClipLoader, TextSnapshot
// and TextField.StyleSheet with 7, the flash packages with 8.
void InstallPlayerClasses(MovieScripts& owner, script::Vm& vm) {
  auto prototypeOf = [&](const wchar_t* name) -> script::Object* {
    const script::Value ctor = vm.Get(script::Value::Obj(vm.Global()), vm.Intern(name));
    return vm.Get(ctor, vm.N().prototype).ObjectOrNull();
  };
  script::Object* movieClip = prototypeOf(L"MovieClip");
  script::Object* textField = vm.Get(script::Value::Obj(vm.Global()), vm.Intern(L"TextField")).ObjectOrNull();
  const uint8_t version = vm.Version();
  if (version >= 5) InstallSelection(owner, vm);
  if (version >= 6) InstallLocalConnection(owner, vm);
  if (version >= script::kFlash7) {
    InstallClipLoader(owner, vm);
    InstallTextSnapshot(owner, vm, movieClip);
    InstallFieldStyles(owner, vm, textField);
  }
  if (version >= script::kFlash8) {
    InstallTransform(owner, vm, movieClip);
    InstallBitmapData(owner, vm, movieClip);
  }
}

}  // namespace flash
