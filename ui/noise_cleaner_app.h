// CNoiseCleanerApp: what the program keeps for its whole run (the options, the preset table, the
// learned-profile store, the recent folders) and its start-up in order.
#pragma once

#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/qsettings_store.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"

namespace stillpix {

class CMainFrame;

class CNoiseCleanerApp {
public:
    // The user's settings file and the profile folder used when none is stored.
    CNoiseCleanerApp(std::filesystem::path settingsFile,
                     std::filesystem::path defaultProfileFolder);
    ~CNoiseCleanerApp();
    CNoiseCleanerApp(const CNoiseCleanerApp&) = delete;
    CNoiseCleanerApp& operator=(const CNoiseCleanerApp&) = delete;

    // The start-up: company and program keys, the preset table, the options, the learned
    // profiles, the recent folders, the command line (its image path waits for the first idle
    // pass), the main window with its panes as stored, shown and taking dropped files; File Open
    // when nothing is pending and the option asks for it. `arguments` exclude the program name.
    CMainFrame& Start(const QStringList& arguments);

    CMainFrame* Frame() { return frame_.get(); }
    AppOptions& Options() { return options_; }
    PresetTable& Presets() { return presets_; }
    LearnedProfileStore& Profiles() { return *profiles_; }
    SettingsStore& Store() { return *store_; }
    const std::vector<std::string>& RecentFolders() const { return recent_; }

private:
    std::filesystem::path defaultProfileFolder_;
    std::unique_ptr<QSettingsStore> store_;
    AppOptions options_;
    PresetTable presets_;
    std::unique_ptr<LearnedProfileStore> profiles_;
    std::vector<std::string> recent_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace stillpix
