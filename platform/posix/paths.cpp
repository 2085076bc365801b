// Path resolution on POSIX systems: realpath for the part that exists, lexical for the rest.
#include "platform/platform.h"

#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string ParentOf(const std::string& path) {
    const std::size_t separator = path.find_last_of('/');
    return separator == 0 || separator == std::string::npos ? "/" : path.substr(0, separator);
}

} // namespace

std::string CanonicalPath(const std::string& path) {
    if (path.empty())
        return {};
    std::string absolute = path[0] == '/' ? path : CurrentDirectory() + "/" + path;
    std::string resolved = "/";
    bool exists = true; // every name so far exists, so ".." is the real parent
    for (const std::string& name : SplitPath(absolute)) {
        if (name == ".")
            continue;
        if (name == "..") {
            resolved = ParentOf(resolved);
            continue;
        }
        std::string next = resolved == "/" ? "/" + name : resolved + "/" + name;
        if (exists) {
            if (char* real = realpath(next.c_str(), nullptr)) {
                resolved = real;
                std::free(real);
                continue;
            }
            exists = false;
        }
        resolved = std::move(next);
    }
    return resolved;
}

bool SameEntryName(std::string_view a, std::string_view b) { return a == b; }

bool IsListableDirectory(const std::string& directory) {
    if (HookRefuses(FileOperation::kListDirectory, directory))
        return false;
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

} // namespace platform
