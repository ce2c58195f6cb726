#include "services/XmlDocument.h"

#include "base/Handles.h"

#include <msxml2.h>
#include <shlwapi.h>

#include <cwchar>
#include <utility>

namespace {

// IXMLDOMDocument2, which the import library lacks.
const IID kIIDXmlDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// Takes over a BSTR and frees it.
std::wstring TakeBstr(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  if (text) SysFreeString(text);
  return out;
}

// A BSTR-holding VARIANT for the duration of one call.
class BstrVariant {
 public:
  explicit BstrVariant(const std::wstring& text) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  ~BstrVariant() { VariantClear(&v_); }
  BstrVariant(const BstrVariant&) = delete;
  BstrVariant& operator=(const BstrVariant&) = delete;
  const VARIANT& Get() const { return v_; }

 private:
  VARIANT v_;
};

std::wstring NameOf(IXMLDOMNode* node) {
  BSTR name = nullptr;
  if (!node || FAILED(node->get_nodeName(&name))) return L"";
  return TakeBstr(name);
}

bool IsElement(IXMLDOMNode* node) {
  DOMNodeType type = NODE_INVALID;
  return node && SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

// Calls visit for each child of Node in order (sibling links: the node lists of
// some parsers find an item by walking from the first) until it returns false.
template <typename Visit>
bool ForEachChild(IXMLDOMNode* node, Visit visit) {
  if (!node) return true;
  ComPtr<IXMLDOMNode> child;
  if (node->get_firstChild(child.Put()) != S_OK) return true;
  while (child) {
    if (!visit(child.Get())) return false;
    ComPtr<IXMLDOMNode> next;
    if (child->get_nextSibling(next.Put()) != S_OK) next.Reset();
    child = std::move(next);
  }
  return true;
}

std::vector<XmlNode> ChildrenOf(IXMLDOMNode* node) {
  std::vector<XmlNode> out;
  ForEachChild(node, [&](IXMLDOMNode* child) {
    out.emplace_back(child);
    return true;
  });
  return out;
}

XmlNode AttributeOf(IXMLDOMNode* node, const std::wstring& name) {
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  if (!node || node->get_attributes(attributes.Put()) != S_OK || !attributes) return XmlNode();
  long length = 0;
  attributes->get_length(&length);
  for (long i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    if (attributes->get_item(i, attribute.Put()) == S_OK && attribute && NameOf(attribute.Get()) == name) {
      return XmlNode(attribute.Get());
    }
  }
  return XmlNode();
}

// Names of the paths the program uses: letters, digits, "_", "-", ".", ":"
// and any non-ASCII character.
bool IsSimpleName(const std::wstring& name) {
  if (name.empty()) return false;
  for (wchar_t c : name) {
    bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
              c == L'-' || c == L'.' || c == L':' || c >= 0x80;
    if (!ok) return false;
  }
  return true;
}

struct SimplePath {
  std::vector<std::wstring> steps;  // element names or "."
  std::wstring attribute;           // final "@name", without "@"
};

// Splits a path of the simple form: names separated by "/", "." for the node
// itself, an optional final "@attribute". False for anything else.
bool ParseSimplePath(const std::wstring& path, SimplePath& out) {
  size_t start = 0;
  while (true) {
    size_t slash = path.find(L'/', start);
    std::wstring step = path.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start);
    bool last = slash == std::wstring::npos;
    if (!step.empty() && step[0] == L'@') {
      if (!last || !IsSimpleName(step.substr(1))) return false;
      out.attribute = step.substr(1);
    } else if (step == L"." || (IsSimpleName(step) && step != L"..")) {
      out.steps.push_back(step);
    } else {
      return false;
    }
    if (last) return true;
    start = slash + 1;
  }
}

// The nodes a path's step looks at under Node: its children, or for a
// document its root element alone.
template <typename Visit>
bool ForEachStep(IXMLDOMNode* node, Visit visit) {
  ComPtr<IXMLDOMDocument> doc;
  if (node && SUCCEEDED(node->QueryInterface(IID_IXMLDOMDocument, doc.PutVoid())) && doc) {
    ComPtr<IXMLDOMElement> root;
    if (doc->get_documentElement(root.Put()) != S_OK || !root) return true;
    return visit(root.Get());
  }
  return ForEachChild(node, visit);
}

// Visits the nodes the simple path selects under Node, in document order,
// from step Index on; stops when visit returns false.
template <typename Visit>
bool WalkPath(IXMLDOMNode* node, const SimplePath& path, size_t index, Visit& visit) {
  while (index < path.steps.size() && path.steps[index] == L".") ++index;
  if (index == path.steps.size()) {
    if (path.attribute.empty()) return visit(XmlNode(node));
    XmlNode attribute = AttributeOf(node, path.attribute);
    return attribute ? visit(attribute) : true;
  }
  const std::wstring& name = path.steps[index];
  return ForEachStep(node, [&](IXMLDOMNode* child) {
    if (NameOf(child) != name || !IsElement(child)) return true;
    return WalkPath(child, path, index + 1, visit);
  });
}

std::vector<XmlNode> SelectByPath(const XmlNode& node, const SimplePath& path, bool firstOnly) {
  std::vector<XmlNode> found;
  auto visit = [&](const XmlNode& n) {
    found.push_back(n);
    return !firstOnly;
  };
  WalkPath(node.Raw(), path, 0, visit);
  return found;
}

// Property names go over as real BSTRs (the parser may read their length prefix).
void SetProperty(IXMLDOMDocument2* doc, const wchar_t* name, const VARIANT& value) {
  BSTR property = SysAllocString(name);
  if (property) doc->setProperty(property, value);
  SysFreeString(property);
}

ComPtr<IXMLDOMDocument> CreateDocument() {
  EnsureCom();
  CLSID clsid;
  ComPtr<IXMLDOMDocument> doc;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid))) return doc;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, doc.PutVoid()))) {
    doc.Reset();
    return doc;
  }
  doc->put_async(VARIANT_FALSE);
  doc->put_validateOnParse(VARIANT_FALSE);
  doc->put_resolveExternals(VARIANT_FALSE);
  ComPtr<IXMLDOMDocument2> doc2;
  if (SUCCEEDED(doc->QueryInterface(kIIDXmlDocument2, reinterpret_cast<void**>(doc2.Put())))) {
    BstrVariant xpath(L"XPath");
    SetProperty(doc2.Get(), L"SelectionLanguage", xpath.Get());
    // No document of the program carries a DTD; movie metadata comes from
    // anywhere, so entity declarations are refused where the parser can.
    VARIANT prohibit;
    VariantInit(&prohibit);
    prohibit.vt = VT_BOOL;
    prohibit.boolVal = VARIANT_TRUE;
    SetProperty(doc2.Get(), L"ProhibitDTD", prohibit);
  }
  return doc;
}

