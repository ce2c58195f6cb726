// Movie addresses as scripts and the control read them: percent-decoding,
// the query of an address split into name and value pairs, and an address
// split into its file and its query.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace flash {

// Percent-decodes text ("%41" and the single-digit "%9" both count; a "%"
// followed by no hexadecimal digit stays) and reads the bytes as UTF-8.
std::wstring PercentDecode(const std::wstring& text);
// Splits a query on "&", then each pair at its first "="; names and values
// are percent-decoded. Empty names are dropped.
std::vector<std::pair<std::wstring, std::wstring>> ParseQuery(const std::wstring& query);
// Splits an address at its first "?" into the file and the query.
void SplitAddress(const std::wstring& url, std::wstring& file, std::wstring& query);

}  // namespace flash
