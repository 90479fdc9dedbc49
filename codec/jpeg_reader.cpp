// JPEG files through libjpeg-turbo: colour straight into B, G, R rows, grey as grey, CMYK turned
// into sRGB through its embedded profile (by the plain formula without one); thumbnails decoded
// at 1/2, 1/4 or 1/8 scale.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "codec/c_file.h"
#include "codec/formats.h"
#include "codec/icc.h"
#include "codec/jpeg_error.h"

namespace stillpix::codec {
namespace {

// A hostile progressive file can make the decoder run through thousands of scans.
constexpr int kMaxScans = 1000;

struct JpegDecoder {
    jpeg_decompress_struct info{};
    JpegError error;
    jpeg_progress_mgr progress{};
    bool created = false;
    JOCTET* icc = nullptr;  // malloc'd by libjpeg
    unsigned int iccLength = 0;

    ~JpegDecoder() {
        if (created) jpeg_destroy_decompress(&info);
        std::free(icc);
    }
};

void OnProgress(j_common_ptr common) {
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > kMaxScans) {
        reinterpret_cast<JpegError*>(common->err)->tooManyScans = true;
        (*common->err->error_exit)(common);
    }
}

// The stages below run libjpeg under a setjmp; they hold only plain values.
bool ReadHeader(JpegDecoder& d, std::FILE* file) {
    InstallJpegError(d.error, reinterpret_cast<j_common_ptr>(&d.info));
    if (setjmp(d.error.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    d.progress.progress_monitor = OnProgress;
    d.info.progress = &d.progress;
    jpeg_stdio_src(&d.info, file);
    jpeg_save_markers(&d.info, JPEG_APP0 + 2, 0xFFFF);  // ICC profile chunks
    jpeg_read_header(&d.info, TRUE);
    if (!jpeg_read_icc_profile(&d.info, &d.icc, &d.iccLength)) d.iccLength = 0;
    return true;
}

bool Start(JpegDecoder& d) {
    if (setjmp(d.error.jump)) return false;
    jpeg_start_decompress(&d.info);
    return true;
}

// CMYK as Adobe writes it (inverted, so a stored value is the ink left out) or plain.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, unsigned width, bool inverted) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

bool ReadRows(JpegDecoder& d, DecodedImage* image, uint8_t* cmykRow, const CmykToSrgb* profile) {
    if (setjmp(d.error.jump)) return false;
    while (d.info.output_scanline < d.info.output_height) {
        const int y = static_cast<int>(d.info.output_scanline);
        JSAMPROW row = cmykRow != nullptr ? cmykRow : image->DisplayRow(y);
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) return false;
        if (cmykRow != nullptr && profile->Ready())
            profile->Row(cmykRow, image->DisplayRow(y), d.info.output_width);
        else if (cmykRow != nullptr)
            CmykToBgr(cmykRow, image->DisplayRow(y), d.info.output_width, d.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// The largest libjpeg reduction (1/1 .. 1/8) that still leaves at least the thumbnail's size.
unsigned ScaleDenominator(unsigned width, unsigned height, int fitWidth, int fitHeight) {
    const double scale = std::min(double(fitWidth) / width, double(fitHeight) / height);
    unsigned denominator = 1;
    while (denominator < 8 && 2.0 * denominator * scale <= 1.0) denominator *= 2;
    return denominator;
}

}  // namespace

bool ReadJpeg(const std::filesystem::path& path, const ReadOptions& options, DecodedImage& image,
              std::string& error) {
    FilePtr file = OpenForReading(path, error);
    if (file == nullptr) return false;
    JpegDecoder d;
    if (!ReadHeader(d, file.get())) {
        error = std::string("not a readable JPEG file: ") + d.error.message;
        return false;
    }
    // Only the bytes from the first scan on can hold pixels: metadata and comments before it,
    // however long, do not make a larger picture believable.
    uint64_t scanBytes = options.fileSize;
    if (const long at = std::ftell(file.get()); at >= 0) {
        const uint64_t read = static_cast<uint64_t>(at) - d.info.src->bytes_in_buffer;
        scanBytes = read < scanBytes ? scanBytes - read : 0;
    }
    if (!CheckImageSize(d.info.image_width, d.info.image_height, scanBytes, error)) return false;

    const J_COLOR_SPACE space = d.info.jpeg_color_space;
    const bool cmyk = space == JCS_CMYK || space == JCS_YCCK;
    const bool grey = space == JCS_GRAYSCALE;
    image = DecodedImage::Header(static_cast<int>(d.info.image_width),
                                 static_cast<int>(d.info.image_height), grey, false);
    if (d.iccLength > 0) image.icc.assign(d.icc, d.icc + d.iccLength);
    if (options.infoOnly) return true;

    d.info.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    if (options.fitWidth > 0 && options.fitHeight > 0) {
        d.info.scale_num = 1;
        d.info.scale_denom = ScaleDenominator(d.info.image_width, d.info.image_height,
                                              options.fitWidth, options.fitHeight);
        d.info.dct_method = JDCT_IFAST;
        d.info.do_fancy_upsampling = FALSE;
    }
    if (!Start(d)) {
        error = std::string("cannot decode the JPEG file: ") + d.error.message;
        return false;
    }
    if (!image.Allocate(static_cast<int>(d.info.output_width),
                        static_cast<int>(d.info.output_height), grey, false, error))
        return false;
    std::vector<uint8_t> cmykRow(cmyk ? std::size_t{d.info.output_width} * 4 : 0);
    CmykToSrgb profile;
    // The pixels come out sRGB, so the CMYK profile is not theirs and goes.
    const bool converted =
        cmyk && d.iccLength > 0 && profile.Load({d.icc, d.iccLength}, d.info.saw_Adobe_marker);
    if (!ReadRows(d, &image, cmyk ? cmykRow.data() : nullptr, &profile)) {
        error = std::string("cannot decode the JPEG file: ") + d.error.message;
        image = DecodedImage{};
        return false;
    }
    if (converted) image.icc.clear();
    return true;
}

}  // namespace stillpix::codec
