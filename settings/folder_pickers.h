// The two folder pickers: the browse buttons beside the path boxes. A chosen folder replaces the
// box's text and is stored in the settings file at once; cancelling empties the box and stores
// nothing.
#pragma once

#include "controls/control_ref.h"

#include <string>

namespace brenvale {

// The platform's folder browser with the prompt; the chosen folder's path, or the empty text when
// the user cancelled or chose something that is not a folder of the file system.
std::string BrowseForFolder(const std::string& prompt);

void PickRemoteDirectory(ControlRef remote_box); // 按钮2
void PickLocalDirectory(ControlRef local_box);   // 按钮3

} // namespace brenvale
