// What a command that processes images needs from the user's settings: the store, the
// options, the preset table and the learned-profile store, loaded as the program loads them
// at start-up.
#pragma once

#include <memory>
#include <string>

#include "app/cli_options.h"
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

constexpr const char* kThreadsUsage =
    "  --threads N         threads filtering tiles, 0 = one per core (default: the option)\n";
// Sets the engine's thread count: --threads N for this run, else the user's option. False with
// a message when the value is not a count of 0..64.
bool ApplyEngineThreads(const CliArgs& args, const AppOptions& options, std::string& error);

}  // namespace stillpix::cli
