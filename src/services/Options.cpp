#include "services/Options.h"

bool GenericProjectors = true;
std::wstring ProjectorStubPath;