// The document that holds Node (Node itself when it is a document).
XmlNode RootElementOf(const XmlNode& node) {
  if (!node) return XmlNode();
  ComPtr<IXMLDOMDocument> doc;
  if (node.Raw()->get_ownerDocument(doc.Put()) != S_OK || !doc) {
    if (FAILED(node.Raw()->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(doc.Put()))) || !doc) {
      return XmlNode();
    }
  }
  ComPtr<IXMLDOMElement> root;
  if (doc->get_documentElement(root.Put()) != S_OK || !root) return XmlNode();
  return XmlNode(root.Get());
}

}  // namespace

void EnsureCom() {
  thread_local bool initialised = false;
  if (initialised) return;
  // A thread whose COM its owner set up (and undoes) gets no reference of ours.
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (CoGetApartmentType(&type, &qualifier) == S_OK && qualifier != APTTYPEQUALIFIER_IMPLICIT_MTA) {
    initialised = true;
    return;
  }
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  initialised = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

// ---- XmlNode ----

XmlNode::XmlNode() = default;

XmlNode::XmlNode(IXMLDOMNode* node) : node_(ComPtr<IXMLDOMNode>::Ref(node)) {}

XmlNode::XmlNode(const XmlNode& other) : node_(ComPtr<IXMLDOMNode>::Ref(other.node_.Get())) {}

XmlNode& XmlNode::operator=(const XmlNode& other) {
  if (this != &other) node_ = ComPtr<IXMLDOMNode>::Ref(other.node_.Get());
  return *this;
}

XmlNode::~XmlNode() = default;

std::wstring XmlNode::Text() const {
  BSTR text = nullptr;
  if (!node_ || FAILED(node_->get_text(&text))) return L"";
  return TakeBstr(text);
}

std::wstring XmlNode::NodeValue() const {
  if (!node_) return L"";
  VARIANT v;
  VariantInit(&v);
  if (FAILED(node_->get_nodeValue(&v))) return L"";
  std::wstring out;
  if (v.vt == VT_BSTR) {
    out = v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"";
  } else if (v.vt != VT_NULL && v.vt != VT_EMPTY && SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR))) {
    out = v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"";
  }
  VariantClear(&v);
  return out;
}

std::wstring XmlNode::NodeName() const { return NameOf(node_.Get()); }

bool XmlNode::IsElement() const { return ::IsElement(node_.Get()); }

std::vector<XmlNode> XmlNode::ChildNodes() const { return ChildrenOf(node_.Get()); }

