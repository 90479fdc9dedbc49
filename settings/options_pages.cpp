#include "settings/options_pages.h"

namespace stillpix {
namespace {

const EnablingRule kEnablingRules[] = {
    {"Default suffix", "Append default suffix to the original name", 1},
    {"Preview Window update delay (seconds)",
     "Update Preview Window when filter parameters changed", 1},
    {kTiffNote, "Tiff bit rate", 1},
};

}  // namespace

std::span<const EnablingRule> EnablingRules() { return kEnablingRules; }

bool PrepareOptionsPage(OptionsPage page, AppOptions& options) {
    int32_t& depth = options.settings2.tiffDepth;
    if (page != OptionsPage::kGeneral || depth == kTiffDepth24 || depth == kTiffDepth48)
        return false;
    depth = kTiffDepth24;
    return true;
}

void AcceptOptionsPage(OptionsPage page, AppOptions& options) {
    if (page == OptionsPage::kGeneral) options.settings.reserved8 = 1;
    if (page == OptionsPage::kNoiseFilter) options.settings.reserved56 = 1;
}

DeleteProfilesResult DeleteLearnedProfiles(LearnedProfileStore& profiles, bool workerRunning) {
    // The store's lock keeps single operations apart, but a run combines, measures and then
    // learns: deleting between those steps would let the run write the deleted data back.
    if (workerRunning) return DeleteProfilesResult::kWorkerRunning;
    return profiles.ClearAndSave() ? DeleteProfilesResult::kDeleted
                                   : DeleteProfilesResult::kNotWritten;
}

bool ClearRecentFolders(SettingsStore& store, const AppOptions& options,
                        std::vector<std::string>& recent) {
    recent.clear();
    const bool saved = SaveSettings(store, options);
    return SaveRecentFolders(store, recent, options.settings3.recentLength) && saved;
}

}  // namespace stillpix
