// The property operations on the main window through the headless toolkit: limits and read-back,
// timer rules, edit boxes, events, writes from another thread, and the window's end.
#include "controls/control_properties.h"

#include "app/main_window.h"
#include "controls/headless_toolkit.h"
#include "platform/platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace brenvale {
namespace {

using namespace main_window;
using std::chrono::seconds;

// Handlers are plain functions; they report to the fixture through these.
HeadlessToolkit* g_toolkit = nullptr;
std::vector<std::string> g_events;
bool g_shown_when_created = true;

MainWindowHandlers RecordingHandlers() {
    return {
        [] {
            g_events.push_back("created");
            g_shown_when_created = g_toolkit->window_shown();
        },
        [] { g_events.push_back("start/stop"); },
        [] { g_events.push_back("pick remote"); },
        [] { g_events.push_back("pick local"); },
        [] { g_events.push_back("tick " + std::to_string(g_toolkit->Now())); },
    };
}

class ControlPropertiesTest : public testing::Test {
  protected:
    void SetUp() override {
        g_toolkit = &toolkit;
        g_events.clear();
        LoadWindow(MainWindowDefinition(RecordingHandlers()), toolkit);
    }
    void TearDown() override { g_toolkit = nullptr; }

    HeadlessToolkit toolkit;
};

const ControlRef kOverall = MainWindowControl(kOverallBar);
const ControlRef kFile = MainWindowControl(kFileBar);
const ControlRef kStatus = MainWindowControl(kStatusLabel);
const ControlRef kTimer = MainWindowControl(kWatchTimer);
const ControlRef kRemote = MainWindowControl(kRemoteBox);
const ControlRef kStart = MainWindowControl(kStartButton);

TEST_F(ControlPropertiesTest, WindowOpensWithTheDefinitionsValues) {
    EXPECT_THAT(g_events, testing::ElementsAre("created"));
    EXPECT_FALSE(g_shown_when_created) << "the created event runs before the window is shown";
    EXPECT_TRUE(toolkit.window_shown());
    EXPECT_EQ(GetControlInteger(kFile, kBarMinimum), 0);
    EXPECT_EQ(GetControlInteger(kFile, kBarMaximum), 100);
    EXPECT_EQ(GetControlInteger(kFile, kBarPosition), 0);
    EXPECT_EQ(GetControlInteger(kTimer, kTimerPeriod), 0);
    EXPECT_EQ(GetControlText(kStatus, kLabelCaption), "");
    EXPECT_EQ(GetControlText(kStart, kButtonCaption), platform::Utf8ToAnsi("开始对比"));
    EXPECT_EQ(GetControlText(MainWindowControl(kLabel4), kLabelCaption),
              platform::Utf8ToAnsi("单个文件进度"));
    EXPECT_EQ(toolkit.ScreenOf(kLabel1).text, platform::Utf8ToAnsi("远程目录"));
}

TEST_F(ControlPropertiesTest, BarsLimitWhatIsStoredAndShowTheRange) {
    struct Write {
        std::uint32_t property;
        std::int32_t value;
    };
    struct Case {
        const char* what;
        std::vector<Write> writes;
        std::int32_t minimum, maximum, position; // read back
        int low, high, shown;                    // on screen
    } const cases[] = {
        {"maximum above the limit", {{kBarMaximum, 32768}}, 0, 32767, 0, 0, 32767, 0},
        {"negative position", {{kBarMinimum, 10}, {kBarPosition, -5}}, 10, 100, 0, 10, 100, 10},
        {"position past the maximum", {{kBarPosition, 150}}, 0, 100, 150, 0, 100, 100},
        {"position past the limit", {{kBarPosition, 40000}}, 0, 100, 32767, 0, 100, 100},
        {"empty range", {{kBarMinimum, 0}, {kBarMaximum, 0}, {kBarPosition, 7}}, 0, 0, 7, 0, 0, 0},
        {"minimum above maximum",
         {{kBarMaximum, 50}, {kBarMinimum, 100}, {kBarPosition, 70}},
         100,
         50,
         70,
         50,
         100,
         50},
        {"negative maximum", {{kBarMaximum, -3}}, 0, 0, 0, 0, 0, 0},
        {"range set after the position", {{kBarPosition, 3}, {kBarMaximum, 3}}, 0, 3, 3, 0, 3, 3},
    };
    for (const Case& c : cases) {
        for (std::uint32_t property : {kBarMinimum, kBarMaximum, kBarPosition}) // back to 0, 100, 0
            SetControlProperty(kOverall, property, property == kBarMaximum ? 100 : 0);
        for (const Write& write : c.writes)
            SetControlProperty(kOverall, write.property, write.value);
        EXPECT_EQ(GetControlInteger(kOverall, kBarMinimum), c.minimum) << c.what;
        EXPECT_EQ(GetControlInteger(kOverall, kBarMaximum), c.maximum) << c.what;
        EXPECT_EQ(GetControlInteger(kOverall, kBarPosition), c.position) << c.what;
        const auto& screen = toolkit.ScreenOf(kOverallBar);
        EXPECT_EQ(screen.low, c.low) << c.what;
        EXPECT_EQ(screen.high, c.high) << c.what;
        EXPECT_EQ(screen.position, c.shown) << c.what;
    }
    EXPECT_EQ(toolkit.ScreenOf(kFileBar).high, 100) << "the other bar is untouched";
}

TEST_F(ControlPropertiesTest, TimerKeepsItsRhythmUnlessThePeriodChanges) {
    const auto ticks_of = [&] {
        std::vector<std::int64_t> times;
        for (const auto& [timer, time] : toolkit.ticks)
            times.push_back(time);
        return times;
    };
    toolkit.AdvanceTime(100);
    SetControlProperty(kTimer, kTimerPeriod, 1000); // first tick one full period later
    toolkit.AdvanceTime(2500);                      // now 2600
    EXPECT_THAT(ticks_of(), testing::ElementsAre(1100, 2100));
    SetControlProperty(kTimer, kTimerPeriod, 1000); // same period: not restarted
    toolkit.AdvanceTime(600);                       // now 3200
    EXPECT_THAT(ticks_of(), testing::ElementsAre(1100, 2100, 3100));
    SetControlProperty(kTimer, kTimerPeriod, 500); // new period: restarted from now
    toolkit.AdvanceTime(1000);                     // now 4200
    EXPECT_THAT(ticks_of(), testing::ElementsAre(1100, 2100, 3100, 3700, 4200));
    SetControlProperty(kTimer, kTimerPeriod, -1); // negative: stopped, reads 0
    EXPECT_EQ(GetControlInteger(kTimer, kTimerPeriod), 0);
    toolkit.AdvanceTime(5000);
    EXPECT_EQ(ticks_of().size(), 5u);
    EXPECT_THAT(g_events, testing::Contains("tick 3700"));
    EXPECT_FALSE(toolkit.ScreenOf(kWatchTimer).timer_running);
}

TEST_F(ControlPropertiesTest, EditBoxReadsWhatTheBoxShows) {
    toolkit.TypeText(kRemoteBox, "typed by the user");
    EXPECT_EQ(GetControlText(kRemote, kEditContent), "typed by the user");
    SetControlProperty(kRemote, kEditContent, "written");
    EXPECT_EQ(toolkit.ScreenOf(kRemoteBox).text, "written");
    SetControlProperty(kRemote, kEditContent, static_cast<const char*>(nullptr));
    EXPECT_EQ(GetControlText(kRemote, kEditContent), "");

    // From another thread the read is answered by the UI thread.
    toolkit.TypeText(kRemoteBox, "seen from the worker");
    std::string seen;
    std::atomic<bool> answered{false};
    std::thread worker([&] {
        seen = GetControlText(kRemote, kEditContent);
        answered = true;
    });
    EXPECT_TRUE(toolkit.RunUntil([&] { return answered.load(); }, seconds(10)));
    worker.join();
    EXPECT_EQ(seen, "seen from the worker");
}

TEST_F(ControlPropertiesTest, TextsAreCopiedInAndOut) {
    std::string caption = "停止";
    SetControlProperty(kStart, kButtonCaption, caption);
    caption[0] = 'X';
    std::string read = GetControlText(kStart, kButtonCaption);
    EXPECT_EQ(read, "停止");
    read[0] = 'Y';
    EXPECT_EQ(GetControlText(kStart, kButtonCaption), "停止");
}

TEST_F(ControlPropertiesTest, EventsReachTheirHandlers) {
    toolkit.Click(kStartButton);
    toolkit.Click(kBrowseRemote);
    toolkit.Click(kBrowseLocal);
    toolkit.Click(kLabel1); // no handler
    EXPECT_THAT(g_events, testing::ElementsAre("created", "start/stop", "pick remote", "pick local"));
}

TEST_F(ControlPropertiesTest, IsControlCreatedWhileTheWindowLives) {
    EXPECT_FALSE(IsControlCreated(kNoControl));
    EXPECT_TRUE(IsControlCreated(MainWindowControl(kCountLabel)));
    EXPECT_TRUE(IsControlCreated(MainWindowControl(0)));
    EXPECT_FALSE(IsControlCreated(MainWindowControl(12345)));
    EXPECT_FALSE(IsControlCreated(ControlRef{42, kCountLabel}));
    toolkit.Close();
    EXPECT_FALSE(IsControlCreated(MainWindowControl(kCountLabel)));
}

TEST_F(ControlPropertiesTest, WorkerWritesAreStoredAtOnceAndShownInOrder) {
    constexpr int kWrites = 2000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 1; i <= kWrites; ++i) {
            SetControlProperty(kStatus, kLabelCaption, std::to_string(i));
            SetControlProperty(kFile, kBarPosition, i % 101);
            // Taken effect before the next write: every thread reads it back.
            if (GetControlText(kStatus, kLabelCaption) != std::to_string(i))
                ADD_FAILURE() << "write " << i << " not stored";
        }
        done = true;
    });
    EXPECT_TRUE(toolkit.RunUntil([&] { return done.load(); }, seconds(30)));
    worker.join();
    toolkit.RunPending();

    int last = 0;
    for (const std::string& entry : toolkit.applied) {
        const std::string prefix = "text " + std::to_string(kStatusLabel) + " ";
        if (entry.rfind(prefix, 0) != 0)
            continue;
        const int shown = std::stoi(entry.substr(prefix.size()));
        EXPECT_GT(shown, last) << "an older caption shown after a newer one";
        last = shown;
    }
    EXPECT_EQ(last, kWrites);
    EXPECT_EQ(toolkit.ScreenOf(kStatusLabel).text, std::to_string(kWrites));
    EXPECT_EQ(toolkit.ScreenOf(kFileBar).position, kWrites % 101);
}

