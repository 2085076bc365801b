// Path helpers shared by both systems, over the code page's lead-byte rule.
#include "platform/platform.h"

namespace platform {

std::size_t FindLastSeparator(std::string_view path) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == kSeparator)
            last = i;
        else if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
            ++i; // the trail byte is part of this character, whatever its value
    }
    return last;
}

std::vector<std::string> SplitPath(std::string_view path) {
    std::vector<std::string> names;
    std::string name;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == kSeparator) {
            if (!name.empty())
                names.push_back(std::move(name));
            name.clear();
            continue;
        }
        name += path[i];
        if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
            name += path[++i];
    }
    if (!name.empty())
        names.push_back(std::move(name));
    return names;
}

} // namespace platform
