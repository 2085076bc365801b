// The program's UTF-8 literals reach the system in its ANSI code page: GBK on a Chinese Windows
// system, unchanged on Linux. The Wine runs set BRENVALE_TEST_CODE_PAGE=936, so a Wine that fell
// back to another code page fails here instead of passing on unconverted text.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(Utf8ToAnsi, ConvertsLiteralsToTheCodePage) {
    const unsigned code_page = platform::AnsiCodePage();
    ASSERT_TRUE(code_page == 936 || code_page == platform::kUtf8CodePage)
        << "tests expect GBK (936) or UTF-8, got code page " << code_page;
    if (const char* expected = std::getenv("BRENVALE_TEST_CODE_PAGE")) {
        ASSERT_EQ(code_page, static_cast<unsigned>(std::atoi(expected)));
    }

    struct Case {
        const char* utf8;
        std::string gbk;
    } const cases[] = {
        {"开始对比", Bytes({0xBF, 0xAA, 0xCA, 0xBC, 0xB6, 0xD4, 0xB1, 0xC8})},
        {"文件同步完成!",
         Bytes({0xCE, 0xC4, 0xBC, 0xFE, 0xCD, 0xAC, 0xB2, 0xBD, 0xCD, 0xEA, 0xB3, 0xC9, '!'})},
        {"Ostrel.ini", "Ostrel.ini"},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::string expected = code_page == 936 ? c.gbk : std::string(c.utf8);
        EXPECT_EQ(platform::Utf8ToAnsi(c.utf8), expected) << c.utf8;
    }
}

} // namespace
