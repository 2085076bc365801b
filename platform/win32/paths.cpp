// Path resolution on Windows: GetFullPathNameA for the lexical part, the final path of the
// longest existing prefix for links, and case-insensitive name comparison.
#include "platform/platform.h"

#include <windows.h>

#include <vector>

namespace platform {
namespace {

std::wstring Wide(std::string_view text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string FullPath(const std::string& path) {
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return {};
    std::string full(size, '\0');
    size = GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
    full.resize(size);
    return full;
}

// The path the system resolves an existing entry to, links followed; empty when it cannot.
std::string FinalPath(const std::string& existing) {
    const HANDLE handle =
        CreateFileA(existing.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::string final_path(MAX_PATH, '\0');
    DWORD length = GetFinalPathNameByHandleA(handle, final_path.data(), MAX_PATH, FILE_NAME_NORMALIZED);
    if (length >= MAX_PATH) {
        final_path.resize(length + 1);
        length = GetFinalPathNameByHandleA(handle, final_path.data(), length + 1, FILE_NAME_NORMALIZED);
    }
    CloseHandle(handle);
    if (length == 0 || length >= final_path.size())
        return {};
    final_path.resize(length);
    if (final_path.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + final_path.substr(8);
    if (final_path.rfind("\\\\?\\", 0) == 0)
        return final_path.substr(4);
    return final_path;
}

} // namespace

std::string CanonicalPath(const std::string& path) {
    if (path.empty())
        return {};
    const std::string full = FullPath(path);
    if (full.empty())
        return {};
    // Find the longest prefix that exists; what follows it is kept as written.
    std::string prefix = full;
    std::string rest;
    for (;;) {
        while (prefix.size() > 3 && FindLastSeparator(prefix) == prefix.size() - 1)
            prefix.pop_back();
        const DWORD attributes = GetFileAttributesA(prefix.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            const std::string resolved = FinalPath(prefix);
            return (resolved.empty() ? prefix : resolved) + rest;
        }
        const std::size_t separator = FindLastSeparator(prefix);
        if (separator == std::string::npos || separator < 2)
            return full;
        rest = prefix.substr(separator) + rest;
        prefix.resize(separator + 1);
    }
}

bool SameEntryName(std::string_view a, std::string_view b) {
    const std::wstring wide_a = Wide(a), wide_b = Wide(b);
    return CompareStringOrdinal(wide_a.c_str(), static_cast<int>(wide_a.size()), wide_b.c_str(),
                                static_cast<int>(wide_b.size()), TRUE) == CSTR_EQUAL;
}

bool IsListableDirectory(const std::string& directory) {
    if (HookRefuses(FileOperation::kListDirectory, directory))
        return false;
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA((directory + "\\*.*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return true;
    }
    // A drive's empty root lists nothing at all, not even "." and "..", yet exists.
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace platform
