// What only the POSIX layer can show: listing order and attribute words, links never followed to
// change anything, FIFOs never opened, any bytes in a name, progress per chunk, and what a copy
// carries. (Wine follows Unix links, lists a FIFO as a file that blocks, and its CopyFileExA
// never calls the progress routine, so these run on Linux only.)
#include "sync/file_ops.h"

#include "tests/support/scratch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace brenvale {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing_support::MakeDirectories;
using testing_support::Names;
using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::WriteFile;

void Link(const std::string& target, const std::string& link) {
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
}

std::string LinkTarget(const std::string& link) {
    char buffer[4096];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    return length < 0 ? std::string("<not a link>") : std::string(buffer, static_cast<std::size_t>(length));
}

std::vector<std::pair<std::string, std::uint32_t>> Listing(const std::string& directory) {
    platform::DirectorySearch search;
    platform::FoundEntry entry;
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    for (bool found = search.Start(directory + "/*.*", entry); found; found = search.Next(entry))
        entries.emplace_back(entry.name, entry.attributes);
    return entries;
}

TEST(PosixListing, GivesDotEntriesFirstThenByteOrderWithWindowsAttributes) {
    ScratchDir dir;
    WriteFile(dir / "b", "");
    WriteFile(dir / "a", "");
    WriteFile(dir / "B", "");
    WriteFile(dir / "\xC3\xA9", ""); // é: sorts after every ASCII name
    WriteFile(dir / ".hidden", "");
    MakeDirectories(dir / "sub");
    MakeDirectories(dir / ".git");
    Link("a", dir / "link");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);

    EXPECT_THAT(Listing(dir.path()), ElementsAre(std::pair<std::string, std::uint32_t>{".", 16},
                                                 std::pair<std::string, std::uint32_t>{"..", 16},
                                                 std::pair<std::string, std::uint32_t>{".git", 16 | 2},
                                                 std::pair<std::string, std::uint32_t>{".hidden", 32 | 2},
                                                 std::pair<std::string, std::uint32_t>{"B", 32},
                                                 std::pair<std::string, std::uint32_t>{"a", 32},
                                                 std::pair<std::string, std::uint32_t>{"b", 32},
                                                 std::pair<std::string, std::uint32_t>{"fifo", 32},
                                                 std::pair<std::string, std::uint32_t>{"link", 32 | 1024},
                                                 std::pair<std::string, std::uint32_t>{"sub", 16},
                                                 std::pair<std::string, std::uint32_t>{"\xC3\xA9", 32}));
}

TEST(PosixListing, LinksAreEntriesOfTheirOwn) {
    ScratchDir dir;
    ScratchDir outside;
    WriteFile(outside / "file", "0123456789");
    Link(outside.path(), dir / "dir link");
    Link(outside / "file", dir / "file link");
    Link(dir / "nowhere", dir / "dangling");

    SearchHandle handle;
    std::vector<std::string> directories;
    for (std::string name = ListEntries(dir.path() + "/*.*", kDirectoryMask, true, handle); !name.empty();
         name = ListEntries("", kDirectoryMask, true, handle))
        directories.push_back(name);
    EXPECT_THAT(directories, ElementsAre(".", "..")) << "a link to a directory is never walked into";

    EXPECT_EQ(QueryFileSize(dir / "file link"), static_cast<std::int64_t>((outside / "file").size()));
    EXPECT_TRUE(EntryExists(dir / "dangling"));
    EXPECT_EQ(QueryFileSize(dir / "dangling"), static_cast<std::int64_t>((dir / "nowhere").size()));
}

TEST(PosixRemoveDirectoryTree, RemovesLinksAsLinks) {
    ScratchDir dir;
    ScratchDir outside;
    WriteFile(outside / "precious", "keep me");
    MakeDirectories(outside / "sub");
    WriteFile(outside / "sub/also precious", "keep me too");
    MakeDirectories(dir / "tree/inner");
    Link(outside.path(), dir / "tree/inner/to outside");
    Link(outside / "precious", dir / "tree/to a file");
    Link(outside.path(), dir / "link to outside");

    EXPECT_TRUE(RemoveDirectoryTree(dir / "tree"));
    EXPECT_TRUE(RemoveDirectoryTree(dir / "link to outside"));
    EXPECT_FALSE(RemoveDirectoryTree(dir / "link to outside/")) << "already gone";
    EXPECT_THAT(Names(dir.path()), IsEmpty());
    EXPECT_EQ(ReadFile(outside / "precious"), "keep me");
    EXPECT_EQ(ReadFile(outside / "sub/also precious"), "keep me too");
}

TEST(PosixRemoveDirectoryTree, SeesALinkBehindTrailingSeparators) {
    ScratchDir dir;
    ScratchDir outside;
    WriteFile(outside / "precious", "keep me");
    Link(outside.path(), dir / "link");
    EXPECT_TRUE(RemoveDirectoryTree(dir / "link//"));
    EXPECT_THAT(Names(dir.path()), IsEmpty());
    EXPECT_EQ(ReadFile(outside / "precious"), "keep me");
}

