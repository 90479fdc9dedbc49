#include "fuzz/image_checks.h"

#include <cstdint>
#include <string>
#include <vector>

#include "codec/metadata.h"
#include "exif/exif_formatter.h"
#include "fuzz/fuzz_support.h"

namespace stillpix::fuzz {

void InspectLoaded(const CodecSession& h) {
    ImageInfo info;
    Require(cGetImageInfo(h, info), "a loaded image gives its information");
    Require(info.width > 0 && info.height > 0, "a loaded image has pixels");
    Require(info.bitsPerPixel == 8 || info.bitsPerPixel == 16 || info.bitsPerPixel == 24 ||
                info.bitsPerPixel == 48,
            "bits per pixel are 8, 16, 24 or 48");
    Require(info.grey == (info.bitsPerPixel == 8 || info.bitsPerPixel == 16),
            "grey images have one channel");

    const BitmapInfo* bitmap = nullptr;
    const uint8_t* bits = nullptr;
    Require(cGetBITMAPINFOPtr(h, bitmap) && cGetBitsPtr(h, bits), "a loaded image has a bitmap");
    const std::size_t stride = BitmapStride(info.width, bitmap->header.bitCount);
    Require(bitmap->header.width == info.width && bitmap->header.height == info.height,
            "the bitmap has the size");
    Require(bitmap->header.sizeImage == stride * static_cast<std::size_t>(info.height),
            "the bitmap bytes fill rows");
    // Touch the first and the last byte, so a short buffer shows under the address sanitizer.
    volatile uint8_t edge = static_cast<uint8_t>(bits[0] ^ bits[bitmap->header.sizeImage - 1]);
    (void)edge;

    std::vector<uint8_t> dib;
    Require(cGetDIB(h, dib), "a loaded image gives its packed bitmap");
    Require(dib.size() >= bitmap->header.sizeImage, "the packed bitmap holds the bits");
    std::vector<uint8_t> samples;
    if (info.bitsPerPixel == 16 || info.bitsPerPixel == 48) {
        Require(cGetImage16(h, samples), "a 16-bit image gives its samples");
        Require(samples.size() == std::size_t(info.width) * info.height * (info.bitsPerPixel / 8),
                "the samples fill the picture");
    }

    std::vector<uint8_t> icc;
    std::string name;
    if (cGetImageICCProfile(h, icc)) cGetICCProfileName(icc, name);

    ExifBlock exif;
    IptcBlock iptc;
    Require(cGetImageEXIF_Info(h, exif) && cGetImageIPTC_Info(h, iptc),
            "a loaded image gives its blocks");
    CExifFormatter formatter;
    formatter.SetColorProfile(name);
    formatter.SetColorDepth(info.bitsPerPixel);
    formatter.Set(exif, info.width, info.height);
    Require(formatter.Labels().size() == formatter.Values().size(),
            "every EXIF row has a label and a value");
    cEXIF_GetJPEGBlockSize(exif);
}

void OpenAndInspect(const std::filesystem::path& file, bool keep16) {
    ImageFileInfo fileInfo;
    ExifBlock exif;
    IptcBlock iptc;
    const bool described = cGetImageFileInfoEx(file, fileInfo, &exif, &iptc);

    CodecHandle h = cNewSession();
    Require(h != nullptr, "a session is made");
    cSet16BitComponentOptions(*h, keep16, true);
    if (!cLoadImage(*h, file)) {
        Require(!cGetLastError(*h).empty(), "a refused file says why");
        return;
    }
    InspectLoaded(*h);
    ImageInfo info;
    cGetImageInfo(*h, info);
    Require(described, "a file that loads also gives its header");
    Require(fileInfo.width == info.width && fileInfo.height == info.height,
            "the header and the pixels agree on size");
    Require(fileInfo.grey == info.grey, "the header and the pixels agree on grey");
}

}  // namespace stillpix::fuzz
