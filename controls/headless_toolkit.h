// A toolkit without a screen, for tests and benchmarks. The UI thread is the thread that made the
// toolkit; it runs posted work when the test says so (RunPending, RunUntil) or in RunMessageLoop.
// Timers follow a virtual clock that AdvanceTime moves (RunMessageLoop moves it with real time).
// What each control shows is kept as it would be on screen, with a log of every applied change.
#pragma once

#include "controls/toolkit.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace brenvale {

class HeadlessToolkit final : public Toolkit {
  public:
    struct Shown {
        std::string text;
        int low = 0, high = 0, position = 0;
        bool timer_running = false;
        std::uint32_t period = 0;
        std::int64_t next_tick = 0;
    };

    HeadlessToolkit();
    ~HeadlessToolkit() override;

    // ---- Toolkit
    bool IsUiThread() const override;
    void Post(std::function<void()> work) override;
    // Runs at the next RunPending or RunUntil, whatever the delay: tests decide when time passes.
    void PostDelayed(std::function<void()> work, std::chrono::milliseconds) override {
        Post(std::move(work));
    }
    void BuildWindow(const WindowDefinition& definition, EventSink& events) override;
    void ShowBuiltWindow() override;
    void RunMessageLoop() override;
    void QuitMessageLoop() override;
    void SetText(std::uint32_t control, const std::string& text) override;
    std::string ReadEditText(std::uint32_t control) override;
    void SetBarRange(std::uint32_t control, int low, int high) override;
    void SetBarPosition(std::uint32_t control, int shown) override;
    void StartTimer(std::uint32_t control, std::uint32_t period_ms) override;
    void StopTimer(std::uint32_t control) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    std::string BrowseForFolder(const std::string& prompt) override;
    void ReportFatalError(const std::string& text) override;

    // ---- Driving it, on the UI thread
    void RunPending(); // runs posted work until none is left
    // Runs posted work, waiting for more, until done() holds (true) or limit passes in real time (false).
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    void AdvanceTime(std::int64_t milliseconds); // fires every tick that falls due, in time order
    std::int64_t Now() const { return now_; }
    void Click(std::uint32_t button);
    void TypeText(std::uint32_t edit_box, const std::string& text); // the user's typing: no property write
    void Close();                                                   // the user closes the window

    // ---- What the screen shows, on the UI thread
    const Shown& ScreenOf(std::uint32_t control) const;
    bool window_shown() const { return shown_; }
    bool window_destroyed() const { return destroyed_; }
    const WindowDefinition* definition() const { return definition_; }

    bool record_applied = true;                                // off for benchmarks
    std::vector<std::string> applied;                          // "text 5 abc", "range 5 0 100", ...
    std::vector<std::pair<std::uint32_t, std::int64_t>> ticks; // (timer, virtual time)
    std::vector<std::pair<std::string, std::string>> messages; // (text, title)
    std::vector<std::string> folder_prompts;
    std::deque<std::string> folder_answers; // what BrowseForFolder returns next; empty: cancelled
    std::vector<std::string> fatal_errors;

  private:
    void Record(std::string entry);
    void Destroy();
    bool RunOne(std::unique_lock<std::mutex>& lock);

    std::thread::id ui_thread_;
    std::mutex queue_mutex_;
    std::condition_variable queue_changed_;
    std::deque<std::function<void()>> queue_;
    bool accepting_ = true; // false once the window is destroyed

    const WindowDefinition* definition_ = nullptr;
    EventSink* events_ = nullptr;
    bool shown_ = false;
    bool destroyed_ = false;
    std::map<std::uint32_t, Shown> screen_;
    std::int64_t now_ = 0;
};

} // namespace brenvale
