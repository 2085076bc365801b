// The posted-work queue and the Tab cycle shared by the window toolkits.
#include "controls/toolkit_support.h"

#include <algorithm>

namespace brenvale {

void PostedWorkQueue::Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
}

void PostedWorkQueue::Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    ready_.clear();
    delayed_.clear();
}

void PostedWorkQueue::Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    if (!open_)
        return;
    ready_.push_back(std::move(work));
    WakeLocked();
}

void PostedWorkQueue::PostDelayed(std::function<void()> work, std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    if (!open_)
        return;
    delayed_.emplace(Clock::now() + delay, std::move(work));
    WakeLocked(); // the UI thread arms its timer for it
}

void PostedWorkQueue::WakeLocked() {
    if (wake_pending_)
        return;
    wake_pending_ = true;
    wake_();
}

std::optional<std::chrono::milliseconds> PostedWorkQueue::RunDue() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            wake_pending_ = false;
            const auto now = Clock::now();
            while (!delayed_.empty() && delayed_.begin()->first <= now) {
                ready_.push_back(std::move(delayed_.begin()->second));
                delayed_.erase(delayed_.begin());
            }
            if (ready_.empty() || !open_)
                break;
            work = std::move(ready_.front());
            ready_.pop_front();
        }
        work();
    }
    std::lock_guard lock(mutex_);
    if (delayed_.empty() || !open_)
        return std::nullopt;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(delayed_.begin()->first - Clock::now());
    return std::max(wait, std::chrono::milliseconds(1));
}

std::uint32_t NextInTabCycle(const std::vector<std::uint32_t>& order, std::uint32_t focused, bool forward,
                             const std::function<bool(std::uint32_t)>& can_focus) {
    if (order.empty())
        return 0;
    const std::size_t size = order.size();
    const auto here = std::find(order.begin(), order.end(), focused);
    std::size_t index =
        here == order.end() ? (forward ? size - 1 : 0) : static_cast<std::size_t>(here - order.begin());
    for (std::size_t step = 0; step < size; ++step) {
        index = forward ? (index + 1) % size : (index + size - 1) % size;
        if (can_focus(order[index]))
            return order[index];
    }
    return 0;
}

} // namespace brenvale
