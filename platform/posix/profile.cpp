// INI files on POSIX systems, with the rules of the Win32 profile functions for the files the
// program writes: CRLF lines, [section], key=value, names compared without letter case, values
// trimmed of blanks and one pair of quotes on reading, a missing key appended at the end of its
// section, a missing section at the end of the file. Other lines are kept as they are.
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line[0] != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

std::string_view KeyOf(std::string_view line) { return Trim(line.substr(0, line.find('='))); }

enum class FileState { kRead, kMissing, kUnusable };

FileState ReadLines(const std::string& file, std::vector<std::string>& lines) {
    struct stat status;
    if (stat(file.c_str(), &status) != 0)
        return errno == ENOENT ? FileState::kMissing : FileState::kUnusable;
    if (!S_ISREG(status.st_mode))
        return FileState::kUnusable;
    std::FILE* stream = std::fopen(file.c_str(), "rb");
    if (stream == nullptr)
        return FileState::kUnusable;
    std::string content;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        content.append(buffer, n);
    std::fclose(stream);
    for (std::size_t start = 0; start < content.size();) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return FileState::kRead;
}

} // namespace

std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& file,
                         std::size_t buffer_size) {
    std::vector<std::string> lines;
    if (ReadLines(file, lines) != FileState::kRead || buffer_size == 0)
        return {};
    bool in_section = false;
    for (const std::string& line : lines) {
        if (const auto name = SectionOf(line)) {
            in_section = SameName(*name, section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!in_section || equals == std::string::npos || !SameName(KeyOf(line), key))
            continue;
        std::string_view value = Trim(std::string_view(line).substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value.substr(0, buffer_size - 1));
    }
    return {};
}

bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    std::vector<std::string> lines;
    if (ReadLines(file, lines) == FileState::kUnusable)
        return false;
    const std::string entry = key + "=" + value;
    std::size_t header = lines.size();
    for (std::size_t i = 0; i < lines.size() && header == lines.size(); ++i)
        if (const auto name = SectionOf(lines[i]); name && SameName(*name, section))
            header = i;
    if (header == lines.size()) {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else {
        std::size_t last = header; // the section's last line that is not blank
        std::size_t i = header + 1;
        for (; i < lines.size() && !SectionOf(lines[i]); ++i) {
            if (lines[i].find('=') != std::string::npos && SameName(KeyOf(lines[i]), key))
                break;
            if (!Trim(lines[i]).empty())
                last = i;
        }
        if (i < lines.size() && !SectionOf(lines[i]))
            lines[i] = std::string(KeyOf(lines[i])) + "=" + value; // in place, the name as it was
        else
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), entry);
    }
    std::string content;
    for (const std::string& line : lines)
        content += line + "\r\n";
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::string_view rest = content; ok && !rest.empty();) {
        const ssize_t written = write(fd, rest.data(), rest.size());
        ok = written > 0;
        if (ok)
            rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return close(fd) == 0 && ok;
}

std::string ModulePath() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

bool SetCurrentDir(const std::string& directory) { return chdir(directory.c_str()) == 0; }

} // namespace platform
