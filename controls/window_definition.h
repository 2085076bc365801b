// A window described as data: its frame, every control with its kind, number, place, size and
// initial text, the Tab order and the events that have handlers. Each toolkit builds its native
// window from this; nothing about the window is written anywhere else.
#pragma once

#include <cstdint>
#include <vector>

namespace brenvale {

enum class ControlKind : std::uint8_t { kLabel, kEditBox, kButton, kProgressBar, kTimer };

enum class EventKind : std::uint8_t {
    kCreated, // the window: after every control exists, before it is first shown
    kClicked, // a button: mouse click, or Space while it has the focus
    kTick,    // a timer: once per period while it runs
};

using EventHandler = void (*)();

struct ControlDefinition {
    const char* name; // for people and tests: "标签7"
    ControlKind kind;
    std::uint32_t number;
    int left, top, width, height; // pixels, in the window's client area
    const char* initial_text;     // UTF-8; converted to the code page when the window loads
    bool word_wrap = false;       // labels: break lines between words instead of one centred line
};

struct EventBinding {
    std::uint32_t source; // a control number, or 0 for the window
    EventKind event;
    EventHandler handler;
};

struct WindowDefinition {
    std::uint32_t number;
    const char* title;             // UTF-8
    int outer_width, outer_height; // title bar and frame included
    // The client area that the Win32 frame leaves of the outer size (GetClientRect under the
    // standard metrics). A toolkit whose window manager draws the frame sizes this area instead.
    int client_width, client_height;
    std::vector<ControlDefinition> controls;
    std::vector<std::uint32_t> tab_order; // control numbers; Tab goes forward, Shift+Tab back, wrapping
    std::vector<EventBinding> events;

    const ControlDefinition* FindControl(std::uint32_t control) const {
        for (const ControlDefinition& definition : controls)
            if (definition.number == control)
                return &definition;
        return nullptr;
    }
};

} // namespace brenvale