XmlNode XmlNode::FirstChild() const {
  ComPtr<IXMLDOMNode> child;
  if (!node_ || node_->get_firstChild(child.Put()) != S_OK) return XmlNode();
  return XmlNode(child.Get());
}

XmlNode XmlNode::NextSibling() const {
  ComPtr<IXMLDOMNode> next;
  if (!node_ || node_->get_nextSibling(next.Put()) != S_OK) return XmlNode();
  return XmlNode(next.Get());
}

XmlNode XmlNode::LastChild() const {
  ComPtr<IXMLDOMNode> child;
  if (!node_ || node_->get_lastChild(child.Put()) != S_OK) return XmlNode();
  return XmlNode(child.Get());
}

std::wstring XmlNode::Attribute(const std::wstring& name) const { return AttributeNode(name).NodeValue(); }

XmlNode XmlNode::AttributeNode(const std::wstring& name) const { return AttributeOf(node_.Get(), name); }

XmlNode XmlNode::SelectSingleNode(const std::wstring& path) const {
  if (!node_) return XmlNode();
  SimplePath simple;
  if (ParseSimplePath(path, simple)) {
    auto found = SelectByPath(*this, simple, true);
    return found.empty() ? XmlNode() : found.front();
  }
  // Other expressions go to the parser's own XPath; an invalid one selects nothing.
  BSTR query = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  ComPtr<IXMLDOMNode> found;
  HRESULT hr = node_->selectSingleNode(query, found.Put());
  SysFreeString(query);
  return hr == S_OK && found ? XmlNode(found.Get()) : XmlNode();
}

std::vector<XmlNode> XmlNode::SelectNodes(const std::wstring& path) const {
  if (!node_) return {};
  SimplePath simple;
  if (ParseSimplePath(path, simple)) return SelectByPath(*this, simple, false);
  std::vector<XmlNode> out;
  BSTR query = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  ComPtr<IXMLDOMNodeList> list;
  HRESULT hr = node_->selectNodes(query, list.Put());
  SysFreeString(query);
  if (hr != S_OK || !list) return out;
  long length = 0;
  list->get_length(&length);
  for (long i = 0; i < length; ++i) {
    ComPtr<IXMLDOMNode> item;
    if (list->get_item(i, item.Put()) == S_OK && item) out.emplace_back(item.Get());
  }
  return out;
}

// ---- XmlDocument ----

XmlDocument::XmlDocument() : doc_(CreateDocument()) {}

XmlDocument::~XmlDocument() = default;

namespace {

enum class Doctype { None, Bare, Declaring };

// Looks through what comes before the root element for a DOCTYPE: Bare when
// it has no internal subset (its place is returned), Declaring when it has one.
Doctype FindDoctype(const std::wstring& text, size_t& start, size_t& end) {
  auto at = [&](size_t i, const wchar_t* s) { return text.compare(i, wcslen(s), s) == 0; };
  size_t i = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
  while (i < text.size()) {
    const wchar_t c = text[i];
    if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
      ++i;
    } else if (at(i, L"<?") || at(i, L"<!--")) {
      const bool instruction = text[i + 1] == L'?';
      const size_t close = text.find(instruction ? L"?>" : L"-->", i + 2);
      if (close == std::wstring::npos) return Doctype::None;  // the parser says what is wrong
      i = close + (instruction ? 2 : 3);
    } else if (at(i, L"<!DOCTYPE")) {
      wchar_t quote = 0;
      for (size_t k = i + 9; k < text.size(); ++k) {
        const wchar_t d = text[k];
        if (quote) {
          if (d == quote) quote = 0;
        } else if (d == L'"' || d == L'\'') {
          quote = d;
        } else if (d == L'[') {
          return Doctype::Declaring;
        } else if (d == L'>') {
          start = i;
          end = k + 1;
          return Doctype::Bare;
        }
      }
      return Doctype::None;
    } else {
      return Doctype::None;  // the root element (or something the parser refuses)
    }
  }
  return Doctype::None;
}

XmlParseError ReadParseError(IXMLDOMDocument* doc) {
  XmlParseError error;
  ComPtr<IXMLDOMParseError> parse;
  if (!doc || doc->get_parseError(parse.Put()) != S_OK || !parse) return error;
  BSTR text = nullptr;
  if (SUCCEEDED(parse->get_reason(&text))) error.reason = TakeBstr(text);
  text = nullptr;
  if (SUCCEEDED(parse->get_srcText(&text))) error.srcText = TakeBstr(text);
  parse->get_line(&error.line);
  parse->get_linepos(&error.linepos);
  while (!error.reason.empty() && (error.reason.back() == L'\n' || error.reason.back() == L'\r')) {
    error.reason.pop_back();
  }
  return error;
}

}  // namespace

