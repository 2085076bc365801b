// The file-system operations on both systems: listing masks and loop forms, sizes, existence,
// directory creation and removal, and copies that land whole or not at all.
#include "sync/file_ops.h"

#include "tests/support/scratch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace brenvale {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using testing_support::Exists;
using testing_support::MakeDirectories;
using testing_support::MakeSizedFile;
using testing_support::Names;
using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::WriteFile;

const std::string kSep(1, platform::kSeparator);

// Every name a loop of the given form yields: first call with the pattern, then continuing calls.
std::vector<std::string> RunLoop(const std::string& pattern, std::uint32_t first_attribute, bool first_given,
                                 std::uint32_t next_attribute, bool next_given) {
    SearchHandle handle;
    std::vector<std::string> names;
    for (std::string name = ListEntries(pattern, first_attribute, first_given, handle); !name.empty();
         name = ListEntries("", next_attribute, next_given, handle))
        names.push_back(name);
    EXPECT_FALSE(handle.search.IsOpen()) << "an exhausted loop leaves no search open";
    return names;
}

TEST(EntryMatches, AppliesTheListingMasks) {
    struct Case {
        std::uint32_t attributes, attribute;
        bool given, accepted;
    } const cases[] = {
        {32, 39, true, true},     // archive file, file mask
        {1, 39, true, true},      // read-only
        {2, 39, true, true},      // hidden
        {4, 39, true, true},      // system
        {128, 39, true, false},   // normal only
        {256, 39, true, false},   // temporary only
        {16 | 2, 39, true, true}, // hidden directory passes the file mask
        {16, 39, true, false},
        {16, 16, true, true},
        {16 | 1 | 2 | 4, 16, true, true},
        {32, 16, true, false},
        {128, 128, true, false}, // 128 & 55 is 0: only an attribute word of 0 passes
        {0, 128, true, true},
        {0, 0, true, true},
        {32, 0, true, false},
        {32 | 64, 64 | 32, true, true}, // 96 & 55 is 32
        {64, 64, true, false},          // 64 & 55 is 0
        {128, 0, false, true},          // omitted mask: anything that is not a directory
        {0, 0, false, true},
        {16, 0, false, false},
        {16 | 32, 39, false, false},
        {1024 | 32, 0, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EntryMatches(c.attributes, c.attribute, c.given), c.accepted)
            << "attributes " << c.attributes << " attribute " << c.attribute
            << (c.given ? " given" : " omitted");
}

class ListingTest : public testing::Test {
  protected:
    void SetUp() override {
        MakeDirectories(dir / "sub");
        MakeDirectories(dir / ".hidden dir");
        WriteFile(dir / "a.txt", "a");
        WriteFile(dir / "no extension", "bb");
        WriteFile(dir / ".dotfile", "ccc");
    }
    ScratchDir dir;
    std::string pattern = dir.path() + kSep + "*.*";
};

TEST_F(ListingTest, DirectoryLoopYieldsDotEntriesAndEveryDirectoryOnly) {
    const auto names = RunLoop(pattern, kDirectoryMask, true, kDirectoryMask, true);
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], ".");
    EXPECT_EQ(names[1], "..");
    EXPECT_THAT(std::set<std::string>(names.begin() + 2, names.end()),
                testing::ElementsAre(".hidden dir", "sub"));
}

TEST_F(ListingTest, FileLoopsYieldFiles) {
    // The form the passes use: the omitted mask on every call.
    EXPECT_THAT(RunLoop(pattern, 0, false, 0, false),
                UnorderedElementsAre(".dotfile", "a.txt", "no extension"));
    // The file mask on the first call lets a hidden directory through when it comes first; every
    // file still comes through, as each carries the archive or hidden bit.
    const auto masked = RunLoop(pattern, kFileMask, true, 0, false);
    std::set<std::string> files(masked.begin(), masked.end());
    files.erase(".hidden dir");
    EXPECT_THAT(files, ElementsAre(".dotfile", "a.txt", "no extension"));
}

TEST_F(ListingTest, SeparatorRunsMeanOneSeparator) {
    const std::string runs = dir.path() + kSep + kSep + kSep + "*.*";
    EXPECT_THAT(RunLoop(runs, 0, false, 0, false), UnorderedElementsAre(".dotfile", "a.txt", "no extension"));
    EXPECT_EQ(QueryFileSize(dir.path() + kSep + kSep + kSep + "no extension"), 2);
}

