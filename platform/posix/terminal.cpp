// Terminal output and interrupts on POSIX systems.
#include "platform/platform.h"

#include <atomic>
#include <csignal>

#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {
namespace {

int Descriptor(Stream stream) { return stream == Stream::kOut ? STDOUT_FILENO : STDERR_FILENO; }

std::atomic<InterruptHandler> g_first_interrupt{nullptr};
std::atomic<int> g_interrupts{0};

void OnSignal(int) {
    if (g_interrupts.fetch_add(1) > 0)
        _exit(130);
    if (const InterruptHandler handler = g_first_interrupt.load())
        handler();
}

} // namespace

bool IsTerminal(Stream stream) { return isatty(Descriptor(stream)) == 1; }

int TerminalColumns(Stream stream) {
    winsize size{};
    if (ioctl(Descriptor(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void WriteText(Stream stream, std::string_view text) {
    const int fd = Descriptor(stream);
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written <= 0)
            return; // a closed pipe: nobody is reading
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void OnInterrupt(InterruptHandler first) {
    g_first_interrupt.store(first);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN); // output to a closed pipe must not end a sync half-way
}

} // namespace platform
