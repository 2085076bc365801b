// The start/stop command and the completion watcher.
#include "app/commands.h"

#include "controls/control_properties.h"
#include "platform/platform.h"
#include "settings/folder_pickers.h"
#include "settings/settings.h"
#include "sync/sync_job.h"

namespace brenvale {
namespace {

using namespace main_window;

constexpr std::int32_t kWatchPeriodMs = 1000;

const std::string& StartCaption() { return platform::Literal<"开始对比">(); }
const std::string& StopCaption() { return platform::Literal<"停止对比">(); }
const std::string& MessageTitle() { return platform::Literal<"信息：">(); }
const std::string& FullPercent() { return platform::Literal<"100%">(); }

} // namespace

void RequestStop() { StopFlag.store(1); }

void OnStartStopClicked() {
    const ControlRef remote_box = MainWindowControl(kRemoteBox), local_box = MainWindowControl(kLocalBox);
    const ControlRef button = MainWindowControl(kStartButton);
    if (GetControlText(remote_box, kEditContent).empty()) {
        ShowMessageBox(platform::Literal<"远程目录不能为空！">(), MessageTitle());
        return;
    }
    if (GetControlText(local_box, kEditContent).empty()) {
        ShowMessageBox(platform::Literal<"本地目录不能为空！">(), MessageTitle());
        return;
    }
    if (GetControlText(button, kButtonCaption) != StartCaption()) {
        SetControlProperty(button, kButtonCaption, StartCaption());
        RequestStop();
        return;
    }
    const std::string remote = GetControlText(remote_box, kEditContent);
    const std::string local = GetControlText(local_box, kEditContent);
    if (DirectoriesOverlap(remote, local)) {
        ShowMessageBox(OverlapText(), MessageTitle());
        return;
    }
    SetControlProperty(MainWindowControl(kWatchTimer), kTimerPeriod, kWatchPeriodMs);
    SetControlProperty(button, kButtonCaption, StopCaption());
    // The last run's end text must not make this run look finished before its worker writes.
    SetControlProperty(MainWindowControl(kStatusLabel), kLabelCaption, "");
    StartSyncJob(remote, local, MainWindowControl(kOverallBar), MainWindowControl(kFileBar),
                 MainWindowControl(kCountLabel), MainWindowControl(kFilePercentLabel),
                 MainWindowControl(kStatusLabel), MainWindowControl(kFileNameLabel));
}

void OnWatcherTick() {
    const std::string status = GetControlText(MainWindowControl(kStatusLabel), kLabelCaption);
    if (!IsEndText(status))
        return;
    SetControlProperty(MainWindowControl(kStartButton), kButtonCaption, StartCaption());
    SetControlProperty(MainWindowControl(kFileNameLabel), kLabelCaption, "");
    if (IsCleanEndText(status)) {
        // Only a clean run shows 100%; any other end leaves its numbers for the user to read.
        SetControlProperty(MainWindowControl(kCountLabel), kLabelCaption, FullPercent());
        SetControlProperty(MainWindowControl(kFilePercentLabel), kLabelCaption, FullPercent());
    }
    SetControlProperty(MainWindowControl(kOverallBar), kBarPosition, 0);
    SetControlProperty(MainWindowControl(kFileBar), kBarPosition, 0);
}

MainWindowHandlers WindowHandlers() {
    return {
        [] { LoadSettings(MainWindowControl(kRemoteBox), MainWindowControl(kLocalBox)); },
        OnStartStopClicked,
        [] { PickRemoteDirectory(MainWindowControl(kRemoteBox)); },
        [] { PickLocalDirectory(MainWindowControl(kLocalBox)); },
        OnWatcherTick,
    };
}

} // namespace brenvale
