// Pure conversions of the action language: numbers to text as players print
// them (15 significant digits, "1e+21", "NaN", "Infinity"), text to numbers
// by the movie's version, and the 32-bit integer of the bit operators.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace flash::script {

std::wstring FormatNumber(double d);
// Version 4 reads the number at the start of the text (none: 0); later
// versions read the whole text (with "0x" hexadecimal), NaN when it is not
// a number; empty text is 0 before version 7, NaN from it.
double ParseNumber(std::wstring_view text, uint8_t version);
int32_t DoubleToInt32(double d);

}  // namespace flash::script
