// PNG files through libpng: every colour type and depth, palettes and low bit depths expanded,
// transparency laid over white, 16-bit samples kept when asked for.
#include <cstring>

#include <png.h>

#include "codec/c_file.h"
#include "codec/formats.h"

namespace stillpix::codec {
namespace {

// A profile chunk larger than this is not something a photograph carries.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{16} << 20;
// Deflate never packs more than 1032 bytes into one: rows beyond that many times the file's size
// cannot be in it, however the header reads.
constexpr uint64_t kMaxDeflateRatio = 1032;

struct PngDecoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = {};
    // What the stages found out; plain values only.
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0, channels = 0;
    bool paletteGrey = false;
    png_bytep icc = nullptr;  // owned by libpng's info
    png_uint_32 iccLength = 0;
    std::size_t rowBytes = 0;
    std::size_t fileRowBytes = 0;  // as stored, before expansion

    ~PngDecoder() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

void OnError(png_structp png, png_const_charp message) {
    auto* d = static_cast<PngDecoder*>(png_get_error_ptr(png));
    std::snprintf(d->message, sizeof d->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// How each decoded row is laid out after the expansion.
struct RowLayout {
    int channels = 0;  // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    bool sixteen = false;
};

void ConvertRow(const uint8_t* in, const RowLayout& layout, DecodedImage& image, int y) {
    const uint32_t maxValue = layout.sixteen ? 65535 : 255;
    const bool alpha = layout.channels == 2 || layout.channels == 4;
    const int step = layout.sixteen ? 2 : 1;
    auto sample = [&](const uint8_t* p) -> uint32_t {
        return layout.sixteen ? uint32_t(p[0]) << 8 | p[1] : p[0];
    };
    const int colourChannels = layout.channels >= 3 ? 3 : 1;
    uint16_t* out16 = image.has16 ? image.SampleRow(y) : nullptr;
    uint8_t* out8 = image.DisplayRow(y);
    for (int x = 0; x < image.width; ++x, in += layout.channels * step) {
        uint32_t c[3];
        for (int i = 0; i < colourChannels; ++i) c[i] = sample(in + i * step);
        if (alpha) {
            const uint32_t a = sample(in + colourChannels * step);
            for (int i = 0; i < colourChannels; ++i) c[i] = OverWhite(c[i], a, maxValue, false);
        }
        const int shift = layout.sixteen ? 8 : 0;
        if (image.grey) {
            if (out16 != nullptr) out16[x] = static_cast<uint16_t>(c[0]);
            out8[x] = static_cast<uint8_t>(c[0] >> shift);
        } else {
            for (int i = 0; i < 3; ++i) {
                if (out16 != nullptr) out16[3 * x + i] = static_cast<uint16_t>(c[2 - i]);
                out8[3 * x + i] = static_cast<uint8_t>(c[2 - i] >> shift);
            }
        }
    }
}

// The stages run libpng under a setjmp and hold only plain values.
bool ReadInfo(PngDecoder& d, std::FILE* file) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_init_io(d.png, file);
    png_set_user_limits(d.png, static_cast<png_uint_32>(kMaxSide),
                        static_cast<png_uint_32>(kMaxSide));
    png_set_chunk_malloc_max(d.png, kMaxChunkBytes);
    // The metadata reader takes text and XMP from the file; here a compressed text chunk would
    // only cost time: a hundred bytes can make libpng inflate and clear tens of megabytes.
    static const png_byte kTextChunks[] = {'t', 'E',  'X', 't', '\0', 'z', 'T', 'X',
                                           't', '\0', 'i', 'T', 'X',  't', '\0'};
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, kTextChunks, 3);
    png_read_info(d.png, d.info);
    png_get_IHDR(d.png, d.info, &d.width, &d.height, &d.bitDepth, &d.colorType, &d.interlace,
                 nullptr, nullptr);
    d.fileRowBytes = png_get_rowbytes(d.png, d.info);
    png_charp name = nullptr;
    int compression = 0;
    if (png_get_iCCP(d.png, d.info, &name, &compression, &d.icc, &d.iccLength) == 0)
        d.iccLength = 0;
    if (d.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        d.paletteGrey = png_get_PLTE(d.png, d.info, &palette, &count) != 0;
        for (int i = 0; d.paletteGrey && i < count; ++i)
            d.paletteGrey =
                palette[i].red == palette[i].green && palette[i].green == palette[i].blue;
    }
    return true;
}

bool PrepareRows(PngDecoder& d) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_set_expand(d.png);
    if (d.interlace != PNG_INTERLACE_NONE) png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    d.channels = png_get_channels(d.png, d.info);
    d.rowBytes = png_get_rowbytes(d.png, d.info);
    return true;
}

bool ReadRowByRow(PngDecoder& d, uint8_t* row, const RowLayout* layout, DecodedImage* image) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    for (png_uint_32 y = 0; y < d.height; ++y) {
        png_read_row(d.png, row, nullptr);
        ConvertRow(row, *layout, *image, static_cast<int>(y));
    }
    return true;
}

