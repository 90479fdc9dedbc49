// A batch settings record with every field the tests vary, texts zero-padded as the dialog
// leaves them.
#pragma once

#include <cstring>
#include <string>

#include "settings/batch_settings.h"

namespace stillpix::test {

struct BatchRecordFields {
    int destination = kSubfolder;
    std::string path = "Filtered";
    std::string suffix = "_filtered";
    int format = kFormatKeep;
    int quality = 90;
    int filter = 0;
    int tiffDepth = kTiffDepth48;
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
