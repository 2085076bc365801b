// Directory search and file-system changes on POSIX systems, answering as Windows would:
// "." and ".." first, then entries in byte order of their names; links are entries of their own
// (lstat), reported with the reparse-point bit and never as directories.
#include "platform/platform.h"

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

FoundEntry MakeEntry(std::string name, const struct stat& status) {
    FoundEntry entry;
    entry.attributes = S_ISDIR(status.st_mode) ? kDirectory : kArchive;
    if (S_ISLNK(status.st_mode))
        entry.attributes |= kReparsePoint;
    if (!name.empty() && name[0] == '.' && !IsDotOrDotDot(name))
        entry.attributes |= kHidden;
    entry.size = S_ISDIR(status.st_mode) ? 0 : static_cast<std::int64_t>(status.st_size);
    entry.name = std::move(name);
    return entry;
}

FoundEntry DotEntry(const char* name) {
    FoundEntry entry;
    entry.name = name;
    entry.attributes = kDirectory;
    return entry;
}

// A pattern that ends in "*.*" after a separator (or is just "*.*") lists a directory.
bool IsListingPattern(const std::string& pattern, std::string& directory) {
    constexpr std::string_view kAll = "*.*";
    if (pattern.size() < kAll.size() || pattern.compare(pattern.size() - kAll.size(), kAll.size(), kAll) != 0)
        return false;
    directory = pattern.substr(0, pattern.size() - kAll.size());
    if (directory.empty()) {
        directory = ".";
        return true;
    }
    return directory.back() == kSeparator;
}

bool ListDirectory(const std::string& directory, std::vector<FoundEntry>& entries) {
    if (HookRefuses(FileOperation::kListDirectory, directory))
        return false;
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* stream = fdopendir(fd);
    if (stream == nullptr) {
        close(fd);
        return false;
    }
    entries.push_back(DotEntry("."));
    entries.push_back(DotEntry(".."));
    while (const dirent* record = readdir(stream)) {
        std::string name = record->d_name;
        if (IsDotOrDotDot(name))
            continue;
        // The entry's type usually comes with the listing; only then is a stat per entry saved.
        struct stat status {};
        switch (record->d_type) {
        case DT_DIR:
            status.st_mode = S_IFDIR;
            break;
        case DT_LNK:
            status.st_mode = S_IFLNK;
            break;
        case DT_REG:
        case DT_FIFO:
        case DT_SOCK:
        case DT_CHR:
        case DT_BLK:
            status.st_mode = S_IFREG;
            break;
        default:
            if (fstatat(fd, record->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone since the directory was read
        }
        FoundEntry entry = MakeEntry(std::move(name), status);
        if (record->d_type != DT_UNKNOWN && record->d_type != DT_DIR)
            entry.size = -1; // not looked up; a search on the entry's path gives it
        entries.push_back(std::move(entry));
    }
    closedir(stream);
    std::sort(entries.begin() + 2, entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return true;
}

bool FindOneEntry(const std::string& path, std::vector<FoundEntry>& entries) {
    // Windows finds nothing for a path that ends with a separator.
    if (path.empty() || path.back() == kSeparator)
        return false;
    struct stat status;
    if (lstat(path.c_str(), &status) != 0)
        return false;
    const std::size_t separator = FindLastSeparator(path);
    entries.push_back(MakeEntry(separator == std::string::npos ? path : path.substr(separator + 1), status));
    return true;
}

} // namespace

struct DirectorySearch::State {
    std::vector<FoundEntry> entries;
    std::size_t next = 0;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() = default;

bool DirectorySearch::Start(const std::string& pattern, FoundEntry& first) {
    Close();
    auto state = std::make_unique<State>();
    std::string directory;
    const bool found = IsListingPattern(pattern, directory) ? ListDirectory(directory, state->entries)
                                                            : FindOneEntry(pattern, state->entries);
    if (!found || state->entries.empty())
        return false;
    first = std::move(state->entries[0]);
    state->next = 1;
    state_ = std::move(state);
    return true;
}

bool DirectorySearch::Next(FoundEntry& next) {
    if (!state_ || state_->next >= state_->entries.size())
        return false;
    next = std::move(state_->entries[state_->next++]);
    return true;
}

void DirectorySearch::Close() { state_.reset(); }

bool DirectorySearch::IsOpen() const { return state_ != nullptr; }

bool CreateOneDirectory(const std::string& path) {
    return !HookRefuses(FileOperation::kCreateDirectory, path) && mkdir(path.c_str(), 0777) == 0;
}

bool DeleteOneFile(const std::string& path) {
    return !HookRefuses(FileOperation::kDeleteFile, path) && unlink(path.c_str()) == 0;
}

bool RemoveEmptyDirectory(const std::string& path) {
    if (HookRefuses(FileOperation::kRemoveDirectory, path))
        return false;
    struct stat status;
    if (lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        return unlink(path.c_str()) == 0;
    return rmdir(path.c_str()) == 0;
}

} // namespace platform
