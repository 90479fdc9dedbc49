// The EXIF and IPTC handles over exiv2's containers: the formatter's getters and the puts of a
// save. Every exiv2 call is guarded, since exiv2 reports trouble by throwing.
#include <algorithm>
#include <cmath>
#include <limits>

#include "codec/metadata_internal.h"
#include "exif/byte_reader.h"

namespace stillpix {
namespace {

constexpr uint16_t kExifPointerTag = 0x8769;
constexpr uint16_t kMakerNoteTag = 0x927C;
// The convention of GetMakerNoteOffset: where the note would sit counted from a JPEG's start
// marker, i.e. its offset from the TIFF header plus the 12 bytes in front of it.
constexpr int64_t kJpegExifLead = 12;
// "Exif\0\0" in front of the TIFF block of a JPEG segment.
constexpr uint32_t kExifSegmentHeader = 6;

const Exiv2::Exifdatum* Find(const Exiv2::ExifData& data, const char* key) {
    try {
        const auto found = data.findKey(Exiv2::ExifKey(key));
        if (found == data.end() || found->count() == 0) return nullptr;
        return &*found;
    } catch (...) {
        return nullptr;
    }
}

bool Text(const ExifBlock::Impl& block, const char* key, std::string& out) {
    const Exiv2::Exifdatum* datum = Find(block.data, key);
    if (datum == nullptr) return false;
    const Exiv2::TypeId type = datum->typeId();
    if (type != Exiv2::asciiString && type != Exiv2::undefined && type != Exiv2::unsignedByte)
        return false;
    try {
        std::vector<Exiv2::byte> bytes(datum->size());
        datum->copy(bytes.data(), block.order);
        out.assign(bytes.begin(), bytes.end());
        return true;
    } catch (...) {
        return false;
    }
}

// A rational with a zero denominator is no number; unsigned ones keep all 32 bits.
bool Number(const ExifBlock::Impl& block, const char* key, double& out) {
    const Exiv2::Exifdatum* datum = Find(block.data, key);
    if (datum == nullptr) return false;
    try {
        const Exiv2::Value& value = datum->value();
        double result = 0.0;
        if (const auto* u = dynamic_cast<const Exiv2::URationalValue*>(&value); u != nullptr) {
            if (u->value_.empty() || u->value_[0].second == 0) return false;
            result = double(u->value_[0].first) / double(u->value_[0].second);
        } else if (const auto* s = dynamic_cast<const Exiv2::RationalValue*>(&value);
                   s != nullptr) {
            if (s->value_.empty() || s->value_[0].second == 0) return false;
            result = double(s->value_[0].first) / double(s->value_[0].second);
        } else {
            switch (datum->typeId()) {
                case Exiv2::unsignedShort:
                case Exiv2::unsignedLong:
                case Exiv2::signedShort:
                case Exiv2::signedLong:
                case Exiv2::tiffFloat:
                case Exiv2::tiffDouble: result = value.toFloat(0); break;
                default: return false;
            }
        }
        if (!std::isfinite(result)) return false;
        out = result;
        return true;
    } catch (...) {
        return false;
    }
}

bool Integer(const ExifBlock::Impl& block, const char* key, int32_t& out) {
    const Exiv2::Exifdatum* datum = Find(block.data, key);
    if (datum == nullptr) return false;
    switch (datum->typeId()) {
        case Exiv2::unsignedShort:
        case Exiv2::unsignedLong:
        case Exiv2::signedShort:
        case Exiv2::signedLong:
        case Exiv2::unsignedByte: break;
        default: return false;
    }
    try {
        const long value = datum->toLong(0);
        out = static_cast<int32_t>(std::clamp<long>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
        return true;
    } catch (...) {
        return false;
    }
}

// Finds the maker note in a TIFF block: its bytes and their offset from the block's start.
bool LocateMakerNote(std::span<const uint8_t> tiff, std::vector<uint8_t>& note, int64_t& offset) {
    if (tiff.size() < 8) return false;
    ByteReader reader(tiff, tiff[0] == 'M');
    const auto findTag = [&](int64_t ifd, uint16_t tag, int64_t& entry) {
        const int64_t count = reader.U16(ifd);
        if (ifd <= 0 || !reader.Fits(ifd + 2, 12 * count)) return false;
        for (int64_t i = 0; i < count; ++i)
            if (reader.U16(ifd + 2 + 12 * i) == tag) {
                entry = ifd + 2 + 12 * i;
                return true;
            }
        return false;
    };
    int64_t entry = 0;
    if (!findTag(reader.U32(4), kExifPointerTag, entry)) return false;
    if (!findTag(reader.U32(entry + 8), kMakerNoteTag, entry)) return false;
    const int64_t count = reader.U32(entry + 4);
    const int64_t at = count <= 4 ? entry + 8 : int64_t{reader.U32(entry + 8)};
    const auto bytes = reader.Bytes(at, count);
    if (count == 0 || bytes.empty()) return false;
    note.assign(bytes.begin(), bytes.end());
    offset = at;
    return true;
}

// Works out the maker note and the block size, once a change: the note as read from the file
// when exiv2 kept its place, otherwise as exiv2 would now lay the block out.
void KnowNote(const ExifBlock::Impl& block) {
    if (block.noteKnown) return;
    block.noteKnown = true;
    block.hasNote = false;
    block.note.clear();
    block.tiffBytes = 0;
    if (block.data.empty()) return;
    try {
        Exiv2::MemIo io;
        Exiv2::IptcData noIptc;
        Exiv2::XmpData noXmp;
        Exiv2::TiffParser::encode(io, nullptr, 0, block.order, block.data, noIptc, noXmp);
        block.tiffBytes = static_cast<uint32_t>(io.size());
        const Exiv2::Exifdatum* raw = Find(block.data, "Exif.Photo.MakerNote");
        const Exiv2::Exifdatum* place = Find(block.data, "Exif.MakerNote.Offset");
        if (raw != nullptr && place != nullptr && raw->typeId() == Exiv2::undefined) {
            block.note.resize(raw->size());
            raw->copy(block.note.data(), block.order);
            block.noteOffset = place->toLong(0);
            block.hasNote = !block.note.empty();
            return;
        }
        if (io.size() > 0) {
            const std::span<const uint8_t> tiff(io.mmap(), io.size());
            block.hasNote = LocateMakerNote(tiff, block.note, block.noteOffset);
        }
    } catch (...) {
        block.hasNote = false;
        block.note.clear();
    }
}

}  // namespace

ExifBlock::ExifBlock() : impl_(std::make_unique<Impl>()) {}
ExifBlock::~ExifBlock() = default;
ExifBlock::ExifBlock(const ExifBlock& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
ExifBlock& ExifBlock::operator=(const ExifBlock& other) {
    if (this != &other) *impl_ = *other.impl_;
    return *this;
}
bool ExifBlock::Empty() const { return impl_->data.empty(); }

bool ExifBlock::GetMake(std::string& out) const { return Text(*impl_, "Exif.Image.Make", out); }
bool ExifBlock::GetModel(std::string& out) const { return Text(*impl_, "Exif.Image.Model", out); }
bool ExifBlock::GetSoftware(std::string& out) const {
    return Text(*impl_, "Exif.Image.Software", out);
}
bool ExifBlock::GetISOSpeed(int32_t& out) const {
    return Integer(*impl_, "Exif.Photo.ISOSpeedRatings", out);
}
bool ExifBlock::GetExposureTime(double& seconds) const {
    return Number(*impl_, "Exif.Photo.ExposureTime", seconds);
}
bool ExifBlock::GetShutterSpeed(double& apex) const {
    return Number(*impl_, "Exif.Photo.ShutterSpeedValue", apex);
}
bool ExifBlock::GetApertureValue(double& apex) const {
    return Number(*impl_, "Exif.Photo.ApertureValue", apex);
}
bool ExifBlock::GetFNumber(double& out) const { return Number(*impl_, "Exif.Photo.FNumber", out); }
bool ExifBlock::GetExposureBiasValue(double& thousandthsEv) const {
    double ev = 0.0;
    if (!Number(*impl_, "Exif.Photo.ExposureBiasValue", ev)) return false;
    thousandthsEv = ev * 1000.0;
    return true;
}
bool ExifBlock::GetXResolution(double& out) const {
    return Number(*impl_, "Exif.Image.XResolution", out);
}
bool ExifBlock::GetYResolution(double& out) const {
    return Number(*impl_, "Exif.Image.YResolution", out);
}
bool ExifBlock::GetResolutionUnits(int32_t& out) const {
    return Integer(*impl_, "Exif.Image.ResolutionUnit", out);
}
bool ExifBlock::GetDigitalZoomRatio(double& out) const {
    return Number(*impl_, "Exif.Photo.DigitalZoomRatio", out);
}
bool ExifBlock::GetDateTime(std::string& out) const {
    return Text(*impl_, "Exif.Image.DateTime", out);
}
bool ExifBlock::GetDateTimeOriginal(std::string& out) const {
    return Text(*impl_, "Exif.Photo.DateTimeOriginal", out);
}
bool ExifBlock::GetDateTimeDigitized(std::string& out) const {
    return Text(*impl_, "Exif.Photo.DateTimeDigitized", out);
}
bool ExifBlock::GetBigEndian(bool& motorolaOrder) const {
    motorolaOrder = impl_->order == Exiv2::bigEndian;
    return true;
}
bool ExifBlock::GetMakerNote(std::vector<uint8_t>& out) const {
    KnowNote(*impl_);
    if (!impl_->hasNote) return false;
    out = impl_->note;
    return true;
}
bool ExifBlock::GetMakerNoteOffset(int32_t& out) const {
    KnowNote(*impl_);
    if (!impl_->hasNote || impl_->noteOffset < 0 || impl_->noteOffset > INT32_MAX - kJpegExifLead)
        return false;
    out = static_cast<int32_t>(impl_->noteOffset + kJpegExifLead);
    return true;
}

IptcBlock::IptcBlock() : impl_(std::make_unique<Impl>()) {}
IptcBlock::~IptcBlock() = default;
IptcBlock::IptcBlock(const IptcBlock& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
IptcBlock& IptcBlock::operator=(const IptcBlock& other) {
    if (this != &other) *impl_ = *other.impl_;
    return *this;
}
bool IptcBlock::Empty() const { return impl_->data.empty(); }

ExifHandle cNewEXIF() { return std::make_unique<ExifBlock>(); }
IptcHandle cNewIPTC() { return std::make_unique<IptcBlock>(); }
void cDestroyEXIF(ExifHandle& exif) { exif.reset(); }
void cDestroyIPTC(IptcHandle& iptc) { iptc.reset(); }

namespace {

template <class Value>
bool Put(ExifBlock& exif, const char* key, const Value& value) {
    try {
        exif.Internals().data[key] = value;
        exif.Internals().Changed();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool cEXIF_PutPixelXDimension(ExifBlock& exif, uint32_t width) {
    return Put(exif, "Exif.Photo.PixelXDimension", width);
}
bool cEXIF_PutPixelYDimension(ExifBlock& exif, uint32_t height) {
    return Put(exif, "Exif.Photo.PixelYDimension", height);
}
bool cEXIF_PutISOSpeed(ExifBlock& exif, int32_t iso) {
    if (iso < 0) return false;
    return Put(exif, "Exif.Photo.ISOSpeedRatings", static_cast<uint16_t>(std::min(iso, 65535)));
}
bool cEXIF_PutSoftware(ExifBlock& exif, const std::string& software) {
    return Put(exif, "Exif.Image.Software", software);
}

bool cEXIF_PutMakerNote(ExifBlock& exif, std::span<const uint8_t> bytes) {
    ExifBlock::Impl& block = exif.Internals();
    try {
        // The decoded tags of the old note would be written back in place of the new bytes.
        for (auto it = block.data.begin(); it != block.data.end();) {
            const std::string group = it->groupName();
            if (Exiv2::ExifTags::isMakerGroup(group) || group == "MakerNote" ||
                it->key() == "Exif.Photo.MakerNote")
                it = block.data.erase(it);
            else ++it;
        }
        Exiv2::DataValue value(Exiv2::undefined);
        value.read(bytes.data(), static_cast<long>(bytes.size()), block.order);
        block.data.add(Exiv2::ExifKey("Exif.Photo.MakerNote"), &value);
        block.Changed();
        return true;
    } catch (...) {
        block.Changed();
        return false;
    }
}

uint32_t cEXIF_GetJPEGBlockSize(const ExifBlock& exif) {
    KnowNote(exif.Internals());
    const uint32_t tiff = exif.Internals().tiffBytes;
    return tiff == 0 ? 0 : tiff + kExifSegmentHeader;
}

}  // namespace stillpix
