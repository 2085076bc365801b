// The prune pass: the local tree loses what the remote tree does not have.
#include "sync/file_ops.h"
#include "sync/passes.h"

namespace brenvale {
namespace {

bool IsDotOrDotDot(const std::string& name) { return name == "." || name == ".."; }

} // namespace

void PruneLocalTree(std::string& remote, std::string& local, SyncRun& run) {
    StopFlag.store(0, std::memory_order_relaxed);
    remote += platform::kSeparator;
    local += platform::kSeparator;
    MakeDirectory(local);
    // An unreadable remote directory looks empty, and deleting on that basis would empty the local
    // level: before the first deletion, make sure the remote side can be read.
    enum { kUnknown, kReadable, kUnreadable } remote_state = kUnknown;
    const auto may_delete = [&] {
        if (remote_state == kUnknown)
            remote_state = platform::IsListableDirectory(remote) ? kReadable : kUnreadable;
        return remote_state == kReadable;
    };

    SearchHandle handle;
    for (std::string name = ListEntries(local + "*.*", 0, false, handle); !name.empty();
         name = ListEntries("", 0, false, handle)) {
        const std::int64_t local_size = QueryFileSize(local + name);
        const std::int64_t remote_size = QueryFileSize(remote + name);
        if (local_size != remote_size) {
            if (!may_delete())
                return; // the level stays as it is
            if (!RemoveFile(local + name))
                ++(remote_size < 0 ? run.undeleted_extras : run.undeleted_changed);
        }
        if (run.StopRequested()) {
            run.cut_short = true; // the rest of this level, its subdirectories included, is skipped
            return;
        }
    }

    std::uint32_t attributes = 0;
    for (std::string name = ListEntries(local + "*.*", kDirectoryMask, true, handle, &attributes);
         !name.empty(); name = ListEntries("", kDirectoryMask, true, handle, &attributes)) {
        if (IsDotOrDotDot(name))
            continue;
        if (!IsLink(attributes) && RemoteDirectoryExists(remote + name)) {
            std::string remote_child = remote + name;
            std::string local_child = local + name;
            PruneLocalTree(remote_child, local_child, run);
        } else if (may_delete()) {
            RemoveDirectoryTree(local + name, &run.undeleted_extras); // a link goes as a link
        } else {
            return;
        }
        if (run.Superseded())
            return;
    }
}

bool RemoteDirectoryExists(const std::string& path) {
    std::string trimmed = path;
    if (!trimmed.empty() && platform::FindLastSeparator(trimmed) == trimmed.size() - 1)
        trimmed.pop_back(); // one separator at most
    const std::size_t separator = platform::FindLastSeparator(trimmed);
    const std::string name = separator == std::string::npos ? trimmed : trimmed.substr(separator + 1);
    // A search on the path itself finds the entry the parent's listing would: the name it reports
    // is the one on disk, so comparing it byte for byte keeps letter case significant on Windows.
    platform::DirectorySearch search;
    platform::FoundEntry entry;
    return !name.empty() && search.Start(trimmed, entry) && entry.name == name &&
           (entry.attributes & platform::kDirectory) != 0 && !IsLink(entry.attributes);
}

} // namespace brenvale
