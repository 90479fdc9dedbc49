#include "app/filter_parameters.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "engine/engine.h"
#include "engine/tile_grid.h"

namespace stillpix::cli {

const std::vector<std::string> kParameterValueOptions = {"suppression", "adjustment", "sharpening",
                                                         "degree-mode", "profile", "flat-profile"};

namespace {

bool ParseInts(const std::string& text, std::vector<int>& out) {
    out.clear();
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        int v = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
        if (ec != std::errc() || end != item.data() + item.size()) return false;
        out.push_back(v);
    }
    return true;
}

// "B,Y,CR,CB" into triple B of `table`.
bool ParseBandTriples(const CliArgs& args, const std::string& name, int low, int high,
                      int16_t (&table)[kParamBands][3], std::string& error) {
    for (const std::string& text : args.Values(name)) {
        std::vector<int> v;
        if (!ParseInts(text, v) || v.size() != 4 || v[0] < 0 || v[0] > 3) {
            error = "--" + name + " expects BAND,Y,CR,CB with BAND 0..3, not \"" + text + "\"";
            return false;
        }
        for (int c = 0; c < 3; ++c) {
            if (v[c + 1] < low || v[c + 1] > high) {
                error = "--" + name + " values must lie in " + std::to_string(low) + ".." + std::to_string(high);
                return false;
            }
            table[v[0]][c] = int16_t(v[c + 1]);
        }
    }
    return true;
}

}  // namespace

NoiseProfile FlatProfile(int16_t level) {
    NoiseProfile profile;
    ResetProfile(profile, false);
    for (int k = 0; k < kProfileBands; ++k)
        for (int b = 0; b < kProfileBins; ++b)
            for (int c = 0; c < 3; ++c) {
                profile.bands[k].levels[b][c] = level;
                profile.bands[k].counts[b][c] = 1;
            }
    return profile;
}

bool ParseFilterParams(const CliArgs& args, NoiseFilterParams& params, std::string& error) {
    params = NoiseFilterParams{};
    for (auto& band : params.suppression)
        for (auto& v : band) v = 128;
    if (!ParseBandTriples(args, "adjustment", -128, 1024, params.noiseLevelAdjustment, error)) return false;
    if (!ParseBandTriples(args, "suppression", 0, 128, params.suppression, error)) return false;
    std::optional<int> sharpening, mode;
    if (!args.IntValue("sharpening", 0, 20, sharpening, error)) return false;
    if (!args.IntValue("degree-mode", 0, 3, mode, error)) return false;
    params.sharpening = uint32_t(sharpening.value_or(0));
    params.processingDegreeMode = uint32_t(mode.value_or(0));
    return true;
}

bool ObtainProfile(const CliArgs& args, const EngineImage& image, NoiseProfile& profile, std::string& error) {
    if (const auto file = args.Value("profile")) {
        std::ifstream in(*file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            error = "cannot read profile " + *file;
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
                                            image.DisplayBitsPerPixel(), image.display.data(), profile,
                                            nullptr, nullptr, nullptr);
    FreeTileGrid(grid);
    if (!measured) {
        error = "the image's noise could not be measured";
        return false;
    }
    SmoothProfile(profile);
    return true;
}

}  // namespace stillpix::cli
