// The program's writers as the fault tests drive them: each writes a small old version of its
// file, saves a large new one (larger than a small disk, long enough to be interrupted), and
// tells whether the file still reads, through the program's own reader, as the old version.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace stillpix::test {

class Writer {
public:
    virtual ~Writer() = default;
    virtual std::string Name() const = 0;
    // The written file's name inside the folder.
    virtual std::string Target() const = 0;
    // Writes the old version; false when even that fails.
    virtual bool WriteOld(const std::filesystem::path& folder) = 0;
    // The new version's save; false with `error` (as the program would show it) on failure.
    virtual bool SaveNew(const std::filesystem::path& folder, std::string& error) = 0;
    // True when the file in `folder` reads back as the old version.
    virtual bool ReadsAsOld(const std::filesystem::path& folder) = 0;
    // True when the writer's own failure carries a message (the profile store's saves are
    // silent by design and report only their result).
    virtual bool ReportsMessage() const { return true; }
    // A small disk the new version cannot fit on (beside the old one).
    virtual std::size_t SmallDiskBytes() const { return 1u << 20; }
};

// The writers under test by name: cSave as JPEG, PNG and TIFF, the document's save, the batch
// runner's output, the learned-profile file and the settings file.
std::vector<std::string> WriterNames();
std::unique_ptr<Writer> MakeWriter(const std::string& name);

}  // namespace stillpix::test
