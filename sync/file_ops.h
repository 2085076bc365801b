// The file-system operations of the three passes: the only way the engine touches either tree.
// Failures are answered, never reported: a listing that cannot start yields nothing, a missing
// entry has size -1, and creations, deletions and copies return false.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace brenvale {

// Listing masks: read-only, hidden, system and archive; the directory bit.
constexpr std::uint32_t kFileMask = 39;
constexpr std::uint32_t kDirectoryMask = 16;

// One listing in progress, owned by one invocation of a pass and closed on every way out.
struct SearchHandle {
    platform::DirectorySearch search;
};

// With a pattern, closes whatever the handle holds and starts a new search; with the empty pattern,
// continues the handle's search. Returns the next entry name the mask accepts, or the empty text
// (and the handle holds no search) when there is none. A given attribute is ANDed with 55 and
// accepts entries sharing a bit with it (0 accepts only an attribute word of 0); an attribute not
// given accepts every entry that is not a directory.
// When attributes is given it receives the yielded entry's attribute word.
std::string ListEntries(const std::string& pattern, std::uint32_t attribute, bool attribute_given,
                        SearchHandle& handle, std::uint32_t* attributes = nullptr);
void CloseSearch(SearchHandle& handle);

// The mask rule of ListEntries for one attribute word.
bool EntryMatches(std::uint32_t attributes, std::uint32_t attribute, bool attribute_given);

// The entry's whole size (a directory reports what the platform says, 0), or -1 when nothing is
// found at the path.
std::int64_t QueryFileSize(const std::string& path);
// True when the path names an entry of any kind, a directory or a link included.
bool EntryExists(const std::string& path);

// True for an entry that is a link of any kind: never walked into, removed as a link.
inline bool IsLink(std::uint32_t attributes) { return (attributes & platform::kReparsePoint) != 0; }

// Creates the last level of the path; an existing directory or a missing parent changes nothing.
bool MakeDirectory(const std::string& path);
// Deletes a file (a link as a link). Windows refuses a read-only file, and it then stays.
bool RemoveFile(const std::string& path);
// Deletes a directory tree except every entry whose name begins with "." and the directories above
// such entries. A link inside the tree, or the path itself when it is a link, is removed as a link;
// its target is never touched. Refuses a bare drive ("D:", "D:\") or a root ("/"), touching nothing.
// When failed_deletions is given, every file (or link) the platform refused to delete adds 1.
bool RemoveDirectoryTree(const std::string& path, std::int32_t* failed_deletions = nullptr);
// True for the paths RemoveDirectoryTree refuses: only separators, or a drive with at most one.
bool IsRootOrBareDrive(std::string_view path);

using CopyProgressRoutine = platform::CopyProgressRoutine;

// Copies source over destination so that the destination is either its old self or the whole new
// copy, never a part: the bytes go to a temporary file in the destination's directory, which then
// replaces the destination in one rename. On failure the temporary file is removed. The routine is
// called on this thread with 0 transferred before data moves and after each chunk.
bool CopyFileWithProgress(const std::string& source, const std::string& destination,
                          CopyProgressRoutine routine, void* data);

// The name part of the temporary files CopyFileWithProgress makes, for anything that must know them.
extern const char kTemporaryFilePrefix[];

} // namespace brenvale
