// The option set's registry layout as one table: each row names a value
// (section under HKCU\Software\SWF.zel, value name), the field of the
// option set that holds it, and who reads and writes it. ReadOptionSet and
// WriteOptionSet walk this table, and so does the round-trip test; a value
// read or written anywhere else is marked here with where that happens.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "player/start/OptionSet.h"

namespace player {

// Where the stored value is taken in.
enum class OptionRead {
  Load,     // by ReadOptionSet
  StartUp,  // before the option set exists (language, fonts, single instance, style)
  Nowhere,  // kept for the user and other programs only
};

// A field of the option set, reached through its accessor.
using OptionField = std::variant<bool& (*)(OptionSet&), long& (*)(OptionSet&), uint8_t& (*)(OptionSet&),
                                 int16_t& (*)(OptionSet&), float& (*)(OptionSet&),
                                 std::wstring& (*)(OptionSet&)>;

struct OptionRow {
  const wchar_t* Section;
  const wchar_t* Name;  // "" is the section's default value
  OptionField Field;
  OptionRead Read;
  bool Written;  // by WriteOptionSet
};

// Every stored option in the order of its sections.
std::span<const OptionRow> OptionTable();

// One row's value from the registry into its field (a missing or unreadable
// value keeps the field's content), and from the field into the registry.
// Booleans are the texts "True"/"False", whole numbers REG_DWORD, a font size
// its shortest decimal text, texts REG_SZ.
void ReadOptionRow(const OptionRow& row, OptionSet& options);
void WriteOptionRow(const OptionRow& row, OptionSet& options);

}  // namespace player