TEST_F(ListingTest, MissingDirectoryYieldsNothingAndLeavesNoSearch) {
    SearchHandle handle;
    EXPECT_EQ(ListEntries(dir / "missing" + kSep + "*.*", kDirectoryMask, true, handle), "");
    EXPECT_FALSE(handle.search.IsOpen());
    EXPECT_EQ(ListEntries("", kDirectoryMask, true, handle), "");
    // A file is not a directory that can be listed.
    EXPECT_EQ(ListEntries(dir / "a.txt" + kSep + "*.*", 0, false, handle), "");
    EXPECT_FALSE(handle.search.IsOpen());
}

TEST_F(ListingTest, NewPatternClosesTheSearchInHand) {
    ScratchDir other;
    WriteFile(other / "only here", "");
    SearchHandle handle;
    EXPECT_EQ(ListEntries(pattern, kDirectoryMask, true, handle), ".");
    EXPECT_TRUE(handle.search.IsOpen());
    EXPECT_EQ(ListEntries(other.path() + kSep + "*.*", 0, false, handle), "only here");
    EXPECT_EQ(ListEntries("", 0, false, handle), "");
    EXPECT_FALSE(handle.search.IsOpen());
}

TEST(QueryFileSize, GivesWholeSizesAndMinusOneOnlyForMissingEntries) {
    ScratchDir dir;
    struct Case {
        const char* name;
        std::int64_t size;
    } const cases[] = {
        {"empty", 0},
        {"small", 10},
        {"four GiB and five", (std::int64_t{1} << 32) + 5},
        {"two to the 32 minus one", (std::int64_t{1} << 32) - 1},
        {"three GiB", std::int64_t{3} << 30},
    };
    for (const Case& c : cases) {
        MakeSizedFile(dir / c.name, c.size); // sparse: costs no disk
        EXPECT_EQ(QueryFileSize(dir / c.name), c.size) << c.name;
    }
    EXPECT_EQ(QueryFileSize(dir / "missing"), -1);
    MakeDirectories(dir / "sub");
    EXPECT_EQ(QueryFileSize(dir / "sub"), 0);
}

TEST(EntryExists, FindsFilesAndDirectories) {
    ScratchDir dir;
    MakeDirectories(dir / "sub");
    WriteFile(dir / "file", "x");
    EXPECT_TRUE(EntryExists(dir / "sub"));
    EXPECT_TRUE(EntryExists(dir / "file"));
    EXPECT_FALSE(EntryExists(dir / "missing"));
    EXPECT_FALSE(EntryExists(dir / "missing/file"));
}

TEST(MakeDirectory, CreatesOneLevelOnly) {
    ScratchDir dir;
    EXPECT_TRUE(MakeDirectory(dir / "new"));
    EXPECT_TRUE(EntryExists(dir / "new"));
    EXPECT_TRUE(MakeDirectory(dir / "with separator" + kSep));
    EXPECT_TRUE(EntryExists(dir / "with separator"));

    WriteFile(dir / "new/kept", "x");
    EXPECT_FALSE(MakeDirectory(dir / "new"));
    EXPECT_EQ(ReadFile(dir / "new/kept"), "x");

    EXPECT_FALSE(MakeDirectory(dir / "missing/child"));
    EXPECT_FALSE(Exists(dir / "missing"));
}

TEST(RemoveFile, DeletesFilesButNotDirectories) {
    ScratchDir dir;
    WriteFile(dir / "file", "x");
    MakeDirectories(dir / "sub");
    EXPECT_TRUE(RemoveFile(dir / "file"));
    EXPECT_FALSE(Exists(dir / "file"));
    EXPECT_FALSE(RemoveFile(dir / "sub"));
    EXPECT_TRUE(Exists(dir / "sub"));
    EXPECT_FALSE(RemoveFile(dir / "missing"));
}

