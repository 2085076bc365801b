// The window program (brenvale.exe on Windows, brenvale on Linux): start-up, the message loop, and
// the end.
#include "app/commands.h"
#include "app/main_window.h"
#include "app/window_front_end.h"
#include "controls/control_properties.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "sync/sync_job.h"

#include <chrono>
#include <cstdlib>

int main() {
    using namespace brenvale;
    // Relative paths in the boxes are taken against the program's own directory.
    platform::SetCurrentDir(RunDirectory());
    TheSyncJob(); // the one job record, empty until the first start
    bool worker_left = false;
    {
        const std::unique_ptr<Toolkit> toolkit = CreateWindowToolkit();
        LoadWindow(MainWindowDefinition(WindowHandlers()), *toolkit);
        toolkit->RunMessageLoop();
        // The window is gone at once; a running worker is told to give up and writes nothing more.
        AbandonSyncJobs();
        worker_left = !WaitForSyncWorkers(std::chrono::seconds(2));
    }
    if (worker_left)
        std::_Exit(
            0); // a worker stuck in a system call ends with the process, before anything it uses is freed
    return 0;
}
