// The posted-work queue and the Tab cycle that the Win32 and Qt toolkits share.
#include "controls/toolkit_support.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace brenvale {
namespace {

using std::chrono::milliseconds;

TEST(NextInTabCycle, GoesRoundBothWaysAndSkipsWhatCannotTakeTheFocus) {
    const std::vector<std::uint32_t> order = {10, 20, 30, 40, 50};
    struct Case {
        std::uint32_t focused;
        bool forward;
        std::set<std::uint32_t> refused;
        std::uint32_t expected;
    } const cases[] = {
        {10, true, {}, 20},
        {50, true, {}, 10},
        {10, false, {}, 50},
        {30, false, {}, 20},
        {0, true, {}, 10},
        {0, false, {}, 50}, // none focused yet
        {99, true, {}, 10},
        {99, false, {}, 50}, // focus outside the cycle
        {10, true, {20}, 30},
        {50, true, {10, 20}, 30},
        {30, false, {10, 20}, 50},
        {30, true, {10, 20, 40, 50}, 30}, // only itself is left
        {30, true, {10, 20, 30, 40, 50}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextInTabCycle(order, c.focused, c.forward,
                                 [&](std::uint32_t number) { return c.refused.count(number) == 0; }),
                  c.expected)
            << "from " << c.focused << (c.forward ? " forward" : " back");
    EXPECT_EQ(NextInTabCycle({}, 0, true, [](std::uint32_t) { return true; }), 0u);
}

TEST(PostedWorkQueue, RunsInOrderWakesOncePerBatchAndDropsWhileClosed) {
    int wakes = 0;
    std::vector<int> ran;
    PostedWorkQueue queue([&] { ++wakes; });
    queue.Post([&] { ran.push_back(0); }); // before Open: dropped
    queue.Open();
    for (int i = 1; i <= 3; ++i)
        queue.Post([&, i] { ran.push_back(i); });
    queue.Post([&] { queue.Post([&] { ran.push_back(5); }); }); // posted while running: runs too
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(queue.RunDue(), std::nullopt);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 5}));
    queue.Post([&] { ran.push_back(6); });
    EXPECT_EQ(wakes, 3) << "the post made while running woke again, and so did the next one";
    queue.Close();
    queue.Post([&] { ran.push_back(7); });
    EXPECT_EQ(queue.RunDue(), std::nullopt);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 5})) << "closing dropped the queued work and later posts";
}

TEST(PostedWorkQueue, DelayedWorkWaitsForItsTime) {
    PostedWorkQueue queue([] {});
    queue.Open();
    bool ran = false;
    queue.PostDelayed([&] { ran = true; }, milliseconds(40));
    const auto wait = queue.RunDue();
    ASSERT_TRUE(wait.has_value());
    EXPECT_FALSE(ran);
    EXPECT_GE(*wait, milliseconds(1));
    EXPECT_LE(*wait, milliseconds(40));
    std::this_thread::sleep_for(milliseconds(41));
    EXPECT_EQ(queue.RunDue(), std::nullopt);
    EXPECT_TRUE(ran);
}

TEST(PostedWorkQueue, PostsFromOtherThreadsAllArriveInEachThreadsOrder) {
    PostedWorkQueue queue([] {});
    queue.Open();
    std::vector<std::pair<int, int>> ran; // touched on this thread only, inside RunDue
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                queue.Post([&, t, i] { ran.emplace_back(t, i); });
        });
    while (ran.size() < 2000) {
        queue.RunDue();
        std::this_thread::yield();
    }
    for (std::thread& poster : posters)
        poster.join();
    int next[4] = {};
    for (const auto& [t, i] : ran)
        EXPECT_EQ(i, next[t]++);
}

} // namespace
} // namespace brenvale
