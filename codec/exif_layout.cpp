// Laying a TiffBlock out: children before parents (their offsets go into the parents' pointer
// entries), IFD0 last, strips after everything.
#include "codec/exif_layout.h"

#include <algorithm>
#include <cstring>

namespace stillpix::codec {
namespace {

bool HasContent(const Ifd& ifd, uint16_t pointerTag) {
    return std::any_of(ifd.entries.begin(), ifd.entries.end(),
                       [&](const IfdEntry& e) { return e.tag != pointerTag; });
}

std::size_t DirectoryBytes(std::size_t entries) { return 2 + 12 * entries + 4; }

class Layout {
public:
    Layout(const TiffBlock& block, const LayoutOptions& options, LayoutResult& result)
        : b_(block), o_(options), r_(result), out_(result.bytes) {
        keepBase_ = o_.keepBase && b_.base.size() >= 8;
    }

    bool Run(std::string& error) {
        write_[kIfdExif] = HasContent(b_.ifds[kIfdExif], kTagInteropPointer) ||
                           HasContent(b_.ifds[kIfdInterop], 0);
        write_[kIfdInterop] = write_[kIfdExif] && HasContent(b_.ifds[kIfdInterop], 0);
        write_[kIfdGps] = HasContent(b_.ifds[kIfdGps], 0);
        write_[kIfd1] =
            o_.thumbnail && !b_.ifds[kIfd1].entries.empty() && (keepBase_ || !b_.thumbnail.empty());
        write_[kIfd0] = true;
        if (keepBase_) {
            out_ = b_.base;
            if (!o_.thumbnail) out_.resize(KeptEnd());
        } else {
            out_.assign(8, 0);
            PinMakerNote();
        }
        const uint64_t interop = Write(kIfdInterop, {}, 0);
        const uint64_t exif = Write(kIfdExif, {{kTagInteropPointer, interop}}, 0);
        const uint64_t gps = Write(kIfdGps, {}, 0);
        const uint64_t ifd1 = write_[kIfd1] ? Write(kIfd1, Thumbnail(), 0) : 0;
        const uint64_t ifd0 = Write(kIfd0, {{kTagExifPointer, exif}, {kTagGpsPointer, gps}}, ifd1);
        if (!o_.stripSizes.empty()) Strips();
        const std::vector<uint8_t> header = {uint8_t(b_.bigEndian ? 'M' : 'I'),
                                             uint8_t(b_.bigEndian ? 'M' : 'I')};
        std::memcpy(out_.data(), header.data(), 2);
        Put(2, b_.Bytes16(42));
        Put(4, b_.Bytes32(static_cast<uint32_t>(ifd0)));
        uint64_t total = r_.stripsAt;
        for (uint64_t s : o_.stripSizes) total += s;
        if (out_.size() > UINT32_MAX || total > UINT32_MAX) {
            error = "the metadata and pixels do not fit a TIFF file's 32-bit offsets";
            return false;
        }
        return true;
    }

private:
    struct Pointer {
        uint16_t tag;
        uint64_t at;  // 0: no such directory
    };

    uint64_t Alloc(uint64_t n) {
        if (pinEnd_ > 0 && gap_ + n <= static_cast<uint64_t>(pinStart_)) {
            const uint64_t at = gap_;
            gap_ = (gap_ + n + 1) & ~uint64_t{1};
            return at;
        }
        const uint64_t at = (out_.size() + 1) & ~uint64_t{1};
        out_.resize(at + n, 0);
        return at;
    }

    void Put(uint64_t at, const std::vector<uint8_t>& bytes) {
        std::memcpy(out_.data() + at, bytes.data(), bytes.size());
    }

    // True when the value still lies unchanged at its old place in the base bytes.
    bool Kept(int64_t at, const std::vector<uint8_t>& value) const {
        return keepBase_ && at >= 0 && static_cast<uint64_t>(at) + value.size() <= out_.size() &&
               static_cast<uint64_t>(at) + value.size() <= b_.base.size() &&
               std::equal(value.begin(), value.end(), b_.base.begin() + at);
    }

    // The end of what stays referenced in the base bytes once IFD1 and its thumbnail are gone.
    std::size_t KeptEnd() const {
        uint64_t end = 8;
        for (int k = kIfd0; k < kIfd1; ++k) {
            const Ifd& ifd = b_.ifds[k];
            if (!write_[k]) continue;
            if (ifd.at >= 0 && ifd.baseCount > 0)
                end = std::max<uint64_t>(end, ifd.at + DirectoryBytes(ifd.baseCount));
            for (const IfdEntry& e : ifd.entries)
                if (e.value.size() > 4 && Kept(e.at, e.value))
                    end = std::max<uint64_t>(end, e.at + e.value.size());
        }
        return std::min<std::size_t>(end, b_.base.size());
    }

