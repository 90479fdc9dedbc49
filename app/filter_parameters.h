// The engine parameters and the noise profile a filtering command runs with, from its options.
#pragma once

#include <string>

#include "app/cli_options.h"
#include "app/pnm_image.h"
#include "engine/noise_filter_params.h"
#include "engine/noise_profile.h"

namespace stillpix::cli {

// Options this module reads; a command adds them to its own lists.
extern const std::vector<std::string> kParameterValueOptions;

// --suppression B,Y,CR,CB (repeatable), --adjustment B,Y,CR,CB (repeatable), --sharpening S,
// --degree-mode M. Unset values: adjustment 0, suppression 128, sharpening 0, mode 0.
bool ParseFilterParams(const CliArgs& args, NoiseFilterParams& params, std::string& error);

// --profile FILE (its 1004 bytes as they stand), --flat-profile LEVEL (every band and bin at
// LEVEL), or else the image's own measured and smoothed profile.
bool ObtainProfile(const CliArgs& args, const EngineImage& image, NoiseProfile& profile, std::string& error);

// A profile whose every band and bin holds `level` for Y, Cr and Cb.
NoiseProfile FlatProfile(int16_t level);

}  // namespace stillpix::cli
