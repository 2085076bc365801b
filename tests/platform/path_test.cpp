// Finding the last separator of a path, where a double-byte character's second byte may equal the
// separator (GBK: 嘰 is 87 5C) without being one.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FindLastSeparator, SkipsTrailBytesOfDoubleByteCharacters) {
    const std::string s(1, platform::kSeparator);
    const std::string ji = platform::Utf8ToAnsi("嘰");    // 87 5C in GBK
    const std::string cheng = platform::Utf8ToAnsi("乗"); // 81 5C in GBK
    struct Case {
        std::string path;
        std::size_t expected;
    } const cases[] = {
        {"", std::string::npos},
        {"name", std::string::npos},
        {"a" + s + "b", 1},
        {"a" + s + s + s + "b", 3},
        {"a" + s, 1},
        {"dir" + s + ji, 3},
        {"dir" + s + ji + ji, 3},
        {"dir" + s + cheng + s + "x", 4 + cheng.size()},
        {ji, std::string::npos},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::FindLastSeparator(c.path), c.expected) << c.path;
}

TEST(IsLeadByte, FollowsTheCodePage) {
    const bool gbk = platform::AnsiCodePage() == 936;
    EXPECT_EQ(platform::IsLeadByte(0x87), gbk);
    EXPECT_EQ(platform::IsLeadByte(0xB1), gbk);
    EXPECT_FALSE(platform::IsLeadByte('\\'));
    EXPECT_FALSE(platform::IsLeadByte('a'));
    EXPECT_FALSE(platform::IsLeadByte(0x80));
}

} // namespace
