// Style sheets as text fields use them: CSS text read into rules (selector
// and declarations, property names in the scripts' camel case: "font-size"
// becomes "fontSize"), CSS numbers and colours, and an HTML text with a
// style sheet applied: the text it shows (elements styled display:none
// left out, blocks on lines of their own) and the style of its first
// character (the declarations of the tag and class selectors of every
// element around it, the outer first).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace flash::script {

using CssDeclarations = std::vector<std::pair<std::wstring, std::wstring>>;

struct CssRule {
  std::wstring selector;
  CssDeclarations declarations;
};

// False when the text is malformed (an unclosed block or comment, a
// declaration without a colon, a block without a selector); rules holds
// what was read before.
bool ParseCss(std::wstring_view text, std::vector<CssRule>& rules);
std::wstring CamelCase(std::wstring_view cssName);
// "12px", "12pt", "12": 12; NaN when the text starts with no number.
double CssNumber(std::wstring_view text);
// "#RRGGBB" or "#RGB" as 0xRRGGBB; -1 when it is no colour.
int32_t CssColor(std::wstring_view text);

struct StyledHtml {
  std::wstring text;
  CssDeclarations style;
};
// lookup: the declarations of a selector ("p", ".note"), or null.
StyledHtml ApplyStyles(std::wstring_view html,
                       const std::function<const CssDeclarations*(const std::wstring& selector)>& lookup);

}  // namespace flash::script
