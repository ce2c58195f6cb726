#include "tools/common/FolderRules.h"

#include "services/Languages.h"

namespace tools {

std::wstring NotFullPathText(const std::wstring& path) {
  return LangText(L"Shared/NotFullPath", L"A folder must be given by its full path, such as C:\\My Flash\\. This is not one:") +
         L"\r\n" + path;
}

}  // namespace tools
