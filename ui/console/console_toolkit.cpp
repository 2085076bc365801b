// The terminal toolkit: the main window's controls without a window. Its UI thread runs posted
// work and timers in real time; what the job shows becomes one live line on stderr (a terminal)
// or one line per status text on stdout (a file or a pipe).
#include "app/console_front_end.h"

#include "app/main_window.h"
#include "platform/platform.h"
#include "sync/sync_job.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace brenvale {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// Display columns of a text of the code page: a double-byte character or an East Asian UTF-8
// character takes two.
std::size_t CutToColumns(const std::string& text, std::size_t columns, std::size_t& used) {
    const bool utf8 = platform::AnsiCodePage() == platform::kUtf8CodePage;
    std::size_t i = 0;
    used = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 1, width = 1;
        if (platform::IsLeadByte(byte)) {
            length = 2;
            width = 2;
        } else if (utf8 && byte >= 0xC0) {
            length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            width = byte >= 0xE1 ? 2 : 1; // U+1000 and above: CJK and the like, near enough
        }
        if (used + width > columns || i + length > text.size())
            break;
        used += width;
        i += length;
    }
    return i;
}

class ConsoleToolkit final : public Toolkit {
  public:
    explicit ConsoleToolkit(const ConsoleOptions& options)
        : options_(options), ui_thread_(std::this_thread::get_id()) {}

    bool IsUiThread() const override { return std::this_thread::get_id() == ui_thread_; }

    void Post(std::function<void()> work) override {
        std::lock_guard lock(mutex_);
        if (!accepting_)
            return;
        queue_.push_back(std::move(work));
        wake_.notify_all();
    }

    void PostDelayed(std::function<void()> work, std::chrono::milliseconds delay) override {
        std::lock_guard lock(mutex_);
        if (!accepting_)
            return;
        delayed_.emplace(Clock::now() + delay, std::move(work));
        wake_.notify_all();
    }

    void BuildWindow(const WindowDefinition& definition, EventSink& events) override {
        events_ = &events;
        for (const ControlDefinition& control : definition.controls)
            screen_[control.number] = Shown{control.initial_text ? control.initial_text : "", 0, 100, 0};
    }
    void ShowBuiltWindow() override {}

    void RunMessageLoop() override {
        std::unique_lock lock(mutex_);
        while (!destroyed_) {
            for (auto due = delayed_.begin(); due != delayed_.end() && due->first <= Clock::now();) {
                queue_.push_back(std::move(due->second));
                due = delayed_.erase(due);
            }
            while (!queue_.empty() && !destroyed_) {
                auto work = std::move(queue_.front());
                queue_.pop_front();
                lock.unlock();
                work();
                lock.lock();
            }
            if (destroyed_)
                break;
            lock.unlock();
            Clock::time_point next = RunDueTimersAndDraw();
            lock.lock();
            if (!delayed_.empty())
                next = std::min(next, delayed_.begin()->first);
            wake_.wait_until(lock, next, [&] { return !queue_.empty() || destroyed_; });
        }
    }

    void QuitMessageLoop() override {
        if (destroyed_)
            return;
        ClearLiveLine();
        destroyed_ = true;
        events_->WindowDestroyed();
        std::lock_guard lock(mutex_);
        accepting_ = false;
        wake_.notify_all();
    }

    void SetText(std::uint32_t control, const std::string& text) override {
        screen_[control].text = text;
        dirty_ = true;
        // A file or pipe gets each status text once, as a line; end texts are the caller's to print.
        if (control == main_window::kStatusLabel && !options_.live && !options_.quiet && !text.empty() &&
            text != last_status_line_ && !IsEndText(text)) {
            last_status_line_ = text;
            platform::WriteText(platform::Stream::kOut, text + "\n");
        }
    }
    std::string ReadEditText(std::uint32_t control) override { return screen_[control].text; }
    void SetBarRange(std::uint32_t control, int low, int high) override {
        screen_[control].low = low;
        screen_[control].high = high;
        dirty_ = true;
    }
    void SetBarPosition(std::uint32_t control, int shown) override {
        screen_[control].position = shown;
        dirty_ = true;
    }
    void StartTimer(std::uint32_t control, std::uint32_t period_ms) override {
        timers_[control] =
            Timer{std::chrono::milliseconds(period_ms), Clock::now() + std::chrono::milliseconds(period_ms)};
    }
    void StopTimer(std::uint32_t control) override { timers_.erase(control); }

