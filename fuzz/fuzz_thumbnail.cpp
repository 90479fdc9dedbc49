// Hostile files of any format loaded as the browser's thumbnails: reduced to fit a box whose
// size varies with the input, and never larger than that box.
#include "codec/codec.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace stillpix;
    using namespace stillpix::fuzz;
    if (size > kMaxInputBytes) return -1;
    const auto file = WriteScratch("thumbnail", {data, size});
    // 1 x 1 to 240 x 160: the browser's sizes and the extremes.
    static constexpr int kBoxes[][2] = {{96, 96}, {160, 120}, {1, 1}, {240, 160}, {7, 300}};
    const auto& box = kBoxes[size % 5];
    CodecHandle h = cNewSession();
    Require(h != nullptr, "a session is made");
    if (!cLoadThumbnailEx(*h, file, box[0], box[1])) return 0;
    InspectLoaded(*h);
    ImageInfo info;
    cGetImageInfo(*h, info);
    Require(info.width <= box[0] && info.height <= box[1], "a thumbnail fits its box");
    Require(info.bitsPerPixel == 8 || info.bitsPerPixel == 24, "a thumbnail has 8-bit samples");
    return 0;
}
