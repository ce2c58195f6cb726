// What LoadVars and XML share: a file beside the movie read into an object
// (its onData runs once the frame's scripts are done), the text of its bytes
// as the movie's version reads them, and the methods both classes carry
// (sendAndLoad reads a local file, send sends nothing, the byte counts).
#pragma once
#include <string>

#include "platform/flash/script/builtins/Builtins.h"

namespace flash::script {

// The text of a loaded file: UTF-8 from version 6 on, else one byte a character.
std::wstring LoadedText(Vm& vm, const std::string& bytes);
// Starts reading url for obj; obj.onData(text) runs once the scripts of
// this frame are done (with undefined when the file cannot be read).
bool StartLoad(Vm& vm, const Value& obj, const Value& url);

Value DataSendAndLoad(Vm& vm, CallInfo& c);
Value DataNoSend(Vm& vm, CallInfo& c);
Value DataBytesLoaded(Vm& vm, CallInfo& c);

}  // namespace flash::script
