// The command line as the player reads it: the text after the program's own
// token, the names it holds (blanks separate, double quotes keep blanks, at
// most kMaxCommandLineNames are taken) and the "/exec" script statement it may
// carry instead.
#pragma once
#include <string>
#include <vector>

namespace player {

// The most names one command line (or hand-over) puts into the playlist.
inline constexpr size_t kMaxCommandLineNames = 10000;

// The text after the program's own token of a full command line (as
// GetCommandLineW gives it), taken verbatim: quotes and inner blanks kept,
// only the blanks that separate it from the program token skipped.
std::wstring CommandLineTail(const std::wstring& fullCommandLine);

// The names of a command line in order: blanks outside double quotes
// separate, the quotes themselves are dropped, empty names (several blanks)
// and a last name shorter than 2 characters are not given.
std::vector<std::wstring> SplitCommandLine(const std::wstring& text);

// A script command line as a program that quotes its arguments passes it
// (Wine does so with the words of a Unix shell): each double quote of the
// statement after a backslash, a word that holds blanks in double quotes.
// When the text is such a command line (it begins with a double quote, or
// every double quote in it follows a backslash) and its first word begins
// with "/exec", the words are read back by the argument rules and joined with
// blanks; any other text is given back as it is.
std::wstring ScriptCommandLine(const std::wstring& text);

// True when the first five characters are "/exec" in any case: the text goes
// to the loader as a whole rather than being split into names.
bool IsExecCommand(const std::wstring& text);

// True when the text is a script statement: "/exec" and a blank, any case.
bool IsScriptStatement(const std::wstring& text);

// The statement of a script command line: from its sixth character on (the
// blank after "/exec" kept), each carriage return turned into a double quote.
std::wstring ScriptStatementOf(const std::wstring& text);

}  // namespace player
