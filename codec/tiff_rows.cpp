#include "codec/tiff_rows.h"

#include <cstring>

namespace stillpix::codec {
namespace {

template <class Sample>
uint32_t LoadSample(const uint8_t* in, std::size_t index) {
    if constexpr (sizeof(Sample) == 1) {
        return in[index];
    } else {
        uint16_t v;
        std::memcpy(&v, in + 2 * index, 2);  // libtiff has put it in host order
        return v;
    }
}

// One row without alpha. `flip` inverts white-is-zero grey (max - v is v ^ max); Step is the
// samples a pixel when it is fixed, 0 when `step` gives it.
template <class Sample, int Channels, int Step, bool Keep16>
void FastRow(const uint8_t* in, int width, int step, uint32_t flip, uint16_t* out16,
             uint8_t* out8) {
    const std::size_t s = Step > 0 ? Step : step;
    constexpr int kShift = sizeof(Sample) == 2 ? 8 : 0;
    for (int x = 0; x < width; ++x) {
        const std::size_t at = x * s;
        for (int i = 0; i < Channels; ++i) {
            const uint32_t v = LoadSample<Sample>(in, at + (Channels == 3 ? 2 - i : 0)) ^ flip;
            if constexpr (Keep16) out16[x * Channels + i] = static_cast<uint16_t>(v);
            out8[x * Channels + i] = static_cast<uint8_t>(v >> kShift);
        }
    }
}

template <class Sample, int Channels, bool Keep16>
void FastRowFor(const uint8_t* in, int width, int step, uint32_t flip, uint16_t* out16,
                uint8_t* out8) {
    if (step == Channels)
        FastRow<Sample, Channels, Channels, Keep16>(in, width, step, flip, out16, out8);
    else FastRow<Sample, Channels, 0, Keep16>(in, width, step, flip, out16, out8);
}

template <class Sample, bool Keep16>
void FastRowFor(const uint8_t* in, const TiffLayout& l, int width, uint32_t flip, uint16_t* out16,
                uint8_t* out8) {
    if (l.colourChannels == 3)
        FastRowFor<Sample, 3, Keep16>(in, width, l.samplesPerPixel, flip, out16, out8);
    else FastRowFor<Sample, 1, Keep16>(in, width, l.samplesPerPixel, flip, out16, out8);
}

}  // namespace

void ConvertTiffRow(const uint8_t* in, const TiffLayout& l, DecodedImage& image, int y) {
    if (l.alphaChannel >= 0) return ConvertTiffRowPlain(in, l, image, y);
    const bool sixteen = l.bitsPerSample == 16;
    const uint32_t flip =
        l.photometric == PHOTOMETRIC_MINISWHITE ? (sixteen ? 0xFFFFu : 0xFFu) : 0u;
    uint8_t* out8 = image.DisplayRow(y);
    if (!sixteen) FastRowFor<uint8_t, false>(in, l, image.width, flip, nullptr, out8);
    else if (image.has16)
        FastRowFor<uint16_t, true>(in, l, image.width, flip, image.SampleRow(y), out8);
    else FastRowFor<uint16_t, false>(in, l, image.width, flip, nullptr, out8);
}

void ConvertTiffRowPlain(const uint8_t* in, const TiffLayout& l, DecodedImage& image, int y) {
    const bool sixteen = l.bitsPerSample == 16;
    const uint32_t maxValue = sixteen ? 65535 : 255;
    const bool invert = l.photometric == PHOTOMETRIC_MINISWHITE;
    uint16_t* out16 = image.has16 ? image.SampleRow(y) : nullptr;
    uint8_t* out8 = image.DisplayRow(y);
    const int shift = sixteen ? 8 : 0;
    for (int x = 0; x < image.width; ++x) {
        auto sample = [&](int channel) -> uint32_t {
            const std::size_t index = std::size_t(x) * l.samplesPerPixel + channel;
            if (!sixteen) return in[index];
            uint16_t v;
            std::memcpy(&v, in + 2 * index, 2);
            return v;
        };
        uint32_t c[3];
        for (int i = 0; i < l.colourChannels; ++i) c[i] = invert ? maxValue - sample(i) : sample(i);
        if (l.alphaChannel >= 0) {
            const uint32_t a = sample(l.alphaChannel);
            for (int i = 0; i < l.colourChannels; ++i)
                c[i] = OverWhite(c[i], a, maxValue, l.premultiplied);
        }
        for (int i = 0; i < l.colourChannels; ++i) {
            const uint32_t v = c[l.colourChannels == 3 ? 2 - i : 0];
            if (out16 != nullptr) out16[x * l.colourChannels + i] = static_cast<uint16_t>(v);
            out8[x * l.colourChannels + i] = static_cast<uint8_t>(v >> shift);
        }
    }
}

}  // namespace stillpix::codec
