// One sync through the Qt window, as a user starts it: the window opens, the two paths are put in
// the boxes, the start button is clicked, and the program ends as soon as the status label shows
// an end text. Timed from outside against brenvale-sync --quiet (bench/run-benchmarks.sh).
// usage: bench_window_run REMOTE LOCAL   (on the display in DISPLAY, or QT_QPA_PLATFORM=offscreen)
#include "app/commands.h"
#include "app/main_window.h"
#include "app/window_front_end.h"
#include "controls/control_properties.h"
#include "settings/settings.h"
#include "sync/sync_job.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    using namespace brenvale;
    using namespace main_window;
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_window_run REMOTE LOCAL\n");
        return 2;
    }
    char settings_directory[] = "/tmp/brenvale-bench-settings-XXXXXX";
    if (mkdtemp(settings_directory) == nullptr)
        return 2;
    SetRunDirectoryForTesting(settings_directory); // no settings file beside the benchmark
    bool clean = false;
    {
        const std::unique_ptr<Toolkit> toolkit = CreateWindowToolkit();
        LoadWindow(MainWindowDefinition(WindowHandlers()), *toolkit);
        SetControlProperty(MainWindowControl(kRemoteBox), kEditContent, std::string(argv[1]));
        SetControlProperty(MainWindowControl(kLocalBox), kEditContent, std::string(argv[2]));
        QPushButton* start = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == "BrenvaleMainWindow")
                start = window->findChild<QPushButton*>(QString::number(kStartButton));
        if (start == nullptr)
            return 2;
        QTimer::singleShot(0, start, [start] { start->click(); });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const std::string status = GetControlText(MainWindowControl(kStatusLabel), kLabelCaption);
            if (IsEndText(status)) {
                clean = IsCleanEndText(status);
                toolkit->QuitMessageLoop();
            }
        });
        watch.start(5);
        toolkit->RunMessageLoop();
    }
    WaitForSyncWorkers(std::chrono::seconds(10));
    std::remove((std::string(settings_directory) + "/Ostrel.ini").c_str());
    std::remove(settings_directory);
    return clean ? 0 : 1;
}
