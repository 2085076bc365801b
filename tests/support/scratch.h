// Small fixtures for file-system tests: a fresh temporary directory removed at the end, and
// helpers that build and read files with the program's own (code-page) paths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// A new empty directory under the system's temporary directory, removed with all it holds.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + separator + relative, with "/" in relative turned into the platform's separator.
    std::string operator/(const std::string& relative) const;

  private:
    std::string path_;
};

// Joins with the platform's separator; "/" inside parts becomes that separator.
std::string Join(const std::string& directory, const std::string& relative);

void WriteFile(const std::string& path, const std::string& content);
std::optional<std::string> ReadFile(const std::string& path);   // nullopt when it cannot be read
void MakeDirectories(const std::string& path);                  // every missing level
void MakeSizedFile(const std::string& path, std::int64_t size); // sparse where the system can
bool Exists(const std::string& path);                           // the entry itself, links not followed
// The names in a directory, sorted, without "." and "..".
std::vector<std::string> Names(const std::string& directory);

} // namespace testing_support
