// Encoding a CBitmapEx: the pixels handed to a fresh codec handle by bit depth, the embedded
// profile restored, the blocks with the program's software tag, one atomic save.
#include <cstring>
#include <new>

#include "codec/codec.h"
#include "document/bitmap_ex.h"
#include "document/codec_session.h"
#include "document/document_texts.h"
#include "document/save_names.h"

namespace stillpix {
namespace {

// Above this a JPEG's EXIF segment cannot hold the block: the maker note gives way.
constexpr uint32_t kMaxExifBlockBytes = 0x20000;

using document_internal::Fail;
using document_internal::Session;

// The image's own buffers are lent, not copied: the handle lives only for this call. For the
// image's last use the codec may give their pages back as it writes.
bool HandOver(CodecSession& h, const CBitmapEx& image, bool lastUse = false) {
    const DisplayBitmap& display = image.Display();
    const int bpp = image.BitsPerPixel();
    if (display.bitCount != 8 && display.bitCount != 24)
        return cLoadDIBitmap(h, display.info.header, display.bits);
    const std::span<const uint16_t> samples = bpp == 48 || bpp == 16
                                                  ? std::span<const uint16_t>(image.Samples16())
                                                  : std::span<const uint16_t>();
    const bool grey = display.bitCount == 8;
    if (!lastUse) return cLendImage(h, display.bits, samples, display.width, display.height, grey);
    // Only SaveAsLastUse, on an image that is not const, gets here.
    return cLendImageForLastSave(
        h, std::span(const_cast<uint8_t*>(display.bits.data()), display.bits.size()),
        std::span(const_cast<uint16_t*>(samples.data()), samples.size()), display.width,
        display.height, grey);
}

}  // namespace

bool CBitmapEx::Save(const std::filesystem::path& path, int jpegQuality, bool sixteenBit,
                     TiffCompression tiffCompression, std::string* error,
                     std::string* warning) const {
    return Encode(path, jpegQuality, sixteenBit, tiffCompression, false, error, warning);
}

bool CBitmapEx::SaveAsLastUse(const std::filesystem::path& path, int jpegQuality, bool sixteenBit,
                              TiffCompression tiffCompression, std::string* error,
                              std::string* warning) {
    const bool saved = Encode(path, jpegQuality, sixteenBit, tiffCompression, true, error, warning);
    display_.bits = {};
    display_.valid = false;
    samples16_ = {};
    return saved;
}

bool CBitmapEx::Encode(const std::filesystem::path& path, int jpegQuality, bool sixteenBit,
                       TiffCompression tiffCompression, bool lastUse, std::string* error,
                       std::string* warning) const {
    if (!Valid()) return Fail(error, "there is no image to save");
    try {
        Session s;
        if (!s.h) return Fail(error, "out of memory");
        CodecSession& h = *s.h;
        const auto failed = [&] { return Fail(error, cGetLastError(h)); };
        if (!cSet16BitComponentOptions(h, sixteenBit, sixteenBit) || !HandOver(h, *this, lastUse))
            return failed();
        const SaveFormat format = SaveFormatForName(path.string());

        if (!icc_.empty()) {
            // Pixels converted on open go back into the profile they came in.
            if (iccConverted_ && (!cLoadICCProfile(h, SrgbProfile()) || !cApplyICCProfile(h, icc_)))
                return failed();
            if (!cLoadICCProfile(h, icc_) || !cSaveICCProfileEnabled(h, true)) return failed();
        }
        if (!cSetJPEGParams(h, jpegQuality) || !cSetTIFFParams(h, tiffCompression)) return failed();

        // The document's blocks stay as they were loaded; the file gets the rewritten copy.
        ExifBlock exif = exif_ ? *exif_ : ExifBlock();
        cEXIF_PutSoftware(exif, kSoftwareName);
        if (formatter_->IsoSpeed() > 0) cEXIF_PutISOSpeed(exif, formatter_->IsoSpeed());
        if (cEXIF_GetJPEGBlockSize(exif) > kMaxExifBlockBytes) {
            const uint8_t zero = 0;
            cEXIF_PutMakerNote(exif, std::span<const uint8_t>(&zero, 1));
        }
        const IptcBlock iptc = iptc_ ? *iptc_ : IptcBlock();
        if (!cPutImageEXIF_Info(h, exif) || !cPutImageIPTC_Info(h, iptc) ||
            !cSaveAs(h, path, format, jpegQuality))
            return failed();
        if (warning != nullptr) *warning = cGetLastWarning(h);
        return true;
    } catch (const std::bad_alloc&) {
        return Fail(error, "not enough memory to save the image");
    }
}

bool CBitmapEx::CopyToDib(std::vector<uint8_t>& out, std::string* error) const {
    if (!Valid()) return Fail(error, "there is no image to copy");
    try {
        Session s;
        if (!s.h) return Fail(error, "out of memory");
        if (!cSet16BitComponentOptions(*s.h, false, false) || !HandOver(*s.h, *this) ||
            !cGetDIB(*s.h, out))
            return Fail(error, cGetLastError(*s.h));
        return true;
    } catch (const std::bad_alloc&) {
        return Fail(error, "not enough memory to copy the image");
    }
}

}  // namespace stillpix
