// What a batch run does with one queued file, by the batch settings: which filter it applies,
// where the result goes, under which name, in which format, depth and quality.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/batch_settings.h"

namespace stillpix {

enum class WrittenFormat { kJpeg, kPng, kTiff };

struct OutputPlan {
    std::string path;
    std::string folderToCreate;  // made (one level) before writing when nothing of that name exists
    bool inPlace = false;        // the result replaces the source
    WrittenFormat format = WrittenFormat::kJpeg;
    bool sixteenBits = false;  // load and write 16 bits per channel (where the source has them)
    int jpegQuality = 90;
    std::string refusal;  // not empty: this file must not be written, and why
};

// The filter slot a file is filtered with, or nothing for the filter the document uses when the
// run starts. "Use Current" and slots past the list (a deleted custom filter) take the
// document's filter, or slot 0 when no image is open.
std::optional<int> BatchFilterSlot(int32_t filter, int filterCount, bool documentHasImage);

// The destination path the rules act on: the record's text for a subfolder or another
// location, nothing for "Same As Source Location" (whatever the record holds there).
std::string EffectiveDestinationPath(const BatchSettings& settings);

// An empty suffix and no destination path: every result replaces its source.
bool ReplacesSourcesInPlace(const BatchSettings& settings);

// Run Batch asks the overwrite question when sources are replaced in place, or when any file's
// result would land on its own source (another location that is the source folder, no suffix).
bool OverwriteQuestionNeeded(const BatchSettings& settings, const std::vector<std::string>& files);

// The extension the output format gives a source named `sourceName`, without the dot.
std::string OutputExtension(const std::string& sourceName, int32_t outputFormat);

// The format the writer uses for a path: ".tif"/".tiff" TIFF, ".png" PNG, anything else JPEG
// (letter case ignored).
WrittenFormat WrittenFormatOf(const std::string& path);
const char* WrittenFormatName(WrittenFormat format);

// Sixteen bits per channel for loading and writing: TIFF depth "48(16) bpp*" with the output
// format TIFF or "Same As Original File".
bool UsesSixteenBits(const BatchSettings& settings);

// The output of one file. Touches the file system only to make a relative source absolute.
OutputPlan PlanOutput(const std::string& source, const BatchSettings& settings);

// Creates the plan's folder when nothing of that name exists (one level only). False, with a
// message, when the result's folder is not a directory afterwards: the file cannot be written.
bool PrepareOutputFolder(const OutputPlan& plan, std::string& error);

}  // namespace stillpix
