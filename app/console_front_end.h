// The terminal front end's toolkit, made by ui/console for brenvale-sync's main().
#pragma once

#include "controls/toolkit.h"

#include <memory>

namespace brenvale {

struct ConsoleOptions {
    bool quiet = false; // nothing but errors
    bool live = false;  // one status line on stderr, redrawn in place (stderr is a terminal)
};

std::unique_ptr<Toolkit> CreateConsoleToolkit(const ConsoleOptions& options);

} // namespace brenvale
