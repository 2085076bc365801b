// The copy pass: every remote file whose local size differs is copied, subdirectories first, with
// the overall and per-file progress on the display.
#include "controls/control_properties.h"
#include "sync/file_ops.h"
#include "sync/number_text.h"
#include "sync/passes.h"

namespace brenvale {

void CopyChangedFiles(std::string& remote, std::string& local, SyncRun& run) {
    const SyncJob& job = run.job;
    remote += platform::kSeparator;
    MakeDirectory(local);
    local += platform::kSeparator;

    SearchHandle handle;
    std::uint32_t attributes = 0;
    for (std::string name = ListEntries(remote + "*.*", kDirectoryMask, true, handle, &attributes);
         !name.empty(); name = ListEntries("", kDirectoryMask, true, handle, &attributes)) {
        if (name == "." || name == ".." || IsLink(attributes))
            continue;
        std::string remote_child = remote + name;
        std::string local_child = local + name;
        CopyChangedFiles(remote_child, local_child, run);
        if (run.Superseded())
            return;
    }

    for (std::string name = ListEntries(remote + "*.*", 0, false, handle); !name.empty();
         name = ListEntries("", 0, false, handle)) {
        if (QueryFileSize(local + name) != QueryFileSize(remote + name)) {
            SetControlProperty(job.StatusLabel, kLabelCaption, local);
            SetControlProperty(job.FileNameLabel, kLabelCaption, name);
            if (!CopyFileWithProgress(remote + name, local + name, OnCopyProgress, &run))
                ++run.failed_copies;
            SetControlProperty(job.OverallBar, kBarPosition,
                               GetControlInteger(job.OverallBar, kBarPosition) + 1);
            SetControlProperty(job.CountLabel, kLabelCaption,
                               OverallPercentText(GetControlInteger(job.OverallBar, kBarPosition),
                                                  GetControlInteger(job.OverallBar, kBarMaximum)));
        }
        if (run.StopRequested()) {
            if (!ListEntries("", 0, false, handle).empty())
                run.cut_short = true;
            break;
        }
    }
}

std::uint32_t OnCopyProgress(std::int64_t total_size, std::int64_t transferred, void* data) {
    const SyncRun& run = *static_cast<const SyncRun*>(data);
    const std::int32_t percent = FilePercent(total_size, transferred);
    SetControlProperty(run.job.FileBar, kBarPosition, percent);
    SetControlProperty(run.job.FilePercentLabel, kLabelCaption, IntToText(percent) + "%");
    return run.Superseded() ? 1 : 0; // a copy is only ever cancelled for a newer start
}

} // namespace brenvale
