// Test fixtures over std::filesystem and C stdio, independent of the code under test.
#include "tests/support/scratch.h"

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {
namespace {

std::string Native(std::string relative) {
    std::replace(relative.begin(), relative.end(), '/', platform::kSeparator);
    return relative;
}

} // namespace

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name = "brenvale-test-" + std::to_string(platform::CurrentProcessId()) + "-" +
                             std::to_string(stamp) + "-" + std::to_string(serial++);
    path_ = fs::temp_directory_path().string();
    while (!path_.empty() && path_.back() == platform::kSeparator)
        path_.pop_back();
    path_ += platform::kSeparator + name;
    fs::create_directory(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    // Read-only entries would stop the removal on Windows.
    for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::end(it);
         it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow,
                        error);
    fs::remove_all(path_, error);
}

std::string ScratchDir::operator/(const std::string& relative) const { return Join(path_, relative); }

std::string Join(const std::string& directory, const std::string& relative) {
    return directory + platform::kSeparator + Native(relative);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot create " + path);
    const bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) != 0 || !ok)
        throw std::runtime_error("cannot write " + path);
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::nullopt;
    std::string content;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        content.append(buffer, n);
    std::fclose(file);
    return content;
}

void MakeDirectories(const std::string& path) {
    // Level by level with the code-page functions, so names of any code page work.
    std::string built =
        !path.empty() && path[0] == platform::kSeparator ? std::string(1, platform::kSeparator) : "";
    for (const std::string& name : platform::SplitPath(path)) {
        built += name;
        platform::CreateOneDirectory(built);
        built += platform::kSeparator;
    }
}

void MakeSizedFile(const std::string& path, std::int64_t size) {
    WriteFile(path, "");
    fs::resize_file(path, static_cast<std::uintmax_t>(size));
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

std::vector<std::string> Names(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (auto it = fs::directory_iterator(directory, error); !error && it != fs::end(it); it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testing_support
