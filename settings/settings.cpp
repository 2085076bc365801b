// The settings file over the platform's profile strings.
#include "settings/settings.h"

#include "controls/control_properties.h"
#include "platform/platform.h"
#include "sync/file_ops.h"

namespace brenvale {
namespace {

std::string& RunDirectoryOverride() {
    static std::string directory;
    return directory;
}

const std::string& SectionName() { return platform::Literal<"Ostrel">(); }

} // namespace

std::string DirectoryPart(const std::string& path) {
    const std::size_t separator = platform::FindLastSeparator(path);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string RunDirectory() {
    const std::string& override_directory = RunDirectoryOverride();
    return override_directory.empty() ? DirectoryPart(platform::ModulePath()) : override_directory;
}

std::string SettingsFilePath() { return RunDirectory() + platform::kSeparator + "Ostrel.ini"; }

const std::string& RemoteDirectoryKey() { return platform::Literal<"远程目录">(); }

const std::string& LocalDirectoryKey() { return platform::Literal<"本地目录">(); }

std::string ReadSetting(const std::string& key) {
    return platform::ReadIniValue(SectionName(), key, SettingsFilePath(), kSettingValueBuffer);
}

void WriteSetting(const std::string& key, const std::string& value) {
    platform::WriteIniValue(SectionName(), key, value, SettingsFilePath());
}

void LoadSettings(ControlRef remote_box, ControlRef local_box) {
    if (EntryExists(SettingsFilePath())) {
        SetControlProperty(remote_box, kEditContent, ReadSetting(RemoteDirectoryKey()));
        SetControlProperty(local_box, kEditContent, ReadSetting(LocalDirectoryKey()));
    } else {
        WriteSetting(RemoteDirectoryKey(), "");
        WriteSetting(LocalDirectoryKey(), "");
    }
}

void SetRunDirectoryForTesting(const std::string& directory) { RunDirectoryOverride() = directory; }

} // namespace brenvale
