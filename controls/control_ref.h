// Naming a control and its properties: a ControlRef is a window number and a control number; a
// property is a number whose meaning depends on the control's kind.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace brenvale {

struct ControlRef {
    std::uint32_t window = 0;  // 0 names no window
    std::uint32_t control = 0; // 0 names the window itself
    friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

inline constexpr ControlRef kNoControl{};

// Property numbers, by kind of control.
inline constexpr std::uint32_t kLabelCaption = 8;   // text
inline constexpr std::uint32_t kEditContent = 8;    // text, read from the on-screen control
inline constexpr std::uint32_t kButtonCaption = 10; // text
inline constexpr std::uint32_t kTimerPeriod = 8;    // integer, milliseconds
inline constexpr std::uint32_t kBarMinimum = 11;    // integer, 0 to 32767
inline constexpr std::uint32_t kBarMaximum = 12;    // integer, 0 to 32767
inline constexpr std::uint32_t kBarPosition = 13;   // integer, 0 to 32767

// An integer or a text (bytes in the ANSI code page).
using PropertyValue = std::variant<std::int32_t, std::string>;

} // namespace brenvale
