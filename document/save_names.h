// The naming rules of saving: the suggested name, the format a name saves as, the default
// extension, the Save As type list and its name rewriting, and the Open type list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codec/codec.h"

namespace stillpix {

struct FileType {
    const char* description;
    const char* pattern;
};

// The open filter, in order (also the batch pane's "Add Files").
extern const std::vector<FileType> kOpenFileTypes;
// The Save As types, in order; the first is selected at the start.
extern const std::vector<FileType> kSaveFileTypes;
enum SaveType : int { kSaveTypeJpeg = 0, kSaveTypeTiff = 1, kSaveTypePng = 2 };

// `base` (a path) cut before the last dot of its file name, `suffix` appended when given, ".jpg".
std::string SuggestedSaveName(const std::string& base, bool appendSuffix, std::string_view suffix);
// The format a name saves as: ".tiff"/".tif" TIFF, ".png" PNG (any case), anything else JPEG.
SaveFormat SaveFormatForName(const std::string& path);
// The codec's format code for `path`: 18 for ".tiff"/".tif", 11 for ".png" (any case), else
// `jpegQuality`.
int SaveFormatCode(const std::string& path, int jpegQuality);
// The TIFF compression of the option's stored code (kTiffDeflate...).
TiffCompression TiffCompressionOption(int32_t code);
// ".jpg" appended when the file name holds no dot.
std::string WithDefaultExtension(const std::string& path);
// The name field after the user picked another type: the name's title, a dot and the type's
// extension (kept when it already is one of the type's); no folder.
std::string RewriteNameForType(const std::string& name, SaveType type);

}  // namespace stillpix
