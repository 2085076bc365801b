// The number rules of the progress display: one rounding rule, one truncation rule, two number
// forms, and the two percentages built from them. Pure functions, safe on any thread.
#pragma once

#include <cstdint>
#include <string>

namespace brenvale {

// Rounds half away from zero after nudging the magnitude up by 1e-12, so 12.4999999999995 gives 13.
// 0 and not-a-number come back unchanged; magnitudes of 2^52 and above are already whole.
double RoundToWhole(double x);

// Truncates toward zero to 64 bits and keeps the low 32 bits, signed. Not-a-number, infinities and
// values outside the 64-bit range give 0.
std::int32_t TruncateToInt(double x);

// "%d": 0, 1234, -5.
std::string IntToText(std::int32_t n);

// "%.13g": 33.0 gives 33, 0.5 gives 0.5, 1e20 gives 1e+20. Infinities and not-a-number give
// "inf", "-inf" and "nan" on every platform.
std::string RealToText(double x);

// The overall bar's percentage as text, such as "67%": position / maximum, as a percentage, rounded.
std::string OverallPercentText(std::int32_t position, std::int32_t maximum);

// The percentage of one file copied so far, 0 to 100 for transferred <= total; 0 for an empty file.
std::int32_t FilePercent(std::int64_t total, std::int64_t transferred);

} // namespace brenvale
