// Shooting data and profiles for the learned-store tests.
#pragma once

#include <cstring>
#include <string>

#include "engine/noise_profile.h"
#include "exif/image_descriptor.h"
#include "settings/learned_profile_record.h"

namespace stillpix::test {

struct Shot {
    const char* make = "Canon";
    const char* model = "Canon EOS 300D DIGITAL";
    int width = 3072;
    int height = 2048;
    double fNumber = 4.0;
    double exposure = 1.0 / 125;
    int iso = 400;
    const char* software = "";
    double zoom = 0.0;
};

inline ImageDescriptor Descriptor(const Shot& s) {
    ImageDescriptor d;
    std::strncpy(d.make, s.make, sizeof d.make - 1);
    std::strncpy(d.model, s.model, sizeof d.model - 1);
    std::strncpy(d.software, s.software, sizeof d.software - 1);
    d.width = s.width, d.height = s.height, d.fNumber = s.fNumber, d.exposureTime = s.exposure;
    d.isoSpeed = s.iso, d.digitalZoom = s.zoom;
    return d;
}

// Four bands of eleven bins, every level and count the same.
inline NoiseProfile UniformProfile(int16_t level, int16_t count) {
    NoiseProfile p;
    ResetProfile(p, false);
    for (int b = 0; b < kProfileBands; ++b)
        for (int k = 0; k < kProfileBins; ++k)
            for (int c = 0; c < 3; ++c)
                p.bands[b].levels[k][c] = level, p.bands[b].counts[k][c] = count;
    return p;
}

inline LearnedProfileRecord Record(const ImageDescriptor& d, const NoiseProfile& p) {
    LearnedProfileRecord r;
    r.contributors = 1, r.descriptor = d, r.profile = p;
    return r;
}

}  // namespace stillpix::test
