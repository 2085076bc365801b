// Whole runs of a job on real trees, on both systems, observed through the display writes.
#include "sync/sync_job.h"

#include "sync/file_ops.h"
#include "tests/sync/engine_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

namespace brenvale::engine_test {
namespace {

using platform::FileOperation;
using testing::ElementsAre;
using testing::ElementsAreArray;

TEST_F(EngineTest, EqualTreesShowZeroAndOnlyFillTheBars) {
    Build({{"a.txt", "abc"}, {"sub/", ""}, {"sub/b", "12345"}},
          {{"a.txt", "abc"}, {"sub/", ""}, {"sub/b", "12345"}});
    EXPECT_EQ(Sync(), CompletionText());
    EXPECT_THAT(Lines(), ElementsAre("标签7=" + T("正在计算更新..."), "标签5=0", "进度条1.pos=100",
                                     "进度条2.pos=100", "标签7=" + T("文件同步完成!")));
    EXPECT_EQ(toolkit.ScreenOf(main_window::kOverallBar).position, 100);
    EXPECT_EQ(TakeSnapshot(local), TakeSnapshot(remote));
}

TEST_F(EngineTest, BringsANestedTreeInLine) {
    Build(
        {
            {"a.txt", "same"},
            {"b.txt", "remote b"},
            {"c.txt", "abc"},
            {"empty dir/", ""},
            {"deep/1/2/3/leaf", "leaf"},
            {"deep/1/x", "x"},
            {"data/f", "f"},
            {"new/n1", "n1"},
            {"new/n2", ""},
        },
        {
            {"a.txt", "same"},
            {"b.txt", "old"},
            {"c.txt", "xyz"}, // same size, other content: sizes alone decide, so it stays
            {"extra.txt", "gone"},
            {"deep/1/x", "x"},
            {"deep/1/obsolete/o", "o"},
            {"Data/f", "f"}, // not the same name as "data": removed, then "data" is made
            {"stale/s", "s"},
            {"stale/inner/t", "t"},
        });
    EXPECT_EQ(Sync(), CompletionText());
    Snapshot expected = TakeSnapshot(remote);
    expected["c.txt"] = "file:xyz";
    EXPECT_EQ(TakeSnapshot(local), expected);
}

TEST_F(EngineTest, ShowsEachCopyWithThePathsThePassesBuilt) {
    Build({{"a.txt", "1"}, {"sub/b.txt", "22"}});
    EXPECT_EQ(Sync(), CompletionText());
    const std::string top = local + sep + sep + sep; // each of the three passes adds one
    EXPECT_THAT(Lines({"进度条2", "标签6"}), ElementsAreArray({
                                                 "标签7=" + T("正在计算更新..."),
                                                 std::string("标签5=2"),
                                                 std::string("进度条1.min=0"),
                                                 std::string("进度条1.pos=0"),
                                                 std::string("进度条1.max=2"),
                                                 "标签7=" + top + "sub" + sep, // subdirectories first
                                                 std::string("标签8=b.txt"),
                                                 std::string("进度条1.pos=1"),
                                                 std::string("标签5=50%"),
                                                 "标签7=" + top,
                                                 std::string("标签8=a.txt"),
                                                 std::string("进度条1.pos=2"),
                                                 std::string("标签5=100%"),
                                                 std::string("进度条1.pos=2"),
                                                 "标签7=" + T("文件同步完成!"),
                                             }));
}

TEST_F(EngineTest, UnreadableRemoteRootChangesNothing) {
    BuildTree(local, {{"precious", "keep"}, {"sub/deeper", "keep too"}});
    Freeze();
    const Snapshot local_before = TakeSnapshot(local);
    Start(scratch / "no such remote", local);
    EXPECT_EQ(WaitForEnd(), RemoteUnreadableText());
    EXPECT_EQ(TakeSnapshot(local), local_before);

    Start(scratch / "no such remote", scratch / "no such local");
    EXPECT_EQ(WaitForEnd(), RemoteUnreadableText());
    EXPECT_FALSE(testing_support::Exists(scratch / "no such local"))
        << "not even the local directory is made";
}

TEST_F(EngineTest, UnreadableRemoteSubdirectoryLeavesItsLocalLevelAlone) {
    Build({{"ok.txt", "ok"}, {"locked/secret", "s"}},
          {{"locked/mine", "local only"}, {"locked/inner/deep", "d"}});
    const std::string locked = remote + sep + "locked";
    hooks.on_operation = [&](FileOperation operation, const std::string& path) {
        return operation == FileOperation::kListDirectory && SamePath(path, locked);
    };
    EXPECT_EQ(Sync(), FailuresText(1));
    EXPECT_EQ(testing_support::ReadFile(local + sep + "locked" + sep + "mine"), "local only");
    EXPECT_EQ(testing_support::ReadFile(local + sep + "locked" + sep + "inner" + sep + "deep"), "d");
    EXPECT_EQ(testing_support::ReadFile(local + sep + "ok.txt"), "ok");
}

TEST_F(EngineTest, StopDuringThePrunePassEndsItsLevel) {
    Build({{"keep/k", "k"}, {"a", "a"}, {"b", "b"}},
          {{"x1", "1"}, {"x2", "2"}, {"x3", "3"}, {"keep/k", "k"}, {"keep/extra", "e"}, {"gone/g", "g"}});
    hooks.on_operation = [&](FileOperation operation, const std::string&) {
        if (operation == FileOperation::kDeleteFile)
            StopFlag = 1; // the first deletion asks to stop; the deletion itself goes ahead
        return false;
    };
    EXPECT_EQ(Sync(), StoppedText());
    const Snapshot after = TakeSnapshot(local);
    EXPECT_EQ(after.count("x1") + after.count("x2") + after.count("x3"), 2u)
        << "one file, then the level ended";
    EXPECT_EQ(after.count("gone"), 1u) << "the directory loop of the stopped level was skipped";
    EXPECT_EQ(after.count("keep/extra"), 1u);
    EXPECT_EQ(after.count("a") + after.count("b"), 1u) << "with the stop still asked, one file per directory";
}

TEST_F(EngineTest, StopDuringTheCountPassLeavesOneCopyPerDirectory) {
    Build({{"new/d1", "1"}, {"new/d2", "2"}, {"t1", "1"}, {"t2", "2"}}, {{"old", ""}});
    const std::string counted_directory = local + sep + "new";
    hooks.on_operation = [&](FileOperation operation, const std::string& path) {
        if (operation == FileOperation::kCreateDirectory && SamePath(path, counted_directory))
            StopFlag = 1;
        return false;
    };
    EXPECT_EQ(Sync(), StoppedText());
    EXPECT_THAT(Lines(), testing::Contains("标签5=4")) << "the count pass runs to its end";
    const Snapshot after = TakeSnapshot(local);
    EXPECT_EQ(after.count("new/d1") + after.count("new/d2"), 1u);
    EXPECT_EQ(after.count("t1") + after.count("t2"), 1u);
    EXPECT_EQ(toolkit.ScreenOf(main_window::kOverallBar).position, 4) << "both bars end full";
}

TEST_F(EngineTest, StopDuringACopyLetsThatCopyFinish) {
    Build({{"sub/big", std::string(100000, 'b')}, {"sub/c", "c"}, {"a", "a"}, {"b", "b"}});
    hooks.on_operation = [&](FileOperation operation, const std::string& path) {
        if (operation == FileOperation::kCopy && SamePath(path, remote + sep + "sub" + sep + "big"))
            StopFlag = 1;
        return false;
    };
    EXPECT_EQ(Sync(), StoppedText());
    const Snapshot after = TakeSnapshot(local);
    EXPECT_EQ(after.at("sub/big"), "file:" + std::string(100000, 'b'));
    EXPECT_EQ(after.count("a") + after.count("b"), 1u);
}

TEST_F(EngineTest, FailuresAreCountedNotHidden) {
    Build({{"blocked", "abc"}, {"refused", "new"}, {"missing", "m"}},
          {{"blocked/.keep", ""}, {"refused", "old!"}, {"stuck extra", "x"}});
    // A directory that keeps a dot file cannot make way for the remote file "blocked" (a real
    // failure on every system); the replace of "refused" and the deletion of "stuck extra" are
    // refused through the hook.
    hooks.on_operation = [&](FileOperation operation, const std::string& path) {
        return (operation == FileOperation::kReplace && SamePath(path, local + sep + "refused")) ||
               (operation == FileOperation::kDeleteFile && SamePath(path, local + sep + "refused")) ||
               (operation == FileOperation::kDeleteFile && SamePath(path, local + sep + "stuck extra"));
    };
    EXPECT_EQ(Sync(), FailuresText(3));
    const Snapshot after = TakeSnapshot(local);
    EXPECT_EQ(after.at("missing"), "file:m");
    EXPECT_EQ(after.at("refused"), "file:old!");
    EXPECT_EQ(after.at("blocked"), "dir");
    EXPECT_EQ(after.count("stuck extra"), 1u);
    EXPECT_THAT(testing_support::Names(local),
                testing::Not(testing::Contains(testing::StartsWith(kTemporaryFilePrefix))));
}

TEST_F(EngineTest, ADifferingFileThatCannotBeDeletedFailsEvenWithNothingMissing) {
    Build({{"f", "remote"}}, {{"f", "local, longer"}});
    hooks.on_operation = [&](FileOperation operation, const std::string&) {
        return operation == FileOperation::kDeleteFile;
    };
    EXPECT_EQ(Sync(), FailuresText(1));
}

TEST_F(EngineTest, LeftoverTemporaryFilesAreCleanedUp) {
    const std::string leftover = std::string(kTemporaryFilePrefix) + "0000abcd-7.partial";
    Build({{"a", "a"}, {"sub/b", "bb"}}, {{leftover, "half a copy"}, {"sub/" + leftover, ""}});
    EXPECT_EQ(Sync(), CompletionText());
    EXPECT_EQ(TakeSnapshot(local), TakeSnapshot(remote));
}

TEST_F(EngineTest, SizesCompareAsWholeSixtyFourBitValues) {
    Build({{"small", "0123456789"}}, {{"big", ""}, {"small", ""}});
    testing_support::MakeSizedFile(remote + sep + "big", (std::int64_t{1} << 32) + 10);
    testing_support::MakeSizedFile(local + sep + "big", (std::int64_t{1} << 32) + 10);
    testing_support::MakeSizedFile(local + sep + "small", (std::int64_t{1} << 32) + 10);
    Freeze();
    EXPECT_EQ(Sync(), CompletionText());
    EXPECT_EQ(QueryFileSize(local + sep + "big"), (std::int64_t{1} << 32) + 10) << "equal sizes: left alone";
    EXPECT_EQ(testing_support::ReadFile(local + sep + "small"), "0123456789")
        << "4 GiB + 10 bytes is not 10 bytes";
}

TEST_F(EngineTest, NamesInTheCodePageSync) {
    Build({{T("数据/备份 1.txt"), "x"}, {T("乗/嘰"), "yy"}}, {{T("乗/旧"), "old"}});
    EXPECT_EQ(Sync(), CompletionText());
    EXPECT_EQ(TakeSnapshot(local), TakeSnapshot(remote));
}

TEST_F(EngineTest, OverlappingDirectoriesAreRefusedUntouched) {
    Build({{"a", "a"}, {"sub/b", "b"}});
    Start(remote, remote + sep + "sub");
    EXPECT_EQ(WaitForEnd(), OverlapText());
    Start(remote + sep + "sub", remote);
    EXPECT_EQ(WaitForEnd(), OverlapText());
}

TEST(DirectoriesOverlap, ComparesResolvedPaths) {
    testing_support::ScratchDir scratch;
    testing_support::BuildTree(scratch.path(), {{"remote/sub/", ""}, {"remote2/", ""}, {"local/", ""}});
    const std::string s(1, platform::kSeparator);
    const std::string r = scratch / "remote";
    const bool ignores_case = platform::SameEntryName("a", "A");
    struct Case {
        std::string remote, local;
        bool overlap;
    } const cases[] = {
        {r, scratch / "local", false},
        {r, scratch / "remote2", false}, // a common prefix of letters is not nesting
        {r, r, true},
        {r, r + s, true},
        {r, r + s + s + "sub", true},
        {r + s + "sub", r, true},
        {r, r + s + "not yet" + s + "made", true},
        {r, r + s + "sub" + s + ".." + s + ".." + s + "local", false},
        {r, scratch / "local" + s + ".." + s + "remote" + s + "." + s + "sub", true},
        {r, scratch.path() + s + "REMOTE" + s + "sub", ignores_case},
        {r, "", true},
        {"", r, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DirectoriesOverlap(c.remote, c.local), c.overlap) << c.remote << " | " << c.local;
}

TEST_F(EngineTest, ASecondStartTakesOverFromARunningJob) {
    Build({{"1", "one"}, {"2", "two"}, {"3", "three"}});
    std::atomic<bool> in_hook{false}, release{false}, blocked_once{false};
    hooks.on_operation = [&](FileOperation operation, const std::string&) {
        if (operation == FileOperation::kCopy && !blocked_once.exchange(true)) {
            in_hook = true;
            for (int i = 0; i < 10000 && !release; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    Start(remote, local);
    ASSERT_TRUE(toolkit.RunUntil([&] { return in_hook.load(); }, std::chrono::seconds(30)));
    Start(remote, local); // the UI thread does not wait for the first worker
    release = true;
    EXPECT_EQ(WaitForEnd(), CompletionText());
    // Give the first worker every chance to write after the second, had it been able to.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const std::vector<RecordedWrite> writes = Writes();
    const std::string calculating = T("正在计算更新...");
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < writes.size(); ++i)
        if (writes[i].value == calculating)
            starts.push_back(i);
    ASSERT_EQ(starts.size(), 2u);
    const std::thread::id second = writes[starts[1]].thread;
    EXPECT_NE(writes[starts[0]].thread, second);
    for (std::size_t i = starts[1]; i < writes.size(); ++i)
        EXPECT_EQ(writes[i].thread, second) << "write " << writes[i].Line() << " came from the first worker";
    std::size_t end_texts = 0;
    for (const RecordedWrite& write : writes)
        end_texts += IsEndText(write.value);
    EXPECT_EQ(end_texts, 1u) << "the job that was taken over shows no end";
    EXPECT_EQ(TakeSnapshot(local), TakeSnapshot(remote));
}

TEST_F(EngineTest, RunsOneAfterAnother) {
    Build({{"a", "a"}, {"b/c", "c"}});
    EXPECT_EQ(Sync(), CompletionText());
    EXPECT_EQ(TheSyncJob().RemoteDir, remote) << "the record keeps the texts as given";
    EXPECT_EQ(Sync(), CompletionText());
    EXPECT_THAT(Lines(), testing::Contains("标签5=0")) << "the second run found nothing missing";
}

TEST(EndTexts, AreRecognised) {
    EXPECT_TRUE(IsCleanEndText(CompletionText()));
    for (const std::string& text : {CompletionText(), StoppedText(), FailuresText(1), FailuresText(32768),
                                    RemoteUnreadableText(), OverlapText()})
        EXPECT_TRUE(IsEndText(text)) << text;
    for (const std::string& text :
         {CalculatingText(), std::string(), FailuresText(3) + "x", std::string("3%")}) {
        EXPECT_FALSE(IsEndText(text)) << text;
        EXPECT_FALSE(IsCleanEndText(text)) << text;
    }
    EXPECT_FALSE(IsCleanEndText(StoppedText()));
    EXPECT_EQ(FailuresText(12), platform::Utf8ToAnsi("同步结束，有 12 个文件未能同步!"));
}

} // namespace
} // namespace brenvale::engine_test
