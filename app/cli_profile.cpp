// stillpix-cli profile: measures a PPM/PGM image's noise profile, prints it and can save it.
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "app/cli_commands.h"
#include "app/cli_options.h"
#include "app/pnm_image.h"
#include "engine/engine.h"
#include "platform/atomic_file.h"

namespace stillpix::cli {

namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli profile IMAGE.ppm|IMAGE.pgm [-o FILE] [--smooth]\n"
    "  Measures the image's noise profile (16-bit images on their 8-bit view) and prints, per\n"
    "  band, luminosity bin and channel, the noise level and how many measurements support it.\n"
    "  -o FILE   also write the profile record (1004 bytes) to FILE\n"
    "  --smooth  smooth the curves first, as the program does before filtering with them\n";

constexpr const char* kBandNames[kProfileBands] = {"High", "Mid", "Low", "Very Low"};

int Fail(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli profile: %s\n", message.c_str());
    return 1;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli profile: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// Tile progress on a terminal; scripts reading stderr get only the summary line.
int ShowProgress(ProgressRecord& record) {
    if (record.stage == kAfterTile)
        std::fprintf(stderr, "\rmeasuring: tile %d of %d", record.tileIndex + 1,
                     record.tiles->count);
    return 1;
}

void PrintProfile(const NoiseProfile& profile) {
    for (int b = 0; b < kProfileBands; ++b) {
        const ProfileBand& band = profile.bands[b];
        std::printf("%sband %d \"%s\"\n", b ? "\n" : "", b, kBandNames[b]);
        std::printf("  bin  luminance      Y level  count  Cr level  count  Cb level  count\n");
        for (int k = 0; k < kProfileBins; ++k) {
            const int low = k * 2048, high = k == kProfileBins - 1 ? 21906 : low + 2047;
            std::printf("  %3d  %5d..%-5d", k, low, high);
            for (int c = 0; c < 3; ++c)
                std::printf("  %8d  %5d", band.levels[k][c], band.counts[k][c]);
            std::printf("\n");
        }
    }
}

int RunProfileCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, {"o"}, error)) return Usage(error);
    if (args.Flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "smooth"});
    if (!unknown.empty()) return Usage("unknown option " + unknown[0]);
    if (args.Positional().size() != 1) return Usage("needs exactly one image");

    EngineImage image;
    if (!ReadPnm(args.Positional()[0], image, error)) return Fail(error);

    const auto start = std::chrono::steady_clock::now();
    NoiseProfile profile;
    ResetProfile(profile, false);
    TileGrid grid;
    CreateTileGrid(image.width, image.height, grid);
    const bool measured =
        BuildImageProfile(grid, image.width, image.height, image.stride8,
                          image.DisplayBitsPerPixel(), image.display.data(), profile, nullptr,
                          isatty(STDERR_FILENO) ? ShowProgress : nullptr, nullptr);
    if (isatty(STDERR_FILENO)) std::fputc('\n', stderr);
    FreeTileGrid(grid);
    if (!measured) return Fail("the image's noise could not be measured");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (args.Flag("smooth")) SmoothProfile(profile);

    if (const auto out = args.Value("o")) {
        const auto bytes = EncodeNoiseProfile(profile);
        if (!WriteFileAtomically(*out, bytes, &error)) return Fail(error);
    }
    PrintProfile(profile);
    std::fprintf(stderr, "measured %d x %d in %.2f s (%.1f MP/s)\n", image.width, image.height,
                 seconds, image.width * double(image.height) / 1e6 / seconds);
    return 0;
}

CommandRegistration registration{"profile", "measure and print a PPM/PGM image's noise profile",
                                 RunProfileCommand};

}  // namespace

}  // namespace stillpix::cli
