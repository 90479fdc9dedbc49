// CBitmapEx: one decoded image as the program holds it: the bottom-up display bitmap, the file's
// bit depth, the 16-bit samples of 48- and 16-bit files, an untouched copy, the embedded ICC
// profile, the EXIF and IPTC blocks and their formatter. No codec handle outlives a call.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "codec/bitmap_info.h"
#include "codec/codec.h"
#include "codec/metadata.h"
#include "document/user_message.h"
#include "exif/exif_formatter.h"

namespace stillpix {

// The option "Embedded ICC profiles".
enum class IccMode : int32_t { kAsk = 0, kApplyOnOpen = 1, kDoNotApply = 2 };

// Asked in IccMode::kAsk with the profile's name (the window's "Open" prompt).
using IccPrompt = std::function<IccAnswer(const std::string& profileName)>;

struct LoadOptions {
    bool keepUnprocessedCopy = true;
    // The copy of a 16-bit image keeps its display bitmap too. Only a view of the original needs
    // it: filtering reads the samples, and a measurement before any filtering the image's own
    // bitmap (a command line run leaves it out).
    bool copyDisplayOf16Bit = true;
    bool keep16 = true;  // keep the 16-bit samples of 16-bit files
    IccMode iccMode = IccMode::kAsk;
    // Without a prompt, kAsk leaves the pixels as they are.
    IccPrompt askIcc;
};

// What the load learned beyond the image: the prompt's answer when its check box was set, so
// the owner can store the new ICC mode.
struct LoadReport {
    bool tooLarge = false;  // refused before decoding: the image would not fit in memory
    bool iccAsked = false;
    bool rememberIccMode = false;
    IccMode newIccMode = IccMode::kAsk;
};

// The display bitmap: rows bottom-up, each padded to 4 bytes; 24 bits B, G, R, or 8 bits grey
// (palette: the grey ramp).
struct DisplayBitmap {
    BitmapInfo info;  // header and 256-entry palette
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitCount = 0;  // 8 or 24 (32 for a bitmap handed over as such)
    std::vector<uint8_t> bits;
    bool valid = false;

    uint8_t* Row(int fromTop) { return bits.data() + std::size_t(height - 1 - fromTop) * stride; }
    const uint8_t* Row(int fromTop) const {
        return bits.data() + std::size_t(height - 1 - fromTop) * stride;
    }
};

class CBitmapEx {
public:
    CBitmapEx();
    ~CBitmapEx();
    CBitmapEx(const CBitmapEx&) = delete;
    CBitmapEx& operator=(const CBitmapEx&) = delete;

    // Decodes `path`. Accepts 24 or more bits per pixel, or 8 and 16 with the grey flag. An image
    // whose whole processing (load, copies, filtering, save) would not fit in the memory left is
    // refused before decoding. False (with the reason in `error`) leaves this object empty.
    bool Load(const std::filesystem::path& path, const LoadOptions& options,
              LoadReport* report = nullptr, std::string* error = nullptr);
    // Takes a bitmap from the clipboard (24 or 32 bits, bottom-up unless height is negative),
    // with fresh EXIF and IPTC blocks, no ICC handling, and always an unprocessed copy.
    bool LoadFromBitmap(const BitmapInfoHeader& header, const std::vector<uint8_t>& bits,
                        std::string* error = nullptr);

    // Encodes to `path`, the format by the name (".tif"/".tiff" TIFF, ".png" PNG, anything else
    // JPEG of `jpegQuality`), `sixteenBit` writing 16-bit samples as 16 bits, a TIFF compressed by
    // `tiffCompression`, with the embedded
    // profile restored and the EXIF (software rewritten) and IPTC blocks. The file is written under
    // a temporary name and replaces `path` only when complete: a failure leaves it untouched.
    // `warning` names what a successful save had to leave out (metadata beyond a JPEG segment).
    bool Save(const std::filesystem::path& path, int jpegQuality, bool sixteenBit,
              TiffCompression tiffCompression, std::string* error = nullptr,
              std::string* warning = nullptr) const;
    // Save as the image's last use (a run that ends after it): the encoder may give the pixels'
    // pages back to the system as it writes them, so the image is left without pixels (its
    // size stays), saved or not.
    bool SaveAsLastUse(const std::filesystem::path& path, int jpegQuality, bool sixteenBit,
                       TiffCompression tiffCompression, std::string* error = nullptr,
                       std::string* warning = nullptr);
    // The packed bitmap (header, palette for 8 bits, bits) that goes on the clipboard.
    bool CopyToDib(std::vector<uint8_t>& out, std::string* error = nullptr) const;

    bool Valid() const { return display_.valid; }
    int Width() const { return display_.width; }
    int Height() const { return display_.height; }
    int BitsPerPixel() const { return bitsPerPixel_; }  // of the decoded file
    const std::string& BitsPerPixelText() const { return bitsPerPixelText_; }  // "%d bpp"
    bool Grey() const { return grey_; }
    bool Has16() const { return !samples16_.empty(); }

    DisplayBitmap& Display() { return display_; }
    const DisplayBitmap& Display() const { return display_; }
    std::vector<uint16_t>& Samples16() { return samples16_; }
    const std::vector<uint16_t>& Samples16() const { return samples16_; }

    // The untouched copy (display bitmap and 16-bit samples); null unless asked for on load.
    CBitmapEx* Unprocessed() { return unprocessed_.get(); }
    const CBitmapEx* Unprocessed() const { return unprocessed_.get(); }

    // The embedded profile (empty when none), its name, and whether the pixels were converted to
    // sRGB.
    const std::vector<uint8_t>& IccProfile() const { return icc_; }
    const std::string& IccProfileName() const { return iccName_; }
    bool IccConverted() const { return iccConverted_; }

    const ExifBlock* Exif() const { return exif_.get(); }
    const IptcBlock* Iptc() const { return iptc_.get(); }
    const CExifFormatter& Formatter() const { return *formatter_; }

    // The unprocessed copy's display pixels over this image's (the 16-bit samples stay); a copy
    // without its display bitmap gives the high bytes of its samples.
    void RestoreDisplayFromUnprocessed();
    // Drops the unprocessed copy: nothing can show the original or filter again after it.
    void ReleaseUnprocessed() { unprocessed_.reset(); }

private:
    void Clear();
    void CopyPixelsFrom(const CBitmapEx& other, bool withDisplay);
    bool Encode(const std::filesystem::path& path, int jpegQuality, bool sixteenBit,
                TiffCompression tiffCompression, bool lastUse, std::string* error,
                std::string* warning) const;

    DisplayBitmap display_;
    int bitsPerPixel_ = 0;
    std::string bitsPerPixelText_;
    bool grey_ = false;
    std::vector<uint16_t> samples16_;
    std::unique_ptr<CBitmapEx> unprocessed_;
    std::vector<uint8_t> icc_;  // the profile's bytes (the terminating zero is not kept)
    std::string iccName_;
    bool iccConverted_ = false;
    ExifHandle exif_;
    IptcHandle iptc_;
    std::unique_ptr<CExifFormatter> formatter_;
};

}  // namespace stillpix
