// brenvale-sync: the sync engine from a terminal. It loads the main window's controls on the
// terminal toolkit and runs the very same job the window runs; the job's end text decides the exit
// status: 0 for a clean run, 1 for a run that did not finish, 2 for a run refused before it began.
#include "app/console_front_end.h"
#include "app/main_window.h"
#include "controls/control_properties.h"
#include "platform/platform.h"
#include "sync/sync_job.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#ifndef BRENVALE_VERSION
#define BRENVALE_VERSION "unknown"
#endif

namespace brenvale {
namespace {

constexpr int kClean = 0, kUnfinished = 1, kRefused = 2;
constexpr std::int32_t kWatchPeriodMs = 100; // a terminal wants the end at once, not within a second

std::string g_remote, g_local;
Toolkit* g_toolkit = nullptr;
std::string g_end_text;

void Say(platform::Stream stream, const char* utf8) {
    platform::WriteText(stream, platform::Utf8ToAnsi(utf8));
}

void StartJob() {
    using namespace main_window;
    SetControlProperty(MainWindowControl(kWatchTimer), kTimerPeriod, kWatchPeriodMs);
    StartSyncJob(g_remote, g_local, MainWindowControl(kOverallBar), MainWindowControl(kFileBar),
                 MainWindowControl(kCountLabel), MainWindowControl(kFilePercentLabel),
                 MainWindowControl(kStatusLabel), MainWindowControl(kFileNameLabel));
}

void WatchForEnd() {
    std::string status = GetControlText(MainWindowControl(main_window::kStatusLabel), kLabelCaption);
    if (IsEndText(status)) {
        g_end_text = std::move(status);
        g_toolkit->QuitMessageLoop();
    }
}

void AskToStop() { StopFlag.store(1); } // in a signal handler: a lock-free store only

void Usage(platform::Stream stream) {
    Say(stream,
        "用法: brenvale-sync [--quiet] 远程目录 本地目录\n"
        "让本地目录与远程目录保持一致: 删除大小不同或远程没有的本地文件和目录, 复制缺少或不同的文件.\n"
        "  -q, --quiet    只输出错误\n"
        "  -h, --help     显示本帮助\n"
        "      --version  显示版本\n"
        "退出状态: 0 同步完成, 1 未能全部同步或已停止, 2 未开始 (参数错误, 目录重叠, 远程目录无法访问).\n"
        "Ctrl-C 停止同步; 再按一次立即退出.\n");
}

int Refuse(const std::string& reason) {
    platform::WriteText(platform::Stream::kErr, "brenvale-sync: " + reason + "\n");
    return kRefused;
}

int Run(const std::vector<std::string>& arguments) {
    ConsoleOptions options;
    std::vector<std::string> paths;
    bool options_ended = false;
    for (const std::string& argument : arguments) {
        if (!options_ended && (argument == "-h" || argument == "--help")) {
            Usage(platform::Stream::kOut);
            return kClean;
        }
        if (!options_ended && argument == "--version") {
            platform::WriteText(platform::Stream::kOut, "brenvale-sync " BRENVALE_VERSION "\n");
            return kClean;
        }
        if (!options_ended && (argument == "-q" || argument == "--quiet"))
            options.quiet = true;
        else if (!options_ended && argument == "--")
            options_ended = true;
        else if (!options_ended && argument.size() > 1 && argument[0] == '-')
            return Refuse(platform::Utf8ToAnsi("未知选项 ") + argument +
                          platform::Utf8ToAnsi(" (见 --help)"));
        else
            paths.push_back(argument);
    }
    if (paths.size() != 2)
        return Refuse(platform::Utf8ToAnsi("需要两个目录: 远程目录 本地目录 (见 --help)"));
    g_remote = paths[0];
    g_local = paths[1];
    if (DirectoriesOverlap(g_remote, g_local))
        return Refuse(OverlapText());
    if (!RemoteDirectoryReadable(g_remote))
        return Refuse(RemoteUnreadableText());

    options.live = platform::IsTerminal(platform::Stream::kErr);
    platform::OnInterrupt(AskToStop);
    const std::unique_ptr<Toolkit> toolkit = CreateConsoleToolkit(options);
    g_toolkit = toolkit.get();
    LoadWindow(MainWindowDefinition({StartJob, nullptr, nullptr, nullptr, WatchForEnd}), *toolkit);
    toolkit->RunMessageLoop();
    WaitForSyncWorkers(std::chrono::minutes(1)); // its last write is done; nothing else is left

    if (IsCleanEndText(g_end_text)) {
        if (!options.quiet)
            platform::WriteText(platform::Stream::kOut, g_end_text + "\n");
        return kClean;
    }
    platform::WriteText(platform::Stream::kErr, g_end_text + "\n");
    return g_end_text == OverlapText() || g_end_text == RemoteUnreadableText() ? kRefused : kUnfinished;
}

} // namespace
} // namespace brenvale

int main(int argc, char** argv) { return brenvale::Run(std::vector<std::string>(argv + 1, argv + argc)); }
