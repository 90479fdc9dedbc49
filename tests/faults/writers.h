// The program's writers as the fault tests drive them: each writes a small old version of its
// file and saves a large new one (larger than a small disk of 16 KB, long enough to be
// interrupted); after a failed or interrupted save the old file must be there byte for byte.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace stillpix::test {

class Writer {
public:
    virtual ~Writer() = default;
    // The written file's name inside the folder.
    virtual std::string Target() const = 0;
    // Writes the old version afresh and remembers its bytes; false when even that fails.
    bool WriteOld(const std::filesystem::path& folder);
    // The new version's save; false with `error` (as the program would show it) on failure.
    virtual bool SaveNew(const std::filesystem::path& folder, std::string& error) = 0;
    // True when the file in `folder` is the old version, byte for byte.
    bool HoldsOld(const std::filesystem::path& folder) const;
    // True when the writer's own failure carries a message (the profile store's and the
    // settings file's saves are silent by design and report only their result).
    virtual bool ReportsMessage() const { return true; }

protected:
    virtual bool WriteOldVersion(const std::filesystem::path& folder) = 0;

private:
    std::vector<uint8_t> old_;
};

// The writers under test by name: cSave as JPEG, PNG and TIFF, the document's save, the batch
// runner's output, the learned-profile file and the settings file.
std::vector<std::string> WriterNames();
std::unique_ptr<Writer> MakeWriter(const std::string& name);

}  // namespace stillpix::test
