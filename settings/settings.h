// The settings file: the two directory paths, kept in "Ostrel.ini" beside the executable, in
// section "Ostrel" under the keys "远程目录" and "本地目录". Used on the UI thread only.
#pragma once

#include "controls/control_ref.h"

#include <cstddef>
#include <string>

namespace brenvale {

inline constexpr std::size_t kSettingValueBuffer = 10240; // a longer value comes back cut to fit

// The executable's directory without a trailing separator ("D:" for a program in D's root).
std::string RunDirectory();
// RunDirectory, the separator and "Ostrel.ini", worked out afresh on every call.
std::string SettingsFilePath();
// The directory part of a path: everything before its last separator, where a double-byte
// character's trail byte is never a separator.
std::string DirectoryPart(const std::string& path);

const std::string& RemoteDirectoryKey(); // "远程目录" in the code page
const std::string& LocalDirectoryKey();  // "本地目录"

// The key's value in section "Ostrel" of the settings file; empty when anything is missing.
std::string ReadSetting(const std::string& key);
// Writes the key (an empty value stays as "key="); a failure is ignored.
void WriteSetting(const std::string& key, const std::string& value);

// The handler of the main window's created event: fills both path boxes from the settings file
// when anything exists at its path, or else creates the file with both keys empty.
void LoadSettings(ControlRef remote_box, ControlRef local_box);

// Tests point the run directory elsewhere; the empty text gives the real one back.
void SetRunDirectoryForTesting(const std::string& directory);

} // namespace brenvale
