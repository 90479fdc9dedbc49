#include "app/user_context.h"

#include "platform/user_paths.h"

namespace stillpix::cli {

void OpenUserContext(UserContext& context, const std::string& profileFolder) {
    context.store = std::make_unique<QSettingsStore>(UserSettingsFile());
    context.options = LoadSettings(*context.store, DefaultProfileFolder());
    if (!profileFolder.empty()) context.options.profileFolder = profileFolder;
    context.settingsReadable = BuildPresetTable(*context.store, context.presets);
    context.profiles = std::make_unique<LearnedProfileStore>(context.options.profileFolder);
    // A missing or damaged profile file starts an empty store, as at the program's start.
    context.profiles->LoadProfileStore();
}

}  // namespace stillpix::cli
