#include "document/save_names.h"

#include "settings/app_settings.h"

#include <algorithm>
#include <cctype>

namespace stillpix {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Where the file name starts: a dot in a folder name is no extension.
std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::size_t ExtensionDot(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    return dot == std::string_view::npos || dot < NameStart(path) ? std::string_view::npos : dot;
}

}  // namespace

const std::vector<FileType> kOpenFileTypes = {
    {"Image Files", "*.jpg;*.jpeg;*.jpe;*.tif;*.tiff;*.bmp;*.gif;*.png"},
    {"JPEG (*.jpg;*.jpeg;*.jpe)", "*.jpg;*.jpeg;*.jpe"},
    {"TIFF (*.tif;*.tiff)", "*.tif;*.tiff"},
    {"BMP (*.bmp)", "*.bmp"},
    {"GIF (*.gif)", "*.gif"},
    {"PNG (*.png)", "*.png"},
};

const std::vector<FileType> kSaveFileTypes = {
    {"JPEG (*.jpg;*.jpeg;*.jpe)", "*.jpg;*.jpeg;*.jpe"},
    {"TIFF (*.tif;*.tiff)", "*.tif;*.tiff"},
    {"PNG (*.png)", "*.png"},
};

std::string SuggestedSaveName(const std::string& base, bool appendSuffix, std::string_view suffix) {
    std::string name = base.substr(0, std::min(ExtensionDot(base), base.size()));
    if (appendSuffix) name += suffix;
    return name + ".jpg";
}

SaveFormat SaveFormatForName(const std::string& path) {
    const std::string lower = Lower(path);
    if (EndsWith(lower, ".tiff") || EndsWith(lower, ".tif")) return SaveFormat::kTiff;
    if (EndsWith(lower, ".png")) return SaveFormat::kPng;
    return SaveFormat::kJpeg;
}

int SaveFormatCode(const std::string& path, int jpegQuality) {
    switch (SaveFormatForName(path)) {
        case SaveFormat::kTiff: return kSaveCodeTiff;
        case SaveFormat::kPng: return kSaveCodePng;
        case SaveFormat::kJpeg: break;
    }
    return jpegQuality;
}

TiffCompression TiffCompressionOption(int32_t code) {
    if (code == kTiffLzw) return TiffCompression::kLzw;
    return code == kTiffNone ? TiffCompression::kNone : TiffCompression::kDeflate;
}

std::string WithDefaultExtension(const std::string& path) {
    return path.find('.', NameStart(path)) == std::string::npos ? path + ".jpg" : path;
}

std::string RewriteNameForType(const std::string& name, SaveType type) {
    const std::string file = name.substr(NameStart(name));
    const std::size_t dot = ExtensionDot(file);
    const std::string title = file.substr(0, std::min(dot, file.size()));
    const std::string extension =
        dot == std::string::npos ? std::string() : Lower(file.substr(dot + 1));
    std::string chosen;
    switch (type) {
        case kSaveTypeJpeg:
            chosen =
                extension == "jpg" || extension == "jpeg" || extension == "jpe" ? extension : "jpg";
            break;
        case kSaveTypeTiff:
            chosen = extension == "tif" || extension == "tiff" ? extension : "tif";
            break;
        case kSaveTypePng: chosen = "png"; break;
    }
    return title + "." + chosen;
}

}  // namespace stillpix
