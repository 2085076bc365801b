// The window's handlers on the headless toolkit: the start/stop command with its messages, the
// completion watcher after clean and other ends, and the folder pickers with the settings file.
#include "app/commands.h"

#include "controls/control_properties.h"
#include "controls/headless_toolkit.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "sync/sync_job.h"
#include "tests/support/scratch.h"
#include "tests/support/tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace brenvale {
namespace {

using namespace main_window;
using std::chrono::seconds;
using testing_support::ReadFile;
using testing_support::TakeSnapshot;

std::string T(const char* utf8) { return platform::Utf8ToAnsi(utf8); }

std::atomic<bool> g_hold_worker{false};

bool HoldWorker(platform::FileOperation, const std::string&, void*) {
    for (int i = 0; i < 10000 && g_hold_worker; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return false;
}

class CommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        SetRunDirectoryForTesting(scratch.path());
        testing_support::BuildTree(remote, {{"a", "a"}, {"sub/b", "bb"}});
        LoadWindow(MainWindowDefinition(WindowHandlers()), toolkit);
    }
    void TearDown() override {
        g_hold_worker = false;
        EXPECT_TRUE(WaitForSyncWorkers(seconds(60)));
        platform::SetFileOperationHook(nullptr, nullptr);
        SetRunDirectoryForTesting("");
    }

    std::string Text(std::uint32_t control, std::uint32_t property = kLabelCaption) {
        return GetControlText(MainWindowControl(control), property);
    }
    std::int32_t Integer(std::uint32_t control, std::uint32_t property) {
        return GetControlInteger(MainWindowControl(control), property);
    }
    void Type(const std::string& remote_text, const std::string& local_text) {
        toolkit.TypeText(kRemoteBox, remote_text);
        toolkit.TypeText(kLocalBox, local_text);
    }
    // Runs the UI thread until the worker has written its end text and ended.
    void WaitForTheWorker() {
        EXPECT_TRUE(toolkit.RunUntil([&] { return IsEndText(Text(kStatusLabel)); }, seconds(60)));
        EXPECT_TRUE(WaitForSyncWorkers(seconds(60)));
        toolkit.RunPending();
    }
    void ExpectIdleAfterACleanRun() {
        EXPECT_EQ(Text(kStartButton, kButtonCaption), T("开始对比"));
        EXPECT_EQ(Integer(kOverallBar, kBarPosition), 0);
        EXPECT_EQ(Integer(kFileBar, kBarPosition), 0);
        EXPECT_EQ(Text(kCountLabel), "100%");
        EXPECT_EQ(Text(kFilePercentLabel), "100%");
        EXPECT_EQ(Text(kFileNameLabel), "");
        EXPECT_EQ(Text(kStatusLabel), CompletionText());
    }

    testing_support::ScratchDir scratch;
    const std::string remote = scratch / "remote";
    const std::string local = scratch / "local";
    HeadlessToolkit toolkit;
};

TEST_F(CommandsTest, EmptyOrOverlappingPathsOnlyShowAMessage) {
    struct Case {
        std::string remote, local, message;
    } const cases[] = {
        {"", "", T("远程目录不能为空！")},
        {"", local, T("远程目录不能为空！")},
        {remote, "", T("本地目录不能为空！")},
        {remote, remote + platform::kSeparator + "sub", OverlapText()},
    };
    for (const Case& c : cases) {
        toolkit.messages.clear();
        Type(c.remote, c.local);
        toolkit.Click(kStartButton);
        EXPECT_THAT(toolkit.messages, testing::ElementsAre(std::pair(c.message, T("信息："))));
        EXPECT_EQ(Text(kStartButton, kButtonCaption), T("开始对比"));
        EXPECT_EQ(GetControlInteger(MainWindowControl(kWatchTimer), kTimerPeriod), 0);
    }
    EXPECT_FALSE(testing_support::Exists(local));
}

