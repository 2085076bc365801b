// Console output and Ctrl-C on Windows.
#include "platform/platform.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace platform {
namespace {

HANDLE Handle(Stream stream) {
    return GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

std::atomic<InterruptHandler> g_first_interrupt{nullptr};
std::atomic<int> g_interrupts{0};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    if (g_interrupts.fetch_add(1) > 0 || event == CTRL_CLOSE_EVENT)
        std::_Exit(130);
    if (const InterruptHandler handler = g_first_interrupt.load())
        handler();
    return TRUE;
}

} // namespace

bool IsTerminal(Stream stream) {
    DWORD mode;
    return GetConsoleMode(Handle(stream), &mode) != FALSE;
}

int TerminalColumns(Stream stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(Handle(stream), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

void WriteText(Stream stream, std::string_view text) {
    const HANDLE handle = Handle(stream);
    DWORD written;
    if (IsTerminal(stream)) {
        const int length =
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void OnInterrupt(InterruptHandler first) {
    g_first_interrupt.store(first);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

} // namespace platform
