// The settings file beside the executable, and the window's created event that loads it.
#include "settings/settings.h"

#include "app/main_window.h"
#include "controls/control_properties.h"
#include "controls/headless_toolkit.h"
#include "platform/platform.h"
#include "tests/support/scratch.h"

#include <gtest/gtest.h>

namespace brenvale {
namespace {

using testing_support::ReadFile;
using testing_support::ScratchDir;
using testing_support::WriteFile;

std::string T(const char* utf8) { return platform::Utf8ToAnsi(utf8); }

TEST(DirectoryPart, CutsBeforeTheLastRealSeparator) {
    const std::string s(1, platform::kSeparator);
    const std::string ji = T("嘰"); // GBK 87 5C: its trail byte is a backslash
    struct Case {
        std::string path, directory;
    } const cases[] = {
        {"C:" + s + "tools" + s + "brenvale.exe", "C:" + s + "tools"},
        {"D:" + s + "brenvale.exe", "D:"},
        {s + "brenvale", ""},
        {"C:" + s + "tools" + s + ji, "C:" + s + "tools"},
        {"C:" + s + ji + s + "brenvale.exe", "C:" + s + ji},
        {"no separator", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
}

TEST(RunDirectory, IsTheExecutablesDirectory) {
    const std::string directory = RunDirectory();
    const std::string module = platform::ModulePath();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), platform::kSeparator);
    EXPECT_EQ(module.substr(0, directory.size() + 1), directory + platform::kSeparator);
    EXPECT_TRUE(platform::IsListableDirectory(directory));
    EXPECT_EQ(SettingsFilePath(), directory + platform::kSeparator + "Ostrel.ini");
}

class LoadSettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        SetRunDirectoryForTesting(dir.path());
        LoadWindow(MainWindowDefinition({}), toolkit);
        toolkit.TypeText(main_window::kRemoteBox, "typed before");
        toolkit.TypeText(main_window::kLocalBox, "typed before");
    }
    void TearDown() override { SetRunDirectoryForTesting(""); }

    void Load() {
        LoadSettings(MainWindowControl(main_window::kRemoteBox), MainWindowControl(main_window::kLocalBox));
    }
    std::string Box(std::uint32_t box) { return GetControlText(MainWindowControl(box), kEditContent); }

    ScratchDir dir;
    const std::string file = dir / "Ostrel.ini";
    HeadlessToolkit toolkit;
};

TEST_F(LoadSettingsTest, FirstStartCreatesTheFileAndLeavesTheBoxes) {
    Load();
    EXPECT_EQ(ReadFile(file), "[Ostrel]\r\n" + T("远程目录") + "=\r\n" + T("本地目录") + "=\r\n");
    EXPECT_EQ(Box(main_window::kRemoteBox), "typed before");
}

TEST_F(LoadSettingsTest, FillsBothBoxesFromTheFile) {
    const std::string content = "[Ostrel]\r\n" + T("本地目录") + "=  " + T("D:\\数据") + "  \r\n";
    WriteFile(file, content);
    Load();
    EXPECT_EQ(Box(main_window::kRemoteBox), "") << "a missing key empties its box";
    EXPECT_EQ(Box(main_window::kLocalBox), T("D:\\数据"));
    EXPECT_EQ(ReadFile(file), content) << "reading changes nothing";
}

TEST_F(LoadSettingsTest, ADirectoryInTheFilesPlaceReadsAsEmpty) {
    testing_support::MakeDirectories(file);
    Load();
    EXPECT_EQ(Box(main_window::kRemoteBox), "");
    EXPECT_EQ(Box(main_window::kLocalBox), "");
    EXPECT_TRUE(platform::IsListableDirectory(file)) << "still a directory; nothing was created";
}

TEST_F(LoadSettingsTest, WritesKeepEmptyValuesAndLongValuesAreCut) {
    WriteSetting(RemoteDirectoryKey(), std::string(12000, 'p'));
    WriteSetting(LocalDirectoryKey(), "");
    EXPECT_EQ(ReadSetting(RemoteDirectoryKey()), std::string(kSettingValueBuffer - 1, 'p'));
    EXPECT_EQ(ReadSetting(LocalDirectoryKey()), "");
    EXPECT_NE(ReadFile(file)->find(T("本地目录") + "=\r\n"), std::string::npos);
}

} // namespace
} // namespace brenvale
