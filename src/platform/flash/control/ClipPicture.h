// A clip drawn alone into premultiplied pixels (BitmapData.draw): its
// display list through a renderer, twice (over black and over white) so
// that what it leaves uncovered comes out transparent and what it covers
// partly keeps its alpha.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/flash/render/FlashRenderer.h"

namespace flash {

// m maps the clip's twips to the picture's twips (20 a pixel).
bool DrawClipPicture(FlashRenderer& renderer, const MovieDefinition& movie, const Clip& clip, const Matrix& m,
                     int width, int height, std::vector<uint32_t>& out);

}  // namespace flash
