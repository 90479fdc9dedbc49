// stillpix-cli filter: one PPM/PGM image through the engine, in the document's buffer layout.
#include <chrono>
#include <cstdio>

#include "app/cli_commands.h"
#include "app/filter_choice.h"
#include "app/filter_parameters.h"
#include "app/user_context.h"
#include "engine/engine.h"

namespace stillpix::cli {

namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli filter IN.ppm|IN.pgm -o OUT [options]\n"
    "  8- and 16-bit binary PPM (colour) and PGM (grey), straight through the engine.\n"
    "  --profile FILE        noise profile file (1004 bytes) to filter with\n"
    "  --flat-profile LEVEL  a flat test profile, every band and bin at LEVEL\n"
    "                        (default: the image's own measured profile)\n";

void PrintUsage(std::FILE* out) {
    std::fputs(kUsage, out);
    std::fputs(kThreadsUsage, out);
    PrintFilterChoiceUsage(out);
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli filter: %s\n", message.c_str());
    PrintUsage(stderr);
    return 2;
}

int RunFilterCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    std::vector<std::string> valueOptions = kProfileValueOptions;
    valueOptions.insert(valueOptions.end(), kFilterChoiceOptions.begin(),
                        kFilterChoiceOptions.end());
    valueOptions.push_back("o");
    valueOptions.push_back("threads");
    if (!args.Parse(argc, argv, valueOptions, error)) return Usage(error);
    if (args.Flag("help")) {
        PrintUsage(stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help"});
    if (!unknown.empty()) return Usage("unknown option " + unknown[0]);
    if (args.Positional().size() != 1 || !args.Value("o"))
        return Usage("needs one input and -o OUT");

    UserContext context;
    OpenUserContext(context);
    if (!ApplyEngineThreads(args, context.options, error)) return Usage(error);
    FilterSettings settings;
    EngineImage image;
    NoiseProfile profile;
    if (!ChooseFilterSettings(args, context.presets, context.options.settings.defaultFilterSlot,
                              settings, error) ||
        !ReadPnm(args.Positional()[0], image, error) ||
        !ObtainProfile(args, image, profile, error)) {
        std::fprintf(stderr, "stillpix-cli filter: %s\n", error.c_str());
        return 1;
    }

    const NoiseFilterParams params = ToNoiseFilterParams(settings);
    const auto start = std::chrono::steady_clock::now();
    TileGrid grid;
    CreateTileGrid(image.width, image.height, grid);
    EngineImage result = image;
    const bool ok =
        FilterImage(image.width, image.height, image.stride8, image.display.data(),
                    result.display.data(), image.sixteenBit ? image.samples.data() : nullptr,
                    image.sixteenBit ? result.samples.data() : nullptr, image.BitsPerPixel(), grid,
                    profile, &params, nullptr, nullptr, nullptr);
    FreeTileGrid(grid);
    if (!ok) {
        std::fprintf(stderr, "stillpix-cli filter: the engine refused the image\n");
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WritePnm(*args.Value("o"), result, error)) {
        std::fprintf(stderr, "stillpix-cli filter: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "filtered %d x %d in %.2f s (%.1f MP/s)\n", image.width, image.height,
                 seconds, image.width * double(image.height) / 1e6 / seconds);
    return 0;
}

CommandRegistration registration{
    "filter", "filter a PPM/PGM image with a measured, given or flat profile", RunFilterCommand};

}  // namespace

}  // namespace stillpix::cli