bool ReadWhole(PngDecoder& d, png_bytepp rows) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_read_image(d.png, rows);
    return true;
}

}  // namespace

bool ReadPng(const std::filesystem::path& path, const ReadOptions& options, DecodedImage& image,
             std::string& error) {
    FilePtr file = OpenForReading(path, error);
    if (file == nullptr) return false;
    PngDecoder d;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, OnError, OnWarning);
    if (d.png != nullptr) d.info = png_create_info_struct(d.png);
    if (d.info == nullptr) {
        error = "not enough memory to read a PNG file";
        return false;
    }
    if (!ReadInfo(d, file.get())) {
        error = std::string("not a readable PNG file: ") + d.message;
        return false;
    }
    if (!CheckImageSize(d.width, d.height, options.fileSize, error)) return false;
    // Each row is stored with one filter byte in front.
    if ((uint64_t{d.fileRowBytes} + 1) * d.height / kMaxDeflateRatio > options.fileSize) {
        error = "the file is too short for its declared size of " + std::to_string(d.width) +
                " x " + std::to_string(d.height);
        return false;
    }

    const bool grey = (d.colorType & PNG_COLOR_MASK_COLOR) == 0 || d.paletteGrey;
    const bool sixteen = d.bitDepth == 16;
    image =
        DecodedImage::Header(static_cast<int>(d.width), static_cast<int>(d.height), grey, sixteen);
    if (d.iccLength > 0) image.icc.assign(d.icc, d.icc + d.iccLength);
    if (options.infoOnly) return true;
    if (!PrepareRows(d)) {
        error = std::string("cannot decode the PNG file: ") + d.message;
        return false;
    }
    if (!image.Allocate(static_cast<int>(d.width), static_cast<int>(d.height), grey,
                        sixteen && options.keep16, error))
        return false;
    const RowLayout layout{d.channels, sixteen};  // a grey palette expands to R = G = B
    bool ok = false;
    try {
        if (d.interlace == PNG_INTERLACE_NONE) {
            std::vector<uint8_t> row(d.rowBytes);
            ok = ReadRowByRow(d, row.data(), &layout, &image);
        } else {
            // Interlaced passes fill every row several times, so all of them are kept until done.
            std::vector<uint8_t> pixels(d.rowBytes * d.height);
            std::vector<png_bytep> rows(d.height);
            for (png_uint_32 y = 0; y < d.height; ++y) rows[y] = pixels.data() + d.rowBytes * y;
            ok = ReadWhole(d, rows.data());
            for (png_uint_32 y = 0; ok && y < d.height; ++y)
                ConvertRow(rows[y], layout, image, static_cast<int>(y));
        }
    } catch (const std::bad_alloc&) {
        std::snprintf(d.message, sizeof d.message, "not enough memory");
    }
    if (!ok) {
        error = std::string("cannot decode the PNG file: ") + d.message;
        image = DecodedImage{};
        return false;
    }
    return true;
}

}  // namespace stillpix::codec
