#include "app/user_context.h"

#include "engine/engine.h"
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

bool ApplyEngineThreads(const CliArgs& args, const AppOptions& options, std::string& error) {
    std::optional<int> threads;
    if (!args.IntValue("threads", 0, kMaxEngineThreads, threads, error)) return false;
    SetEngineThreads(threads.value_or(options.engineThreads));
    return true;
}

}  // namespace stillpix::cli
