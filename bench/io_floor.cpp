// stillpix-io-floor: the floor under `stillpix-cli denoise`, and its test files.
//   photo OUT.jpg|OUT.tif [--16]   writes the 24-megapixel camera-noise photograph (JPEG quality
//                                  95, or an uncompressed 8- or 16-bit TIFF)
//   copy IN OUT [--quality Q] [--compression none|lzw|deflate]
//                                  reads a JPEG or TIFF wholly into memory and writes it again in
//                                  the same format with libjpeg-turbo or libtiff alone: what any
//                                  program must spend to read and write the file.
#include <cstddef>
#include <cstdio>
// clang-format off: jpeglib.h needs size_t and FILE declared first
#include <jpeglib.h>
#include <tiffio.h>
// clang-format on

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/camera_photo.h"

namespace {

struct Image {
    int width = 0, height = 0, channels = 3, bits = 8;
    std::vector<uint8_t> pixels;  // top-down, unpadded, R, G, B (or grey); 16-bit native order
    std::size_t RowBytes() const { return std::size_t(width) * channels * bits / 8; }
};

bool EndsWith(const std::string& s, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}
bool IsTiff(const std::string& path) { return EndsWith(path, ".tif") || EndsWith(path, ".tiff"); }

bool ReadJpeg(const char* path, Image& image) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    image.width = int(info.output_width), image.height = int(info.output_height);
    image.channels = info.output_components, image.bits = 8;
    image.pixels.resize(image.RowBytes() * image.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.pixels[image.RowBytes() * info.output_scanline];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

bool WriteJpeg(const char* path, const Image& image, int quality) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image.width), info.image_height = JDIMENSION(image.height);
    info.input_components = image.channels;
    info.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;  // as the program's writer does
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&image.pixels[image.RowBytes() * info.next_scanline]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

bool ReadTiff(const char* path, Image& image) {
    TIFF* t = TIFFOpen(path, "r");
    if (!t) return false;
    uint32_t w = 0, h = 0;
    uint16_t spp = 1, bps = 8;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bps);
    image.width = int(w), image.height = int(h), image.channels = spp, image.bits = bps;
    image.pixels.resize(image.RowBytes() * h);
    bool ok = true;
    for (uint32_t y = 0; y < h && ok; ++y)
        ok = TIFFReadScanline(t, &image.pixels[image.RowBytes() * y], y) >= 0;
    TIFFClose(t);
    return ok;
}

bool WriteTiff(const char* path, const Image& image, const std::string& compression) {
    TIFF* t = TIFFOpen(path, "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(image.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(image.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(image.bits));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(image.channels));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 image.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (compression == "lzw" || compression == "deflate") {
        TIFFSetField(t, TIFFTAG_COMPRESSION,
                     compression == "lzw" ? COMPRESSION_LZW : COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        if (compression == "deflate") TIFFSetField(t, TIFFTAG_ZIPQUALITY, 1);  // as the program
    } else {
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    }
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    std::vector<uint8_t> row(image.RowBytes());  // libtiff may encode in place
    bool ok = true;
    for (int y = 0; y < image.height && ok; ++y) {
        std::memcpy(row.data(), &image.pixels[image.RowBytes() * y], row.size());
        ok = TIFFWriteScanline(t, row.data(), uint32_t(y), 0) >= 0;
    }
    TIFFClose(t);
    return ok;
}

Image PhotoImage(bool sixteen) {
    const stillpix::test::Photo photo = stillpix::test::CameraPhoto(6000, 4000);
    Image image{photo.width, photo.height, 3, sixteen ? 16 : 8, {}};
    image.pixels.resize(image.RowBytes() * image.height);
    for (std::size_t i = 0; i < photo.bgr.size(); ++i) {
        const std::size_t at = i / 3 * 3 + (2 - i % 3);  // B, G, R -> R, G, B
        if (sixteen) std::memcpy(&image.pixels[at * 2], &photo.bgr[i], 2);
        else image.pixels[at] = uint8_t(photo.bgr[i] >> 8);
    }
    return image;
}

std::string Option(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[1] : "";
    if (command == "photo") {
        const std::string out = argv[2];
        const bool sixteen = argc > 3 && std::strcmp(argv[3], "--16") == 0;
        const Image image = PhotoImage(sixteen && IsTiff(out));
        return (IsTiff(out) ? WriteTiff(out.c_str(), image, "none")
                            : WriteJpeg(out.c_str(), image, 95))
                   ? 0
                   : 1;
    }
    if (command == "copy" && argc > 3) {
        Image image;
        const bool tiff = IsTiff(argv[2]);
        if (!(tiff ? ReadTiff(argv[2], image) : ReadJpeg(argv[2], image))) return 1;
        const bool ok =
            tiff ? WriteTiff(argv[3], image, Option(argc, argv, "--compression", "none"))
                 : WriteJpeg(argv[3], image, std::stoi(Option(argc, argv, "--quality", "90")));
        return ok ? 0 : 1;
    }
    std::fputs(
        "usage: stillpix-io-floor photo OUT.jpg|OUT.tif [--16]\n"
        "       stillpix-io-floor copy IN OUT [--quality Q] [--compression none|lzw|deflate]\n",
        stderr);
    return 2;
}
