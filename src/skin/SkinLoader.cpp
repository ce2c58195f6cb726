#include "skin/SkinLoader.h"

#include <cmath>
#include <optional>

#include "base/TextConv.h"
#include "platform/forms/Forms.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/XmlDocument.h"
#include "skin/SkinGenerator.h"
#include "skin/SkinHost.h"
#include "skin/SkinItems.h"
#include "skin/SkinLayout.h"
#include "ui/ToolTips.h"
#include "ui/Window.h"

namespace {

// Where new elements go and which VIEW is being read; meaningful while reading.
forms::Container* SkinContainer = nullptr;
int LastView = 0;

// Why an element's own attributes could not be read.
struct NodeError {
  std::wstring Element;
  std::wstring Description;
};

std::wstring Attr(const XmlNode& node, const wchar_t* name, const std::wstring& def) {
  return GetXMLText(node, std::wstring(L"@") + name, def);
}

std::optional<bool> SkinBool(const std::wstring& text) {
  std::wstring upper = UpperInvariant(text);
  if (upper == L"TRUE") return true;
  if (upper == L"FALSE") return false;
  if (std::optional<double> n = SkinNumber(text)) return *n != 0;
  return std::nullopt;
}

// A picture of the user skin folder; sets has when it loaded.
void LoadStatePicture(forms::Picture& picture, bool& has, const wchar_t* folder, const std::wstring& file) {
  has = LoadPictureFile(picture, UserSkinFolder + folder + L"\\" + file);
}

// A new element of a control array of the window, a clone of element 0 (made
// hidden with plain properties when the window has none).
template <class T>
T* NewArrayElement(forms::Form& form, const wchar_t* name) {
  try {
    auto& array = form.template Array<T>(name);
    if (!array.Exists(0) && array.Count() == 0) {
      typename T::Args args;
      args.Name = name;
      args.Index = 0;
      args.Visible = false;
      form.template Add<T>(args);
    }
    T& element = array.Load(array.UBound() + 1);
    element.SetVisible(false);
    return &element;
  } catch (const std::exception&) {
    return nullptr;
  }
}

SkinItem& AddItem() {
  SkinItems.emplace_back();
  return SkinItems.back();
}

void CreateSkinView(const XmlNode& node) {
  SkinItem& item = AddItem();
  int index = SkinItemCount();
  item.Name = Attr(node, L"name", SkinAbsent);
  forms::PictureBox* view = NewArrayElement<forms::PictureBox>(SkinWindow->Window(), L"PIC");
  item.Control = view;
  if (view) {
    view->SetTag(std::to_wstring(index));
    SkinContainer = view;
    std::wstring back = Attr(node, L"backColor", L"");
    if (!back.empty()) view->SetBackColor(ParseSkinColor(back));
  }
  item.Type = SkinTypeView;
  item.View = index;
  LastView = index;
}

void ShowPicture(SkinItem& item) {
  if (auto* image = dynamic_cast<forms::Image*>(item.Control)) {
    image->SetPicture(item.PicUp);
  } else if (auto* box = dynamic_cast<forms::PictureBox*>(item.Control)) {
    box->PaintPicture(item.PicUp, 0, 0, box->Width(), box->Height());
  }
}

void ApplyLabel(const XmlNode& node, SkinItem& item, forms::Label& label) {
  label.SetBackStyle(0);
  if (auto a = SkinLongChecked(Attr(node, L"alignment", L"0"))) label.SetAlignment(static_cast<int>(*a));
  if (auto b = SkinBool(Attr(node, L"autoSize", L"False"))) label.SetAutoSize(*b);
  forms::FontSpec font = label.Font();
  font.Name = LangFont.Name.empty() ? font.Name : LangFont.Name;
  font.Size = LangFont.Size > 0 ? LangFont.Size : font.Size;
  font.Charset = static_cast<BYTE>(LangFont.Charset);
  label.SetFont(font);
  if (auto b = SkinBool(Attr(node, L"fontBold", BoolToText(label.FontBold())))) label.SetFontBold(*b);
  if (auto b = SkinBool(Attr(node, L"fontItalic", BoolToText(label.FontItalic())))) label.SetFontItalic(*b);
  std::wstring size = Attr(node, L"fontSize", L"");
  if (auto n = SkinNumber(size); n && *n > 0) label.SetFontSize(static_cast<float>(*n));
  // The second height default: twice the font size, rounded half to even.
  std::wstring defHeight = std::to_wstring(std::lrint(static_cast<double>(label.FontSize()) * 2));
  item.Height = Attr(node, L"height", defHeight);
  label.SetHeight(static_cast<int>(SkinLong(item.Height)));
  label.SetForeColor(ParseSkinColor(Attr(node, L"foreColor", L"0")));
  std::wstring caption = Attr(node, L"caption", L"");
  label.SetCaption(LangText(caption, caption));
}

// An element's size (0 up to this) and position (this far either way): a
// skin beyond that is no skin a window can show (8 times a 2048-pixel screen).
constexpr double kMaxExtent = 16384;

std::optional<NodeError> CheckPlace(const XmlNode& node, const SkinItem& item) {
  auto number = [](const std::wstring& text) { return SkinNumber(text).value_or(0); };
  const double w = number(item.Width), h = number(item.Height);
  if (w < 0 || h < 0 || w > kMaxExtent || h > kMaxExtent) return NodeError{node.NodeName(), L"Element size out of range"};
  if (std::fabs(number(item.Left)) > kMaxExtent || std::fabs(number(item.Top)) > kMaxExtent)
    return NodeError{node.NodeName(), L"Element position out of range"};
  return std::nullopt;
}

void ShapeByMask(forms::PictureBox& box, COLORREF mask) {
  RegionPtr region = RegionFromMaskColor(box, mask);
  if (region && box.hWnd() && SetWindowRgn(box.hWnd(), region.get(), FALSE)) region.release();
}

std::optional<NodeError> CreateSkinElement(const XmlNode& node, int type) {
  SkinItem& item = AddItem();
  int index = SkinItemCount();
  item.Name = Attr(node, L"name", SkinAbsent);
  item.View = LastView;
  forms::Form& form = SkinWindow->Window();
  if (type == SkinTypeLabel) {
    item.Control = NewArrayElement<forms::Label>(form, L"LBL");
  } else if (type == SkinTypeImage || type == SkinTypeButtonLite) {
    forms::Image* image = NewArrayElement<forms::Image>(form, L"IMG");
    if (image) image->SetStretch(true);
    item.Control = image;
  } else {
    item.Control = NewArrayElement<forms::PictureBox>(form, L"PIC");
  }
  item.Type = type;
  forms::Control* control = item.Control;
  if (!control) return std::nullopt;  // nothing further can be applied; the item keeps its place
  control->SetContainer(SkinContainer);
  control->SetTag(std::to_wstring(index));
  auto* box = dynamic_cast<forms::PictureBox*>(control);
  if (type == SkinTypeSubView && box) SkinContainer = box;

  std::wstring image = type == SkinTypeLabel ? SkinAbsent : Attr(node, L"image", SkinAbsent);
  bool hasImage = image != SkinAbsent;
  if (hasImage) {
    const wchar_t* upFolder = (type == SkinTypeSubView || type == SkinTypeImage) ? L"base" : L"up";
    LoadStatePicture(item.PicUp, item.HasUp, upFolder, image);
    auto noStretch = SkinBool(Attr(node, L"noStretch", L"False"));
    item.Stretch = !noStretch.value_or(false);
    item.State = SkinStateUp;
    LoadStatePicture(item.PicDisabled, item.HasDisabled, L"disabled", image);
  }
  item.Left = Attr(node, L"left", L"0");
  item.Top = Attr(node, L"top", L"0");
  // Default sizes are the up picture's pixel size.
  item.Width = Attr(node, L"width", item.HasUp ? std::to_wstring(item.PicUp.Width()) : L"10");
  item.Height = Attr(node, L"height", item.HasUp ? std::to_wstring(item.PicUp.Height()) : L"10");
  if (auto visible = SkinBool(Attr(node, L"visible", L"True"))) control->SetVisible(*visible);
  if (hasImage && (type == SkinTypeButton || type == SkinTypeButtonLite)) {
    LoadStatePicture(item.PicDown, item.HasDown, L"down", image);
    if (type == SkinTypeButton) LoadStatePicture(item.PicOver, item.HasOver, L"over", image);
  }
  if (auto error = CheckPlace(node, item)) return error;
  control->Move(static_cast<int>(SkinLong(item.Left)), static_cast<int>(SkinLong(item.Top)),
                static_cast<int>(SkinLong(item.Width)), static_cast<int>(SkinLong(item.Height)));
  if (auto* label = dynamic_cast<forms::Label*>(control)) {
    ApplyLabel(node, item, *label);
    if (auto error = CheckPlace(node, item)) return error;  // the height its font size gave
  } else if (item.HasUp) {
    item.State = SkinStateUp;
    ShowPicture(item);
  }
  control->ZOrder(forms::vbBringToFront);
  if (type == SkinTypeSubView || type == SkinTypeButton) {
    std::wstring tip = Attr(node, L"toolTip", SkinAbsent);
    if (tip != SkinAbsent) {
      std::wstring text = LangText(tip, tip);
      SetToolTip(*control, text);
    }
  }
  std::wstring windowMask = type == SkinTypeSubView ? Attr(node, L"windowMask", SkinAbsent) : SkinAbsent;
  if (windowMask != SkinAbsent && box) {
    COLORREF mask = ParseSkinColor(windowMask);
    SkinRegion region;
    region.Control = box;
    region.Region = RegionOfColor(*box, mask);
    SkinRegions.push_back(std::move(region));
    ShapeByMask(*box, mask);
  } else if ((type == SkinTypeButton || type == SkinTypeSubView) && box) {
    std::wstring maskColor = Attr(node, L"maskColor", SkinAbsent);
    if (maskColor != SkinAbsent) ShapeByMask(*box, ParseSkinColor(maskColor));
  }
  std::wstring back = Attr(node, L"backColor", L"");
  if (!back.empty()) control->SetBackColor(ParseSkinColor(back));
  return std::nullopt;
}

std::optional<NodeError> ParseSkinNode(const XmlNode& node);

std::optional<NodeError> ParseSkinChildren(const XmlNode& node) {
  for (const XmlNode& child : node.ChildNodes()) {
    if (auto error = ParseSkinNode(child)) return error;
  }
  return std::nullopt;
}

std::optional<NodeError> ReadTheme(const XmlNode& node) {
  auto minWidth = SkinLongChecked(Attr(node, L"minWidth", L"0"));
  auto minHeight = SkinLongChecked(Attr(node, L"minHeight", L"0"));
  auto hidesMenu = SkinBool(Attr(node, L"hidesMenu", L"False"));
  if (!minWidth || !minHeight || !hidesMenu) return NodeError{node.NodeName(), L"Type mismatch"};
  SkinWindow->SetMinSize(static_cast<int>(*minWidth), static_cast<int>(*minHeight));
  if (*hidesMenu) SkinWindow->ShowMenuBarEntry(true);
  SkinContainer = &SkinWindow->Window();
  return ParseSkinChildren(node);
}

std::optional<NodeError> ParseSkinNode(const XmlNode& node) {
  std::wstring name = UpperInvariant(node.NodeName());
  std::optional<NodeError> error;
  if (name == L"THEME") {
    error = ReadTheme(node);
  } else if (name == L"VIEW") {
    CreateSkinView(node);
    error = ParseSkinChildren(node);
    SkinContainer = &SkinWindow->Window();
  } else if (name == L"SUBVIEW") {
    forms::Container* outer = SkinContainer;  // the panel that holds the SUBVIEW
    error = CreateSkinElement(node, SkinTypeSubView);
    if (!error) error = ParseSkinChildren(node);
    SkinContainer = outer;
  } else if (name == L"BUTTON") {
    error = CreateSkinElement(node, SkinTypeButton);
  } else if (name == L"IMAGE") {
    error = CreateSkinElement(node, SkinTypeImage);
  } else if (name == L"BUTTONLITE") {
    error = CreateSkinElement(node, SkinTypeButtonLite);
  } else if (name == L"LABEL") {
    error = CreateSkinElement(node, SkinTypeLabel);
  }
  return error;
}

void FailLoad(SkinHost& host, const std::wstring& description) {
  SkinLoaded = false;
  SetError(5, L"Skin", description);
  ReportError(L"LoadSkin", description);
  host.SkinFailed();
}

}  // namespace

