// INI files, the module path and the current directory on Windows.
#include "platform/platform.h"

#include <windows.h>

#include <vector>

namespace platform {

std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& file,
                         std::size_t buffer_size) {
    if (buffer_size == 0)
        return {};
    std::vector<char> buffer(buffer_size, '\0');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    return std::string(buffer.data(), length);
}

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

std::string ModulePath() {
    // Longer than MAX_PATH where long paths are enabled: grow until the whole path fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool SetCurrentDir(const std::string& directory) { return SetCurrentDirectoryA(directory.c_str()) != FALSE; }

} // namespace platform
