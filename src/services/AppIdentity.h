// The program's identity, in one place: title, registry key, log name, version
// and the product web host (a build setting).
#pragma once

namespace app {

inline constexpr const wchar_t* kTitle = L"SWF.zel";
inline constexpr const wchar_t* kRegistryKey = L"Software\\SWF.zel";
inline constexpr const wchar_t* kLogName = L"Divur Ozazir";
// The screen saver shipped beside the program.
inline constexpr const wchar_t* kScreenSaverFile = L"SWF.zel.scr";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 883;
inline constexpr const wchar_t* kVersionText = L"SWF.zel 1.0.883";

#ifndef SWFZEL_WEB_HOST
#define SWFZEL_WEB_HOST L"www.swfzel.example"
#endif
inline constexpr const wchar_t* kWebHost = SWFZEL_WEB_HOST;

}  // namespace app
