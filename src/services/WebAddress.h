// Web addresses: whether a text is an absolute http or https address, the one
// kind of address the program fetches from or hands to the shell for a download.
#pragma once
#include <string>

// True for "http://host..." or "https://host..." (the scheme in any case) with a
// host, and no blank, control character or backslash anywhere.
bool IsWebAddress(const std::wstring& url);
