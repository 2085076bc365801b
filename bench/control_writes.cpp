// How many display writes per second a worker thread can make through the control-property layer,
// with the headless toolkit's UI thread applying them as it would on screen.
// usage: control_writes [WRITES]   (default 2,000,000)
#include "app/main_window.h"
#include "controls/control_properties.h"
#include "controls/headless_toolkit.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    using namespace brenvale;
    const long writes = argc > 1 ? std::atol(argv[1]) : 2000000;
    HeadlessToolkit toolkit;
    toolkit.record_applied = false;
    LoadWindow(MainWindowDefinition({}), toolkit);

    const ControlRef bar = MainWindowControl(main_window::kFileBar);
    const ControlRef label = MainWindowControl(main_window::kFilePercentLabel);
    std::atomic<bool> done{false};
    const auto start = std::chrono::steady_clock::now();
    std::thread worker([&] {
        // What the copy progress routine writes: a bar position, then a percentage caption.
        for (long i = 0; i < writes; i += 2) {
            const int percent = static_cast<int>(i / 2 % 101);
            SetControlProperty(bar, kBarPosition, percent);
            SetControlProperty(label, kLabelCaption, std::to_string(percent) + "%");
        }
        done = true;
    });
    toolkit.RunUntil([&] { return done.load(); }, std::chrono::hours(1));
    worker.join();
    toolkit.RunPending();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld worker writes in %.3f s: %.0f writes/s (%.0f ns each)\n", writes, seconds, writes / seconds,
                seconds * 1e9 / writes);
    return 0;
}
