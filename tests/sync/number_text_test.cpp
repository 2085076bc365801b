// The progress display's number rules, on the examples they were written from and the edges that
// decide a text: halves, the 1e-12 nudge, 64-bit byte counts, non-finite values.
#include "sync/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace brenvale {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

TEST(RoundToWhole, RoundsHalfAwayFromZeroAfterTheNudge) {
    struct Case {
        double in, out;
    } const cases[] = {
        {12.5, 13.0},
        {12.49, 12.0},
        {12.4999999999995, 13.0},
        {12.499999999998, 12.0},
        {-2.5, -3.0},
        {-2.4, -2.0},
        {0.4, 0.0},
        {0.5, 1.0},
        {99.5, 100.0},
        {33.333, 33.0},
        {66.666666666667, 67.0},
        {4503599627370496.0, 4503599627370496.0},
        {-4503599627370497.0, -4503599627370497.0},
        {1e300, 1e300},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundToWhole(c.in), c.out) << "in " << c.in;
}

TEST(RoundToWhole, ZeroAndNotANumberComeBackUnchanged) {
    EXPECT_EQ(RoundToWhole(0.0), 0.0);
    EXPECT_TRUE(std::signbit(RoundToWhole(-0.0)));
    EXPECT_TRUE(std::isnan(RoundToWhole(kNan)));
    EXPECT_EQ(RoundToWhole(kInf), kInf);
    EXPECT_EQ(RoundToWhole(-kInf), -kInf);
}

TEST(TruncateToInt, TruncatesTowardZeroAndKeepsTheLow32Bits) {
    struct Case {
        double in;
        std::int32_t out;
    } const cases[] = {
        {0.0, 0},
        {99.9, 99},
        {-99.9, -99},
        {100.0, 100},
        {2147483647.0, 2147483647},
        {2147483648.0, -2147483647 - 1}, // low 32 bits of 2^31
        {4294967296.0 + 7.0, 7},         // 2^32 + 7
        {-4294967297.0, -1},             // low 32 bits of -(2^32 + 1)
        {9223372036854774784.0, -1024},  // 2^63 - 1024, the largest double below 2^63
        {9223372036854775808.0, 0},      // 2^63 is out of range
        {-9223372036854775808.0, 0},     // -2^63 is in range, low bits zero
        {-1e30, 0},
        {kNan, 0},
        {kInf, 0},
        {-kInf, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruncateToInt(c.in), c.out) << "in " << c.in;
}

TEST(IntToText, IsPlainDecimal) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(1234), "1234");
    EXPECT_EQ(IntToText(-5), "-5");
    EXPECT_EQ(IntToText(2147483647), "2147483647");
    EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
}

TEST(RealToText, MatchesPercentPoint13g) {
    struct Case {
        double in;
        const char* out;
    } const cases[] = {
        {33.0, "33"},
        {100.0, "100"},
        {0.0, "0"},
        {-0.0, "-0"},
        {0.5, "0.5"},
        {-12.25, "-12.25"},
        {1.0 / 3.0, "0.3333333333333"},
        {1234567890123.0, "1234567890123"},
        {12345678901234.0, "1.234567890123e+13"},
        {1e20, "1e+20"},
        {1.5e-7, "1.5e-07"},
        {1e-300, "1e-300"},
        {kInf, "inf"},
        {-kInf, "-inf"},
        {kNan, "nan"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RealToText(c.in), c.out) << "in " << c.in;
}

TEST(OverallPercentText, ShowsWholePercentages) {
    struct Case {
        std::int32_t position, maximum;
        const char* text;
    } const cases[] = {
        {0, 3, "0%"},  {1, 3, "33%"},  {2, 3, "67%"},    {3, 3, "100%"},         {1, 8, "13%"},
        {3, 8, "38%"}, {1, 200, "1%"}, {1, 32767, "0%"}, {32767, 32767, "100%"}, {16384, 32767, "50%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OverallPercentText(c.position, c.maximum), c.text) << c.position << " of " << c.maximum;
}

TEST(FilePercent, FollowsBytesTransferred) {
    struct Case {
        std::int64_t transferred, total;
        std::int32_t percent;
    } const cases[] = {
        {0, 1000, 0},
        {5, 1000, 1},
        {500, 1000, 50},
        {994, 1000, 99},
        {995, 1000, 100},
        {1000, 1000, 100},
        {3 * kGiB / 2, 3 * kGiB, 50},
        {0, 0, 0},
        {4 * kGiB + 5, 4 * kGiB + 5, 100},
        {1, 4 * kGiB + 5, 0},
        {2 * kGiB, 8 * kGiB, 25},
        {(std::int64_t{1} << 53) / 4 * 3, std::int64_t{1} << 53, 75},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilePercent(c.total, c.transferred), c.percent) << c.transferred << " of " << c.total;
        EXPECT_EQ(IntToText(FilePercent(c.total, c.transferred)) + "%", IntToText(c.percent) + "%");
    }
}

} // namespace
} // namespace brenvale
