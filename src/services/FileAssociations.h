// The program as the handler of Flash movies (".swf"), Flash videos (".flv")
// and its playlists (".swfzel"): registering a type, and giving it back to the
// handler it had before (kept under the program key, "FileTypes", with the type
// of registry value it was stored as). Taking a type over or giving one back
// tells the shell.
#pragma once
#include <string>

// True registers the program for that type, False gives the type back.
// Keys and values are only ever written, never deleted.
void SetFileAssociations(bool swf, bool flv, bool playlist);

// The program's class name for an extension ("SWF.zel.swf" for ".swf").
std::wstring AssociationClass(const std::wstring& ext);