    void ShowMessage(const std::string& text, const std::string&) override {
        ClearLiveLine();
        platform::WriteText(platform::Stream::kErr, text + "\n");
    }
    std::string BrowseForFolder(const std::string&) override { return {}; }
    void ReportFatalError(const std::string& text) override {
        ClearLiveLine();
        platform::WriteText(platform::Stream::kErr, text + "\n");
    }

  private:
    struct Shown {
        std::string text;
        int low, high, position;
    };
    struct Timer {
        Clock::duration period;
        Clock::time_point next;
    };

    Clock::time_point RunDueTimersAndDraw() {
        Clock::time_point now = Clock::now();
        for (bool fired = true; fired && !destroyed_;) {
            fired = false;
            for (auto& [control, timer] : timers_) {
                if (timer.next <= now) {
                    timer.next += timer.period;
                    fired = true;
                    const std::uint32_t source = control;
                    events_->Dispatch(source, EventKind::kTick); // may change timers_: start again
                    break;
                }
            }
        }
        now = Clock::now();
        Clock::time_point next = now + std::chrono::seconds(1);
        for (const auto& [control, timer] : timers_)
            next = std::min(next, timer.next);
        if (options_.live && !options_.quiet && dirty_ && !destroyed_) {
            if (now - last_draw_ >= kRedrawInterval)
                DrawLiveLine(now);
            else
                next = std::min(next, last_draw_ + kRedrawInterval);
        }
        return next;
    }

    std::string LiveLine() {
        using namespace main_window;
        const std::string& name = screen_[kFileNameLabel].text;
        if (name.empty())
            return screen_[kStatusLabel].text; // before the first copy
        const Shown& bar = screen_[kOverallBar];
        constexpr int kWidth = 20;
        const int span = bar.high - bar.low;
        const int filled =
            span > 0 ? std::clamp((bar.position - bar.low) * kWidth / span, 0, kWidth) : kWidth;
        const std::string& overall = screen_[kCountLabel].text;
        const std::string percent = !overall.empty() && overall.back() == '%' ? overall : "0%";
        return "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(kWidth - filled), '-') + "] " +
               std::to_string(bar.position) + "/" + std::to_string(bar.high) + " " + percent + "  " +
               screen_[kFilePercentLabel].text + "  " + name;
    }

    void DrawLiveLine(Clock::time_point now) {
        std::string line = LiveLine();
        const std::size_t columns =
            static_cast<std::size_t>(std::max(platform::TerminalColumns(platform::Stream::kErr) - 1, 10));
        std::size_t used = 0;
        line.resize(CutToColumns(line, columns, used));
        // Spaces over what is left of a longer earlier line; no control sequences needed.
        const std::size_t pad = drawn_columns_ > used ? drawn_columns_ - used : 0;
        platform::WriteText(platform::Stream::kErr, "\r" + line + std::string(pad, ' '));
        drawn_columns_ = used;
        last_draw_ = now;
        dirty_ = false;
    }

    void ClearLiveLine() {
        if (drawn_columns_ == 0)
            return;
        platform::WriteText(platform::Stream::kErr, "\r" + std::string(drawn_columns_, ' ') + "\r");
        drawn_columns_ = 0;
    }

    const ConsoleOptions options_;
    const std::thread::id ui_thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    std::multimap<Clock::time_point, std::function<void()>> delayed_;
    bool accepting_ = true;
    bool destroyed_ = false;

    EventSink* events_ = nullptr;
    std::map<std::uint32_t, Shown> screen_;
    std::map<std::uint32_t, Timer> timers_;
    bool dirty_ = false;
    Clock::time_point last_draw_{};
    std::size_t drawn_columns_ = 0;
    std::string last_status_line_;
};

} // namespace

std::unique_ptr<Toolkit> CreateConsoleToolkit(const ConsoleOptions& options) {
    return std::make_unique<ConsoleToolkit>(options);
}

} // namespace brenvale
