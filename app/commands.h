// The main window's handlers: the start/stop command of 按钮1, the completion watcher on 时钟1, and
// the set of five handlers the window binds. Every one runs on the UI thread and reaches the window
// only through the property operations.
#pragma once

#include "app/main_window.h"

namespace brenvale {

// Click of 按钮1: both path boxes must be filled; "开始对比" starts a job (after the overlap check),
// any other caption stops it.
void OnStartStopClicked();
// Sets the stop request.
void RequestStop();
// Tick of 时钟1: once the worker's end text shows, the window returns to its idle look.
void OnWatcherTick();

// The window's handlers: LoadSettings, the start/stop command, both pickers and the watcher.
MainWindowHandlers WindowHandlers();

} // namespace brenvale
