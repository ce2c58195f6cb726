// Reading the skin description "skin.xml" (SkinFolder) into the item table:
// every element becomes a control of the main window's control arrays PIC
// (VIEW, SUBVIEW, BUTTON), IMG (IMAGE, BUTTONLITE) and LBL (LABEL), with its
// pictures from the user skin folder's "up", "over", "down", "disabled" and
// "base" subfolders. LoadSkin renders the built-in pictures first and lays
// the window out afterwards; ResetSkin removes the whole skin again.
#pragma once
#include <string>

class SkinHost;
class XmlNode;

// Builds the skin on the host's window; true when the skin loaded. A failure
// (no readable file, an element whose own attributes cannot be read, or whose
// size or position lies beyond any screen) leaves no skin behind: SkinLoaded
// false, the error reported and the host told.
bool LoadSkin(SkinHost& host);
// Removes every skin control, stops the fades, frees the regions and the
// balloon tooltips; SkinLoaded becomes false.
void ResetSkin();
