// A bounds-checked look at an executable's version resource before the
// system's version functions read it: a damaged file (offsets outside the
// file, lengths that do not nest) is reported here instead of being handed on.
#pragma once
#include <string>

class BinaryFile;

// True when the file is a PE executable whose version resources lie wholly in
// the file and form a well-nested version block.
bool HasSoundVersionResource(const std::wstring& path);
// The same of a file already open for reading.
bool HasSoundVersionResource(BinaryFile& file);
