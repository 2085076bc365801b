// The operating-system services Brenvale needs, behind one portable interface.
// platform/win32/ implements it with thin Win32 calls, platform/posix/ with the project's own code
// that answers as Windows would. No other folder asks which system it runs on.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Texts are bytes in the system's ANSI code page: GBK (936) on Chinese Windows, UTF-8 on Linux.
constexpr unsigned kUtf8CodePage = 65001;

// The code page of every text the program handles (Windows: GetACP; Linux: always UTF-8).
unsigned AnsiCodePage();

// Converts one of the program's own UTF-8 literals to the ANSI code page.
// Characters the code page lacks become the system's default character.
std::string Utf8ToAnsi(std::string_view utf8);

} // namespace platform
