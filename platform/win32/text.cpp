// Text on Windows: UTF-8 to UTF-16 to the ANSI code page, with the system's own tables.
#include "platform/platform.h"

#include <windows.h>

namespace platform {

const char kSeparator = '\\';

unsigned AnsiCodePage() { return GetACP(); }

std::string Utf8ToAnsi(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int utf8_length = static_cast<int>(utf8.size());
    const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8_length, nullptr, 0);
    if (wide_length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8_length, wide.data(), wide_length);
    const int ansi_length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    if (ansi_length <= 0)
        return {};
    std::string ansi(static_cast<size_t>(ansi_length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, ansi.data(), ansi_length, nullptr, nullptr);
    return ansi;
}

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

} // namespace platform
