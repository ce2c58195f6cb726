// XML benchmark: translated-text lookups through GetXMLText (the program's own
// path walk) against the parser's XPath selectSingleNode on the same document,
// for a language file of 1000 keys. Prints figures measured in one run; stops
// with an error when a lookup finds nothing.
#include <windows.h>
#include <msxml2.h>

#include <cstdio>
#include <string>

#include "BenchCommon.h"
#include "services/XmlDocument.h"

int main() {
  const int keys = 1000;
  std::wstring text = L"<LANG title=\"Bench\">";
  for (int i = 0; i < keys; ++i) {
    text += L"<KEY" + std::to_wstring(i) + L" text=\"Value " + std::to_wstring(i) + L"\"/>";
  }
  text += L"<REF text=\"!KEY999\"/></LANG>";
  XmlDocument doc;
  Require(doc.LoadXML(text), "loading the language file (the XML parser)");
  // Every value "Value <i>": the characters each kind of lookup must read.
  size_t expected = 0;
  for (int i = 0; i < keys; ++i) expected += 6 + std::to_wstring(i).size();

  size_t chars = 0;
  double t0 = Now();
  for (int i = 0; i < keys; ++i) chars += GetXMLText(doc, L"LANG/KEY" + std::to_wstring(i) + L"/@text", L"").size();
  double walk = Now() - t0;
  Require(chars == expected, "the GetXMLText lookups");

  chars = 0;
  t0 = Now();
  for (int i = 0; i < keys; ++i) chars += GetXMLText(doc, L"LANG/REF/@text", L"").size();
  double refs = Now() - t0;
  Require(chars == static_cast<size_t>(keys) * 9, "the lookups through a reference");
  chars = 0;

  // The same lookups through the parser's own XPath.
  IXMLDOMNode* node = doc.Node().Raw();
  t0 = Now();
  for (int i = 0; i < keys; ++i) {
    std::wstring path = L"LANG/KEY" + std::to_wstring(i) + L"/@text";
    BSTR query = SysAllocString(path.c_str());
    IXMLDOMNode* found = nullptr;
    if (node->selectSingleNode(query, &found) == S_OK && found) {
      BSTR value = nullptr;
      if (SUCCEEDED(found->get_text(&value))) chars += SysStringLen(value);
      SysFreeString(value);
      found->Release();
    }
    SysFreeString(query);
  }
  double xpath = Now() - t0;
  Require(chars == expected, "the XPath lookups");

  std::printf("GetXMLText, %d keys, one lookup each: %.1f ms (%.1f us a lookup)\n", keys, walk * 1000,
              walk * 1e6 / keys);
  std::printf("GetXMLText, %d lookups of a reference to the last key: %.1f ms\n", keys, refs * 1000);
  std::printf("parser XPath selectSingleNode, same %d lookups: %.1f ms (ratio %.2f)\n", keys, xpath * 1000,
              xpath / walk);
  return 0;
}
