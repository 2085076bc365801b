// The job record, the worker thread and the end of a run.
#include "sync/sync_job.h"

#include "controls/control_properties.h"
#include "platform/platform.h"
#include "sync/number_text.h"
#include "sync/passes.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace brenvale {

std::atomic<std::int32_t> StopFlag{0};

namespace {

std::atomic<std::uint64_t> g_latest_start{0}; // which start the newest job belongs to
std::mutex g_run_mutex;                       // held by a worker for the whole of its run

std::mutex g_workers_mutex;
std::condition_variable g_workers_ended;
int g_workers = 0; // worker threads started and not yet at their very end

void WorkerEnded() {
    std::lock_guard lock(g_workers_mutex);
    --g_workers;
    g_workers_ended.notify_all();
}

// The program's texts are UTF-8 here and shown in the code page, converted once.
const std::string& FailuresPrefix() { return platform::Literal<"同步结束，有 ">(); }

const std::string& FailuresSuffix() { return platform::Literal<" 个文件未能同步!">(); }

std::string EndTextOf(const SyncRun& run) {
    if (run.cut_short)
        return StoppedText();
    std::int32_t failures = run.failed_copies + run.undeleted_extras + run.unreadable_directories;
    if (!run.copy_pass_ran)
        failures += run.undeleted_changed; // otherwise the copy pass tried them again and counted them
    return failures > 0 ? FailuresText(failures) : CompletionText();
}

// Both bars full, then the status text: the end text is the last thing a run writes.
void EndRun(const SyncRun& run, const std::string& text) {
    if (run.Superseded())
        return;
    const SyncJob& job = run.job;
    SetControlProperty(job.OverallBar, kBarPosition, GetControlInteger(job.OverallBar, kBarMaximum));
    SetControlProperty(job.FileBar, kBarPosition, GetControlInteger(job.FileBar, kBarMaximum));
    SetControlProperty(job.StatusLabel, kLabelCaption, text);
}

void RunSyncJob(SyncJob& job, std::uint64_t start) {
    std::lock_guard run_lock(g_run_mutex); // an earlier job ends first
    SyncRun run{job, start};
    if (run.Superseded())
        return;
    SetControlProperty(job.StatusLabel, kLabelCaption, CalculatingText());
    if (DirectoriesOverlap(job.RemoteDir, job.LocalDir))
        return EndRun(run, OverlapText());
    if (!RemoteDirectoryReadable(job.RemoteDir))
        return EndRun(run, RemoteUnreadableText());

    PruneLocalTree(job.RemoteDir, job.LocalDir, run);
    const std::int32_t missing = CountMissingFiles(job.RemoteDir, job.LocalDir, run);
    SetControlProperty(job.CountLabel, kLabelCaption, IntToText(missing));
    if (missing > 0 && !run.Superseded()) {
        if (IsControlCreated(job.CountDisplay))
            SetControlProperty(job.CountDisplay, kLabelCaption, IntToText(missing));
        SetControlProperty(job.OverallBar, kBarMinimum, 0);
        SetControlProperty(job.FileBar, kBarMinimum, 0);
        SetControlProperty(job.OverallBar, kBarPosition, 0);
        SetControlProperty(job.FileBar, kBarPosition, 0);
        SetControlProperty(job.OverallBar, kBarMaximum, missing);
        CopyChangedFiles(job.RemoteDir, job.LocalDir, run);
        run.copy_pass_ran = true;
    }
    EndRun(run, EndTextOf(run));
}

// The paths the passes will use: what the user gave, with the separator they append.
std::string CanonicalDirectory(const std::string& path) {
    return path.empty() ? std::string() : platform::CanonicalPath(path + platform::kSeparator);
}

bool IsPrefix(const std::vector<std::string>& shorter, const std::vector<std::string>& longer) {
    if (shorter.size() > longer.size())
        return false;
    for (std::size_t i = 0; i < shorter.size(); ++i)
        if (!platform::SameEntryName(shorter[i], longer[i]))
            return false;
    return true;
}

} // namespace

const std::string& CompletionText() { return platform::Literal<"文件同步完成!">(); }

const std::string& StoppedText() { return platform::Literal<"同步已停止，部分文件未同步!">(); }

const std::string& RemoteUnreadableText() { return platform::Literal<"远程目录无法访问，未做任何更改!">(); }

const std::string& OverlapText() { return platform::Literal<"远程目录和本地目录不能相同或互相包含！">(); }

const std::string& CalculatingText() { return platform::Literal<"正在计算更新...">(); }

std::string FailuresText(std::int32_t count) {
    return FailuresPrefix() + IntToText(count) + FailuresSuffix();
}

bool IsCleanEndText(const std::string& status) { return status == CompletionText(); }

bool IsEndText(const std::string& status) {
    if (status == CompletionText() || status == StoppedText() || status == RemoteUnreadableText() ||
        status == OverlapText())
        return true;
    const std::string& prefix = FailuresPrefix();
    const std::string& suffix = FailuresSuffix();
    if (status.size() <= prefix.size() + suffix.size() || status.compare(0, prefix.size(), prefix) != 0 ||
        status.compare(status.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string digits = status.substr(prefix.size(), status.size() - prefix.size() - suffix.size());
    return digits.find_first_not_of("0123456789") == std::string::npos;
}

bool SyncRun::Superseded() const { return g_latest_start.load(std::memory_order_relaxed) != generation; }

SyncJob& TheSyncJob() {
    static SyncJob job;
    return job;
}

void StartSyncJob(const std::string& remote, const std::string& local, ControlRef overall_bar,
                  ControlRef file_bar, ControlRef count_label, ControlRef file_percent_label,
                  ControlRef status_label, ControlRef file_name_label, ControlRef count_display) {
    StopFlag.store(0, std::memory_order_relaxed);
    const std::uint64_t start = g_latest_start.fetch_add(1) + 1;
    // The record is written here, on the UI thread, only; each worker runs on a copy of it.
    SyncJob& job = TheSyncJob();
    job = SyncJob{remote,       local,           overall_bar,  file_bar, count_label, file_percent_label,
                  status_label, file_name_label, count_display};
    SyncJob copy = job;
    {
        std::lock_guard lock(g_workers_mutex);
        ++g_workers;
    }
    try {
        std::thread([copy = std::move(copy), start]() mutable {
            RunSyncJob(copy, start);
            WorkerEnded();
        }).detach();
    } catch (const std::system_error&) {
        // No worker: the window keeps its stop caption until the user presses the button again.
        WorkerEnded();
    }
}

void AbandonSyncJobs() { g_latest_start.fetch_add(1); }

bool WaitForSyncWorkers(std::chrono::milliseconds limit) {
    std::unique_lock lock(g_workers_mutex);
    return g_workers_ended.wait_for(lock, limit, [] { return g_workers == 0; });
}

bool DirectoriesOverlap(const std::string& remote, const std::string& local) {
    const std::string remote_path = CanonicalDirectory(remote);
    const std::string local_path = CanonicalDirectory(local);
    if (remote_path.empty() || local_path.empty())
        return true; // an empty path would make the passes work on a root
    const std::vector<std::string> a = platform::SplitPath(remote_path);
    const std::vector<std::string> b = platform::SplitPath(local_path);
    return IsPrefix(a, b) || IsPrefix(b, a);
}

bool RemoteDirectoryReadable(const std::string& remote) {
    return !remote.empty() && platform::IsListableDirectory(remote + platform::kSeparator);
}

} // namespace brenvale
