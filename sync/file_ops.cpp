// The file-system operations of the passes, written once over the platform layer.
#include "sync/file_ops.h"

#include <atomic>
#include <cstdio>
#include <vector>

namespace brenvale {
namespace {

constexpr std::uint32_t kGivenMaskBits = 55; // read-only, hidden, system, directory, archive

bool FindEntry(const std::string& path, platform::FoundEntry& entry) {
    platform::DirectorySearch search;
    return search.Start(path, entry); // closed when search goes out of scope
}

bool IsRealDirectory(std::uint32_t attributes) {
    return (attributes & platform::kDirectory) != 0 && !IsLink(attributes);
}

// Removes the entry itself, never what a link points to: a directory link is removed as a
// directory, anything else is deleted as a file.
bool RemoveEntryItself(const std::string& path, std::uint32_t attributes) {
    return (attributes & platform::kDirectory) != 0 ? platform::RemoveEmptyDirectory(path)
                                                    : platform::DeleteOneFile(path);
}

void EmptyDirectory(const std::string& directory, std::int32_t* failed_deletions) {
    struct Noted {
        std::string path;
        std::uint32_t attributes;
    };
    std::vector<Noted> noted;
    {
        platform::DirectorySearch search;
        platform::FoundEntry entry;
        const std::string prefix = directory + platform::kSeparator;
        for (bool found = search.Start(prefix + "*.*", entry); found; found = search.Next(entry)) {
            if (!entry.name.empty() && entry.name[0] != '.')
                noted.push_back({prefix + entry.name, entry.attributes});
        }
    } // the listing is complete and closed before anything is deleted
    for (const Noted& item : noted) {
        if (IsRealDirectory(item.attributes)) {
            EmptyDirectory(item.path, failed_deletions); // what keeps it is counted in there
            platform::RemoveEmptyDirectory(item.path);
        } else if (!RemoveEntryItself(item.path, item.attributes) && failed_deletions != nullptr) {
            ++*failed_deletions;
        }
    }
}

std::string TemporaryNameFor(const std::string& destination) {
    static std::atomic<std::uint32_t> counter{0};
    const std::size_t separator = platform::FindLastSeparator(destination);
    std::string name = separator == std::string::npos ? std::string() : destination.substr(0, separator + 1);
    char unique[32];
    static const auto process = static_cast<unsigned>(platform::CurrentProcessId());
    std::snprintf(unique, sizeof unique, "%08x-%u.partial", process,
                  static_cast<unsigned>(counter.fetch_add(1, std::memory_order_relaxed)));
    return name + kTemporaryFilePrefix + unique;
}

} // namespace

bool IsRootOrBareDrive(std::string_view path) {
    // A run of separators means one: "D:", "D:\\" and "D:\\\\" are the same bare drive.
    const std::size_t last = path.find_last_not_of(platform::kSeparator);
    return last == std::string_view::npos || (last == 1 && path[1] == ':');
}

bool EntryMatches(std::uint32_t attributes, std::uint32_t attribute, bool attribute_given) {
    if (!attribute_given)
        return (attributes & platform::kDirectory) == 0;
    const std::uint32_t mask = attribute & kGivenMaskBits;
    if (mask == 0)
        return attributes == 0;
    return (attributes & mask) != 0;
}

const char kTemporaryFilePrefix[] = "~brenvale-";

std::string ListEntries(const std::string& pattern, std::uint32_t attribute, bool attribute_given,
                        SearchHandle& handle, std::uint32_t* attributes) {
    platform::FoundEntry entry;
    bool found;
    if (pattern.empty())
        found = handle.search.IsOpen() && handle.search.Next(entry);
    else
        found = handle.search.Start(pattern, entry);
    while (found) {
        if (EntryMatches(entry.attributes, attribute, attribute_given)) {
            if (attributes != nullptr)
                *attributes = entry.attributes;
            return std::move(entry.name);
        }
        found = handle.search.Next(entry);
    }
    handle.search.Close();
    return {};
}

void CloseSearch(SearchHandle& handle) { handle.search.Close(); }

std::int64_t QueryFileSize(const std::string& path) {
    platform::FoundEntry entry;
    return FindEntry(path, entry) ? entry.size : -1;
}

bool EntryExists(const std::string& path) {
    platform::FoundEntry entry;
    return FindEntry(path, entry);
}

bool MakeDirectory(const std::string& path) { return platform::CreateOneDirectory(path); }

bool RemoveFile(const std::string& path) { return platform::DeleteOneFile(path); }

bool RemoveDirectoryTree(const std::string& path, std::int32_t* failed_deletions) {
    const std::size_t start = path.find_first_not_of(' ');
    if (start == std::string::npos)
        return false;
    std::string directory = path.substr(start);
    if (IsRootOrBareDrive(directory))
        return false;
    // Without trailing separators the path names the entry itself, so a link is seen as a link.
    while (platform::FindLastSeparator(directory) == directory.size() - 1)
        directory.pop_back();
    platform::FoundEntry self;
    if (FindEntry(directory, self) && IsLink(self.attributes))
        return RemoveEntryItself(directory, self.attributes);
    EmptyDirectory(directory, failed_deletions);
    return platform::RemoveEmptyDirectory(directory);
}

bool CopyFileWithProgress(const std::string& source, const std::string& destination,
                          CopyProgressRoutine routine, void* data) {
    return platform::CopyFileWhole(source, destination, TemporaryNameFor(destination), routine, data);
}

} // namespace brenvale
