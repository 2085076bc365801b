// Tree fixtures. Listing goes through the platform's own search so that names stay in the code
// page; links are recorded, never followed.
#include "tests/support/tree.h"

#include "platform/platform.h"
#include "tests/support/scratch.h"

#include <filesystem>

namespace testing_support {
namespace {

constexpr std::uintmax_t kLargestReadFile = 16 << 20;

void Walk(const std::string& directory, const std::string& relative, Snapshot& snapshot) {
    platform::DirectorySearch search;
    platform::FoundEntry entry;
    for (bool found = search.Start(directory + platform::kSeparator + "*.*", entry); found;
         found = search.Next(entry)) {
        if (entry.name == "." || entry.name == "..")
            continue;
        const std::string path = directory + platform::kSeparator + entry.name;
        const std::string key = relative.empty() ? entry.name : relative + "/" + entry.name;
        std::error_code error;
        if (entry.attributes & platform::kReparsePoint) {
            snapshot[key] = "link:" + std::filesystem::read_symlink(path, error).string();
        } else if (entry.attributes & platform::kDirectory) {
            snapshot[key] = "dir";
            Walk(path, key, snapshot);
        } else if (std::filesystem::symlink_status(path, error).type() !=
                   std::filesystem::file_type::regular) {
            snapshot[key] = "other"; // a FIFO would never answer a read
        } else if (const auto size = std::filesystem::file_size(path, error); size > kLargestReadFile) {
            snapshot[key] = "file of " + std::to_string(size) + " bytes"; // sparse giants are not read
        } else if (auto content = ReadFile(path)) {
            snapshot[key] = "file:" + *content;
        } else {
            snapshot[key] = "other";
        }
    }
}

} // namespace

void BuildTree(const std::string& root, const TreeSpec& spec) {
    MakeDirectories(root);
    for (const auto& [path, content] : spec) {
        if (!path.empty() && path.back() == '/')
            MakeDirectories(Join(root, path.substr(0, path.size() - 1)));
        else {
            const std::string file = Join(root, path);
            MakeDirectories(file.substr(0, platform::FindLastSeparator(file)));
            WriteFile(file, content);
        }
    }
}

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot snapshot;
    Walk(root, "", snapshot);
    return snapshot;
}

} // namespace testing_support
