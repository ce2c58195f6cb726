// The surface properties of movie clips, text fields and buttons (version 8
// and later): filters (read as copies of the filter objects; written as an
// array of them, other elements left out, at most 255 of them and one
// largest convolution matrix's values), blendMode (read as its name;
// written as a name or a number 1..14), cacheAsBitmap (true while filters are
// set), opaqueBackground (a colour, or undefined for none) and, for clips
// only, scale9Grid (a rectangle in pixels: any object with x, y,
// width and height is taken; read as a new such object). They are
// getter/setter pairs on the classes' prototypes.
#pragma once
#include "platform/flash/script/Vm.h"

namespace flash {

class MovieScripts;

void InstallEffectProperties(MovieScripts& owner, script::Vm& vm);

}  // namespace flash