TEST(PosixNames, AnyBytesWork) {
    ScratchDir dir;
    for (const std::string name :
         {"\xFF\xFE not utf-8", "new\nline", "-leading dash", "back\\slash", " space "}) {
        WriteFile(dir / name, "12345");
        EXPECT_EQ(QueryFileSize(dir / name), 5) << name;
        EXPECT_TRUE(CopyFileWithProgress(dir / name, dir / (name + " copy"), nullptr, nullptr)) << name;
        EXPECT_EQ(ReadFile(dir / (name + " copy")), "12345") << name;
        EXPECT_TRUE(RemoveFile(dir / name)) << name;
        EXPECT_TRUE(MakeDirectory(dir / name)) << name;
        EXPECT_TRUE(RemoveDirectoryTree(dir / name)) << name;
        EXPECT_FALSE(EntryExists(dir / name)) << name;
    }
}

struct ProgressLog {
    std::vector<std::pair<std::int64_t, std::int64_t>> calls; // (total, transferred)
    std::uint32_t answer = 0;
};

std::uint32_t LogProgress(std::int64_t total, std::int64_t transferred, void* data) {
    auto* log = static_cast<ProgressLog*>(data);
    log->calls.emplace_back(total, transferred);
    return log->answer;
}

TEST(PosixCopy, ReportsZeroFirstThenEachChunkThenTheTotal) {
    ScratchDir dir;
    const std::int64_t big = (std::int64_t{9} << 20) + 12345; // three chunks
    std::string content(static_cast<std::size_t>(big), '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 4096);
    WriteFile(dir / "big", content);
    WriteFile(dir / "empty", "");

    for (const auto& [name, size] : {std::pair<std::string, std::int64_t>{"big", big}, {"empty", 0}}) {
        ProgressLog log;
        ASSERT_TRUE(CopyFileWithProgress(dir / name, dir / (name + " copy"), LogProgress, &log)) << name;
        ASSERT_FALSE(log.calls.empty()) << name;
        EXPECT_EQ(log.calls.front(), std::make_pair(size, std::int64_t{0})) << name;
        EXPECT_EQ(log.calls.back(), std::make_pair(size, size)) << name;
        for (std::size_t i = 1; i < log.calls.size(); ++i)
            EXPECT_LT(log.calls[i - 1].second, log.calls[i].second) << name << " call " << i;
        EXPECT_EQ(log.calls.size(), size == 0 ? 1u : 4u) << name;
    }
    EXPECT_TRUE(ReadFile(dir / "big copy") == content);
    EXPECT_EQ(ReadFile(dir / "empty copy"), "");
}

TEST(PosixCopy, CancelledOrRefusedCopiesChangeNothing) {
    ScratchDir dir;
    WriteFile(dir / "destination", "old");
    WriteFile(dir / "source", std::string(5 << 20, 'x'));
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "fifo as destination").c_str(), 0600), 0);

    for (std::uint32_t stop_at_call : {1u, 2u}) {
        struct Stopper {
            std::uint32_t calls = 0, stop_at;
        } stopper{0, stop_at_call};
        const auto stop = [](std::int64_t, std::int64_t, void* data) -> std::uint32_t {
            auto* s = static_cast<Stopper*>(data);
            return ++s->calls == s->stop_at ? 1 : 0;
        };
        EXPECT_FALSE(CopyFileWithProgress(dir / "source", dir / "destination", stop, &stopper));
    }
    // A FIFO is refused at once: opening it for reading would wait for a writer forever.
    EXPECT_FALSE(CopyFileWithProgress(dir / "fifo", dir / "destination", nullptr, nullptr));

    EXPECT_EQ(ReadFile(dir / "destination"), "old");
    EXPECT_THAT(Names(dir.path()), ElementsAre("destination", "fifo", "fifo as destination", "source"));
}

TEST(PosixCopy, UnreadableSourceLeavesTheDestination) {
    ScratchDir dir;
    WriteFile(dir / "destination", "old");
    WriteFile(dir / "locked", "secret");
    ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
    const int probe = open((dir / "locked").c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "permissions do not stop this user (root)";
    }
    EXPECT_FALSE(CopyFileWithProgress(dir / "locked", dir / "destination", nullptr, nullptr));
    EXPECT_EQ(ReadFile(dir / "destination"), "old");
    EXPECT_THAT(Names(dir.path()), ElementsAre("destination", "locked"));
}

TEST(PosixCopy, CopiesLinksAsLinksAndReplacesLinksNotTheirTargets) {
    ScratchDir dir;
    ScratchDir outside;
    WriteFile(outside / "target", "outside, untouched");
    WriteFile(dir / "source", "new");
    Link(outside / "target", dir / "link destination");
    Link("relative/target", dir / "link source");

    EXPECT_TRUE(CopyFileWithProgress(dir / "source", dir / "link destination", nullptr, nullptr));
    EXPECT_EQ(LinkTarget(dir / "link destination"), "<not a link>");
    EXPECT_EQ(ReadFile(dir / "link destination"), "new");
    EXPECT_EQ(ReadFile(outside / "target"), "outside, untouched");

    EXPECT_TRUE(CopyFileWithProgress(dir / "link source", dir / "copied link", nullptr, nullptr));
    EXPECT_EQ(LinkTarget(dir / "copied link"), "relative/target");
}

TEST(PosixCopy, CarriesModificationTimeAndPermissions) {
    ScratchDir dir;
    WriteFile(dir / "source", "content");
    ASSERT_EQ(chmod((dir / "source").c_str(), 0754), 0);
    const timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "source").c_str(), times, 0), 0);

    ASSERT_TRUE(CopyFileWithProgress(dir / "source", dir / "copy", nullptr, nullptr));
    struct stat status;
    ASSERT_EQ(stat((dir / "copy").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0754u);
    EXPECT_EQ(status.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(status.st_mtim.tv_nsec, 123456789);
}

} // namespace
} // namespace brenvale
