// Decoding into a CBitmapEx: from a file (with the embedded-profile rules) or from a clipboard
// bitmap; every codec handle lives for one call.
#include "document/bitmap_ex.h"

#include <bit>
#include <cstring>
#include <new>

#include "codec/codec.h"
#include "document/codec_session.h"
#include "document/document_texts.h"
#include "document/memory_needs.h"

namespace stillpix {

static_assert(std::endian::native == std::endian::little,
              "16-bit samples are kept as the codec gives them");

namespace {

using document_internal::Fail;
using document_internal::Session;

bool AcceptedDepth(const ImageInfo& info) {
    return info.bitsPerPixel >= 24 ||
           ((info.bitsPerPixel == 16 || info.bitsPerPixel == 8) && info.grey);
}

}  // namespace

CBitmapEx::CBitmapEx() : formatter_(std::make_unique<CExifFormatter>()) {}
CBitmapEx::~CBitmapEx() = default;

void CBitmapEx::Clear() {
    display_ = DisplayBitmap();
    bitsPerPixel_ = 0;
    bitsPerPixelText_.clear();
    grey_ = false;
    samples16_.clear();
    unprocessed_.reset();
    icc_.clear();
    iccName_.clear();
    iccConverted_ = false;
    exif_.reset();
    iptc_.reset();
    formatter_ = std::make_unique<CExifFormatter>();
}

void CBitmapEx::CopyPixelsFrom(const CBitmapEx& other, bool withDisplay) {
    if (withDisplay) {
        display_ = other.display_;
    } else {
        display_.info = other.display_.info;
        display_.width = other.display_.width;
        display_.height = other.display_.height;
        display_.stride = other.display_.stride;
        display_.bitCount = other.display_.bitCount;
    }
    bitsPerPixel_ = other.bitsPerPixel_;
    bitsPerPixelText_ = other.bitsPerPixelText_;
    grey_ = other.grey_;
    samples16_ = other.samples16_;
}

void CBitmapEx::RestoreDisplayFromUnprocessed() {
    if (!unprocessed_) return;
    const CBitmapEx& copy = *unprocessed_;
    if (copy.display_.bits.size() == display_.bits.size()) {
        std::memcpy(display_.bits.data(), copy.display_.bits.data(), display_.bits.size());
    } else if (copy.display_.bits.empty() && Has16() &&
               copy.samples16_.size() == samples16_.size()) {
        const std::size_t row = samples16_.size() / static_cast<std::size_t>(display_.height);
        for (int y = 0; y < display_.height; ++y) {
            const uint16_t* in = copy.samples16_.data() + row * y;
            uint8_t* out = display_.Row(y);
            for (std::size_t i = 0; i < row; ++i) out[i] = static_cast<uint8_t>(in[i] >> 8);
        }
    }
}

// The display bitmap and the samples, moved out of a loaded handle (which keeps its blocks); the
// blocks and the formatter are set by the caller.
static bool TakePixels(CodecSession& h, const ImageInfo& info, DisplayBitmap& display,
                       std::vector<uint16_t>& samples, std::string* error) {
    const BitmapInfo* bitmapInfo = nullptr;
    std::vector<uint16_t> taken;
    if (!cGetBITMAPINFOPtr(h, bitmapInfo)) return Fail(error, cGetLastError(h));
    display.info = *bitmapInfo;
    if (!cTakeImage(h, display.bits, taken)) return Fail(error, cGetLastError(h));
    display.width = info.width;
    display.height = info.height;
    display.bitCount = display.info.header.bitCount;
    display.stride = static_cast<int>(BitmapStride(info.width, display.bitCount));
    display.valid = true;
    if (info.bitsPerPixel == 48 || (info.bitsPerPixel == 16 && info.grey))
        samples = std::move(taken);
    return true;
}

bool CBitmapEx::Load(const std::filesystem::path& path, const LoadOptions& options,
                     LoadReport* report, std::string* error) {
    Clear();
    try {
        // The header tells the image's size before anything is decoded; a file whose header
        // cannot be read fails in the load below with the codec's reason.
        ImageFileInfo header;
        std::string tooLarge;
        if (cGetImageFileInfoEx(path, header, nullptr, nullptr) &&
            !ImageFitsInMemory(header, options.keep16, options.keepUnprocessedCopy, tooLarge)) {
            if (report) report->tooLarge = true;
            return Fail(error, tooLarge);
        }
        Session s;
        if (!s.h) return Fail(error, s.Error());
        CodecSession& h = *s.h;
        if (!cSetJPEGParams(h, 100) ||
            !cSet16BitComponentOptions(h, options.keep16, options.keep16) || !cLoadImage(h, path))
            return Fail(error, s.Error());

        if (cGetImageICCProfile(h, icc_)) {
            if (!cGetICCProfileName(icc_, iccName_)) iccName_.clear();
            if (iccName_.find("sRGB") == std::string::npos) {
                bool apply = options.iccMode == IccMode::kApplyOnOpen;
                if (options.iccMode == IccMode::kAsk && options.askIcc) {
                    const IccAnswer answer = options.askIcc(iccName_);
                    apply = answer.apply;
                    if (report) {
                        report->iccAsked = true;
                        report->rememberIccMode = answer.remember;
                        report->newIccMode =
                            answer.apply ? IccMode::kApplyOnOpen : IccMode::kDoNotApply;
                    }
                }
                // A profile that does not fit the pixels leaves them as they are.
                if (apply) iccConverted_ = cApplyICCProfile(h, SrgbProfile());
            }
        }

        ImageInfo info;
        exif_ = cNewEXIF();
        iptc_ = cNewIPTC();
        if (!cGetImageInfo(h, info) || !cGetImageEXIF_Info(h, *exif_) ||
            !cGetImageIPTC_Info(h, *iptc_)) {
            const std::string reason = s.Error();
            Clear();
            return Fail(error, reason);
        }
        cEXIF_PutPixelXDimension(*exif_, static_cast<uint32_t>(info.width));
        cEXIF_PutPixelYDimension(*exif_, static_cast<uint32_t>(info.height));
        bitsPerPixel_ = info.bitsPerPixel;
        bitsPerPixelText_ = std::to_string(info.bitsPerPixel) + " bpp";
        grey_ = info.grey;
        formatter_->SetColorProfile(iccName_);
        formatter_->SetColorDepth(info.bitsPerPixel);
        formatter_->Set(*exif_, info.width, info.height);

        if (!AcceptedDepth(info)) {
            Clear();
            return Fail(error, "a colour image of " + std::to_string(info.bitsPerPixel) +
                                   " bits per pixel");
        }
        if (!TakePixels(h, info, display_, samples16_, error)) {
            Clear();
            return false;
        }
        if (options.keepUnprocessedCopy) {
            unprocessed_ = std::make_unique<CBitmapEx>();
            unprocessed_->CopyPixelsFrom(*this, options.copyDisplayOf16Bit || !Has16());
        }
        return true;
    } catch (const std::bad_alloc&) {
        Clear();
        return Fail(error, "not enough memory for the image");
    }
}

bool CBitmapEx::LoadFromBitmap(const BitmapInfoHeader& header, const std::vector<uint8_t>& bits,
                               std::string* error) {
    Clear();
    try {
        Session s;
        if (!s.h) return Fail(error, s.Error());
        CodecSession& h = *s.h;
        ImageInfo info;
        exif_ = cNewEXIF();
        iptc_ = cNewIPTC();
        if (!cSetJPEGParams(h, 100) || !cSet16BitComponentOptions(h, false, false) ||
            !cLoadDIBitmap(h, header, bits) || !cGetImageInfo(h, info) ||
            !cGetImageEXIF_Info(h, *exif_) || !cGetImageIPTC_Info(h, *iptc_) ||
            !TakePixels(h, info, display_, samples16_, error)) {
            const std::string reason = s.Error();
            Clear();
            return Fail(error, reason);
        }
        bitsPerPixel_ = info.bitsPerPixel;
        bitsPerPixelText_ = std::to_string(info.bitsPerPixel) + " bpp";
        grey_ = info.grey;
        // A pasted image has no file, so neither a colour profile nor a colour depth row.
        formatter_->Set(*exif_, info.width, info.height);
        unprocessed_ = std::make_unique<CBitmapEx>();
        unprocessed_->CopyPixelsFrom(*this, true);
        return true;
    } catch (const std::bad_alloc&) {
        Clear();
        return Fail(error, "not enough memory for the image");
    }
}

}  // namespace stillpix