TEST_F(CommandsTest, ARunEndsWithTheWindowIdleWithinATick) {
    Type(remote, local);
    toolkit.Click(kStartButton);
    EXPECT_EQ(Text(kStartButton, kButtonCaption), T("停止对比"));
    EXPECT_EQ(GetControlInteger(MainWindowControl(kWatchTimer), kTimerPeriod), 1000);
    WaitForTheWorker();
    toolkit.AdvanceTime(1000);
    ExpectIdleAfterACleanRun();
    EXPECT_EQ(TakeSnapshot(local), TakeSnapshot(remote));

    // A second start keeps the timer's rhythm, and an old end text cannot end the new run early.
    g_hold_worker = true;
    platform::SetFileOperationHook(HoldWorker, nullptr);
    toolkit.Click(kStartButton);
    toolkit.AdvanceTime(1000);
    EXPECT_EQ(Text(kStartButton, kButtonCaption), T("停止对比")) << "a running job looked idle";
    g_hold_worker = false;
    WaitForTheWorker();
    toolkit.AdvanceTime(1000);
    ExpectIdleAfterACleanRun();
    EXPECT_EQ(std::count(toolkit.applied.begin(), toolkit.applied.end(),
                         "start " + std::to_string(kWatchTimer) + " 1000"),
              1);
}

TEST_F(CommandsTest, StopRestoresTheCaptionAtOnce) {
    g_hold_worker = true;
    platform::SetFileOperationHook(HoldWorker, nullptr);
    Type(remote, local);
    toolkit.Click(kStartButton);
    toolkit.Click(kStartButton);
    EXPECT_EQ(Text(kStartButton, kButtonCaption), T("开始对比"));
    EXPECT_EQ(StopFlag.load(), 1);
    g_hold_worker = false;
    WaitForTheWorker();
    toolkit.AdvanceTime(1000);
    EXPECT_EQ(Text(kStartButton, kButtonCaption), T("开始对比"));
    EXPECT_EQ(Integer(kOverallBar, kBarPosition), 0);
}

TEST_F(CommandsTest, AnEndThatIsNotCleanKeepsItsNumbers) {
    testing_support::BuildTree(remote, {{"blocked", "x"}});
    testing_support::BuildTree(local, {{"blocked/.keep", ""}});
    Type(remote, local);
    toolkit.Click(kStartButton);
    WaitForTheWorker();
    const std::string count = Text(kCountLabel);
    toolkit.AdvanceTime(1000);
    EXPECT_EQ(Text(kStatusLabel), FailuresText(1));
    EXPECT_EQ(Text(kStartButton, kButtonCaption), T("开始对比"));
    EXPECT_EQ(Integer(kOverallBar, kBarPosition), 0);
    EXPECT_EQ(Integer(kFileBar, kBarPosition), 0);
    EXPECT_EQ(Text(kFileNameLabel), "");
    EXPECT_EQ(Text(kCountLabel), count);
    EXPECT_NE(Text(kCountLabel), "100%");
}

TEST_F(CommandsTest, PickersFillTheBoxAndStoreOnlyARealChoice) {
    const std::string settings = SettingsFilePath();
    ASSERT_TRUE(ReadFile(settings)) << "the created event made the settings file";
    toolkit.folder_answers = {remote, ""};
    toolkit.Click(kBrowseRemote);
    EXPECT_EQ(Text(kRemoteBox, kEditContent), remote);
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), remote);
    toolkit.Click(kBrowseRemote); // cancelled
    EXPECT_EQ(Text(kRemoteBox, kEditContent), "");
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), remote) << "a cancel stores nothing";
    toolkit.folder_answers = {local};
    toolkit.Click(kBrowseLocal);
    EXPECT_EQ(ReadSetting(LocalDirectoryKey()), local);
    EXPECT_THAT(toolkit.folder_prompts,
                testing::ElementsAre(T("请选择远程目录"), T("请选择远程目录"), T("请选择本地目录")));
}

} // namespace
} // namespace brenvale
