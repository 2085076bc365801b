// A fixture for whole runs: a remote tree, a local tree and an "outside" directory in a scratch
// directory, the main window on the headless toolkit, every display write recorded, and a check
// after each test that the remote tree and the outside directory are exactly as they were.
#pragma once

#include "app/main_window.h"
#include "controls/control_properties.h"
#include "controls/headless_toolkit.h"
#include "platform/platform.h"
#include "sync/sync_job.h"
#include "tests/support/scratch.h"
#include "tests/support/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brenvale::engine_test {

using testing_support::BuildTree;
using testing_support::Snapshot;
using testing_support::TakeSnapshot;
using testing_support::TreeSpec;

struct RecordedWrite {
    std::string control; // the control's name in the definition, e.g. "标签7"
    std::uint32_t property;
    std::string value; // texts as written, integers in decimal
    std::thread::id thread;
    // "标签7=text"; bars name the property: "进度条1.max=3".
    std::string Line() const {
        const char* part = property == kBarMinimum    ? ".min"
                           : property == kBarMaximum  ? ".max"
                           : property == kBarPosition ? ".pos"
                                                      : "";
        return control + part + "=" + value;
    }
};

// Whether two paths name the same place, however many separators the passes put in between.
inline bool SamePath(const std::string& a, const std::string& b) {
    return platform::SplitPath(a) == platform::SplitPath(b);
}

inline std::mutex g_writes_mutex;
inline std::vector<RecordedWrite> g_writes;
inline const WindowDefinition* g_definition = nullptr;

inline void RecordWrite(ControlRef ref, std::uint32_t property, const PropertyValue& value) {
    const ControlDefinition* control = g_definition->FindControl(ref.control);
    RecordedWrite write{control ? control->name : "?", property,
                        std::holds_alternative<std::string>(value)
                            ? std::get<std::string>(value)
                            : std::to_string(std::get<std::int32_t>(value)),
                        std::this_thread::get_id()};
    std::lock_guard lock(g_writes_mutex);
    g_writes.push_back(std::move(write));
}

// What a file-operation hook in a test does; set per test.
struct HookPlan {
    std::function<bool(platform::FileOperation, const std::string&)> on_operation;
};
inline HookPlan* g_hook_plan = nullptr;

inline bool RunHook(platform::FileOperation operation, const std::string& path, void*) {
    return g_hook_plan && g_hook_plan->on_operation && g_hook_plan->on_operation(operation, path);
}

class EngineTest : public testing::Test {
  protected:
    void SetUp() override {
        definition_ = MainWindowDefinition({});
        g_definition = &definition_;
        {
            std::lock_guard lock(g_writes_mutex);
            g_writes.clear();
        }
        LoadWindow(definition_, toolkit);
        SetPropertyWriteObserver(RecordWrite);
        g_hook_plan = &hooks;
        platform::SetFileOperationHook(RunHook, nullptr);
    }

    void TearDown() override {
        EXPECT_TRUE(WaitForSyncWorkers(std::chrono::seconds(60))) << "a worker is still running";
        platform::SetFileOperationHook(nullptr, nullptr);
        SetPropertyWriteObserver(nullptr);
        g_hook_plan = nullptr;
        if (frozen_) {
            EXPECT_EQ(TakeSnapshot(remote), remote_before_) << "the remote tree changed";
            EXPECT_EQ(TakeSnapshot(outside), outside_before_) << "something outside the local tree changed";
        }
    }

    // Builds the trees (the outside directory always exists) and notes what must not change.
    void Build(const TreeSpec& remote_spec, const TreeSpec& local_spec = {},
               const TreeSpec& outside_spec = {}) {
        BuildTree(remote, remote_spec);
        if (!local_spec.empty())
            BuildTree(local, local_spec);
        BuildTree(outside, outside_spec);
        Freeze();
    }
    void Freeze() {
        remote_before_ = TakeSnapshot(remote);
        outside_before_ = TakeSnapshot(outside);
        frozen_ = true;
    }

    // As the start command does: the old end text goes first, so it cannot pass for this run's.
    void Start(const std::string& remote_path, const std::string& local_path) {
        using namespace main_window;
        SetPropertyWriteObserver(nullptr); // the fixture's own write is not the job's
        SetControlProperty(MainWindowControl(kStatusLabel), kLabelCaption, "");
        SetPropertyWriteObserver(RecordWrite);
        StartSyncJob(remote_path, local_path, MainWindowControl(kOverallBar), MainWindowControl(kFileBar),
                     MainWindowControl(kCountLabel), MainWindowControl(kFilePercentLabel),
                     MainWindowControl(kStatusLabel), MainWindowControl(kFileNameLabel));
    }

    std::string Status() {
        return GetControlText(MainWindowControl(main_window::kStatusLabel), kLabelCaption);
    }

    // Waits, running the UI thread, until the status label shows an end text; returns it.
    std::string WaitForEnd() {
        const bool ended = toolkit.RunUntil([&] { return IsEndText(Status()); }, std::chrono::seconds(60));
        EXPECT_TRUE(ended) << "the run did not end; status: " << Status();
        EXPECT_TRUE(WaitForSyncWorkers(std::chrono::seconds(60))); // its last write is recorded
        toolkit.RunPending();
        return Status();
    }

    std::string Sync() {
        Start(remote, local);
        return WaitForEnd();
    }

    static std::vector<RecordedWrite> Writes() {
        std::lock_guard lock(g_writes_mutex);
        return g_writes;
    }
    // The recorded writes as "name=value" lines, without those of the named controls.
    static std::vector<std::string> Lines(const std::vector<std::string>& without = {}) {
        std::vector<std::string> lines;
        for (const RecordedWrite& write : Writes())
            if (std::find(without.begin(), without.end(), write.control) == without.end())
                lines.push_back(write.Line());
        return lines;
    }

    static std::string T(const char* utf8) { return platform::Utf8ToAnsi(utf8); }

    testing_support::ScratchDir scratch;
    const std::string remote = scratch / "remote";
    const std::string local = scratch / "local";
    const std::string outside = scratch / "outside";
    const std::string sep = std::string(1, platform::kSeparator);
    HeadlessToolkit toolkit;
    HookPlan hooks;

  private:
    WindowDefinition definition_;
    Snapshot remote_before_, outside_before_;
    bool frozen_ = false;
};

} // namespace brenvale::engine_test
