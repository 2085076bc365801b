// Stored values, limits and the way writes reach the screen, for every window and toolkit.
#include "controls/control_properties.h"

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace brenvale {
namespace {

[[noreturn]] void FatalControlError(const std::string& what);

std::atomic<PropertyWriteObserver> g_write_observer{nullptr};

void ObserveWrite(ControlRef ref, std::uint32_t property, const PropertyValue& value) {
    if (const PropertyWriteObserver observer = g_write_observer.load(std::memory_order_acquire))
        observer(ref, property, value);
}

struct ControlState {
    const ControlDefinition* definition;
    std::string text;         // label and button caption; edit box: last text written or read
    std::int32_t minimum = 0; // progress bars
    std::int32_t maximum = 100;
    std::int32_t position = 0;
    std::int32_t period = 0; // timers
    // What a flush must apply; set by worker writes.
    bool text_changed = false, range_changed = false, position_changed = false, timer_changed = false;
    bool queued = false; // listed in the window's flush queue
};

constexpr auto kFlushInterval = std::chrono::milliseconds(15);

// The properties each kind of control has, and the index of their type in PropertyValue.
struct PropertyOfKind {
    ControlKind kind;
    std::uint32_t property;
    std::size_t value_type; // 0: integer, 1: text
};
constexpr PropertyOfKind kPropertiesOfKinds[] = {
    {ControlKind::kLabel, kLabelCaption, 1},      {ControlKind::kEditBox, kEditContent, 1},
    {ControlKind::kButton, kButtonCaption, 1},    {ControlKind::kTimer, kTimerPeriod, 0},
    {ControlKind::kProgressBar, kBarMinimum, 0},  {ControlKind::kProgressBar, kBarMaximum, 0},
    {ControlKind::kProgressBar, kBarPosition, 0},
};

std::int32_t LimitToBar(std::int32_t value) { return std::clamp(value, 0, kBarLimit); }

int ShownPosition(const ControlState& bar) {
    int shown = std::max(bar.position, bar.minimum);
    return std::min(shown, bar.maximum);
}

// What one apply puts on screen, copied out of the stored state so it runs without the lock.
struct Update {
    std::uint32_t control;
    ControlKind kind;
    std::optional<std::string> text;
    std::optional<std::pair<int, int>> range;
    std::optional<int> shown_position;
    std::optional<std::int32_t> timer_period; // 0 stops
};

class LoadedWindow final : public EventSink, public std::enable_shared_from_this<LoadedWindow> {
  public:
    LoadedWindow(const WindowDefinition& definition, Toolkit& toolkit)
        : definition_(definition), toolkit_(&toolkit) {
        // The definition's texts are UTF-8 literals; the window holds them in the code page.
        texts_.reserve(definition_.controls.size() + 1);
        texts_.push_back(platform::Utf8ToAnsi(definition_.title ? definition_.title : ""));
        definition_.title = texts_.back().c_str();
        for (ControlDefinition& control : definition_.controls) {
            texts_.push_back(platform::Utf8ToAnsi(control.initial_text ? control.initial_text : ""));
            control.initial_text = texts_.back().c_str();
        }
        controls_.reserve(definition_.controls.size());
        for (const ControlDefinition& control : definition_.controls) {
            ControlState state{&control, {}};
            if (control.kind != ControlKind::kProgressBar && control.kind != ControlKind::kTimer)
                state.text = control.initial_text;
            controls_.push_back(std::move(state));
        }
    }

    const WindowDefinition& definition() const { return definition_; }

    void Create() {
        toolkit_->BuildWindow(definition_, *this);
        Dispatch(0, EventKind::kCreated);
        toolkit_->ShowBuiltWindow();
    }

    bool HasControl(std::uint32_t control) const { return control == 0 || Find(control) != nullptr; }

    Toolkit* LiveToolkit() {
        std::lock_guard lock(mutex_);
        return toolkit_;
    }

    void Set(std::uint32_t control, std::uint32_t property, const PropertyValue& value) {
        ControlState& state = Lookup(control, property, value.index());
        std::unique_lock lock(mutex_);
        if (toolkit_ == nullptr)
            return; // destroyed: dropped
        if (!Store(state, property, value))
            return;
        if (toolkit_->IsUiThread()) {
            Toolkit& toolkit = *toolkit_;
            const Update update = TakeUpdate(state);
            lock.unlock();
            Apply(toolkit, update);
            return;
        }
        if (!state.queued) {
            state.queued = true;
            queue_.push_back(&state);
        }
        if (!flush_posted_) {
            flush_posted_ = true;
            // At most one flush per frame: a worker writing on every progress call must not wake
            // the UI thread each time. Posted under the lock, so the toolkit cannot go in between.
            const auto wait = last_flush_ + kFlushInterval - std::chrono::steady_clock::now();
            auto flush = [self = shared_from_this()] { self->Flush(); };
            if (wait <= std::chrono::steady_clock::duration::zero())
                toolkit_->Post(std::move(flush));
            else
                toolkit_->PostDelayed(std::move(flush), std::chrono::ceil<std::chrono::milliseconds>(wait));
        }
    }

    PropertyValue Get(std::uint32_t control, std::uint32_t property) {
        ControlState& state = Lookup(control, property, std::nullopt);
        if (state.definition->kind == ControlKind::kEditBox)
            return ReadEditBox(state);
        std::lock_guard lock(mutex_);
        switch (state.definition->kind) {
        case ControlKind::kProgressBar:
            return property == kBarMinimum   ? state.minimum
                   : property == kBarMaximum ? state.maximum
                                             : state.position;
        case ControlKind::kTimer:
            return state.period;
        default:
            return state.text;
        }
    }

    void Dispatch(std::uint32_t source, EventKind event) override {
        for (const EventBinding& binding : definition_.events)
            if (binding.source == source && binding.event == event && binding.handler != nullptr)
                binding.handler();
    }

    void WindowDestroyed() override {
        std::lock_guard lock(mutex_);
        toolkit_ = nullptr;
        for (ControlState* state : queue_)
            state->queued = false;
        queue_.clear();
        destroyed_.notify_all();
    }

  private:
    const ControlDefinition* Find(std::uint32_t control) const { return definition_.FindControl(control); }

    // The control's state, after checking that the property exists for its kind and, for a
    // write, that the value has the property's type.
    ControlState& Lookup(std::uint32_t control, std::uint32_t property,
                         std::optional<std::size_t> value_type) {
        const ControlDefinition* definition = Find(control);
        if (definition == nullptr)
            FatalControlError("window " + std::to_string(definition_.number) + " has no control " +
                              std::to_string(control));
        std::optional<std::size_t> type; // the property's value type, if the kind has it
        for (const PropertyOfKind& known : kPropertiesOfKinds)
            if (known.kind == definition->kind && known.property == property)
                type = known.value_type;
        if (!type || (value_type && *value_type != *type))
            FatalControlError(std::string("control ") + definition->name + " has no property " +
                              std::to_string(property) + (type ? " of that type" : ""));
        return controls_[static_cast<std::size_t>(definition - definition_.controls.data())];
    }

    // Stores a written value with the kind's limits. False when nothing changes on screen.
    static bool Store(ControlState& state, std::uint32_t property, const PropertyValue& value) {
        switch (state.definition->kind) {
        case ControlKind::kProgressBar: {
            const std::int32_t limited = LimitToBar(std::get<std::int32_t>(value));
            if (property == kBarPosition) {
                state.position = limited;
                state.position_changed = true;
            } else {
                (property == kBarMinimum ? state.minimum : state.maximum) = limited;
                state.range_changed = true;
            }
            return true;
        }
        case ControlKind::kTimer: {
            const std::int32_t period = std::max(std::get<std::int32_t>(value), 0);
            if (period == state.period)
                return false; // the same period keeps the timer's rhythm
            state.period = period;
            state.timer_changed = true;
            return true;
        }
        default:
            state.text = std::get<std::string>(value);
            state.text_changed = true;
            return true;
        }
    }

    // Copies what must go on screen and clears the change flags. A range change places the
    // position again, as the shown position depends on the range.
    static Update TakeUpdate(ControlState& state) {
        Update update{state.definition->number, state.definition->kind, {}, {}, {}, {}};
        const bool is_bar = state.definition->kind == ControlKind::kProgressBar;
        if (state.text_changed)
            update.text = state.text;
        if (state.range_changed)
            update.range =
                std::pair(std::min(state.minimum, state.maximum), std::max(state.minimum, state.maximum));
        if (is_bar && (state.position_changed || state.range_changed))
            update.shown_position = ShownPosition(state);
        if (state.timer_changed)
            update.timer_period = state.period;
        state.text_changed = state.range_changed = state.position_changed = state.timer_changed = false;
        return update;
    }

    static void Apply(Toolkit& toolkit, const Update& update) {
        if (update.text)
            toolkit.SetText(update.control, *update.text);
        if (update.range)
            toolkit.SetBarRange(update.control, update.range->first, update.range->second);
        if (update.shown_position)
            toolkit.SetBarPosition(update.control, *update.shown_position);
        if (update.timer_period) {
            toolkit.StopTimer(update.control);
            if (*update.timer_period > 0)
                toolkit.StartTimer(update.control, static_cast<std::uint32_t>(*update.timer_period));
        }
    }

    // [UI] Applies the newest stored values of everything worker writes changed since the last flush.
    void Flush() {
        std::vector<Update> updates;
        Toolkit* toolkit;
        {
            std::lock_guard lock(mutex_);
            flush_posted_ = false;
            last_flush_ = std::chrono::steady_clock::now();
            toolkit = toolkit_;
            if (toolkit == nullptr)
                return;
            updates.reserve(queue_.size());
            for (ControlState* state : queue_) {
                state->queued = false;
                updates.push_back(TakeUpdate(*state));
            }
            queue_.clear();
        }
        for (const Update& update : updates)
            Apply(*toolkit, update);
    }

    // The text an edit box shows now, fetched on the UI thread. Another thread waits for the UI
    // thread, but never past the window's end.
    std::string ReadEditBox(ControlState& state) {
        std::unique_lock lock(mutex_);
        if (toolkit_ == nullptr)
            return state.text;
        if (toolkit_->IsUiThread()) {
            Toolkit& toolkit = *toolkit_;
            lock.unlock();
            std::string text = toolkit.ReadEditText(state.definition->number);
            lock.lock();
            state.text = text;
            return text;
        }
        auto answer = std::make_shared<std::optional<std::string>>();
        toolkit_->Post([self = shared_from_this(), &state, answer] {
            std::unique_lock inner(self->mutex_);
            Toolkit* toolkit = self->toolkit_;
            if (toolkit == nullptr)
                return;
            inner.unlock();
            std::string text = toolkit->ReadEditText(state.definition->number);
            inner.lock();
            state.text = text;
            *answer = std::move(text);
            self->destroyed_.notify_all();
        });
        destroyed_.wait(lock, [&] { return answer->has_value() || toolkit_ == nullptr; });
        return answer->has_value() ? **answer : state.text;
    }

    WindowDefinition definition_;
    std::vector<std::string> texts_; // storage for the definition's converted texts
    std::mutex mutex_;
    Toolkit* toolkit_; // null once the window is destroyed
    std::vector<ControlState> controls_;
    std::vector<ControlState*> queue_; // controls with changes a flush must apply, first written first
    bool flush_posted_ = false;
    std::chrono::steady_clock::time_point last_flush_{};
    std::condition_variable destroyed_; // also signals an edit box read answered
};

struct Registry {
    std::mutex mutex;
    std::vector<std::shared_ptr<LoadedWindow>> windows;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::shared_ptr<LoadedWindow> FindLoadedWindow(std::uint32_t number) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (const auto& window : registry.windows)
        if (window->definition().number == number)
            return window;
    return nullptr;
}

Toolkit* AnyLiveToolkit() {
    Registry& registry = TheRegistry();
    std::vector<std::shared_ptr<LoadedWindow>> windows;
    {
        std::lock_guard lock(registry.mutex);
        windows = registry.windows;
    }
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (Toolkit* toolkit = (*it)->LiveToolkit())
            return toolkit;
    return nullptr;
}

[[noreturn]] void FatalControlError(const std::string& what) {
    const std::string text = "Brenvale: internal error: " + what;
    if (Toolkit* toolkit = AnyLiveToolkit())
        toolkit->ReportFatalError(text);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    std::_Exit(3);
}

std::shared_ptr<LoadedWindow> WindowOf(ControlRef ref) {
    std::shared_ptr<LoadedWindow> window = ref.window == 0 ? nullptr : FindLoadedWindow(ref.window);
    if (window == nullptr)
        FatalControlError("window " + std::to_string(ref.window) + " is not loaded");
    return window;
}

} // namespace

void SetControlProperty(ControlRef ref, std::uint32_t property, std::int32_t value) {
    const PropertyValue written(value);
    WindowOf(ref)->Set(ref.control, property, written);
    ObserveWrite(ref, property, written);
}

void SetControlProperty(ControlRef ref, std::uint32_t property, const std::string& text) {
    const PropertyValue written(text);
    WindowOf(ref)->Set(ref.control, property, written);
    ObserveWrite(ref, property, written);
}

void SetControlProperty(ControlRef ref, std::uint32_t property, const char* text) {
    SetControlProperty(ref, property, std::string(text ? text : ""));
}

PropertyValue GetControlProperty(ControlRef ref, std::uint32_t property) {
    return WindowOf(ref)->Get(ref.control, property);
}

bool IsControlCreated(ControlRef ref) {
    if (ref.window == 0)
        return false;
    const std::shared_ptr<LoadedWindow> window = FindLoadedWindow(ref.window);
    return window != nullptr && window->HasControl(ref.control) && window->LiveToolkit() != nullptr;
}

std::string GetControlText(ControlRef ref, std::uint32_t property) {
    PropertyValue value = GetControlProperty(ref, property);
    if (auto* text = std::get_if<std::string>(&value))
        return std::move(*text);
    FatalControlError("property " + std::to_string(property) + " is not a text");
}

std::int32_t GetControlInteger(ControlRef ref, std::uint32_t property) {
    const PropertyValue value = GetControlProperty(ref, property);
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    FatalControlError("property " + std::to_string(property) + " is not an integer");
}

void LoadWindow(const WindowDefinition& definition, Toolkit& toolkit) {
    auto window = std::make_shared<LoadedWindow>(definition, toolkit);
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        std::erase_if(registry.windows,
                      [&](const auto& old) { return old->definition().number == definition.number; });
        registry.windows.push_back(window);
    }
    window->Create();
}

void SetPropertyWriteObserver(PropertyWriteObserver observer) { g_write_observer.store(observer); }

void ShowMessageBox(const std::string& text, const std::string& title) {
    if (Toolkit* toolkit = AnyLiveToolkit())
        toolkit->ShowMessage(text, title);
}

std::string ShowFolderBrowser(const std::string& prompt) {
    Toolkit* toolkit = AnyLiveToolkit();
    return toolkit ? toolkit->BrowseForFolder(prompt) : std::string();
}

} // namespace brenvale
