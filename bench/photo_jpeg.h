// The camera-noise photograph written as an upright JPEG, for the window timelines.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "tests/support/camera_photo.h"

namespace stillpix::bench {

inline bool WritePhotoJpeg(const std::string& path, int width, int height, int quality = 92) {
    const test::Photo photo = test::CameraPhoto(width, height);
    const std::vector<uint8_t> topDown = test::PhotoBytes8(photo, 24);
    const std::size_t stride = topDown.size() / height;
    std::vector<uint8_t> bottomUp(topDown.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&bottomUp[(height - 1 - y) * stride], &topDown[y * stride], stride);
    BitmapInfoHeader header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    header.sizeImage = uint32_t(bottomUp.size());
    CodecHandle h = cNewSession();
    return h && cLoadDIBitmap(*h, header, bottomUp) && cSetJPEGParams(*h, quality) &&
           cSave(*h, path, quality);
}

}  // namespace stillpix::bench
