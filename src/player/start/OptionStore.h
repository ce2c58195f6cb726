// The option set kept in the registry: every value read and written through
// the option table, with the values whose defaults come from others or from
// where the program is.
#pragma once
#include <string>

#include "player/start/OptionSet.h"

namespace player {

// Reads every value that the main window's load reads, each with the
// current content as its default. MyFlashFolder, Place and Update.Build
// should hold their contextual defaults before the call. Folders get their
// trailing "\"; an empty "Date" becomes today's date and is written back.
void ReadOptionSet(OptionSet& options, const std::wstring& today);

// Writes every value the final quit saves, in the order of the sections.
// The usage counter takes the heartbeat ticks in (0.3 s each, rounded)
// and the ticks start again from 0.
void WriteOptionSet(OptionSet& options);

}  // namespace player
