#include "platform/flash/pages/PageFactory.h"

#include "platform/flash/pages/BrowsePage.h"
#include "platform/flash/pages/TextPage.h"
#include "platform/flash/pages/VideoPage.h"

namespace flash {
namespace {

// The desktop sound movie has nothing to draw.
class InertPage : public FlashPage {};

}  // namespace

std::unique_ptr<FlashPage> CreatePage(const std::string& metadata) {
  static const std::string kMarker = "swfzel:page=";
  size_t at = metadata.find(kMarker);
  if (at == std::string::npos) return nullptr;
  size_t start = at + kMarker.size(), end = start;
  while (end < metadata.size() && (isalnum(static_cast<unsigned char>(metadata[end])) || metadata[end] == '_')) ++end;
  std::string name = metadata.substr(start, end - start);
  if (name == "video") return std::make_unique<VideoPage>();
  if (name == "intro" || name == "about") return std::make_unique<TextPage>();
  if (name == "browse") return std::make_unique<BrowsePage>();
  if (name == "sound") return std::make_unique<InertPage>();
  return nullptr;
}

}  // namespace flash
