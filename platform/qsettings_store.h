// The settings store as an INI file through QSettings. Every operation opens the file afresh and
// every write is on disk before it returns, so several running instances see each other's
// changes. A write changes a checked copy of the file, renamed over it under QSettings' lock
// file, so instances take turns and a failed write (a full disk) leaves the file as it was.
#pragma once

#include <filesystem>
#include <string>

#include "platform/settings_store.h"

namespace stillpix {

class QSettingsStore final : public SettingsStore {
public:
    // The file need not exist; it (and its folder) is created by the first write.
    explicit QSettingsStore(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }
    // Why the file is neither read nor rewritten (not a regular file, or larger than a settings
    // file ever grows); empty when it is usable or missing.
    std::string Problem() const;

    std::optional<std::string> ReadText(const std::string& group, const std::string& name) override;
    std::optional<std::vector<uint8_t>> ReadBytes(const std::string& group,
                                                  const std::string& name) override;
    bool WriteText(const std::string& group, const std::string& name,
                   const std::string& value) override;
    bool WriteBytes(const std::string& group, const std::string& name,
                    const std::vector<uint8_t>& value) override;
    bool ValueNames(const std::string& group, std::vector<std::string>& names) override;
    bool DeleteValue(const std::string& group, const std::string& name) override;

private:
    std::filesystem::path file_;
};

}  // namespace stillpix
