// Flash video: ReadFLVInfo walks an FLV's tags into the movie record, writes
// the video's wrapper page and points Path at the wrapper movie.
#pragma once
#include <string>

#include "moviefiles/MovieError.h"
#include "moviefiles/SWFInfo.h"

class FileWindow;

// Called by GetSWFInfo for an FLV (IsFLV, FileSize, MovieLength and Path set).
// Fails only when the page cannot be written (WriteError).
MovieError ReadFLVInfo(FileWindow& file, SWFInfo& info);
// The video's own wrapper page: its cache name with ".xml", in CacheFolder. The
// page is UTF-8 text.
std::wstring VideoPagePath(const std::wstring& video);
// The page that tells the wrapper movie which video to play and how large it is.
std::wstring VideoPageText(const std::wstring& source, long width, long height, unsigned long time);
