#include "batch/file_rules.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "settings/record_codec.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool EndsInSeparator(const std::string& folder) {
    return !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
}

std::string WithSeparator(std::string folder) {
    if (!EndsInSeparator(folder)) folder += '/';
    return folder;
}

struct NameParts {
    std::string title;      // the name without its last extension
    std::string extension;  // after the last dot, as written
};

NameParts SplitName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {name, {}};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    return LowerAscii(SplitName(FileNameOf(path)).extension);
}

std::string SourceFolder(const std::string& source) {
    std::error_code ec;
    fs::path absolute = fs::absolute(source, ec);
    if (ec) absolute = source;
    return WithSeparator(absolute.parent_path().string());
}

// Formats the program reads but cannot write: replacing such a file in place would put data of
// another format under its name.
bool UnwritableImageExtension(const std::string& lowerExtension) {
    return lowerExtension == "bmp" || lowerExtension == "dib" || lowerExtension == "gif";
}

}  // namespace

std::optional<int> BatchFilterSlot(int32_t filter, int filterCount, bool documentHasImage) {
    if (filter >= 0 && filter < filterCount) return filter;
    if (!documentHasImage) return 0;
    return std::nullopt;
}

std::string EffectiveDestinationPath(const BatchSettings& settings) {
    if (settings.destination != kSubfolder && settings.destination != kOtherLocation) return {};
    return std::string(FieldText(settings.destinationPath));
}

bool ReplacesSourcesInPlace(const BatchSettings& settings) {
    return FieldText(settings.suffix).empty() && EffectiveDestinationPath(settings).empty();
}

bool OverwriteQuestionNeeded(const BatchSettings& settings, const std::vector<std::string>& files) {
    if (ReplacesSourcesInPlace(settings)) return true;
    return std::any_of(files.begin(), files.end(), [&](const std::string& file) {
        std::error_code ec;
        const fs::path source = fs::absolute(file, ec).lexically_normal();
        return !ec && fs::path(PlanOutput(file, settings).path).lexically_normal() == source;
    });
}

std::string OutputExtension(const std::string& sourceName, int32_t outputFormat) {
    switch (outputFormat) {
        case kFormatKeep: {
            const NameParts parts = SplitName(sourceName);
            const std::string ext = LowerAscii(parts.extension);
            static const char* const kKept[] = {"jpg", "jpeg", "jpe", "tif", "tiff", "png"};
            const bool kept = std::any_of(std::begin(kKept), std::end(kKept),
                                          [&](const char* e) { return ext == e; });
            return kept && !parts.title.empty() ? ext : "jpg";
        }
        case kFormatPng: return "png";
        case kFormatTiff: return "tif";
        default: return "jpg";
    }
}

WrittenFormat WrittenFormatOf(const std::string& path) {
    const std::string ext = ExtensionOf(path);
    if (ext == "tif" || ext == "tiff") return WrittenFormat::kTiff;
    if (ext == "png") return WrittenFormat::kPng;
    return WrittenFormat::kJpeg;
}

const char* WrittenFormatName(WrittenFormat format) {
    switch (format) {
        case WrittenFormat::kPng: return "PNG";
        case WrittenFormat::kTiff: return "TIFF";
        case WrittenFormat::kJpeg: break;
    }
    return "JPEG";
}

bool UsesSixteenBits(const BatchSettings& settings) {
    return settings.tiffDepth == kTiffDepth48 &&
           (settings.outputFormat == kFormatKeep || settings.outputFormat == kFormatTiff);
}

OutputPlan PlanOutput(const std::string& source, const BatchSettings& settings) {
    OutputPlan plan;
    plan.jpegQuality = std::clamp(settings.jpegQuality, 0, 100);
    const std::string suffix(FieldText(settings.suffix));
    const std::string destinationPath = EffectiveDestinationPath(settings);
    if (suffix.empty() && destinationPath.empty()) {
        plan.path = source;
        plan.inPlace = true;
        const std::string ext = ExtensionOf(source);
        if (UnwritableImageExtension(ext))
            plan.refusal =
                "a ." + ext +
                " file cannot be replaced in place: results are written as JPEG, PNG or TIFF";
    } else {
        std::string folder = SourceFolder(source);
        if (!destinationPath.empty()) {
            folder =
                settings.destination == kSubfolder ? folder + destinationPath : destinationPath;
            plan.folderToCreate = folder;
        }
        const std::string name = FileNameOf(source);
        plan.path = WithSeparator(folder) + SplitName(name).title + suffix + "." +
                    OutputExtension(name, settings.outputFormat);
    }
    plan.format = WrittenFormatOf(plan.path);
    // A JPEG carries 8 bits per channel whatever the source has.
    plan.sixteenBits = UsesSixteenBits(settings) && plan.format != WrittenFormat::kJpeg;
    return plan;
}

bool PrepareOutputFolder(const OutputPlan& plan, std::string& error) {
    std::error_code ec;
    if (!plan.folderToCreate.empty() && !fs::exists(fs::symlink_status(plan.folderToCreate, ec)))
        fs::create_directory(plan.folderToCreate, ec);
    const fs::path folder = fs::path(plan.path).parent_path();
    if (folder.empty() || fs::is_directory(folder, ec)) return true;
    error =
        "the destination folder " + folder.string() + " does not exist and could not be created";
    return false;
}

}  // namespace stillpix