    void PinMakerNote() {
        const IfdEntry* note = b_.Find(kIfdExif, kTagMakerNote);
        if (note == nullptr || !write_[kIfdExif] || note->value.size() <= 4) return;
        const int64_t at = b_.makerNoteOrigin;
        if (at < 8 || static_cast<uint64_t>(at) + note->value.size() > o_.pinLimit) return;
        out_.resize(at + note->value.size(), 0);
        Put(at, note->value);
        pinStart_ = at;
        pinEnd_ = at + static_cast<int64_t>(note->value.size());
        r_.makerNoteAt = at;
    }

    std::vector<Pointer> Thumbnail() {
        if (b_.thumbnail.empty()) return {};
        uint64_t at = 0;
        if (Kept(b_.thumbnailAt, b_.thumbnail)) {
            at = b_.thumbnailAt;
        } else {
            at = Alloc(b_.thumbnail.size());
            Put(at, b_.thumbnail);
        }
        thumbnailAt_ = at;
        return {};
    }

    uint64_t Write(IfdIndex k, const std::vector<Pointer>& pointers, uint64_t next) {
        if (!write_[k]) return 0;
        const Ifd& ifd = b_.ifds[k];
        std::vector<IfdEntry> entries = ifd.entries;
        TiffBlock scratch;
        scratch.bigEndian = b_.bigEndian;
        scratch.ifds[0].entries = std::move(entries);
        for (const Pointer& p : pointers) {
            if (p.at == 0) scratch.Remove(kIfd0, p.tag);
            else scratch.Set(kIfd0, p.tag, kLong, 1, b_.Bytes32(static_cast<uint32_t>(p.at)));
        }
        if (k == kIfd1 && thumbnailAt_ > 0) {
            scratch.Set(kIfd0, kTagThumbnailOffset, kLong, 1,
                        b_.Bytes32(static_cast<uint32_t>(thumbnailAt_)));
            scratch.Set(kIfd0, kTagThumbnailLength, kLong, 1,
                        b_.Bytes32(static_cast<uint32_t>(b_.thumbnail.size())));
        }
        entries = std::move(scratch.ifds[0].entries);

        std::vector<uint64_t> valueAt(entries.size(), 0);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const IfdEntry& e = entries[i];
            if (e.value.size() <= 4) continue;
            if (Kept(e.at, e.value)) {
                valueAt[i] = e.at;
            } else if (k == kIfdExif && e.tag == kTagMakerNote && r_.makerNoteAt >= 0) {
                valueAt[i] = r_.makerNoteAt;
            } else {
                valueAt[i] = Alloc(e.value.size());
                Put(valueAt[i], e.value);
            }
            if (k == kIfdExif && e.tag == kTagMakerNote) r_.makerNoteAt = valueAt[i];
        }
        const uint64_t size = DirectoryBytes(entries.size());
        const bool inPlace = keepBase_ && ifd.at >= 0 && ifd.baseCount == entries.size() &&
                             ifd.at + size <= out_.size();
        const uint64_t at = inPlace ? ifd.at : Alloc(size);
        Put(at, b_.Bytes16(static_cast<uint16_t>(entries.size())));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const IfdEntry& e = entries[i];
            const uint64_t field = at + 2 + 12 * i;
            Put(field, b_.Bytes16(e.tag));
            Put(field + 2, b_.Bytes16(e.type));
            Put(field + 4, b_.Bytes32(e.count));
            std::vector<uint8_t> value =
                e.value.size() <= 4 ? e.value : b_.Bytes32(static_cast<uint32_t>(valueAt[i]));
            value.resize(4, 0);
            Put(field + 8, value);
            if (k == kIfd0 && e.tag == 0x0111)
                stripField_ = e.value.size() <= 4 ? field + 8 : valueAt[i];
        }
        Put(at + size - 4, b_.Bytes32(static_cast<uint32_t>(next)));
        return at;
    }

    void Strips() {
        r_.stripsAt = (out_.size() + 1) & ~uint64_t{1};
        out_.resize(r_.stripsAt, 0);
        uint64_t at = r_.stripsAt;
        for (std::size_t i = 0; i < o_.stripSizes.size(); ++i) {
            if (stripField_ > 0) Put(stripField_ + 4 * i, b_.Bytes32(static_cast<uint32_t>(at)));
            at += o_.stripSizes[i];
        }
    }

    const TiffBlock& b_;
    const LayoutOptions& o_;
    LayoutResult& r_;
    std::vector<uint8_t>& out_;
    bool keepBase_ = false;
    bool write_[kIfdCount] = {};
    int64_t pinStart_ = -1, pinEnd_ = -1;
    uint64_t gap_ = 8;
    uint64_t thumbnailAt_ = 0;
    uint64_t stripField_ = 0;
};

}  // namespace

bool LayOut(const TiffBlock& block, const LayoutOptions& options, LayoutResult& out,
            std::string& error) {
    out = LayoutResult{};
    return Layout(block, options, out).Run(error);
}

}  // namespace stillpix::codec
