// The noise profile a filtering command runs with, from its options.
#pragma once

#include <string>
#include <vector>

#include "app/cli_options.h"
#include "app/pnm_image.h"
#include "engine/noise_profile.h"

namespace stillpix::cli {

// "profile" and "flat-profile"; a command adds them to its value options.
extern const std::vector<std::string> kProfileValueOptions;

// --profile FILE (its 1004 bytes as they stand), --flat-profile LEVEL (every band and bin at
// LEVEL), or else the image's own measured and smoothed profile.
bool ObtainProfile(const CliArgs& args, const EngineImage& image, NoiseProfile& profile,
                   std::string& error);

}  // namespace stillpix::cli
