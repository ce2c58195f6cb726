// Flash video: ReadFLVInfo walks an FLV's tags into the movie record, writes
// the wrapper page "video.xml" and points Path at the wrapper movie.
#pragma once
#include <string>

#include "moviefiles/SWFInfo.h"

class FileWindow;

// Called by GetSWFInfo for an FLV (IsFLV, FileSize, MovieLength and Path set).
// Returns "" or the text of a failure to write the page.
std::wstring ReadFLVInfo(FileWindow& file, SWFInfo& info);
// The page that tells the wrapper movie which video to play and how large it is.
std::wstring VideoPageText(const std::wstring& source, long width, long height, unsigned long time);
