#include "moviefiles/MovieError.h"

std::wstring MovieErrorText(MovieError error) {
  switch (error) {
    case MovieError::None: return L"";
    case MovieError::NotFound: return L"File Not Found";
    case MovieError::ReadError: return L"Error Reading File";
    case MovieError::Truncated: return L"File Truncated";
    case MovieError::NotAMovie: return L"Not a Flash Movie";
    case MovieError::Corrupted: return L"Movie Corrupted";
    case MovieError::BodyTruncated: return L"Movie Truncated";
    case MovieError::TooLarge: return L"Movie Too Large";
    case MovieError::CacheWrite: return L"Error Writing Cache";
    case MovieError::WriteError: return L"Error Writing File";
    case MovieError::OutOfMemory: return L"Out of Memory";
    case MovieError::NotGenericProjector:
      return L"Not a Generic Projector. Uncheck \"Tools &#62; Options &#62; Advanced &#62; Skip Doubtful "
             L"Projectors\" to try to open it anyways";
    case MovieError::InvalidProjector: return L"Invalid Generic Projector";
    case MovieError::InvalidOutputPath: return L"Invalid Output Path";
    case MovieError::StubNotFound: return L"Projector Stub Not Found";
    case MovieError::MovieNotFound: return L"Movie Not Found";
  }
  return L"";
}
