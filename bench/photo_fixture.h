// The benchmarks' photograph: a generated 24-megapixel scene with camera-like noise, made once
// per process, its 8-bit layout, its own measured profile and the filter parameters of the
// default preset.
#pragma once

#include "bench/bench_report.h"
#include "engine/engine.h"
#include "tests/support/camera_photo.h"

namespace stillpix::bench {

constexpr int kPhotoWidth = 6000, kPhotoHeight = 4000;

inline const test::Photo& Photo() {
    static const test::Photo photo = test::CameraPhoto(kPhotoWidth, kPhotoHeight);
    return photo;
}

// B, G, R rows padded to 4 bytes.
inline const std::vector<uint8_t>& Photo8() {
    static const std::vector<uint8_t> image = test::PhotoBytes8(Photo(), 24);
    return image;
}

inline int PhotoStride8() { return int(Photo8().size() / kPhotoHeight); }

// What the program filters with: the photo's own measured profile, smoothed.
inline const NoiseProfile& PhotoProfile() {
    static const NoiseProfile profile = [] {
        NoiseProfile p;
        ResetProfile(p, false);
        TileGrid grid;
        CreateTileGrid(kPhotoWidth, kPhotoHeight, grid);
        BuildImageProfile(grid, kPhotoWidth, kPhotoHeight, PhotoStride8(), 24, Photo8().data(), p,
                          nullptr, nullptr, nullptr);
        FreeTileGrid(grid);
        SmoothProfile(p);
        return p;
    }();
    return profile;
}

// Suppression and sharpening as the default preset gives them.
inline NoiseFilterParams DefaultParams() {
    NoiseFilterParams params;
    for (auto& band : params.suppression) band[0] = 89, band[1] = 102, band[2] = 102;
    params.sharpening = 5;
    return params;
}

}  // namespace stillpix::bench
