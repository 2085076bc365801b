// The window toolkit of the platform, made by ui/win32 (brenvale.exe) or ui/qt (brenvale) for the
// window program's main().
#pragma once

#include "controls/toolkit.h"

#include <memory>

namespace brenvale {

std::unique_ptr<Toolkit> CreateWindowToolkit();

} // namespace brenvale
