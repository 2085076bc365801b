// File copy on POSIX systems: copy_file_range in chunks (read/write where the kernel refuses),
// carrying permissions and times, into an unnamed file that is linked into place when complete
// (a named temporary file and rename where the file system cannot). A link is copied as a link;
// FIFOs, sockets and devices fail at once and are never opened for reading.
#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Big enough for in-kernel copies to run at full speed, small enough for a live progress display.
constexpr std::size_t kChunkSize = std::size_t{4} << 20;

bool Continue(CopyProgressRoutine routine, std::int64_t total, std::int64_t transferred, void* data) {
    return routine == nullptr || routine(total, transferred, data) == 0;
}

bool CopyLink(const std::string& source, const std::string& destination, const struct stat& status,
              CopyProgressRoutine routine, void* data) {
    std::vector<char> target(static_cast<std::size_t>(status.st_size) + 1);
    ssize_t length;
    while ((length = readlink(source.c_str(), target.data(), target.size())) >= 0 &&
           static_cast<std::size_t>(length) == target.size())
        target.resize(target.size() * 2); // the link grew since lstat
    if (length < 0)
        return false;
    target.resize(static_cast<std::size_t>(length));
    target.push_back('\0');
    if (!Continue(routine, length, 0, data) || symlink(target.data(), destination.c_str()) != 0)
        return false;
    const timespec times[2] = {status.st_atim, status.st_mtim};
    utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return Continue(routine, length, length, data);
}

// Moves the bytes, one chunk per progress call. Returns false on any failure or cancel.
bool CopyContents(int in, int out, std::int64_t total, CopyProgressRoutine routine, void* data) {
    std::int64_t transferred = 0;
    bool in_kernel = true;
    std::unique_ptr<char[]> buffer;
    for (;;) {
        ssize_t moved;
        if (in_kernel) {
            moved = copy_file_range(in, nullptr, out, nullptr, kChunkSize, 0);
            if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                              errno == EPERM || errno == ETXTBSY)) {
                in_kernel = false;
                continue;
            }
        } else {
            if (!buffer)
                buffer = std::make_unique<char[]>(kChunkSize);
            moved = read(in, buffer.get(), kChunkSize);
            for (ssize_t written = 0; moved > 0 && written < moved;) {
                const ssize_t step =
                    write(out, buffer.get() + written, static_cast<std::size_t>(moved - written));
                if (step < 0 && errno == EINTR)
                    continue;
                if (step <= 0)
                    return false;
                written += step;
            }
        }
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            return false;
        if (moved == 0)
            return true;
        transferred += moved;
        if (transferred > total)
            total = transferred; // the source grew while being copied
        if (!Continue(routine, total, transferred, data))
            return false;
    }
}

// Moves a finished copy under its temporary name into place.
bool PlaceNamed(const std::string& temporary, const std::string& destination) {
    if (!HookRefuses(FileOperation::kReplace, destination) &&
        rename(temporary.c_str(), destination.c_str()) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}

// Gives a finished unnamed file (O_TMPFILE) its name. A new destination appears in one step; an
// existing one is replaced through the temporary name.
bool PlaceUnnamed(int out, const std::string& temporary, const std::string& destination) {
    if (HookRefuses(FileOperation::kReplace, destination))
        return false;
    const std::string self = "/proc/self/fd/" + std::to_string(out);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno != EEXIST ||
        linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return false;
    return PlaceNamed(temporary, destination);
}

std::atomic<bool> g_unnamed_files_work{true}; // off once linking one fails for want of /proc

// The process's file-creation mask, read once before any thread exists (umask can only be read by
// setting it), so that a copy made with the source's mode needs no fchmod when the mask keeps it.
const mode_t g_creation_mask = [] {
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}();

std::string DirectoryOf(const std::string& path) {
    const std::size_t separator = path.find_last_of('/');
    return separator == std::string::npos ? "." : separator == 0 ? "/" : path.substr(0, separator);
}

bool CopyRegularFile(const std::string& source, const std::string& destination, const std::string& temporary,
                     CopyProgressRoutine routine, void* data) {
    // O_NONBLOCK: should the entry have become a FIFO since lstat, opening it must not wait.
    const int in = open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat status;
    if (fstat(in, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(in);
        return false;
    }
    // An unnamed file in the destination's directory never shows under any name until complete,
    // and a killed copy leaves nothing behind. Where the file system has none, a temporary name.
    const mode_t mode = status.st_mode & 0777;
    int out = g_unnamed_files_work
                  ? open(DirectoryOf(destination).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)
                  : -1;
    const bool unnamed = out >= 0;
    if (!unnamed)
        out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (out < 0) {
        close(in);
        return false;
    }
    const std::int64_t total = status.st_size;
    bool ok = Continue(routine, total, 0, data) && CopyContents(in, out, total, routine, data);
    if (ok) {
        const timespec times[2] = {status.st_atim, status.st_mtim};
        ok = ((mode & ~g_creation_mask) == mode || fchmod(out, mode) == 0) && futimens(out, times) == 0;
    }
    close(in);
    if (unnamed) {
        ok = ok && PlaceUnnamed(out, temporary, destination);
        if (!ok && errno == ENOENT && access("/proc/self/fd", F_OK) != 0) {
            g_unnamed_files_work = false; // no /proc: name the file from the start next time
            close(out);
            return CopyRegularFile(source, destination, temporary, routine, data);
        }
        return close(out) == 0 && ok;
    }
    // close reports write errors that some file systems (NFS) only find out at the end.
    ok = close(out) == 0 && ok;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    return PlaceNamed(temporary, destination);
}

} // namespace

bool CopyFileWhole(const std::string& source, const std::string& destination, const std::string& temporary,
                   CopyProgressRoutine routine, void* data) {
    if (HookRefuses(FileOperation::kCopy, source))
        return false;
    struct stat status;
    if (lstat(source.c_str(), &status) != 0)
        return false;
    if (S_ISLNK(status.st_mode)) {
        if (CopyLink(source, temporary, status, routine, data))
            return PlaceNamed(temporary, destination);
        unlink(temporary.c_str());
        return false;
    }
    if (!S_ISREG(status.st_mode))
        return false;
    return CopyRegularFile(source, destination, temporary, routine, data);
}

} // namespace platform
