// The profile-string rules as one table, run against both implementations: the project's own INI
// code natively and Wine's GetPrivateProfileStringA / WritePrivateProfileStringA under Wine.
#include "platform/platform.h"

#include "tests/support/scratch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::WriteFile;

constexpr std::size_t kBuffer = 10240;

std::string T(const char* utf8) { return platform::Utf8ToAnsi(utf8); }

TEST(ProfileStrings, ReadValuesAsTheProfileFunctionsDo) {
    const std::string remote = T("远程目录"), local = T("本地目录");
    struct Case {
        const char* what;
        std::optional<std::string> file; // nullopt: no file
        std::string key, value;
    } const cases[] = {
        {"first start", "[Ostrel]\r\n" + remote + "=\r\n" + local + "=\r\n", remote, ""},
        {"only the other key", "[Ostrel]\r\n" + local + "=D:\\data\r\n", remote, ""},
        {"only this key", "[Ostrel]\r\n" + local + "=D:\\data\r\n", local, "D:\\data"},
        {"blanks around the value", "[Ostrel]\r\n" + remote + "=   C:\\a b  \r\n", remote, "C:\\a b"},
        {"double quotes", "[Ostrel]\r\n" + remote + "=\"C:\\quoted\"\r\n", remote, "C:\\quoted"},
        {"quotes inside blanks", "[Ostrel]\r\n" + remote + "=  'x y'  \r\n", remote, "x y"},
        {"an unmatched quote stays", "[Ostrel]\r\n" + remote + "=\"open\r\n", remote, "\"open"},
        {"names ignore letter case", "[ostrel]\r\nKey=v\r\n", "KEY", "v"},
        {"the key of another section",
         "[Other]\r\n" + remote + "=wrong\r\n[Ostrel]\r\n" + remote + "=right\r\n", remote, "right"},
        {"no final newline", "[Ostrel]\r\n" + remote + "=last", remote, "last"},
        {"LF lines", "[Ostrel]\n" + remote + "=lf\n", remote, "lf"},
        {"comments", "; made by hand\r\n[Ostrel]\r\n; note\r\n" + remote + "=v\r\n", remote, "v"},
        {"a value in GBK", "[Ostrel]\r\n" + remote + "=" + T("D:\\数据\\乗") + "\r\n", remote,
         T("D:\\数据\\乗")},
        {"no file", std::nullopt, remote, ""},
        {"a value longer than the buffer", "[Ostrel]\r\n" + remote + "=" + std::string(12000, 'x') + "\r\n",
         remote, std::string(kBuffer - 1, 'x')},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        const std::string file = dir / "Ostrel.ini";
        if (c.file)
            WriteFile(file, *c.file);
        EXPECT_EQ(platform::ReadIniValue("Ostrel", c.key, file, kBuffer), c.value) << c.what;
    }
}

TEST(ProfileStrings, WriteAsTheProfileFunctionsDo) {
    const std::string remote = T("远程目录"), local = T("本地目录");
    struct Write {
        std::string key, value;
    };
    struct Case {
        const char* what;
        std::optional<std::string> before;
        std::vector<Write> writes;
        std::string after;
    } const cases[] = {
        {"first start",
         std::nullopt,
         {{remote, ""}, {local, ""}},
         "[Ostrel]\r\n" + remote + "=\r\n" + local + "=\r\n"},
        {"replaced in place",
         "[Ostrel]\r\n" + remote + "=old\r\n" + local + "=x\r\n",
         {{remote, "new"}},
         "[Ostrel]\r\n" + remote + "=new\r\n" + local + "=x\r\n"},
        {"an empty value keeps the key",
         "[Ostrel]\r\n" + remote + "=old\r\n" + local + "=x\r\n",
         {{remote, ""}},
         "[Ostrel]\r\n" + remote + "=\r\n" + local + "=x\r\n"},
        {"a missing key goes to the end of its section",
         "[Ostrel]\r\n" + remote + "=a\r\n[Other]\r\nk=v\r\n",
         {{local, "b"}},
         "[Ostrel]\r\n" + remote + "=a\r\n" + local + "=b\r\n[Other]\r\nk=v\r\n"},
        {"a missing section goes to the end",
         "[Other]\r\nk=v\r\n",
         {{remote, "a"}},
         "[Other]\r\nk=v\r\n[Ostrel]\r\n" + remote + "=a\r\n"},
        {"comments and other sections stay",
         "; comment\r\n[Other]\r\nk=v\r\n[Ostrel]\r\n" + remote + "=a\r\n",
         {{local, "b"}},
         "; comment\r\n[Other]\r\nk=v\r\n[Ostrel]\r\n" + remote + "=a\r\n" + local + "=b\r\n"},
        {"no final newline",
         "[Ostrel]\r\n" + remote + "=a",
         {{local, "b"}},
         "[Ostrel]\r\n" + remote + "=a\r\n" + local + "=b\r\n"},
        {"letter case of names", "[ostrel]\r\nKey=a\r\n", {{"KEY", "b"}}, "[ostrel]\r\nKey=b\r\n"},
        {"a value in GBK",
         std::nullopt,
         {{remote, T("D:\\数据\\乗")}},
         "[Ostrel]\r\n" + remote + "=" + T("D:\\数据\\乗") + "\r\n"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        const std::string file = dir / "Ostrel.ini";
        if (c.before)
            WriteFile(file, *c.before);
        for (const Write& write : c.writes)
            EXPECT_TRUE(platform::WriteIniValue("Ostrel", write.key, write.value, file)) << c.what;
        EXPECT_EQ(ReadFile(file), c.after) << c.what;
    }
}

TEST(ProfileStrings, UnusablePathsReadEmptyAndWriteNothing) {
    ScratchDir dir;
    testing_support::MakeDirectories(dir / "Ostrel.ini");
    EXPECT_EQ(platform::ReadIniValue("Ostrel", "k", dir / "Ostrel.ini", kBuffer), "");
    EXPECT_FALSE(platform::WriteIniValue("Ostrel", "k", "v", dir / "Ostrel.ini"));
    EXPECT_FALSE(platform::WriteIniValue("Ostrel", "k", "v", dir / "missing/Ostrel.ini"));
    EXPECT_EQ(testing_support::Names(dir.path()), std::vector<std::string>{"Ostrel.ini"});
    EXPECT_EQ(testing_support::Names(dir / "Ostrel.ini"), std::vector<std::string>{});
}

} // namespace
