// TIFF files through libtiff: RGB (24 or 48 bits) or grey (8 or 16), plain or compressed by LZW
// or Deflate with the horizontal predictor, the ICC profile in its tag. The byte order follows the
// EXIF block that will be added, so the metadata writer can keep the block's bytes. No orientation
// tag: the source's one, carried with the metadata, tells how to show the stored rows.
#include <new>

#include "codec/formats.h"
#include "codec/tiff_handle.h"

namespace stillpix::codec {
namespace {

// One row from B, G, R (or grey) into the file's R, G, B; the channel count fixed, so the loop
// has no per-sample choice.
template <int Channels, class Sample>
void InFileOrder(const Sample* in, Sample* out, int width) {
    for (int x = 0; x < width; ++x)
        for (int c = 0; c < Channels; ++c)
            out[x * Channels + c] = in[x * Channels + (Channels == 3 ? 2 - c : 0)];
}

}  // namespace

bool WriteTiff(const ImageRows& image, const std::filesystem::path& path, bool sixteen,
               TiffCompression compression, bool bigEndian, std::span<const uint8_t> icc,
               std::string& error) {
    sixteen = sixteen && image.has16;
    const int channels = image.Channels();
    const std::size_t rowBytes = std::size_t(image.width) * channels * (sixteen ? 2 : 1);
    // A classic TIFF counts in 32 bits; keep well inside that.
    if (rowBytes * image.height > (uint64_t{1} << 32) - (uint64_t{64} << 20)) {
        error = "the image is too large for a TIFF file";
        return false;
    }
    std::vector<uint8_t> row;
    try {
        row.resize(rowBytes);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to write the TIFF file";
        return false;
    }
    std::string tiffErrors;
    TiffPtr tif = OpenTiff(path, bigEndian ? "wb" : "wl", tiffErrors);
    if (tif == nullptr) {
        error = "cannot write " + path.string() + ": " + tiffErrors;
        return false;
    }
    TIFF* t = tif.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(sixteen ? 16 : 8));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(channels));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, image.grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (compression == TiffCompression::kNone) {
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    } else {
        const bool lzw = compression == TiffCompression::kLzw;
        TIFFSetField(t, TIFFTAG_COMPRESSION, lzw ? COMPRESSION_LZW : COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        // zlib's fastest level: its default one writes four times as long for a file 6 % smaller
        if (!lzw) TIFFSetField(t, TIFFTAG_ZIPQUALITY, 1);
    }
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    if (!icc.empty())
        TIFFSetField(t, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc.size()), icc.data());

    for (int y = 0; y < image.height; ++y) {
        // libtiff swaps 16-bit samples to the file's order
        if (sixteen && channels == 3)
            InFileOrder<3>(image.SampleRow(y), reinterpret_cast<uint16_t*>(row.data()),
                           image.width);
        else if (sixteen)
            InFileOrder<1>(image.SampleRow(y), reinterpret_cast<uint16_t*>(row.data()),
                           image.width);
        else if (channels == 3) InFileOrder<3>(image.DisplayRow(y), row.data(), image.width);
        else InFileOrder<1>(image.DisplayRow(y), row.data(), image.width);
        if (TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0) < 0) {
            error = "cannot write the TIFF file: " + tiffErrors;
            return false;
        }
    }
    if (!TIFFFlush(t) || !tiffErrors.empty()) {
        error = "cannot write the TIFF file: " + tiffErrors;
        return false;
    }
    return true;
}

}  // namespace stillpix::codec
