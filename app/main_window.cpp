// The main window's controls, from the top of the window down.
#include "app/main_window.h"

namespace brenvale {

WindowDefinition MainWindowDefinition(const MainWindowHandlers& handlers) {
    using namespace main_window;
    using K = ControlKind;
    WindowDefinition window{kMainWindowNumber, "Brenvale", 405, 275, 399, 250, {}, {}, {}};
    window.controls = {
        // name, kind, number, left, top, width, height, initial text, word wrap
        {"标签1", K::kLabel, kLabel1, 35, 8, 48, 24, "远程目录"},
        {"编辑框1", K::kEditBox, kRemoteBox, 88, 8, 248, 20, ""},
        {"按钮2", K::kButton, kBrowseRemote, 341, 7, 40, 20, "浏览"},
        {"标签2", K::kLabel, kLabel2, 36, 38, 48, 24, "本地目录"},
        {"编辑框2", K::kEditBox, kLocalBox, 88, 40, 248, 20, ""},
        {"按钮3", K::kButton, kBrowseLocal, 342, 40, 40, 20, "浏览"},
        {"标签3", K::kLabel, kLabel3, 23, 67, 64, 24, "总文件进度"},
        {"进度条1", K::kProgressBar, kOverallBar, 89, 67, 247, 24, nullptr},
        {"标签5", K::kLabel, kCountLabel, 340, 66, 26, 22, ""},
        {"标签4", K::kLabel, kLabel4, 11, 96, 72, 24, "单个文件进度"},
        {"进度条2", K::kProgressBar, kFileBar, 88, 96, 247, 24, nullptr},
        {"标签6", K::kLabel, kFilePercentLabel, 340, 98, 26, 22, ""},
        {"标签9", K::kLabel, kLabel9, 21, 127, 49, 24, "目录名："},
        {"标签7", K::kLabel, kStatusLabel, 70, 132, 311, 40, "", true},
        {"标签10", K::kLabel, kLabel10, 21, 166, 48, 24, "文件名："},
        {"标签8", K::kLabel, kFileNameLabel, 70, 170, 311, 27, "", true},
        {"时钟1", K::kTimer, kWatchTimer, 32, 200, 26, 26, nullptr},
        {"按钮1", K::kButton, kStartButton, 304, 206, 80, 32, "开始对比"},
    };
    window.tab_order = {kStartButton, kRemoteBox, kLocalBox, kBrowseRemote, kBrowseLocal};
    window.events = {
        {0, EventKind::kCreated, handlers.created},
        {kStartButton, EventKind::kClicked, handlers.start_stop_clicked},
        {kBrowseRemote, EventKind::kClicked, handlers.pick_remote_clicked},
        {kBrowseLocal, EventKind::kClicked, handlers.pick_local_clicked},
        {kWatchTimer, EventKind::kTick, handlers.watcher_tick},
    };
    return window;
}

} // namespace brenvale
