// JPEG files through libjpeg-turbo: B, G, R or grey rows at the quality asked for, with the ICC
// profile in APP2 segments.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "codec/c_file.h"
#include "codec/formats.h"
#include "codec/jpeg_error.h"

namespace stillpix::codec {
namespace {

struct JpegEncoder {
    jpeg_compress_struct info{};
    JpegError error;
    bool created = false;

    ~JpegEncoder() {
        if (created) jpeg_destroy_compress(&info);
    }
};

// Runs libjpeg under a setjmp; holds only plain values.
bool Encode(JpegEncoder& e, std::FILE* file, const DecodedImage* image, int quality,
            const uint8_t* icc, unsigned iccLength) {
    InstallJpegError(e.error, reinterpret_cast<j_common_ptr>(&e.info));
    if (setjmp(e.error.jump)) return false;
    jpeg_create_compress(&e.info);
    e.created = true;
    jpeg_stdio_dest(&e.info, file);
    e.info.image_width = static_cast<JDIMENSION>(image->width);
    e.info.image_height = static_cast<JDIMENSION>(image->height);
    e.info.input_components = image->grey ? 1 : 3;
    e.info.in_color_space = image->grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&e.info);
    jpeg_set_quality(&e.info, quality, TRUE);
    e.info.optimize_coding = TRUE;
    jpeg_start_compress(&e.info, TRUE);
    if (iccLength > 0) jpeg_write_icc_profile(&e.info, icc, iccLength);
    while (e.info.next_scanline < e.info.image_height) {
        // libjpeg only reads the row it is given
        JSAMPROW row =
            const_cast<uint8_t*>(image->DisplayRow(static_cast<int>(e.info.next_scanline)));
        jpeg_write_scanlines(&e.info, &row, 1);
    }
    jpeg_finish_compress(&e.info);
    return true;
}

}  // namespace

bool WriteJpeg(const DecodedImage& image, const std::filesystem::path& path, int quality,
               std::span<const uint8_t> icc, std::string& error) {
    if (image.width > 65500 || image.height > 65500) {
        error = "a JPEG file cannot hold an image of " + std::to_string(image.width) + " x " +
                std::to_string(image.height);
        return false;
    }
    FilePtr file = OpenFile(path, "wb");
    if (file == nullptr) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    JpegEncoder e;
    if (!Encode(e, file.get(), &image, std::clamp(quality, 0, 100), icc.data(),
                static_cast<unsigned>(icc.size()))) {
        error = std::string("cannot write the JPEG file: ") + e.error.message;
        return false;
    }
    if (!CloseWritten(file)) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace stillpix::codec
