#include "saver/SaverEnding.h"

#include <cstdlib>

namespace saver {
namespace {

POINT SystemCursor() {
  POINT at{};
  GetCursorPos(&at);
  return at;
}

}  // namespace

SaverEnding::SaverEnding(CursorReader cursor) : cursor_(cursor ? std::move(cursor) : CursorReader(SystemCursor)) {
  start_ = cursor_();
}

bool SaverEnding::Ends(UINT message) const {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return true;
    case WM_MOUSEMOVE: {
      const POINT at = cursor_();
      return std::abs(at.x - start_.x) > kCursorTolerance || std::abs(at.y - start_.y) > kCursorTolerance;
    }
    default:
      return false;
  }
}

}  // namespace saver
