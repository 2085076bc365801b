// The sync job: the one job record of the process, the stop request, the worker thread that runs
// the three passes, the texts a run ends with, and the checks front ends make before a start.
#pragma once

#include "controls/control_ref.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace brenvale {

struct SyncJob {
    std::string RemoteDir;
    std::string LocalDir;
    ControlRef OverallBar;       // 进度条1
    ControlRef FileBar;          // 进度条2
    ControlRef CountLabel;       // 标签5: the missing-file count, then the overall percentage
    ControlRef FilePercentLabel; // 标签6
    ControlRef StatusLabel;      // 标签7: status texts and the directory being copied into
    ControlRef FileNameLabel;    // 标签8
    ControlRef CountDisplay;     // optional second place for the count
};

// The process's job record, written by StartSyncJob. Each worker runs on its own copy of it, so a
// new start never changes a text a running worker uses.
SyncJob& TheSyncJob();

// 1 asks the running passes to end their file loops; 0 is the normal state.
extern std::atomic<std::int32_t> StopFlag;

// [UI] Clears the stop request, fills the job record and starts one worker thread, without waiting
// for it. A worker still running from an earlier start is told to give up: it ends its work as soon
// as it can, writes nothing more to the display, and the new worker waits for it before its first
// write, so two jobs never run at once.
void StartSyncJob(const std::string& remote, const std::string& local, ControlRef overall_bar,
                  ControlRef file_bar, ControlRef count_label, ControlRef file_percent_label,
                  ControlRef status_label, ControlRef file_name_label, ControlRef count_display = kNoControl);

// Tells every running worker to give up at its next check, as a newer start would, so that it
// writes nothing more. For the program's end.
void AbandonSyncJobs();

// Waits until no worker thread is left, or the limit passes (false then). For front ends and tests
// that must not tear anything down under a worker; the window's UI thread never calls it during a run.
bool WaitForSyncWorkers(std::chrono::milliseconds limit);

// True when the two paths name the same directory or one lies inside the other, after resolving
// relative paths, ".", "..", links, repeated separators and (on Windows) letter case; also for an
// empty path. A job refuses such a pair on its own, touching nothing.
bool DirectoriesOverlap(const std::string& remote, const std::string& local);

// True when the remote directory can be listed (an empty one can). A job whose remote directory
// cannot be listed touches nothing.
bool RemoteDirectoryReadable(const std::string& remote);

// The status texts a run ends with, in the code page. Exactly one of them is the last status
// text of every run that was not given up for a newer start.
const std::string& CompletionText(); // "文件同步完成!": everything done
const std::string& StoppedText();    // "同步已停止，部分文件未同步!": a stop cut the run short
std::string FailuresText(std::int32_t count); // "同步结束，有 N 个文件未能同步!"
const std::string& RemoteUnreadableText();    // "远程目录无法访问，未做任何更改!"
const std::string& OverlapText();             // "远程目录和本地目录不能相同或互相包含！"
const std::string& CalculatingText();         // "正在计算更新...": the first status text of a run

bool IsEndText(const std::string& status);
bool IsCleanEndText(const std::string& status);

} // namespace brenvale
