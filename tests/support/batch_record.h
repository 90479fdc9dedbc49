// A batch settings record with every field the tests vary, texts zero-padded as the dialog
// leaves them.
#pragma once

#include <cstring>
#include <string>

#include "settings/batch_settings.h"

namespace stillpix::test {

struct BatchRecordFields {
    int destination = 1;  // 0 same as source, 1 subfolder, 2 other location
    std::string path = "Filtered";
    std::string suffix = "_filtered";
    int format = 0;  // 0 keep, 1 PNG, 2 JPEG, 3 TIFF
    int quality = 90;
    int filter = 0;
    int tiffDepth = 1;  // 0 24 bits, 1 48 bits
};

inline BatchSettings BatchRecord(const BatchRecordFields& f) {
    BatchSettings s;
    s.destination = f.destination;
    std::memset(s.destinationPath, 0, sizeof s.destinationPath);
    std::strncpy(s.destinationPath, f.path.c_str(), sizeof s.destinationPath - 1);
    std::memset(s.suffix, 0, sizeof s.suffix);
    std::strncpy(s.suffix, f.suffix.c_str(), sizeof s.suffix - 1);
    s.outputFormat = f.format;
    s.jpegQuality = f.quality;
    s.filter = f.filter;
    s.tiffDepth = f.tiffDepth;
    return s;
}

}  // namespace stillpix::test
