// TIFF files through libtiff. Grey and RGB at 8 or 16 bits a sample, in strips or tiles, one
// plane or separate planes, are read sample by sample (so 16 bits survive); every other layout
// (palette, CMYK, YCbCr, bilevel) goes through libtiff's RGBA reader at 8 bits. Either way the
// rows stay as stored: the orientation tag travels with the metadata and tells viewers how to
// show them, as it does for a JPEG.
#include <algorithm>
#include <cstring>
#include <new>

#include "codec/formats.h"
#include "codec/tiff_handle.h"
#include "codec/tiff_rows.h"

namespace stillpix::codec {
namespace {

constexpr uint16_t kMaxSamplesPerPixel = 16;

bool ReadLayout(TIFF* tif, TiffLayout& l, std::string& error) {
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height)) {
        error = "the TIFF file does not give its size";
        return false;
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samplesPerPixel);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (l.samplesPerPixel == 0 || l.samplesPerPixel > kMaxSamplesPerPixel) {
        error = "the TIFF file has " + std::to_string(l.samplesPerPixel) + " samples a pixel";
        return false;
    }
    if (l.sampleFormat == SAMPLEFORMAT_IEEEFP || l.sampleFormat == SAMPLEFORMAT_COMPLEXIEEEFP ||
        l.sampleFormat == SAMPLEFORMAT_COMPLEXINT) {
        error = "floating-point and complex TIFF samples are not supported";
        return false;
    }
    const bool greyPhotometric =
        l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
    l.colourChannels = greyPhotometric ? 1 : 3;
    l.direct = (l.bitsPerSample == 8 || l.bitsPerSample == 16) &&
               l.sampleFormat != SAMPLEFORMAT_INT && l.compression != COMPRESSION_OJPEG &&
               (greyPhotometric || (l.photometric == PHOTOMETRIC_RGB && l.samplesPerPixel >= 3));
    l.grey = greyPhotometric;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (l.bitsPerSample <= 16 && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
            l.grey = true;
            for (uint32_t i = 0; l.grey && i < (1u << l.bitsPerSample); ++i)
                l.grey = red[i] == green[i] && green[i] == blue[i];
        }
    }
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (l.direct && TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) &&
        extraCount > 0 && l.samplesPerPixel > l.colourChannels &&
        (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA)) {
        l.alphaChannel = l.colourChannels;
        l.premultiplied = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    return true;
}

// A band of whole rows as contiguous samples (all planes interleaved), 8 or 16 bits each.
class BandReader {
public:
    BandReader(TIFF* tif, const TiffLayout& l) : tif_(tif), l_(l) {
        bytesPerSample_ = l.bitsPerSample / 8;
        tiled_ = TIFFIsTiled(tif) != 0;
        if (tiled_) {
            TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth_);
            TIFFGetField(tif, TIFFTAG_TILELENGTH, &bandHeight_);
        } else {
            TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &bandHeight_);
        }
        bandHeight_ = std::clamp<uint32_t>(bandHeight_, 1, l.height);
    }

    uint32_t BandHeight() const { return bandHeight_; }
    std::size_t RowBytes() const {
        return std::size_t{l_.width} * l_.samplesPerPixel * bytesPerSample_;
    }

    bool Allocate(std::string& error) {
        if (tiled_ && (tileWidth_ == 0 || tileWidth_ > kMaxSide || bandHeight_ > kMaxSide)) {
            error = "the TIFF file has an unusable tile size";
            return false;
        }
        const bool separate = l_.planar == PLANARCONFIG_SEPARATE && l_.samplesPerPixel > 1;
        const std::size_t chunkBytes = tiled_ ? static_cast<std::size_t>(TIFFTileSize64(tif_))
                                       : separate
                                           ? std::size_t{bandHeight_} * l_.width * bytesPerSample_
                                           : std::size_t{bandHeight_} * RowBytes();
        if (chunkBytes == 0) {
            error = "the TIFF file has an unusable strip or tile size";
            return false;
        }
        try {
            band_.assign(std::size_t{bandHeight_} * RowBytes(), 0);
            if (tiled_ || separate) chunk_.assign(chunkBytes, 0);
        } catch (const std::bad_alloc&) {
            error = "not enough memory to read the TIFF file";
            return false;
        }
        return true;
    }

    // Reads the band starting at row `top`; its rows then lie RowBytes() apart in Band().
    bool Read(uint32_t top, std::string& error) {
        const uint32_t rows = std::min(bandHeight_, l_.height - top);
        const bool separate = l_.planar == PLANARCONFIG_SEPARATE && l_.samplesPerPixel > 1;
        const int planes = separate ? l_.samplesPerPixel : 1;
        const int needed =
            std::min<int>(planes, l_.alphaChannel >= 0 ? l_.alphaChannel + 1 : l_.colourChannels);
        for (int plane = 0; plane < (separate ? needed : 1); ++plane) {
            if (tiled_) {
                for (uint32_t left = 0; left < l_.width; left += tileWidth_)
                    if (!ReadTile(left, top, rows, static_cast<uint16_t>(plane), separate, error))
                        return false;
            } else {
                const tmsize_t want = static_cast<tmsize_t>(
                    std::size_t{rows} *
                    (separate ? std::size_t{l_.width} * bytesPerSample_ : RowBytes()));
                uint8_t* target = separate ? chunk_.data() : band_.data();
                const tstrip_t strip = TIFFComputeStrip(tif_, top, static_cast<uint16_t>(plane));
                if (TIFFReadEncodedStrip(tif_, strip, target, want) < want) return Fail(error);
                if (separate)
                    Scatter(chunk_.data(), std::size_t{l_.width} * bytesPerSample_, 0, l_.width,
                            rows, plane);
            }
        }
        return true;
    }

    const uint8_t* Band() const { return band_.data(); }

