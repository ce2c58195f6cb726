// Program-wide options: module variables with their defaults, loaded and saved
// by the main window and read by every subsystem.
#pragma once
#include <string>

// "Skip Doubtful Projectors": executables must name a generic projector in
// their version information before a movie is taken out of them.
extern bool GenericProjectors;
// The player stub used to make projectors; empty means BinaryFolder & "projector.dll".
extern std::wstring ProjectorStubPath;
