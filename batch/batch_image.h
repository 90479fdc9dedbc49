// Inside the runner: one queued file loaded through the document's image class, as the batch
// steps need it (profile view, whole-image filtering, writing).
#pragma once

#include <memory>
#include <string>

#include "codec/codec.h"
#include "engine/engine.h"
#include "exif/image_descriptor.h"
#include "settings/image_profile_choice.h"

namespace stillpix {

class BatchImage {
public:
    BatchImage();
    ~BatchImage();
    BatchImage(const BatchImage&) = delete;
    BatchImage& operator=(const BatchImage&) = delete;

    // Loads the file with its unprocessed copy, with 16 bits per channel when asked and the
    // file has them, an embedded ICC profile neither applied nor asked about.
    bool Load(const std::string& path, bool sixteenBits, std::string& error);
    int Width() const;
    int Height() const;
    const ImageDescriptor& Descriptor() const;
    // The 8-bit display bitmap the noise is measured on.
    ProfileImageView ProfileView() const;
    // Filters the unprocessed copy into the image, every tile of `tiles`.
    bool Filter(TileGrid& tiles, NoiseProfile& profile, const NoiseFilterParams& params,
                void* callerData, TileCallback tileCallback);
    // Writes the image (format by the name's extension) through a temporary file. The image's
    // last use: the unprocessed copy is freed first and the pixels are gone afterwards.
    bool Save(const std::string& path, int jpegQuality, bool sixteenBits,
              TiffCompression tiffCompression, std::string& error);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace stillpix
