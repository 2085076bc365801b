// Text conversion on POSIX systems: the code page is UTF-8, so literals stay as they are.
#include "platform/platform.h"

namespace platform {

unsigned AnsiCodePage() { return kUtf8CodePage; }

std::string Utf8ToAnsi(std::string_view utf8) { return std::string(utf8); }

} // namespace platform
