// PNG files through libpng: 8- or 16-bit grey or RGB rows, the ICC profile in an iCCP chunk.
#include <cerrno>
#include <cstring>

#include <png.h>

#include "codec/c_file.h"
#include "codec/formats.h"

namespace stillpix::codec {
namespace {

struct PngEncoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = {};

    ~PngEncoder() {
        if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
};

void OnError(png_structp png, png_const_charp message) {
    auto* e = static_cast<PngEncoder*>(png_get_error_ptr(png));
    std::snprintf(e->message, sizeof e->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// One top-down row in PNG order: R, G, B (or grey) samples, 16-bit ones most significant first.
void SixteenBitRow(const DecodedImage& image, int y, uint8_t* out) {
    const uint16_t* in = image.SampleRow(y);
    const int channels = image.Channels();
    for (int x = 0; x < image.width; ++x)
        for (int c = 0; c < channels; ++c) {
            const uint16_t v = in[x * channels + (image.grey ? 0 : 2 - c)];
            *out++ = static_cast<uint8_t>(v >> 8);
            *out++ = static_cast<uint8_t>(v);
        }
}

// Runs libpng under a setjmp; holds only plain values.
bool Encode(PngEncoder& e, std::FILE* file, const DecodedImage* image, bool sixteen,
            const uint8_t* icc, png_uint_32 iccLength, uint8_t* row16) {
    if (setjmp(png_jmpbuf(e.png))) return false;
    png_init_io(e.png, file);
    // A profile libpng finds unfit for the image is left out rather than failing the save.
    png_set_benign_errors(e.png, 1);
    png_set_IHDR(e.png, e.info, static_cast<png_uint_32>(image->width),
                 static_cast<png_uint_32>(image->height), sixteen ? 16 : 8,
                 image->grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (iccLength > 0)
        png_set_iCCP(e.png, e.info, "ICC Profile", PNG_COMPRESSION_TYPE_BASE, icc, iccLength);
    png_write_info(e.png, e.info);
    if (!sixteen && !image->grey) png_set_bgr(e.png);
    for (int y = 0; y < image->height; ++y) {
        if (sixteen) {
            SixteenBitRow(*image, y, row16);
            png_write_row(e.png, row16);
        } else {
            png_write_row(e.png, image->DisplayRow(y));
        }
    }
    png_write_end(e.png, nullptr);
    return true;
}

}  // namespace

bool WritePng(const DecodedImage& image, const std::filesystem::path& path, bool sixteen,
              std::span<const uint8_t> icc, std::string& error) {
    sixteen = sixteen && image.has16;
    FilePtr file = OpenFile(path, "wb");
    if (file == nullptr) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    PngEncoder e;
    e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &e, OnError, OnWarning);
    if (e.png != nullptr) e.info = png_create_info_struct(e.png);
    if (e.info == nullptr) {
        error = "not enough memory to write a PNG file";
        return false;
    }
    std::vector<uint8_t> row16(
        sixteen ? static_cast<std::size_t>(image.width) * image.Channels() * 2 : 0);
    if (!Encode(e, file.get(), &image, sixteen, icc.data(), static_cast<png_uint_32>(icc.size()),
                row16.data())) {
        error = std::string("cannot write the PNG file: ") + e.message;
        return false;
    }
    if (!CloseWritten(file)) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace stillpix::codec
