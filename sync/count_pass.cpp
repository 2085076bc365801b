// The count pass: builds the local directory tree and counts the remote files missing locally.
#include "sync/file_ops.h"
#include "sync/passes.h"

namespace brenvale {

std::int32_t CountMissingFiles(std::string& remote, std::string& local, SyncRun& run) {
    remote += platform::kSeparator;
    local += platform::kSeparator;
    // A directory made just now is empty: every remote file of this level is missing from it.
    const bool made_empty = MakeDirectory(local);

    std::int32_t count = 0;
    SearchHandle handle;
    std::string name = ListEntries(remote + "*.*", 0, false, handle);
    // Nothing listed can mean no files, or a directory that cannot be read.
    if (name.empty() && !platform::IsListableDirectory(remote)) {
        ++run.unreadable_directories; // its files cannot be synced; the run must not look clean
        return 0;
    }
    for (; !name.empty(); name = ListEntries("", 0, false, handle)) {
        if (made_empty || !EntryExists(local + name))
            ++count;
    }

    std::uint32_t attributes = 0;
    for (std::string name = ListEntries(remote + "*.*", kDirectoryMask, true, handle, &attributes);
         !name.empty(); name = ListEntries("", kDirectoryMask, true, handle, &attributes)) {
        if (name == "." || name == ".." || IsLink(attributes))
            continue; // a remote link is never walked into
        std::string remote_child = remote + name;
        std::string local_child = local + name;
        count += CountMissingFiles(remote_child, local_child, run);
        if (run.Superseded())
            break;
    }
    return count;
}

} // namespace brenvale
