// Directory search and file-system changes on Windows: thin calls to the ANSI Win32 functions.
#include "platform/platform.h"

#include <windows.h>

namespace platform {
namespace {

FoundEntry MakeEntry(const WIN32_FIND_DATAA& data) {
    FoundEntry entry;
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
    entry.size =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    return entry;
}

struct CopyContext {
    CopyProgressRoutine routine;
    void* data;
};

DWORD CALLBACK ForwardCopyProgress(LARGE_INTEGER total_size, LARGE_INTEGER transferred, LARGE_INTEGER,
                                   LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID context_pointer) {
    const auto* context = static_cast<const CopyContext*>(context_pointer);
    return context->routine(total_size.QuadPart, transferred.QuadPart, context->data) == 0 ? PROGRESS_CONTINUE
                                                                                           : PROGRESS_CANCEL;
}

} // namespace

struct DirectorySearch::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

DirectorySearch::DirectorySearch() = default;
DirectorySearch::~DirectorySearch() { Close(); }

bool DirectorySearch::Start(const std::string& pattern, FoundEntry& first) {
    Close();
    const bool lists_directory = pattern.size() >= 3 && pattern.compare(pattern.size() - 3, 3, "*.*") == 0;
    if (lists_directory && HookRefuses(FileOperation::kListDirectory, pattern.substr(0, pattern.size() - 3)))
        return false;
    WIN32_FIND_DATAA data;
    const HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    state_ = std::make_unique<State>();
    state_->handle = handle;
    first = MakeEntry(data);
    return true;
}

bool DirectorySearch::Next(FoundEntry& next) {
    if (!state_)
        return false;
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(state_->handle, &data))
        return false;
    next = MakeEntry(data);
    return true;
}

void DirectorySearch::Close() {
    if (state_)
        FindClose(state_->handle);
    state_.reset();
}

bool DirectorySearch::IsOpen() const { return state_ != nullptr; }

bool CreateOneDirectory(const std::string& path) {
    return !HookRefuses(FileOperation::kCreateDirectory, path) &&
           CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool DeleteOneFile(const std::string& path) {
    return !HookRefuses(FileOperation::kDeleteFile, path) && DeleteFileA(path.c_str()) != FALSE;
}

bool RemoveEmptyDirectory(const std::string& path) {
    return !HookRefuses(FileOperation::kRemoveDirectory, path) && RemoveDirectoryA(path.c_str()) != FALSE;
}

// Renames a finished copy over the destination (a file or link; never a directory).
static bool ReplaceEntry(const std::string& from, const std::string& to) {
    return !HookRefuses(FileOperation::kReplace, to) &&
           MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

// Deletes the temporary file of a failed copy, even when the copy made it read-only.
static bool DiscardOwnFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != FALSE;
}

bool CopyFileWhole(const std::string& source, const std::string& destination, const std::string& temporary,
                   CopyProgressRoutine routine, void* data) {
    if (HookRefuses(FileOperation::kCopy, source))
        return false;
    // CopyFileExA may give the file its full size before the data is in; under the temporary name
    // that never passes for a finished copy.
    CopyContext context{routine, data};
    if (CopyFileExA(source.c_str(), temporary.c_str(), routine ? ForwardCopyProgress : nullptr, &context,
                    nullptr, COPY_FILE_FAIL_IF_EXISTS) &&
        ReplaceEntry(temporary, destination))
        return true;
    DiscardOwnFile(temporary);
    return false;
}

} // namespace platform