TEST_F(ControlPropertiesTest, ConcurrentReadsSeeWholeTexts) {
    const std::string a(4000, 'a'), b(3000, 'b');
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        for (int i = 0; !stop; ++i)
            SetControlProperty(kStatus, kLabelCaption, i % 2 ? a : b);
    });
    int torn = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string read = GetControlText(kStatus, kLabelCaption);
        torn += !(read.empty() || read == a || read == b);
        if (i % 64 == 0)
            toolkit.RunPending();
    }
    stop = true;
    worker.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(ControlPropertiesTest, WritesAfterTheWindowClosedAreDropped) {
    SetControlProperty(kStatus, kLabelCaption, "before");
    toolkit.Close();
    std::thread worker([] {
        for (int i = 0; i < 100; ++i) {
            SetControlProperty(kStatus, kLabelCaption, "after");
            SetControlProperty(kOverall, kBarPosition, GetControlInteger(kOverall, kBarMaximum));
        }
        (void)GetControlText(kRemote, kEditContent); // must not wait for a UI thread that is gone
    });
    worker.join();
    SetControlProperty(kStatus, kLabelCaption, "after, on the UI thread");
    toolkit.RunPending();
    EXPECT_EQ(toolkit.ScreenOf(kStatusLabel).text, "before");
    EXPECT_EQ(GetControlText(kStatus, kLabelCaption), "before");
}

using ControlPropertiesDeathTest = ControlPropertiesTest;

TEST_F(ControlPropertiesDeathTest, BadReferencesEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(SetControlProperty(ControlRef{42, 1}, kLabelCaption, "x"), testing::ExitedWithCode(3),
                "window 42 is not loaded");
    EXPECT_EXIT(SetControlProperty(MainWindowControl(999), kLabelCaption, "x"), testing::ExitedWithCode(3),
                "has no control 999");
    EXPECT_EXIT(GetControlProperty(kStatus, kBarMaximum), testing::ExitedWithCode(3), "has no property 12");
    EXPECT_EXIT(SetControlProperty(kOverall, kBarPosition, "text"), testing::ExitedWithCode(3),
                "of that type");
}

} // namespace
} // namespace brenvale
