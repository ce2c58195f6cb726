// The XML layer over MSXML 3 (Msxml2.DOMDocument.3.0): documents, nodes and
// the one text reader GetXMLText. Paths are element names separated by "/",
// an optional final "@attribute", and "."; names compare exactly, prefixes as
// written in the document ("rdf:RDF/rdf:Description/dc:title"), whatever
// namespaces it declares; from a document, a path's first step is its root
// element (whatever DOCTYPE, comments or instructions come before it). Other
// expressions go to the parser's XPath; one it cannot evaluate selects nothing.
// Text loaded from memory may carry a DOCTYPE: one that only names the root
// element and an external DTD is accepted and not read (no DTD is fetched,
// no entity defined), one with declarations of its own is refused.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Handles.h"

struct IXMLDOMNode;
struct IXMLDOMDocument;

class XmlNode {
 public:
  XmlNode();
  explicit XmlNode(IXMLDOMNode* node);  // takes a reference of its own
  XmlNode(const XmlNode& other);
  XmlNode& operator=(const XmlNode& other);
  ~XmlNode();

  explicit operator bool() const { return static_cast<bool>(node_); }
  std::wstring Text() const;       // text content; "" for no node
  std::wstring NodeValue() const;  // an attribute's value
  std::wstring NodeName() const;
  bool IsElement() const;
  std::vector<XmlNode> ChildNodes() const;
  // Children one at a time, for a walk that holds only the child in hand.
  XmlNode FirstChild() const;
  XmlNode NextSibling() const;
  XmlNode LastChild() const;
  std::wstring Attribute(const std::wstring& name) const;  // "" when missing
  XmlNode AttributeNode(const std::wstring& name) const;   // by its name as written; none when missing
  XmlNode SelectSingleNode(const std::wstring& path) const;
  std::vector<XmlNode> SelectNodes(const std::wstring& path) const;
  IXMLDOMNode* Raw() const { return node_.Get(); }

 private:
  ComPtr<IXMLDOMNode> node_;
};

struct XmlParseError {
  std::wstring reason;
  bool declaresDtd = false;  // refused for the declarations of its DOCTYPE
  long line = 0;
  long linepos = 0;
  std::wstring srcText;
};

class XmlDocument {
 public:
  XmlDocument();  // an empty document; answers every selection with no node
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  bool Load(const std::wstring& path);     // false for a missing or malformed file; stays empty then
  bool LoadXML(const std::wstring& text);  // as Load, for text in memory
  // As Load, for a document's bytes in memory: read in the encoding its byte
  // order mark or declaration names, UTF-8 without either.
  bool LoadBytes(std::span<const uint8_t> bytes);
  bool Save(const std::wstring& path);
  const XmlParseError& ParseError() const { return error_; }
  XmlNode Node() const;  // the document as a node (for GetXMLText and selections)
  XmlNode Root() const;  // the root element
  XmlNode SelectSingleNode(const std::wstring& path) const { return Node().SelectSingleNode(path); }
  std::vector<XmlNode> SelectNodes(const std::wstring& path) const { return Node().SelectNodes(path); }
  bool Empty() const;

 private:
  bool LoadStream(IStream* stream, const wchar_t* unreadable);

  ComPtr<IXMLDOMDocument> doc_;
  XmlParseError error_;
};

// The text that Path selects under Node, with "!" references resolved against
// the document's root element; Default when nothing (or an invalid path) is found.
std::wstring GetXMLText(const XmlNode& node, const std::wstring& path, const std::wstring& def);
std::wstring GetXMLText(const XmlDocument& doc, const std::wstring& path, const std::wstring& def);

// Makes sure COM is initialised on this thread (apartment-threaded); idempotent.
void EnsureCom();
