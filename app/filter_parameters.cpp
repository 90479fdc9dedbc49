#include "app/filter_parameters.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/engine.h"
#include "engine/tile_grid.h"
#include "platform/regular_file.h"

namespace stillpix::cli {

const std::vector<std::string> kProfileValueOptions = {"profile", "flat-profile"};

bool ObtainProfile(const CliArgs& args, const EngineImage& image, NoiseProfile& profile,
                   std::string& error) {
    if (const auto file = args.Value("profile")) {
        // A profile record is 1004 bytes: anything far larger is refused unread.
        std::vector<uint8_t> bytes;
        if (!ReadRegularFile(*file, 64 * 1024, bytes, error)) {
            error = "cannot read profile " + error;
            return false;
        }
        if (!DecodeNoiseProfile(bytes, profile) || profile.bandCount < 1) {
            error = *file + " is not a noise profile (1004 bytes with at least one band)";
            return false;
        }
        return true;
    }
    std::optional<int> flat;
    if (!args.IntValue("flat-profile", 0, 32767, flat, error)) return false;
    if (flat) {
        profile = FlatProfile(int16_t(*flat));
        return true;
    }
    // What the worker does: measure the 8-bit view, then smooth the curves.
    profile = NoiseProfile{};
    ResetProfile(profile, false);
    TileGrid grid;
    CreateTileGrid(image.width, image.height, grid);
    const bool measured = BuildImageProfile(grid, image.width, image.height, image.stride8,
                                            image.DisplayBitsPerPixel(), image.display.data(),
                                            profile, nullptr, nullptr, nullptr);
    FreeTileGrid(grid);
    if (!measured) {
        error = "the image's noise could not be measured";
        return false;
    }
    SmoothProfile(profile);
    return true;
}

}  // namespace stillpix::cli
