#include "settings/persisted_settings.h"

#include <algorithm>
#include <charconv>

namespace stillpix {
namespace {

template <std::size_t Size>
bool WriteRecord(SettingsStore& store, const char* name, const std::array<uint8_t, Size>& bytes) {
    return store.WriteBytes(kOptionsGroup, name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

template <class Record>
void ReadRecord(SettingsStore& store, const char* name,
                bool (*decode)(std::span<const uint8_t>, Record&), Record& out) {
    const auto bytes = store.ReadBytes(kOptionsGroup, name);
    if (!bytes || !decode(*bytes, out)) out = Record{};
}

std::string RecentValueName(int index) { return kRecentValuePrefix + std::to_string(index); }

}  // namespace

AppOptions LoadSettings(SettingsStore& store, const std::filesystem::path& defaultProfileFolder) {
    AppOptions options;
    ReadRecord(store, kSettingsValue, DecodeAppSettings, options.settings);
    ReadRecord(store, kSettings2Value, DecodeAppSettings2, options.settings2);
    options.profileFolder = store.ReadText(kOptionsGroup, kProfileValue).value_or(std::string());
    if (options.profileFolder.empty()) {
        options.profileFolder = defaultProfileFolder.string();
        store.WriteText(kOptionsGroup, kProfileValue,
                        options.profileFolder);  // silent, as every option write
    }
    ReadRecord(store, kSettings3Value, DecodeAppSettings3, options.settings3);
    const std::string threads = store.ReadText(kOptionsGroup, kThreadsValue).value_or("0");
    int32_t count = 0;
    const auto [end, error] =
        std::from_chars(threads.data(), threads.data() + threads.size(), count);
    if (error == std::errc() && end == threads.data() + threads.size() && count >= 0 &&
        count <= kMaxEngineThreads)
        options.engineThreads = count;
    return options;
}

bool SaveSettings(SettingsStore& store, const AppOptions& options) {
    bool ok = WriteRecord(store, kSettingsValue, EncodeAppSettings(options.settings));
    ok = WriteRecord(store, kSettings2Value, EncodeAppSettings2(options.settings2)) && ok;
    ok = WriteRecord(store, kSettings3Value, EncodeAppSettings3(options.settings3)) && ok;
    ok = store.WriteText(kOptionsGroup, kProfileValue, options.profileFolder) && ok;
    ok = store.WriteText(kOptionsGroup, kThreadsValue, std::to_string(options.engineThreads)) && ok;
    return ok;
}

BatchSettings LoadBatchSettings(SettingsStore& store, const AppSettings& options) {
    BatchSettings settings = DefaultBatchSettings(options);
    const auto bytes = store.ReadBytes(kOptionsGroup, kBatchValue);
    if (bytes) DecodeBatchSettings(*bytes, settings);
    return settings;
}

bool SaveBatchSettings(SettingsStore& store, const BatchSettings& settings) {
    return WriteRecord(store, kBatchValue, EncodeBatchSettings(settings));
}

std::vector<std::string> LoadRecentFolders(SettingsStore& store, int length) {
    std::vector<std::string> folders;
    for (int i = 1; i <= std::clamp(length, 1, kMaxRecentFolders); ++i) {
        std::string folder =
            store.ReadText(kOptionsGroup, RecentValueName(i)).value_or(std::string());
        if (!folder.empty()) folders.push_back(std::move(folder));
    }
    return folders;
}

bool SaveRecentFolders(SettingsStore& store, const std::vector<std::string>& folders, int length) {
    const std::size_t n =
        std::min<std::size_t>(folders.size(), std::clamp(length, 1, kMaxRecentFolders));
    bool ok = true;
    // Values 1..n get their folder straight away rather than first an empty text: the end state
    // is the same, and a crash in between cannot leave the list empty.
    for (int i = 1; i <= kMaxRecentFolders; ++i) {
        const std::size_t at = static_cast<std::size_t>(i - 1);
        ok = store.WriteText(kOptionsGroup, RecentValueName(i),
                             at < n ? folders[at] : std::string()) &&
             ok;
    }
    return ok;
}

}  // namespace stillpix
