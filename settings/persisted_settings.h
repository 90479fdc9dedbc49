// The options as they live in the settings store: the three option records and the profile
// folder under "Options", the batch record, and the recent-folder list. Reading never fails:
// whatever is missing or damaged gives its defaults, silently.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"
#include "settings/app_settings.h"
#include "settings/batch_settings.h"

namespace stillpix {

inline constexpr char kOptionsGroup[] = "Options";
inline constexpr char kSettingsValue[] = "Settings";
inline constexpr char kSettings2Value[] = "Settings2";
inline constexpr char kSettings3Value[] = "Settings3";
inline constexpr char kProfileValue[] = "Profile";
inline constexpr char kBatchValue[] = "Batch";
inline constexpr char kRecentValuePrefix[] = "Recent";
inline constexpr char kThreadsValue[] = "Threads";
constexpr int kMaxEngineThreads = 64;
constexpr int kMaxRecentFolders = 10;

struct AppOptions {
    AppSettings settings;
    AppSettings2 settings2;
    AppSettings3 settings3;
    std::string profileFolder;  // the learned-profile folder
    int32_t engineThreads = 0;  // threads filtering tiles, 0..64; 0 = one per core ("Threads")
};

// Reads the three records, the profile folder and the thread count (text; missing or not a
// number in 0..64 gives 0). An empty or missing folder becomes
// `defaultProfileFolder` and is written back at once.
AppOptions LoadSettings(SettingsStore& store, const std::filesystem::path& defaultProfileFolder);

// Writes "Settings", "Settings2", "Settings3", "Profile" and "Threads", in this order; true when
// every write succeeded.
bool SaveSettings(SettingsStore& store, const AppOptions& options);

// The batch record, or DefaultBatchSettings(options) when none valid is stored.
BatchSettings LoadBatchSettings(SettingsStore& store, const AppSettings& options);
bool SaveBatchSettings(SettingsStore& store, const BatchSettings& settings);

// "Recent1" .. "Recent<length>" (length brought into 1..10), most recent first; empty values
// are left out.
std::vector<std::string> LoadRecentFolders(SettingsStore& store, int length);
// Values 1..n get the first n folders (n = length, at most the list's size), the rest of the
// ten empty text; true when every write succeeded.
bool SaveRecentFolders(SettingsStore& store, const std::vector<std::string>& folders, int length);

}  // namespace stillpix
