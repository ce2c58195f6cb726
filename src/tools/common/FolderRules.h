// What the tools say of a folder typed by the user that is no full path (a
// relative folder would be looked for in the program's own folder, so every
// tool refuses it): one message, in the current language.
#pragma once
#include <string>

namespace tools {

// "A folder must be given by its full path ...", the path on the next line.
std::wstring NotFullPathText(const std::wstring& path);

}  // namespace tools
