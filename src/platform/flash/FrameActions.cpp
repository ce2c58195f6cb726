#include "platform/flash/FrameActions.h"

#include <windows.h>

#include "base/TextConv.h"

namespace flash {
namespace {

enum : uint8_t {
  kEnd = 0x00,
  kNextFrame = 0x04,
  kPrevFrame = 0x05,
  kPlay = 0x06,
  kStop = 0x07,
  kGotoFrame = 0x81,
  kGetURL = 0x83,
  kGoToLabel = 0x8C,
};

std::wstring Decode(std::span<const uint8_t> bytes, uint8_t version) {
  std::string raw(bytes.begin(), bytes.end());
  if (version >= 6) return Utf8ToWide(raw);
  if (raw.empty()) return L"";
  int n = MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), out.data(), n);
  return out;
}

// A NUL-terminated string inside an action's data; false when unterminated.
bool CString(ByteReader& r, uint8_t version, std::wstring& out) {
  std::span<const uint8_t> rest = r.Rest();
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == 0) {
      out = Decode(rest.first(i), version);
      return r.Skip(i + 1);
    }
  }
  return false;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() &&
         CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<FrameAction> ReadFrameActions(ByteReader& body, uint8_t version) {
  std::vector<FrameAction> actions;
  using Kind = FrameAction::Kind;
  for (;;) {
    uint8_t code = 0;
    if (!body.U8(code) || code == kEnd) break;
    std::span<const uint8_t> data;
    if (code >= 0x80) {
      uint32_t length = 0;
      if (!body.U16LE(length) || !body.Bytes(length, data)) break;
    }
    ByteReader r(data);
    switch (code) {
      case kStop: actions.push_back({Kind::Stop}); break;
      case kPlay: actions.push_back({Kind::Play}); break;
      case kNextFrame: actions.push_back({Kind::NextFrame}); break;
      case kPrevFrame: actions.push_back({Kind::PrevFrame}); break;
      case kGotoFrame: {
        uint32_t frame = 0;
        if (r.U16LE(frame)) actions.push_back({Kind::GotoFrame, static_cast<int>(frame)});
        break;
      }
      case kGoToLabel: {
        FrameAction a{Kind::GotoLabel};
        if (CString(r, version, a.text)) actions.push_back(std::move(a));
        break;
      }
      case kGetURL: {
        std::wstring url, target;
        if (!CString(r, version, url) || !CString(r, version, target)) break;
        static const std::wstring kPrefix = L"FSCommand:";
        if (StartsWithNoCase(url, kPrefix)) actions.push_back({Kind::FSCommand, 0, url.substr(kPrefix.size()), target});
        break;
      }
      default: break;  // outside what the control runs
    }
  }
  return actions;
}

}  // namespace flash
