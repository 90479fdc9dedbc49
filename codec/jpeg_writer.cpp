// JPEG files through libjpeg-turbo: B, G, R or grey rows at the quality asked for, with the ICC
// profile in APP2 segments and the metadata in its segments. From quality 90 up the colour keeps
// its full resolution (4:4:4): whoever asks that much would see 4:2:0 smear fine colour detail.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "codec/c_file.h"
#include "codec/formats.h"
#include "codec/jpeg_error.h"
#include "codec/metadata_internal.h"
#include "platform/memory_pages.h"

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
constexpr int kFullChromaQuality = 90;
constexpr int kRowsAtOnce = 32;

struct Segment {
    int marker;
    std::vector<uint8_t> bytes;
    bool beforeProfile = false;
};

// The APP1 EXIF identifier ends in two NULs.
constexpr char kExifHead[6] = {'E', 'x', 'i', 'f', 0, 0};

std::vector<Segment> Segments(const OutputMetadata* meta) {
    std::vector<Segment> out;
    if (meta == nullptr) return out;
    const auto with = [](const char* head, std::size_t headLength, const auto& body) {
        std::vector<uint8_t> bytes(head, head + headLength);
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    };
    if (!meta->exifJpeg.empty())
        out.push_back({JPEG_APP0 + 1, with(kExifHead, sizeof kExifHead, meta->exifJpeg), true});
    if (!meta->xmp.empty())
        out.push_back({JPEG_APP0 + 1, with("http://ns.adobe.com/xap/1.0/", 29, meta->xmp)});
    if (!meta->photoshop.empty()) {
        out.push_back({JPEG_APP0 + 13, with("Photoshop 3.0", 14, meta->photoshop)});
    } else if (!meta->iim.empty()) {
        // One resource 0x0404 with an empty name.
        const auto n = static_cast<uint32_t>(meta->iim.size());
        const uint8_t head[] = {'8',
                                'B',
                                'I',
                                'M',
                                4,
                                4,
                                0,
                                0,
                                uint8_t(n >> 24),
                                uint8_t(n >> 16),
                                uint8_t(n >> 8),
                                uint8_t(n)};
        std::vector<uint8_t> resource(head, head + sizeof head);
        resource.insert(resource.end(), meta->iim.begin(), meta->iim.end());
        if (n % 2 != 0) resource.push_back(0);
        out.push_back({JPEG_APP0 + 13, with("Photoshop 3.0", 14, resource)});
    }
    if (!meta->comment.empty()) out.push_back({JPEG_COM, with("", 0, meta->comment)});
    return out;
}

bool Encode(JpegEncoder& e, std::FILE* file, const ImageRows* image, int quality,
            const uint8_t* icc, unsigned iccLength, const std::vector<Segment>* segments) {
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
    if (quality >= kFullChromaQuality && !image->grey)
        e.info.comp_info[0].h_samp_factor = e.info.comp_info[0].v_samp_factor = 1;
    e.info.optimize_coding = TRUE;
    jpeg_start_compress(&e.info, TRUE);
    // EXIF first, as readers look for it there; the profile after it.
    for (const Segment& s : *segments)
        if (s.beforeProfile)
            jpeg_write_marker(&e.info, s.marker, s.bytes.data(), unsigned(s.bytes.size()));
    if (iccLength > 0) jpeg_write_icc_profile(&e.info, icc, iccLength);
    for (const Segment& s : *segments)
        if (!s.beforeProfile)
            jpeg_write_marker(&e.info, s.marker, s.bytes.data(), unsigned(s.bytes.size()));
    // Optimised coding keeps every coefficient (two bytes a sample) until the end: rows already
    // encoded go back to the system when nobody needs them after this save.
    const uint8_t* bufferEnd = image->DisplayRow(0) + image->Stride();
    JSAMPROW rows[kRowsAtOnce];
    while (e.info.next_scanline < e.info.image_height) {
        const int first = static_cast<int>(e.info.next_scanline);
        const int count = std::min(kRowsAtOnce, image->height - first);
        // libjpeg only reads the rows it is given
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<uint8_t*>(image->DisplayRow(first + i));
        const JDIMENSION written =
            jpeg_write_scanlines(&e.info, rows, static_cast<JDIMENSION>(count));
        if (image->releaseRead && written > 0) {
            const uint8_t* lastRead = image->DisplayRow(first + static_cast<int>(written) - 1);
            ReleasePages(lastRead, static_cast<std::size_t>(bufferEnd - lastRead));
        }
    }
    jpeg_finish_compress(&e.info);
    return true;
}

}  // namespace

bool WriteJpeg(const ImageRows& image, const std::filesystem::path& path, int quality,
               std::span<const uint8_t> icc, const OutputMetadata* meta, std::string& error) {
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
    const std::vector<Segment> segments = Segments(meta);
    JpegEncoder e;
    if (!Encode(e, file.get(), &image, std::clamp(quality, 0, 100), icc.data(),
                static_cast<unsigned>(icc.size()), &segments)) {
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