bool XmlDocument::Load(const std::wstring& path) {
  // The parser would take a path for an address ("%20" in a folder name
  // becoming a blank), so the file is opened here and handed over as a stream.
  ComPtr<IStream> stream;
  if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                    nullptr, stream.Put())))
    stream.Reset();
  return LoadStream(stream.Get(), L"The file could not be read.");
}

bool XmlDocument::LoadBytes(std::span<const uint8_t> bytes) {
  ComPtr<IStream> stream;
  if (bytes.size() <= 0x7FFFFFFF) stream = ComPtr<IStream>(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
  return LoadStream(stream.Get(), L"The text could not be read.");
}

bool XmlDocument::LoadStream(IStream* stream, const wchar_t* unreadable) {
  error_ = XmlParseError();
  if (!doc_) {
    error_.reason = L"The XML parser is not available.";
    return false;
  }
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (stream) {
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_UNKNOWN;
    source.punkVal = stream;
    const HRESULT hr = doc_->load(source, &ok);
    if (hr == S_OK && ok == VARIANT_TRUE) return true;
    error_ = ReadParseError(doc_.Get());
  }
  if (error_.reason.empty()) error_.reason = unreadable;
  doc_ = CreateDocument();  // a failed load leaves an empty document
  return false;
}

bool XmlDocument::LoadXML(const std::wstring& text) {
  error_ = XmlParseError();
  if (!doc_) {
    error_.reason = L"The XML parser is not available.";
    return false;
  }
  // A DOCTYPE that declares nothing is blanked out (lines kept, for the
  // parser's positions), so it is neither read nor refused by the parser.
  size_t start = 0, end = 0;
  std::wstring blanked;
  switch (FindDoctype(text, start, end)) {
    case Doctype::Declaring:
      error_.reason = L"The document declares a DTD (entities or other declarations), which is not accepted.";
      error_.declaresDtd = true;
      return false;
    case Doctype::Bare:
      blanked = text;
      for (size_t i = start; i < end; ++i)
        if (blanked[i] != L'\r' && blanked[i] != L'\n') blanked[i] = L' ';
      break;
    case Doctype::None: break;
  }
  const std::wstring& parsed = blanked.empty() ? text : blanked;
  BSTR source = SysAllocStringLen(parsed.data(), static_cast<UINT>(parsed.size()));
  VARIANT_BOOL ok = VARIANT_FALSE;
  HRESULT hr = doc_->loadXML(source, &ok);
  SysFreeString(source);
  if (hr == S_OK && ok == VARIANT_TRUE) return true;
  error_ = ReadParseError(doc_.Get());
  if (error_.reason.empty()) error_.reason = L"The text is not well-formed XML.";
  doc_ = CreateDocument();
  return false;
}

bool XmlDocument::Save(const std::wstring& path) {
  if (!doc_) return false;
  BstrVariant target(path);
  return doc_->save(target.Get()) == S_OK;
}

XmlNode XmlDocument::Node() const {
  if (!doc_) return XmlNode();
  ComPtr<IXMLDOMNode> node;
  if (FAILED(doc_->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(node.Put())))) return XmlNode();
  return XmlNode(node.Get());
}

XmlNode XmlDocument::Root() const {
  if (!doc_) return XmlNode();
  ComPtr<IXMLDOMElement> root;
  if (doc_->get_documentElement(root.Put()) != S_OK || !root) return XmlNode();
  return XmlNode(root.Get());
}

bool XmlDocument::Empty() const { return !Root(); }

// ---- GetXMLText ----

std::wstring GetXMLText(const XmlNode& node, const std::wstring& path, const std::wstring& def) {
  std::wstring value = node.SelectSingleNode(path).Text();
  if (value.empty()) value = def;
  if (!value.empty() && value[0] == L'!') {
    // A reference: the "text" attribute of the named element under the root element.
    XmlNode root = RootElementOf(node);
    std::wstring target = root.NodeName() + L"/" + value.substr(1) + L"/@text";
    XmlNode docNode;
    if (root) {
      ComPtr<IXMLDOMDocument> doc;
      if (root.Raw()->get_ownerDocument(doc.Put()) == S_OK && doc) {
        ComPtr<IXMLDOMNode> asNode;
        if (SUCCEEDED(doc->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(asNode.Put())))) {
          docNode = XmlNode(asNode.Get());
        }
      }
    }
    value = docNode ? docNode.SelectSingleNode(target).NodeValue() : L"";
  }
  return value.empty() ? def : value;
}

std::wstring GetXMLText(const XmlDocument& doc, const std::wstring& path, const std::wstring& def) {
  return GetXMLText(doc.Node(), path, def);
}
