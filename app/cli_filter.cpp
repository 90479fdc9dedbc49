// stillpix-cli filter: one PPM/PGM image through the engine, in the document's buffer layout.
#include <chrono>
#include <cstdio>

#include "app/cli_commands.h"
#include "app/filter_parameters.h"
#include "engine/engine.h"

namespace stillpix::cli {

namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli filter IN.ppm|IN.pgm -o OUT [options]\n"
    "  8- and 16-bit binary PPM (colour) and PGM (grey).\n"
    "  --profile FILE        noise profile file (1004 bytes) to filter with\n"
    "  --flat-profile LEVEL  a flat test profile, every band and bin at LEVEL\n"
    "                        (default: the image's own measured profile)\n"
    "  --adjustment B,Y,CR,CB   noise-level adjustment of band B (0 High .. 3 Very Low), -128..1024\n"
    "  --suppression B,Y,CR,CB  suppression of band B in 1/128, 0..128 (default 128)\n"
    "  --sharpening S        0..20 (default 0)\n"
    "  --degree-mode M       0 automatic, 1..3 degree 0..2 for every band (default 0)\n";

int RunFilterCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    std::vector<std::string> valueOptions = kParameterValueOptions;
    valueOptions.push_back("o");
    if (!args.Parse(argc, argv, valueOptions, error)) {
        std::fprintf(stderr, "stillpix-cli filter: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (args.Flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help"});
    if (!unknown.empty() || args.Positional().size() != 1 || !args.Value("o")) {
        std::fprintf(stderr, "stillpix-cli filter: %s\n%s",
                     unknown.empty() ? "needs one input and -o OUT" : ("unknown option " + unknown[0]).c_str(),
                     kUsage);
        return 2;
    }
    NoiseFilterParams params;
    EngineImage image;
    NoiseProfile profile;
    if (!ParseFilterParams(args, params, error) || !ReadPnm(args.Positional()[0], image, error) ||
        !ObtainProfile(args, image, profile, error)) {
        std::fprintf(stderr, "stillpix-cli filter: %s\n", error.c_str());
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    TileGrid grid;
    CreateTileGrid(image.width, image.height, grid);
    EngineImage result = image;
    const bool ok = FilterImage(image.width, image.height, image.stride8, image.display.data(),
                                result.display.data(), image.sixteenBit ? image.samples.data() : nullptr,
                                image.sixteenBit ? result.samples.data() : nullptr, image.BitsPerPixel(),
                                grid, profile, &params, nullptr, nullptr, nullptr);
    FreeTileGrid(grid);
    if (!ok) {
        std::fprintf(stderr, "stillpix-cli filter: the engine refused the image\n");
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WritePnm(*args.Value("o"), result, error)) {
        std::fprintf(stderr, "stillpix-cli filter: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "filtered %d x %d in %.2f s (%.1f MP/s)\n", image.width, image.height, seconds,
                 image.width * double(image.height) / 1e6 / seconds);
    return 0;
}

CommandRegistration registration{"filter", "filter a PPM/PGM image with a measured, given or flat profile",
                                 RunFilterCommand};

}  // namespace

}  // namespace stillpix::cli
