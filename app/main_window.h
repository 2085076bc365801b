// The main window as data: every control with its number, place, size and initial text, the Tab
// order and the five events. Each toolkit builds the native window from this definition.
#pragma once

#include "controls/control_ref.h"
#include "controls/window_definition.h"

#include <cstdint>

namespace brenvale {

inline constexpr std::uint32_t kMainWindowNumber = 1375797249;

// Control numbers of the main window.
namespace main_window {
inline constexpr std::uint32_t kLabel1 = 369169322;           // 标签1 "远程目录"
inline constexpr std::uint32_t kRemoteBox = 369169324;        // 编辑框1
inline constexpr std::uint32_t kBrowseRemote = 369169338;     // 按钮2 "浏览"
inline constexpr std::uint32_t kLabel2 = 369169323;           // 标签2 "本地目录"
inline constexpr std::uint32_t kLocalBox = 369169326;         // 编辑框2
inline constexpr std::uint32_t kBrowseLocal = 369169339;      // 按钮3 "浏览"
inline constexpr std::uint32_t kLabel3 = 369169327;           // 标签3 "总文件进度"
inline constexpr std::uint32_t kOverallBar = 369169328;       // 进度条1
inline constexpr std::uint32_t kCountLabel = 369169331;       // 标签5
inline constexpr std::uint32_t kLabel4 = 369169329;           // 标签4 "单个文件进度"
inline constexpr std::uint32_t kFileBar = 369169330;          // 进度条2
inline constexpr std::uint32_t kFilePercentLabel = 369169332; // 标签6
inline constexpr std::uint32_t kLabel9 = 369169335;           // 标签9 "目录名："
inline constexpr std::uint32_t kStatusLabel = 369169333;      // 标签7
inline constexpr std::uint32_t kLabel10 = 369169336;          // 标签10 "文件名："
inline constexpr std::uint32_t kFileNameLabel = 369169334;    // 标签8
inline constexpr std::uint32_t kWatchTimer = 369174377;       // 时钟1
inline constexpr std::uint32_t kStartButton = 369169319;      // 按钮1 "开始对比"
} // namespace main_window

constexpr ControlRef MainWindowControl(std::uint32_t control) {
    return ControlRef{kMainWindowNumber, control};
}

// The handlers bound to the window's five events.
struct MainWindowHandlers {
    EventHandler created;             // the window: LoadSettings
    EventHandler start_stop_clicked;  // 按钮1
    EventHandler pick_remote_clicked; // 按钮2
    EventHandler pick_local_clicked;  // 按钮3
    EventHandler watcher_tick;        // 时钟1
};

WindowDefinition MainWindowDefinition(const MainWindowHandlers& handlers);

} // namespace brenvale
