// Progress arithmetic and number text. Every intermediate value is an IEEE double, as the display
// rules require; nothing here may be built with fast-math.
#include "sync/number_text.h"

#include <cmath>
#include <cstdio>

namespace brenvale {

double RoundToWhole(double x) {
    if (x == 0.0 || std::isnan(x))
        return x;
    const bool negative = x < 0.0;
    const double magnitude = negative ? -x : x;
    const double nudged = magnitude + 1e-12;
    const double whole = std::trunc(nudged);
    const double fraction = nudged - whole;
    const double rounded = fraction >= 0.5 ? whole + 1.0 : whole;
    return negative ? -rounded : rounded;
}

std::int32_t TruncateToInt(double x) {
    // -2^63 is representable and in range; 2^63 is the first value above it.
    constexpr double kLowest = -9223372036854775808.0;
    constexpr double kBeyondHighest = 9223372036854775808.0;
    if (!(x >= kLowest && x < kBeyondHighest))
        return 0;
    const auto wide = static_cast<std::int64_t>(x);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

std::string IntToText(std::int32_t n) { return std::to_string(n); }

std::string RealToText(double x) {
    if (std::isnan(x))
        return "nan";
    if (std::isinf(x))
        return x < 0 ? "-inf" : "inf";
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.13g", x);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string OverallPercentText(std::int32_t position, std::int32_t maximum) {
    const double ratio = static_cast<double>(position) / static_cast<double>(maximum);
    return RealToText(RoundToWhole(ratio * 100.0)) + "%";
}

std::int32_t FilePercent(std::int64_t total, std::int64_t transferred) {
    const double ratio = static_cast<double>(transferred) / static_cast<double>(total);
    return TruncateToInt(RoundToWhole(ratio * 100.0));
}

} // namespace brenvale
