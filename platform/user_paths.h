// Where the program keeps its per-user files.
#pragma once

#include <filesystem>

namespace stillpix {

// The options file: the per-user configuration folder (XDG_CONFIG_HOME, else ~/.config), then
// "Veltrano/Stillpix Professional Edition.conf".
std::filesystem::path UserSettingsFile();

// The default learned-profile folder: the per-user application data folder of "Veltrano" /
// "Stillpix Professional Edition" (XDG_DATA_HOME, else ~/.local/share) with "/Profiles".
std::filesystem::path DefaultProfileFolder();

}  // namespace stillpix
