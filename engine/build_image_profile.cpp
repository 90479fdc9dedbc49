// Image profiling: every tile's pyramid measured, then the curves finished.
#include <cstddef>

#include "engine/engine.h"
#include "engine/entry_guard.h"
#include "engine/tile_loop.h"

namespace stillpix {
namespace {

// The stride the tile loop will use for this layout; a caller's stride must match it, or the
// tiles would be read from the wrong rows (or past the buffer).
bool StrideFits(int width, int stride, int bitsPerPixel) {
    const int64_t tight = int64_t{width} * (bitsPerPixel / 8);
    if (bitsPerPixel == 24) return stride == (tight + 3) / 4 * 4;
    return stride >= tight;
}

}  // namespace

bool BuildImageProfile(TileGrid& tiles, int width, int height, int stride, int bitsPerPixel,
                       const uint8_t* image, NoiseProfile& profile, void* callerData,
                       TileCallback tileCallback, TileBufferCallback tileBufferCallback) {
    if (profile.bandCount < 1) return false;
    // Measurement runs on 8-bit data only; 16-bit images are measured on their 8-bit view.
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (!image || width <= 0 || height <= 0 || !StrideFits(width, stride, bitsPerPixel))
        return false;

    return FalseOnException([&] {
        ResetProfile(profile, /*keepValues=*/true);
        ProfileAccumulator accumulator;
        // Profiling reads the buffer handed over as the destination and writes nothing into it.
        const bool complete = RunTileLoop(
            tiles, width, height, const_cast<uint8_t*>(image), image, bitsPerPixel,
            std::size_t(stride) * height, nullptr, &profile,
            /*profiling=*/true, callerData, tileCallback, &accumulator, tileBufferCallback);
        return complete && FinishProfile(accumulator, profile, /*fromImage=*/true);
    });
}

}  // namespace stillpix
