// The icons of the owner-drawn menus, by caption (the painter finds an
// item's icon by its caption): pictures of the menus folder, "check" and
// "radio" for the items that carry a mark, "delete" for Delete. The first
// icon given to a caption wins; the other captions of Play ("Pause") and of
// Convert (the projector's) are entered too, so a caption that changes later
// keeps an icon.
#pragma once
#include <functional>
#include <map>
#include <string>

namespace player {

// caption(item, index) gives an item's current caption ("" when the window
// lacks it; index -1 for items that are no array element); upperBound(array)
// the highest element of a menu array (-1 when none).
std::map<std::wstring, std::wstring> MenuIconMap(const std::function<std::wstring(const std::wstring&, int)>& caption,
                                                 const std::function<int(const std::wstring&)>& upperBound);

}  // namespace player
