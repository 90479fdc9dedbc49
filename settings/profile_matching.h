// How learned profiles are keyed and judged: the image id, the light value, the camera match
// score, the confidence of a profile and whether an image may take part in learning at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/noise_profile.h"
#include "exif/image_descriptor.h"

namespace stillpix {

// 32-bit hash of a path's bytes: h = rotl(h, 8) + c, c the byte as a signed 8-bit value.
uint32_t ImageId(std::string_view path);

// 2.8924 ln(f-number) + 6.66 + 1.4462 ln(1 / exposure) - 1.4662 ln(ISO, or 100 when 0).
// Nothing when the f-number or exposure time is not above 0, the ISO is negative, or the
// result is not finite: such shooting data cannot be compared.
std::optional<double> LightValue(const ImageDescriptor& d);

// 0 unless make (first 6 bytes, any case), model, software (when either is by "Adobe" or
// "Veltrano"), size (either way round), zoom (at most 1) and ISO (at least 1) agree and both
// light values exist; otherwise I x L / 100, negative when the light values are far apart.
int CameraMatchScore(const ImageDescriptor& a, const ImageDescriptor& b);

// 0..100: how well the counts of the used bands support the levels.
int ProfileConfidence(const NoiseProfile& profile);

// An ISO of at least 1 and not written by our own software.
bool ImageQualifies(const ImageDescriptor& d);

}  // namespace stillpix
