// Pieces every native window toolkit needs the same way: the queue of work posted to the UI thread
// (now or after a delay) and the Tab cycle of a window definition.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace brenvale {

// Work posted from any thread, run on the UI thread in order. The toolkit gives a wake-up that
// makes its UI thread call RunDue soon (a message, an event); it is called at most once until
// RunDue runs, with the queue's lock held, so it must only post. Work posted before Open or after
// Close is dropped.
class PostedWorkQueue {
  public:
    using Clock = std::chrono::steady_clock;

    explicit PostedWorkQueue(std::function<void()> wake) : wake_(std::move(wake)) {}

    void Open();
    void Close(); // drops what is queued
    void Post(std::function<void()> work);
    void PostDelayed(std::function<void()> work, std::chrono::milliseconds delay);

    // UI thread: runs every piece of work that is due, work posted meanwhile included; returns how
    // long until the next delayed work is due (at least 1 ms), or nothing when none waits.
    std::optional<std::chrono::milliseconds> RunDue();

  private:
    void WakeLocked();

    std::function<void()> wake_;
    std::mutex mutex_;
    std::deque<std::function<void()>> ready_;
    std::multimap<Clock::time_point, std::function<void()>> delayed_;
    bool open_ = false;
    bool wake_pending_ = false;
};

// The control that Tab (forward) or Shift+Tab moves the focus to from `focused` (0, or a control
// outside the cycle: as if before the first for Tab, after the last for Shift+Tab), wrapping and
// skipping the controls `can_focus` refuses; 0 when it refuses them all.
std::uint32_t NextInTabCycle(const std::vector<std::uint32_t>& order, std::uint32_t focused, bool forward,
                             const std::function<bool(std::uint32_t)>& can_focus);

} // namespace brenvale
