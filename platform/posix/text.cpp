// Text on POSIX systems: the code page is UTF-8, which has no lead bytes, so literals stay as they
// are and no byte of a multi-byte character is ever "/".
#include "platform/platform.h"

#include <unistd.h>

namespace platform {

const char kSeparator = '/';

unsigned AnsiCodePage() { return kUtf8CodePage; }

std::string Utf8ToAnsi(std::string_view utf8) { return std::string(utf8); }

bool IsLeadByte(unsigned char) { return false; }

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

} // namespace platform
