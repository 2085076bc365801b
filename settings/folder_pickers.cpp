// The folder pickers, over the toolkit's folder browser and the settings file.
#include "settings/folder_pickers.h"

#include "controls/control_properties.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace brenvale {
namespace {

void PickDirectory(ControlRef box, const std::string& key, const std::string& prompt) {
    SetControlProperty(box, kEditContent, BrowseForFolder(prompt));
    const std::string chosen = GetControlText(box, kEditContent);
    if (!chosen.empty())
        WriteSetting(key, chosen);
}

} // namespace

std::string BrowseForFolder(const std::string& prompt) { return ShowFolderBrowser(prompt); }

void PickRemoteDirectory(ControlRef remote_box) {
    PickDirectory(remote_box, RemoteDirectoryKey(), platform::Literal<"请选择远程目录">());
}

void PickLocalDirectory(ControlRef local_box) {
    PickDirectory(local_box, LocalDirectoryKey(), platform::Literal<"请选择本地目录">());
}

} // namespace brenvale
