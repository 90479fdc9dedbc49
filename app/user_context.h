// What a command that processes images needs from the user's settings: the store, the
// options, the preset table and the learned-profile store, loaded as the program loads them
// at start-up.
#pragma once

#include <memory>
#include <string>

#include "platform/qsettings_store.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"

namespace stillpix::cli {

struct UserContext {
    std::unique_ptr<QSettingsStore> store;
    AppOptions options;
    PresetTable presets;
    std::unique_ptr<LearnedProfileStore> profiles;
    bool settingsReadable = false;  // false: defaults and the built-in presets only
};

// Opens the user's settings file (defaults where it is missing or damaged, which is never a
// failure) and loads the learned profiles from the profile folder it names, or from
// `profileFolder` when one is given.
void OpenUserContext(UserContext& context, const std::string& profileFolder = "");

}  // namespace stillpix::cli
