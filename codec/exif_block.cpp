// The EXIF and IPTC handles over the codec's own TIFF block: the formatter's getters read the
// entries' raw bytes, the puts of a save change single entries and leave every other byte alone.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "codec/exif_layout.h"
#include "codec/metadata_internal.h"

namespace stillpix {
namespace {

using codec::IfdEntry;
using codec::IfdIndex;
using codec::TiffBlock;

// The convention of GetMakerNoteOffset: where the note would sit counted from a JPEG's start
// marker, i.e. its offset from the TIFF header plus the 12 bytes in front of it.
constexpr int64_t kJpegExifLead = 12;
// "Exif\0\0" in front of the TIFF block of a JPEG segment.
constexpr uint32_t kExifSegmentHeader = 6;

const IfdEntry* Find(const ExifBlock::Impl& impl, IfdIndex ifd, uint16_t tag) {
    const IfdEntry* e = impl.block.Find(ifd, tag);
    return e != nullptr && !e->value.empty() ? e : nullptr;
}

bool Text(const ExifBlock::Impl& impl, IfdIndex ifd, uint16_t tag, std::string& out) {
    const IfdEntry* e = Find(impl, ifd, tag);
    if (e == nullptr ||
        (e->type != codec::kAscii && e->type != codec::kUndefined && e->type != codec::kByte))
        return false;
    const auto end = std::find(e->value.begin(), e->value.end(), uint8_t{0});
    out.assign(e->value.begin(), end);
    return true;
}

// The first component as a number; a rational with a zero denominator is none.
bool Number(const ExifBlock::Impl& impl, IfdIndex ifd, uint16_t tag, double& out) {
    const IfdEntry* e = Find(impl, ifd, tag);
    if (e == nullptr) return false;
    const TiffBlock& b = impl.block;
    const uint8_t* p = e->value.data();
    double result = 0.0;
    switch (e->type) {
        case 1: result = p[0]; break;
        case 3: result = b.U16(p); break;
        case 4: result = b.U32(p); break;
        case 8: result = static_cast<int16_t>(b.U16(p)); break;
        case 9: result = static_cast<int32_t>(b.U32(p)); break;
        case 5:
        case 10: {
            const uint32_t n = b.U32(p), d = b.U32(p + 4);
            if (d == 0) return false;
            result = e->type == 5 ? double(n) / double(d)
                                  : double(static_cast<int32_t>(n)) / static_cast<int32_t>(d);
            break;
        }
        case 11: {
            const uint32_t bits = b.U32(p);
            float f;
            std::memcpy(&f, &bits, 4);
            result = f;
            break;
        }
        default: return false;
    }
    if (!std::isfinite(result)) return false;
    out = result;
    return true;
}

bool Integer(const ExifBlock::Impl& impl, IfdIndex ifd, uint16_t tag, int32_t& out) {
    const IfdEntry* e = Find(impl, ifd, tag);
    if (e == nullptr || e->type == 5 || e->type == 10 || e->type == 11 || e->type == 12)
        return false;
    double value = 0.0;
    if (!Number(impl, ifd, tag, value)) return false;
    out = static_cast<int32_t>(std::clamp<double>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
    return true;
}

}  // namespace

ExifBlock::ExifBlock() : impl_(std::make_unique<Impl>()) {}
ExifBlock::~ExifBlock() = default;
ExifBlock::ExifBlock(const ExifBlock& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
ExifBlock& ExifBlock::operator=(const ExifBlock& other) {
    if (this != &other) *impl_ = *other.impl_;
    return *this;
}
bool ExifBlock::Empty() const {
    return impl_->block.Empty() && impl_->xmp.empty() && impl_->comment.empty();
}

using codec::kIfd0;
using codec::kIfdExif;

bool ExifBlock::GetMake(std::string& out) const { return Text(*impl_, kIfd0, 0x010F, out); }
bool ExifBlock::GetModel(std::string& out) const { return Text(*impl_, kIfd0, 0x0110, out); }
bool ExifBlock::GetSoftware(std::string& out) const { return Text(*impl_, kIfd0, 0x0131, out); }
bool ExifBlock::GetISOSpeed(int32_t& out) const { return Integer(*impl_, kIfdExif, 0x8827, out); }
bool ExifBlock::GetExposureTime(double& seconds) const {
    return Number(*impl_, kIfdExif, 0x829A, seconds);
}
bool ExifBlock::GetShutterSpeed(double& apex) const {
    return Number(*impl_, kIfdExif, 0x9201, apex);
}
bool ExifBlock::GetApertureValue(double& apex) const {
    return Number(*impl_, kIfdExif, 0x9202, apex);
}
bool ExifBlock::GetFNumber(double& out) const { return Number(*impl_, kIfdExif, 0x829D, out); }
bool ExifBlock::GetExposureBiasValue(double& thousandthsEv) const {
    double ev = 0.0;
    if (!Number(*impl_, kIfdExif, 0x9204, ev)) return false;
    thousandthsEv = ev * 1000.0;
    return true;
}
bool ExifBlock::GetXResolution(double& out) const { return Number(*impl_, kIfd0, 0x011A, out); }
bool ExifBlock::GetYResolution(double& out) const { return Number(*impl_, kIfd0, 0x011B, out); }
bool ExifBlock::GetResolutionUnits(int32_t& out) const {
    return Integer(*impl_, kIfd0, 0x0128, out);
}
bool ExifBlock::GetDigitalZoomRatio(double& out) const {
    return Number(*impl_, kIfdExif, 0xA404, out);
}
bool ExifBlock::GetDateTime(std::string& out) const { return Text(*impl_, kIfd0, 0x0132, out); }
bool ExifBlock::GetDateTimeOriginal(std::string& out) const {
    return Text(*impl_, kIfdExif, 0x9003, out);
}
bool ExifBlock::GetDateTimeDigitized(std::string& out) const {
    return Text(*impl_, kIfdExif, 0x9004, out);
}
bool ExifBlock::GetBigEndian(bool& motorolaOrder) const {
    motorolaOrder = impl_->block.bigEndian;
    return true;
}
bool ExifBlock::GetMakerNote(std::vector<uint8_t>& out) const {
    const IfdEntry* e = Find(*impl_, kIfdExif, codec::kTagMakerNote);
    if (e == nullptr) return false;
    out = e->value;
    return true;
}
bool ExifBlock::GetMakerNoteOffset(int32_t& out) const {
    const IfdEntry* e = Find(*impl_, kIfdExif, codec::kTagMakerNote);
    if (e == nullptr) return false;
    int64_t at = impl_->block.makerNoteOrigin;
    if (at < 0) {
        // A replaced note: where a save would put it.
        codec::LayoutResult layout;
        std::string ignored;
        codec::LayoutOptions options;
        options.keepBase = !impl_->fromTiffFile;
        if (!codec::LayOut(impl_->block, options, layout, ignored)) return false;
        at = layout.makerNoteAt;
    }
    if (at < 0 || at > INT32_MAX - kJpegExifLead) return false;
    out = static_cast<int32_t>(at + kJpegExifLead);
    return true;
}

IptcBlock::IptcBlock() : impl_(std::make_unique<Impl>()) {}
IptcBlock::~IptcBlock() = default;
IptcBlock::IptcBlock(const IptcBlock& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
IptcBlock& IptcBlock::operator=(const IptcBlock& other) {
    if (this != &other) *impl_ = *other.impl_;
    return *this;
}
bool IptcBlock::Empty() const { return impl_->iim.empty() && impl_->photoshop.empty(); }

ExifHandle cNewEXIF() { return std::make_unique<ExifBlock>(); }
IptcHandle cNewIPTC() { return std::make_unique<IptcBlock>(); }
void cDestroyEXIF(ExifHandle& exif) { exif.reset(); }
void cDestroyIPTC(IptcHandle& iptc) { iptc.reset(); }

namespace {

// A dimension keeps the SHORT type a camera gave it while it fits.
bool PutDimension(ExifBlock& exif, uint16_t tag, uint32_t value) {
    TiffBlock& b = exif.Internals().block;
    const IfdEntry* old = b.Find(kIfdExif, tag);
    if (value <= 0xFFFF && (old == nullptr || old->type == codec::kShort))
        return b.Set(kIfdExif, tag, codec::kShort, 1, b.Bytes16(static_cast<uint16_t>(value)));
    return b.Set(kIfdExif, tag, codec::kLong, 1, b.Bytes32(value));
}

}  // namespace

bool cEXIF_PutPixelXDimension(ExifBlock& exif, uint32_t width) {
    return PutDimension(exif, 0xA002, width);
}
bool cEXIF_PutPixelYDimension(ExifBlock& exif, uint32_t height) {
    return PutDimension(exif, 0xA003, height);
}
bool cEXIF_PutISOSpeed(ExifBlock& exif, int32_t iso) {
    if (iso < 0) return false;
    int32_t present = 0;
    // The camera's entry stays as it is when it already says so.
    if (exif.GetISOSpeed(present) && present == std::min(iso, 65535)) return true;
    TiffBlock& b = exif.Internals().block;
    return b.Set(kIfdExif, 0x8827, codec::kShort, 1,
                 b.Bytes16(static_cast<uint16_t>(std::min(iso, 65535))));
}
bool cEXIF_PutSoftware(ExifBlock& exif, const std::string& software) {
    std::vector<uint8_t> text(software.begin(), software.end());
    text.push_back(0);
    const auto count = static_cast<uint32_t>(text.size());
    return exif.Internals().block.Set(kIfd0, 0x0131, codec::kAscii, count, std::move(text));
}

bool cEXIF_PutMakerNote(ExifBlock& exif, std::span<const uint8_t> bytes) {
    TiffBlock& b = exif.Internals().block;
    if (!b.Set(kIfdExif, codec::kTagMakerNote, codec::kUndefined,
               static_cast<uint32_t>(bytes.size()),
               std::vector<uint8_t>(bytes.begin(), bytes.end())))
        return false;
    b.makerNoteOrigin = -1;
    return true;
}

uint32_t cEXIF_GetJPEGBlockSize(const ExifBlock& exif) {
    const std::vector<uint8_t> tiff = codec::JpegExifBytes(exif);
    return tiff.empty() ? 0 : static_cast<uint32_t>(tiff.size()) + kExifSegmentHeader;
}

}  // namespace stillpix
