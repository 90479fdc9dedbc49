// A hostile ICC profile, as an image file embeds it: its name, and the pixels of
// a small colour, grey or 16-bit image converted from it into sRGB and from sRGB into it.
#include <vector>

#include "codec/codec.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace stillpix;
using namespace stillpix::fuzz;

constexpr int kSide = 4;

CodecHandle Colour() {
    CodecHandle h = cNewSession();
    BitmapInfoHeader header;
    header.width = kSide;
    header.height = kSide;
    header.bitCount = 24;
    std::vector<uint8_t> bits(BitmapStride(kSide, 24) * kSide);
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 17);
    Require(cLoadDIBitmap(*h, header, bits), "a colour image is handed over");
    return h;
}

CodecHandle Grey() {
    CodecHandle h = cNewSession();
    std::vector<uint8_t> grey(kSide * kSide);
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i * 16);
    Require(cLoadImage8(*h, grey, kSide, kSide), "a grey image is handed over");
    return h;
}

CodecHandle Sixteen() {
    CodecHandle h = cNewSession();
    std::vector<uint8_t> samples(kSide * kSide * 3 * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 29);
    Require(cLoadImage16(*h, samples, kSide, kSide, false), "a 16-bit image is handed over");
    return h;
}

// From the profile as an embedded one, then into it as a chosen target.
void Convert(CodecHandle h, std::span<const uint8_t> profile) {
    if (cLoadICCProfile(*h, profile)) cApplyICCProfile(*h, SrgbProfile());
    Require(cLoadICCProfile(*h, SrgbProfile()), "sRGB is a profile");
    cApplyICCProfile(*h, profile);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > kMaxInputBytes) return -1;
    const std::span<const uint8_t> profile(data, size);
    std::string name;
    cGetICCProfileName(profile, name);
    // One picture an input: each conversion builds lcms2 transforms, which dominate the time.
    switch (size % 3) {
        case 0: Convert(Colour(), profile); break;
        case 1: Convert(Grey(), profile); break;
        default: Convert(Sixteen(), profile); break;
    }
    return 0;
}
