// What the Win32 toolkit offers beyond the toolkit contract, for its in-process tests.
#pragma once

#include <chrono>
#include <functional>

namespace brenvale {

// Runs the UI thread's messages, exactly as the message loop does (Tab, Esc and Enter included),
// until done() holds or the limit passes; false on the limit.
bool PumpWin32MessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

} // namespace brenvale