TEST(IsRootOrBareDrive, RefusesRootsAndBareDrives) {
    const std::string s = kSep;
    struct Case {
        std::string path;
        bool refused;
    } const cases[] = {
        {"D:", true},      {"D:" + s, true},        {"d:" + s + s, true}, {s, true},
        {s + s + s, true}, {"D:" + s + "x", false}, {"x", false},         {s + "home", false},
        {"D:x", false},    {"." + s + "a", false},  {"ab:", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRootOrBareDrive(c.path), c.refused) << c.path;
}

TEST(RemoveDirectoryTree, RefusesEmptyPaths) {
    EXPECT_FALSE(RemoveDirectoryTree(""));
    EXPECT_FALSE(RemoveDirectoryTree("    "));
}

TEST(RemoveDirectoryTree, RemovesAWholeTreeAfterLeadingSpaces) {
    ScratchDir dir;
    MakeDirectories(dir / "tree/a/b");
    WriteFile(dir / "tree/a/b/deep", "1");
    WriteFile(dir / "tree/top", "2");
    EXPECT_TRUE(RemoveDirectoryTree("   " + (dir / "tree")));
    EXPECT_FALSE(Exists(dir / "tree"));
    EXPECT_THAT(Names(dir.path()), IsEmpty());
}

TEST(RemoveDirectoryTree, KeepsDotEntriesAndTheDirectoriesAboveThem) {
    ScratchDir dir;
    MakeDirectories(dir / "tree/a/b/c");
    MakeDirectories(dir / "tree/x/y");
    MakeDirectories(dir / "tree/.git/objects");
    WriteFile(dir / "tree/a/b/c/.keep", "keep");
    for (const char* file : {"tree/one", "tree/a/two", "tree/a/b/three", "tree/a/b/c/four", "tree/x/y/five"})
        WriteFile(dir / file, "gone");
    WriteFile(dir / "tree/.git/objects/blob", "kept under a dot directory");

    EXPECT_FALSE(RemoveDirectoryTree(dir / "tree"));
    EXPECT_THAT(Names(dir / "tree"), ElementsAre(".git", "a"));
    EXPECT_THAT(Names(dir / "tree/a"), ElementsAre("b"));
    EXPECT_THAT(Names(dir / "tree/a/b"), ElementsAre("c"));
    EXPECT_THAT(Names(dir / "tree/a/b/c"), ElementsAre(".keep"));
    EXPECT_EQ(ReadFile(dir / "tree/.git/objects/blob"), "kept under a dot directory");
}

TEST(CopyFileWithProgress, ReplacesAnExistingFile) {
    ScratchDir dir;
    WriteFile(dir / "source", "new content");
    WriteFile(dir / "destination", "old");
    EXPECT_TRUE(CopyFileWithProgress(dir / "source", dir / "destination", nullptr, nullptr));
    EXPECT_EQ(ReadFile(dir / "destination"), "new content");
    EXPECT_EQ(ReadFile(dir / "source"), "new content");
    EXPECT_THAT(Names(dir.path()), ElementsAre("destination", "source"));
}

TEST(CopyFileWithProgress, FailedCopiesLeaveTheDestinationAndNoTemporaryFile) {
    ScratchDir dir;
    WriteFile(dir / "destination", "old");
    WriteFile(dir / "source", "new");
    MakeDirectories(dir / "a directory");

    EXPECT_FALSE(CopyFileWithProgress(dir / "vanished", dir / "destination", nullptr, nullptr));
    EXPECT_FALSE(CopyFileWithProgress(dir / "source", dir / "a directory", nullptr, nullptr));
    EXPECT_FALSE(CopyFileWithProgress(dir / "source", dir / "missing/destination", nullptr, nullptr));

    EXPECT_EQ(ReadFile(dir / "destination"), "old");
    EXPECT_THAT(Names(dir / "a directory"), IsEmpty()); // no temporary file left anywhere
    EXPECT_THAT(Names(dir.path()), ElementsAre("a directory", "destination", "source"));
}

TEST(FileOps, NamesInTheCodePageWork) {
    // In GBK the second byte of 嘰 (87 5C) and 乗 (81 5C) is a backslash; it must never split a path.
    ScratchDir dir;
    const std::string sub = dir / platform::Utf8ToAnsi("乗 目录");
    const std::string name = platform::Utf8ToAnsi("嘰");
    const std::string other = platform::Utf8ToAnsi("数据 备份.txt");
    ASSERT_TRUE(MakeDirectory(sub));
    WriteFile(dir / name, "0123456789");
    WriteFile(testing_support::Join(sub, other), "abc");

    EXPECT_EQ(QueryFileSize(dir / name), 10);
    EXPECT_TRUE(CopyFileWithProgress(dir / name, testing_support::Join(sub, name), nullptr, nullptr));
    EXPECT_EQ(ReadFile(testing_support::Join(sub, name)), "0123456789");
    EXPECT_THAT(RunLoop(sub + kSep + "*.*", 0, false, 0, false), UnorderedElementsAre(name, other));

    EXPECT_TRUE(RemoveDirectoryTree(sub));
    EXPECT_FALSE(EntryExists(sub));
    EXPECT_THAT(RunLoop(dir.path() + kSep + "*.*", 0, false, 0, false), ElementsAre(name));
}

} // namespace
} // namespace brenvale
