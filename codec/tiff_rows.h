// Inside the codec: how a TIFF file lays out its samples, and the turning of one stored row of
// 8- or 16-bit grey or RGB samples into the image's rows (display bitmap, and 16-bit samples
// when the image keeps them).
#pragma once

#include <tiffio.h>

#include <cstdint>

#include "codec/decoded_image.h"

namespace stillpix::codec {

struct TiffLayout {
    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 1, samplesPerPixel = 1, photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t planar = PLANARCONFIG_CONTIG, sampleFormat = SAMPLEFORMAT_UINT,
             orientation = ORIENTATION_TOPLEFT;
    uint16_t compression = COMPRESSION_NONE;
    int colourChannels = 1;  // 1 grey, 3 RGB
    int alphaChannel = -1;   // index of the alpha sample, or -1
    bool premultiplied = false;
    bool direct = false;  // read sample by sample
    bool grey = false;
};

// Row y of `image` from `in`: samplesPerPixel interleaved samples a pixel, 8 bits or 16 in host
// order, for a direct layout. Colour leaves as B, G, R; white-is-zero grey is inverted; alpha is
// put over white.
void ConvertTiffRow(const uint8_t* in, const TiffLayout& l, DecodedImage& image, int y);
// The same one pixel and one sample at a time: the reference the fast rows are held to.
void ConvertTiffRowPlain(const uint8_t* in, const TiffLayout& l, DecodedImage& image, int y);

}  // namespace stillpix::codec
