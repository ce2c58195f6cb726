// Number reading and rounding as the player's operations need them: the
// nearest whole number with halves to even (clamped to 32 bits), the
// leading number of a text as a movie's argument gives it ("." as decimal
// point whatever the locale), and truth values.
#pragma once
#include <optional>
#include <string>

namespace player {

// Halves to even (2.5 gives 2, 3.5 gives 4); NaN gives 0; clamped to 32 bits.
long RoundHalfEven(double value);

// The leading decimal number of a text (blanks first, a sign, digits, a "."
// and digits, an exponent); 0 when the text does not start with one.
double LeadingNumber(const std::wstring& text);

// The whole text as a decimal number with "." as decimal point (blanks
// around it allowed); nothing when it is not one.
std::optional<double> DotNumber(const std::wstring& text);

// "true"/"false" in any case, or a number (0 is false); nothing otherwise.
std::optional<bool> TruthValue(const std::wstring& text);

}  // namespace player
