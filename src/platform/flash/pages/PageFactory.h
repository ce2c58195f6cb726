// The program's own pages: the page a helper movie's Metadata text names
// ("swfzel:page=video", "intro", "about", "browse", "sound"), or nothing.
#pragma once
#include <memory>
#include <string>

#include "platform/flash/pages/FlashPage.h"

namespace flash {

std::unique_ptr<FlashPage> CreatePage(const std::string& metadata);

}  // namespace flash