private:
    bool ReadTile(uint32_t left, uint32_t top, uint32_t rows, uint16_t plane, bool separate,
                  std::string& error) {
        const ttile_t tile = TIFFComputeTile(tif_, left, top, 0, plane);
        const tmsize_t size = static_cast<tmsize_t>(chunk_.size());
        if (TIFFReadEncodedTile(tif_, tile, chunk_.data(), size) < 0) return Fail(error);
        const uint32_t columns = std::min(tileWidth_, l_.width - left);
        if (separate) {
            Scatter(chunk_.data(), std::size_t{tileWidth_} * bytesPerSample_, left, columns, rows,
                    plane);
        } else {
            const std::size_t pixelBytes = std::size_t{l_.samplesPerPixel} * bytesPerSample_;
            for (uint32_t r = 0; r < rows; ++r)
                std::memcpy(band_.data() + r * RowBytes() + left * pixelBytes,
                            chunk_.data() + std::size_t{r} * tileWidth_ * pixelBytes,
                            columns * pixelBytes);
        }
        return true;
    }

    // Spreads one plane's samples into their place among the band's interleaved samples.
    void Scatter(const uint8_t* plane, std::size_t planeRowBytes, uint32_t left, uint32_t columns,
                 uint32_t rows, int channel) {
        const std::size_t pixelBytes = std::size_t{l_.samplesPerPixel} * bytesPerSample_;
        for (uint32_t r = 0; r < rows; ++r) {
            const uint8_t* in = plane + r * planeRowBytes;
            uint8_t* out =
                band_.data() + r * RowBytes() + left * pixelBytes + channel * bytesPerSample_;
            for (uint32_t x = 0; x < columns; ++x, in += bytesPerSample_, out += pixelBytes)
                std::memcpy(out, in, bytesPerSample_);
        }
    }

    static bool Fail(std::string& error) {
        if (error.empty()) error = "the TIFF file's image data cannot be read";
        return false;
    }

    TIFF* tif_;
    const TiffLayout& l_;
    int bytesPerSample_ = 1;
    bool tiled_ = false;
    uint32_t tileWidth_ = 0;
    uint32_t bandHeight_ = 0;
    std::vector<uint8_t> band_;
    std::vector<uint8_t> chunk_;
};

bool ReadDirect(TIFF* tif, const TiffLayout& l, DecodedImage& image, std::string& error) {
    BandReader reader(tif, l);
    if (!reader.Allocate(error)) return false;
    for (uint32_t top = 0; top < l.height; top += reader.BandHeight()) {
        if (!reader.Read(top, error)) return false;
        const uint32_t rows = std::min(reader.BandHeight(), l.height - top);
        for (uint32_t r = 0; r < rows; ++r)
            ConvertTiffRow(reader.Band() + r * reader.RowBytes(), l, image,
                           static_cast<int>(top + r));
    }
    return true;
}

