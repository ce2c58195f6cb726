// What the introduction and about windows feed their pages without a window:
// the documents intro.xml and about.xml (the interface font, the information
// text - the overview of the program's features, or the version and the movie
// control - and the support text, each element's text HTML-encoded), the page's
// address with its query, and the one command the pages send that the
// windows answer.
#pragma once
#include <string>

namespace tools {

// The support text: the language's "frmAbout/strSupport", else a mail link
// to the support address and a link to the web site.
std::wstring SupportText();
// The about page's information text: the program and its version, its own
// movie control with the movie versions it plays, and the language file's
// credits when it has any.
std::wstring InfoText();
// The introduction's information text: a title and one line per feature (its
// name in bold and what it does), in the current language.
std::wstring OverviewText();

// The documents' texts, lines ending in CR LF.
std::wstring IntroDocument();
std::wstring AboutDocument();
// Writes UserDataFolder + name ("intro.xml", "about.xml"); the path, or "" when
// it could not be written.
std::wstring SavePageDocument(const std::wstring& name, const std::wstring& text);

// The page movie's address: the movie, "?myXML=" and the encoded document
// path, "&time=" and the time of day.
std::wstring PageAddress(const std::wstring& movie, const std::wstring& document, const std::wstring& timeOfDay);
// The time of day in the system's time format.
std::wstring TimeOfDayText();

// A page's command: "GOWEB" in any case opens the web site through the
// shell; the rest are ignored. True when it was answered.
bool AnswerPageCommand(const std::wstring& command);

}  // namespace tools