bool LoadSkin(SkinHost& host) {
  StopWatch(L"", false);
  SkinWindow = &host;
  host.ShowMenuBarEntry(false);
  CreateSlydeSkin(host.SkinColor());

  XmlDocument doc;
  if (!doc.Load(SkinFolder + L"skin.xml")) {
    const XmlParseError& parse = doc.ParseError();
    std::wstring reason = parse.reason.empty() ? L"the file cannot be read" : parse.reason;
    if (parse.line > 0) reason += L" (line " + std::to_wstring(parse.line) + L")";
    WriteLog(L"Skin Failed: " + SkinFolder + L"skin.xml: " + reason, true);
    FailLoad(host, reason);
    return false;
  }
  XmlNode theme = doc.SelectSingleNode(L"THEME");
  std::optional<NodeError> error =
      theme ? ParseSkinNode(theme) : std::optional<NodeError>(NodeError{L"THEME", L"No THEME element"});
  if (error) {
    // One failed element ends the reading: items after it would take the
    // indices the layout gives to others.
    ResetSkin();
    WriteLog(L"Node Failed: " + error->Element + L" (" +
                 error->Description + L")",
             true);
    FailLoad(host, error->Description);
    return false;
  }
  SkinLoaded = true;
  host.ResetFullScreenParts();
  CurrentView = 1;
  host.ApplyFullScreen();
  SlydeTogglePlaylist();
  SlydeUpdateState();
  SlydeShowButtons();
  host.BringOwnControlsToFront();
  StopWatch(L"Skin Loaded", false);
  return true;
}

void ResetSkin() {
  SkinHost* host = SkinWindow;
  if (host) {
    if (forms::PictureBox* view = host->MovieView()) view->SetContainer(nullptr);
  }
  for (int i = SkinItemCount(); i >= 1; --i) {
    SkinItem& item = *SkinItemAt(i);
    if (host && item.TimerID != 0 && host->Window().hWnd()) KillTimer(host->Window().hWnd(), item.TimerID);
    item.TimerID = 0;
    if (host && item.Control) host->Window().UnloadControl(*item.Control);
    item.Control = nullptr;
  }
  SkinItems.clear();
  SkinRegions.clear();
  SkinLoaded = false;
  DestroyToolTips();
}