bool ReadThroughRgba(TIFF* tif, const TiffLayout& l, DecodedImage& image, std::string& error) {
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) {
        error = std::string("unsupported TIFF layout: ") + message;
        return false;
    }
    std::vector<uint32_t> raster;
    try {
        raster.assign(std::size_t{l.width} * l.height, 0);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read the TIFF file";
        return false;
    }
    // Asking for the file's own orientation makes libtiff leave the rows as stored.
    const int stored = std::clamp<int>(l.orientation, ORIENTATION_TOPLEFT, ORIENTATION_LEFTBOT);
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), stored, 1)) {
        if (error.empty()) error = "the TIFF file's image data cannot be read";
        return false;
    }
    for (int y = 0; y < image.height; ++y) {
        const uint32_t* in = raster.data() + std::size_t(y) * l.width;
        uint8_t* out = image.DisplayRow(y);
        for (int x = 0; x < image.width; ++x) {
            // libtiff hands alpha premultiplied
            const uint32_t a = TIFFGetA(in[x]);
            const uint32_t r = OverWhite(TIFFGetR(in[x]), a, 255, true);
            if (image.grey) {
                out[x] = static_cast<uint8_t>(r);
                continue;
            }
            out[3 * x] = static_cast<uint8_t>(OverWhite(TIFFGetB(in[x]), a, 255, true));
            out[3 * x + 1] = static_cast<uint8_t>(OverWhite(TIFFGetG(in[x]), a, 255, true));
            out[3 * x + 2] = static_cast<uint8_t>(r);
        }
    }
    return true;
}

// Tiles (and strips) are decoded whole, into buffers their declared size: one far bigger than the
// image would cost memory no pixel needs, so the file is refused before libtiff or this reader
// allocates it. Tiles may round the image up to the 16 the format asks tiles to be multiples
// of; beyond that only small ones are allowed.
bool CheckChunks(TIFF* tif, const TiffLayout& l, std::string& error) {
    constexpr uint64_t kSmallChunk = uint64_t{4} << 20;
    const auto roundUp = [](uint64_t v) { return (v + 15) / 16 * 16; };
    uint32_t width = l.width, length = 0;
    const bool tiled = TIFFIsTiled(tif) != 0;
    if (tiled) {
        width = length = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &length);
    } else {
        length = l.height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &length);
        length = std::min(length, l.height);
    }
    const uint64_t bytes = uint64_t{width} * length * l.samplesPerPixel *
                           std::max<uint64_t>(1, (l.bitsPerSample + 7) / 8);
    const bool withinImage = width <= roundUp(l.width) && length <= roundUp(l.height);
    if (width == 0 || length == 0 || (!withinImage && bytes > kSmallChunk)) {
        error = "the TIFF file declares " + std::string(tiled ? "tiles" : "strips") + " of " +
                std::to_string(width) + " x " + std::to_string(length) +
                " pixels for an image of " + std::to_string(l.width) + " x " +
                std::to_string(l.height);
        return false;
    }
    return true;
}

}  // namespace

bool ReadTiff(const std::filesystem::path& path, const ReadOptions& options, DecodedImage& image,
              std::string& error) {
    std::string tiffErrors;
    TiffPtr tif = OpenTiff(path, "r", tiffErrors);
    if (tif == nullptr) {
        error = "not a readable TIFF file: " + tiffErrors;
        return false;
    }
    TiffLayout l;
    if (!ReadLayout(tif.get(), l, error)) return false;
    if (!CheckImageSize(l.width, l.height, options.fileSize, error)) return false;
    const bool sixteen = l.direct && l.bitsPerSample == 16;

    image = DecodedImage::Header(static_cast<int>(l.width), static_cast<int>(l.height), l.grey,
                                 sixteen);
    if (options.infoOnly) return true;
    if (!CheckChunks(tif.get(), l, error)) return false;
    if (!image.Allocate(static_cast<int>(l.width), static_cast<int>(l.height), l.grey,
                        sixteen && options.keep16, error))
        return false;
    const bool ok = l.direct ? ReadDirect(tif.get(), l, image, tiffErrors)
                             : ReadThroughRgba(tif.get(), l, image, tiffErrors);
    if (!ok) {
        error = "cannot decode the TIFF file: " + tiffErrors;
        image = DecodedImage{};
        return false;
    }
    uint32_t iccLength = 0;
    void* icc = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &iccLength, &icc) && icc != nullptr &&
        iccLength > 0)
        image.icc.assign(static_cast<const uint8_t*>(icc),
                         static_cast<const uint8_t*>(icc) + iccLength);
    return true;
}

}  // namespace stillpix::codec
