// Inside the codec: a libtiff handle that closes itself and keeps libtiff's first error message
// for the caller instead of printing it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <tiffio.h>

namespace stillpix::codec {

struct TiffCloser {
    void operator()(TIFF* tiff) const {
        if (tiff != nullptr) TIFFClose(tiff);
    }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// `mode` as TIFFOpen takes it. Errors of the handle's whole life go to `errors`, which must
// outlive it; warnings are dropped.
TiffPtr OpenTiff(const std::filesystem::path& path, const char* mode, std::string& errors);

}  // namespace stillpix::codec
