// PNG files through libpng: 8- or 16-bit grey or RGB rows, the ICC profile in an iCCP chunk, the
// EXIF block in eXIf, XMP in iTXt, IPTC as ImageMagick's raw profile and the comment as tEXt.
#include <cerrno>
#include <cstring>

#include <png.h>

#include "codec/c_file.h"
#include "codec/formats.h"
#include "codec/metadata_internal.h"

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
void SixteenBitRow(const ImageRows& image, int y, uint8_t* out) {
    const uint16_t* in = image.SampleRow(y);
    const int channels = image.Channels();
    for (int x = 0; x < image.width; ++x)
        for (int c = 0; c < channels; ++c) {
            const uint16_t v = in[x * channels + (image.grey ? 0 : 2 - c)];
            *out++ = static_cast<uint8_t>(v >> 8);
            *out++ = static_cast<uint8_t>(v);
        }
}

// ImageMagick's text form of a profile, which exiftool and ImageMagick read back.
std::string RawProfile(const char* name, const std::vector<uint8_t>& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "\n" + std::string(name) + "\n";
    char length[16];
    std::snprintf(length, sizeof length, "%8zu", bytes.size());
    text += length;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 36 == 0) text += '\n';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 15];
    }
    return text + "\n";
}

struct TextChunks {
    std::vector<std::string> keys, texts;
    std::vector<png_text> chunks;

    explicit TextChunks(const OutputMetadata* meta) {
        if (meta == nullptr) return;
        Add("XML:com.adobe.xmp", meta->xmp, PNG_ITXT_COMPRESSION_NONE);
        Add("Comment", meta->comment, PNG_TEXT_COMPRESSION_NONE);
        if (!meta->photoshop.empty())
            Add("Raw profile type 8bim", RawProfile("8bim", meta->photoshop),
                PNG_TEXT_COMPRESSION_zTXt);
        else if (!meta->iim.empty())
            Add("Raw profile type iptc", RawProfile("iptc", meta->iim), PNG_TEXT_COMPRESSION_zTXt);
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            chunks[i].key = keys[i].data();
            chunks[i].text = texts[i].data();
            if (chunks[i].compression == PNG_ITXT_COMPRESSION_NONE)
                chunks[i].itxt_length = texts[i].size();
            else chunks[i].text_length = texts[i].size();
        }
    }
    void Add(const char* key, const std::string& text, int compression) {
        if (text.empty()) return;
        keys.emplace_back(key);
        texts.push_back(text);
        png_text chunk{};
        chunk.compression = compression;
        chunks.push_back(chunk);
    }
};

// Runs libpng under a setjmp; holds only plain values.
bool Encode(PngEncoder& e, std::FILE* file, const ImageRows* image, bool sixteen,
            const uint8_t* icc, png_uint_32 iccLength, uint8_t* row16, const OutputMetadata* meta,
            TextChunks* text) {
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
    if (meta != nullptr && !meta->exifPng.empty())
        png_set_eXIf_1(e.png, e.info, static_cast<png_uint_32>(meta->exifPng.size()),
                       const_cast<png_bytep>(meta->exifPng.data()));
    if (!text->chunks.empty())
        png_set_text(e.png, e.info, text->chunks.data(), static_cast<int>(text->chunks.size()));
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

bool WritePng(const ImageRows& image, const std::filesystem::path& path, bool sixteen,
              std::span<const uint8_t> icc, const OutputMetadata* meta, std::string& error) {
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
    TextChunks text(meta);
    if (!Encode(e, file.get(), &image, sixteen, icc.data(), static_cast<png_uint_32>(icc.size()),
                row16.data(), meta, &text)) {
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
