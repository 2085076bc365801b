// Whole runs that only Linux can show: the per-file progress writes (Wine's copy reports none),
// and hostile trees with links and FIFOs (Wine follows links and blocks on FIFOs).
#include "sync/sync_job.h"

#include "tests/sync/engine_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brenvale::engine_test {
namespace {

using testing::ElementsAreArray;

void Link(const std::string& target, const std::string& link) {
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
}

TEST_F(EngineTest, ShowsThePerFileProgressOfEveryCopy) {
    Build({{"a.txt", std::string(5000, 'a')}, {"empty", ""}});
    EXPECT_EQ(Sync(), CompletionText());
    const std::string top = local + "///";
    EXPECT_THAT(Lines(), ElementsAreArray({
                             "标签7=" + T("正在计算更新..."), std::string("标签5=2"),
                             std::string("进度条1.min=0"),    std::string("进度条2.min=0"),
                             std::string("进度条1.pos=0"),    std::string("进度条2.pos=0"),
                             std::string("进度条1.max=2"),    "标签7=" + top,
                             std::string("标签8=a.txt"),
                             std::string("进度条2.pos=0"), // before any data moves
                             std::string("标签6=0%"),         std::string("进度条2.pos=100"),
                             std::string("标签6=100%"),       std::string("进度条1.pos=1"),
                             std::string("标签5=50%"),        "标签7=" + top,
                             std::string("标签8=empty"),
                             std::string("进度条2.pos=0"), // an empty file: one call, 0%
                             std::string("标签6=0%"),         std::string("进度条1.pos=2"),
                             std::string("标签5=100%"),       std::string("进度条1.pos=2"),
                             std::string("进度条2.pos=100"),  "标签7=" + T("文件同步完成!"),
                         }));
}

TEST_F(EngineTest, HostileLinksChangeNothingOutsideTheLocalTree) {
    Build({{"a.txt", "a"}, {"data/f", "f"}, {"dir/inner", "i"}}, {{"dir/", ""}, {"gone/", ""}},
          {{"precious", "keep"}, {"sub/also", "keep too"}});
    // Remote: a link out of both trees, a link loop, a link to itself, a link to a file, a FIFO.
    Link(outside, remote + "/to outside");
    Link(".", remote + "/loop");
    Link("self", remote + "/self");
    Link("a.txt", remote + "/to a file");
    ASSERT_EQ(mkfifo((remote + "/fifo").c_str(), 0600), 0);
    // Local: a link named like a remote directory, one named like nothing remote, one inside a
    // directory the remote lacks, one inside a directory it has.
    Link(outside, local + "/data");
    Link(outside, local + "/stray");
    Link(outside, local + "/gone/inner link");
    Link(outside + "/sub", local + "/dir/inner");
    Freeze();

    EXPECT_EQ(Sync(), FailuresText(1)) << "the FIFO cannot be copied, and says so";
    const Snapshot after = TakeSnapshot(local);
    EXPECT_EQ(after.at("data"), "dir");
    EXPECT_EQ(after.at("data/f"), "file:f");
    EXPECT_EQ(after.at("dir/inner"), "file:i");
    EXPECT_EQ(after.at("to outside"), "link:" + outside);
    EXPECT_EQ(after.at("loop"), "link:.");
    EXPECT_EQ(after.at("self"), "link:self");
    EXPECT_EQ(after.at("to a file"), "link:a.txt");
    EXPECT_EQ(after.count("stray"), 0u);
    EXPECT_EQ(after.count("gone"), 0u);
    EXPECT_EQ(after.count("fifo"), 0u);

    // A second run is clean but for the FIFO, and touches nothing through the links it made.
    EXPECT_EQ(Sync(), FailuresText(1));
    EXPECT_EQ(TakeSnapshot(local), after);
}

TEST_F(EngineTest, OverlapSeesThroughLinks) {
    Build({{"sub/x", "x"}});
    Link(remote, scratch / "remote link");
    Link(remote + "/sub", scratch / "sub link");
    EXPECT_TRUE(DirectoriesOverlap(remote, scratch / "remote link"));
    EXPECT_TRUE(DirectoriesOverlap(remote, scratch / "sub link"));
    EXPECT_TRUE(DirectoriesOverlap(scratch / "sub link", remote));
    EXPECT_TRUE(DirectoriesOverlap(remote, scratch / "remote link/sub/../new"));
    EXPECT_FALSE(DirectoriesOverlap(remote, local));
    Start(scratch / "remote link", remote + "/sub");
    EXPECT_EQ(WaitForEnd(), OverlapText());
}

TEST_F(EngineTest, ARemoteRootThatIsALinkIsFollowed) {
    Build({{"a", "a"}});
    Link(remote, scratch / "share");
    Start(scratch / "share", local);
    EXPECT_EQ(WaitForEnd(), CompletionText());
    EXPECT_EQ(TakeSnapshot(local), TakeSnapshot(remote));
}

} // namespace
} // namespace brenvale::engine_test
