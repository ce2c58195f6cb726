// Version resource of an executable: its "FileVersion" string, and its
// "OriginalFileName" through the out argument (unchanged when unreadable).
#pragma once
#include <string>

std::wstring ReadFileVersion(const std::wstring& path, std::wstring& originalFileName);
