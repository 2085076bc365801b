// The three passes of a run and what they share. Each pass appends the separator to the two paths
// it is given, in place; below the top level each invocation works on texts built for it.
#pragma once

#include "sync/sync_job.h"

#include <cstdint>
#include <string>

namespace brenvale {

// One run of a job: its display references and what the passes found out along the way.
struct SyncRun {
    const SyncJob& job;
    std::uint64_t generation; // the start this run belongs to

    std::int32_t failed_copies = 0;
    std::int32_t undeleted_extras = 0;  // local files without a remote counterpart that stayed
    std::int32_t undeleted_changed = 0; // local files that differ from the remote one and stayed
    std::int32_t unreadable_directories = 0;
    bool cut_short = false; // a stop request ended a loop that had more to do
    bool copy_pass_ran = false;

    // A newer start has taken over: end as soon as possible and show nothing more.
    bool Superseded() const;
    // What the file loops test after each file.
    bool StopRequested() const { return StopFlag.load(std::memory_order_relaxed) != 0 || Superseded(); }
};

// Deletes local files whose size differs from the remote entry of the same name and removes local
// subdirectories without a remote one of exactly the same name. A level whose remote directory
// cannot be listed is left as it is.
void PruneLocalTree(std::string& remote, std::string& local, SyncRun& run);
// True when the directory holding the path's last name has a subdirectory (not a link) of exactly
// that name, letter case included.
bool RemoteDirectoryExists(const std::string& path);

// Creates the local directories and counts the remote files that have no local entry of the name.
std::int32_t CountMissingFiles(std::string& remote, std::string& local, SyncRun& run);

// Copies every remote file whose local size differs, subdirectories first, showing its progress.
void CopyChangedFiles(std::string& remote, std::string& local, SyncRun& run);
// The copy's progress routine: the per-file bar and percentage. data is the SyncRun.
std::uint32_t OnCopyProgress(std::int64_t total_size, std::int64_t transferred, void* data);

} // namespace brenvale
