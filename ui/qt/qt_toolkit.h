// The Qt toolkit behind brenvale, the Linux window program (CreateWindowToolkit in
// app/window_front_end.h), and what its tests need beyond the toolkit contract.
#pragma once

#include <QString>

#include <string>

namespace brenvale::qt {

// The path the folder dialog's choice gives: "/" for the root, any other folder without a trailing
// "/", as bytes; empty for what names no listable folder by an absolute path.
std::string FolderPathFromDialog(const QString& chosen);

// Display text of bytes that may not be valid UTF-8: each bad sequence shows as U+FFFD.
QString DisplayText(const std::string& bytes);

} // namespace brenvale::qt
