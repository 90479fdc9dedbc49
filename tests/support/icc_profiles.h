// ICC profiles made by lcms2 itself, for the codec and document tests (link lcms2).
#pragma once

#include <lcms2.h>

#include <cstdint>
#include <vector>

namespace stillpix::test {

// Closes `profile` after writing it, with `description`, to bytes.
inline std::vector<uint8_t> ProfileBytes(cmsHPROFILE profile, const char* description) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// Adobe RGB (1998) primaries under D50 with a plain 2.2 gamma: wider than sRGB.
inline std::vector<uint8_t> WideRgbProfile(const char* description) {
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(cmsD50_xyY(), &primaries, curves);
    cmsFreeToneCurve(gamma);
    return ProfileBytes(profile, description);
}

inline std::vector<uint8_t> LinearGreyProfile(const char* description) {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsFreeToneCurve(linear);
    return ProfileBytes(profile, description);
}

}  // namespace stillpix::test
