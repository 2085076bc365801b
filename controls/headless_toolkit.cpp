// The headless toolkit: a posted-work queue, a virtual clock for timers, and a model of the screen.
#include "controls/headless_toolkit.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace brenvale {

HeadlessToolkit::HeadlessToolkit() : ui_thread_(std::this_thread::get_id()) {}

HeadlessToolkit::~HeadlessToolkit() {
    if (definition_ != nullptr && !destroyed_)
        Destroy();
    std::lock_guard lock(queue_mutex_);
    queue_.clear();
}

bool HeadlessToolkit::IsUiThread() const { return std::this_thread::get_id() == ui_thread_; }

void HeadlessToolkit::Post(std::function<void()> work) {
    std::lock_guard lock(queue_mutex_);
    if (!accepting_)
        return;
    queue_.push_back(std::move(work));
    queue_changed_.notify_all();
}

void HeadlessToolkit::BuildWindow(const WindowDefinition& definition, EventSink& events) {
    definition_ = &definition;
    events_ = &events;
    for (const ControlDefinition& control : definition.controls) {
        Shown& shown = screen_[control.number];
        if (control.kind == ControlKind::kProgressBar)
            shown.high = 100;
        else if (control.kind != ControlKind::kTimer)
            shown.text = control.initial_text;
    }
}

void HeadlessToolkit::ShowBuiltWindow() { shown_ = true; }

bool HeadlessToolkit::RunOne(std::unique_lock<std::mutex>& lock) {
    if (queue_.empty())
        return false;
    std::function<void()> work = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    work();
    lock.lock();
    return true;
}

void HeadlessToolkit::RunPending() {
    std::unique_lock lock(queue_mutex_);
    while (RunOne(lock)) {
    }
}

bool HeadlessToolkit::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    // done() may turn true on another thread without any posted work, so it is asked again at
    // least every millisecond.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(queue_mutex_);
    for (;;) {
        while (RunOne(lock)) {
        }
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        queue_changed_.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(1)),
                                  [&] { return !queue_.empty(); });
    }
}

void HeadlessToolkit::RunMessageLoop() {
    auto real_start = std::chrono::steady_clock::now();
    const std::int64_t virtual_start = now_;
    std::unique_lock lock(queue_mutex_);
    while (!destroyed_) {
        while (RunOne(lock) && !destroyed_) {
        }
        if (destroyed_)
            break;
        std::int64_t next_due = -1;
        for (const auto& [control, shown] : screen_)
            if (shown.timer_running && (next_due < 0 || shown.next_tick < next_due))
                next_due = shown.next_tick;
        const auto wake = next_due < 0 ? std::chrono::steady_clock::time_point::max()
                                       : real_start + std::chrono::milliseconds(next_due - virtual_start);
        if (queue_changed_.wait_until(lock, wake, [&] { return !queue_.empty(); }))
            continue;
        lock.unlock();
        AdvanceTime(next_due - now_);
        lock.lock();
    }
}

void HeadlessToolkit::QuitMessageLoop() { Destroy(); }

void HeadlessToolkit::Destroy() {
    if (destroyed_)
        return;
    for (auto& [control, shown] : screen_)
        shown.timer_running = false;
    destroyed_ = true;
    shown_ = false;
    if (events_ != nullptr)
        events_->WindowDestroyed();
    std::lock_guard lock(queue_mutex_);
    accepting_ = false;
    queue_changed_.notify_all();
}

void HeadlessToolkit::Record(std::string entry) {
    if (record_applied)
        applied.push_back(std::move(entry));
}

void HeadlessToolkit::SetText(std::uint32_t control, const std::string& text) {
    screen_.at(control).text = text;
    Record("text " + std::to_string(control) + " " + text);
}

std::string HeadlessToolkit::ReadEditText(std::uint32_t control) { return screen_.at(control).text; }

void HeadlessToolkit::SetBarRange(std::uint32_t control, int low, int high) {
    Shown& shown = screen_.at(control);
    shown.low = low;
    shown.high = high;
    Record("range " + std::to_string(control) + " " + std::to_string(low) + " " + std::to_string(high));
}

void HeadlessToolkit::SetBarPosition(std::uint32_t control, int position) {
    screen_.at(control).position = position;
    Record("position " + std::to_string(control) + " " + std::to_string(position));
}

void HeadlessToolkit::StartTimer(std::uint32_t control, std::uint32_t period_ms) {
    Shown& shown = screen_.at(control);
    shown.timer_running = true;
    shown.period = period_ms;
    shown.next_tick = now_ + period_ms;
    Record("start " + std::to_string(control) + " " + std::to_string(period_ms));
}

void HeadlessToolkit::StopTimer(std::uint32_t control) {
    screen_.at(control).timer_running = false;
    Record("stop " + std::to_string(control));
}

void HeadlessToolkit::ShowMessage(const std::string& text, const std::string& title) {
    messages.emplace_back(text, title);
}

std::string HeadlessToolkit::BrowseForFolder(const std::string& prompt) {
    folder_prompts.push_back(prompt);
    if (folder_answers.empty())
        return {};
    std::string answer = std::move(folder_answers.front());
    folder_answers.pop_front();
    return answer;
}

void HeadlessToolkit::ReportFatalError(const std::string& text) {
    fatal_errors.push_back(text);
    std::fprintf(stderr, "%s\n", text.c_str());
}

void HeadlessToolkit::AdvanceTime(std::int64_t milliseconds) {
    const std::int64_t target = now_ + milliseconds;
    for (;;) {
        std::uint32_t due_timer = 0;
        std::int64_t due = target + 1;
        for (const auto& [control, shown] : screen_)
            if (shown.timer_running && shown.next_tick < due) {
                due = shown.next_tick;
                due_timer = control;
            }
        if (due > target)
            break;
        now_ = due;
        Shown& shown = screen_.at(due_timer);
        shown.next_tick += shown.period;
        ticks.emplace_back(due_timer, now_);
        events_->Dispatch(due_timer, EventKind::kTick);
    }
    now_ = target;
}

void HeadlessToolkit::Click(std::uint32_t button) {
    if (!destroyed_)
        events_->Dispatch(button, EventKind::kClicked);
}

void HeadlessToolkit::TypeText(std::uint32_t edit_box, const std::string& text) {
    screen_.at(edit_box).text = text;
}

void HeadlessToolkit::Close() { Destroy(); }

const HeadlessToolkit::Shown& HeadlessToolkit::ScreenOf(std::uint32_t control) const {
    return screen_.at(control);
}

} // namespace brenvale
