// Taking an EXIF TIFF block apart. Every offset and count is checked against the source before
// anything is read or allocated; a directory that does not fit is left out, and no directory is
// read twice, so hostile blocks cost at most the value budget.
#include "codec/tiff_block.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace stillpix::codec {
namespace {

constexpr std::size_t kMaxEntries = 1000;

constexpr uint16_t kLayoutTags[] = {
    0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0107, 0x0108, 0x0109, 0x010A, 0x0111,
    0x0115, 0x0116, 0x0117, 0x0118, 0x0119, 0x011C, 0x0124, 0x0125, 0x013D, 0x0140, 0x0142, 0x0143,
    0x0144, 0x0145, 0x014A, 0x0152, 0x0153, 0x0154, 0x0155, 0x015B, 0x0200, 0x0201, 0x0202, 0x0203,
    0x0205, 0x0206, 0x0207, 0x0208, 0x0209, 0x0211, 0x0212, 0x02BC, 0x83BB, 0x8649, 0x8773,
};

class Parser {
public:
    Parser(const ByteSource& source, const ParseLimits& limits, TiffBlock& block,
           TiffFileExtras* extras)
        : source_(source), limits_(limits), block_(block), extras_(extras) {}

    void Directory(IfdIndex index, uint64_t offset, uint64_t* next = nullptr) {
        uint8_t head[2];
        if (offset < 8) return;
        if (!seen_.insert(offset).second || !source_.Read(offset, 2, head)) return;
        const std::size_t count = block_.U16(head);
        if (count == 0 || count > kMaxEntries) return;
        std::vector<uint8_t> raw(12 * count + 4);
        if (!source_.Read(offset + 2, 12 * count, raw.data())) return;
        if (!source_.Read(offset + 2 + 12 * count, 4, raw.data() + 12 * count))
            std::memset(raw.data() + 12 * count, 0, 4);
        Ifd& ifd = block_.ifds[index];
        ifd.present = true;
        if (!limits_.tiffFile) {
            ifd.at = static_cast<int64_t>(offset);
            ifd.baseCount = count;
        }
        for (std::size_t i = 0; i < count; ++i) Entry(index, raw.data() + 12 * i);
        std::stable_sort(ifd.entries.begin(), ifd.entries.end(),
                         [](const IfdEntry& a, const IfdEntry& b) { return a.tag < b.tag; });
        ifd.entries.erase(
            std::unique(ifd.entries.begin(), ifd.entries.end(),
                        [](const IfdEntry& a, const IfdEntry& b) { return a.tag == b.tag; }),
            ifd.entries.end());
        if (ifd.entries.size() != count) ifd.baseCount = 0;  // cannot be rewritten in place
        if (next != nullptr) *next = block_.U32(raw.data() + 12 * count);
    }

private:
    void Entry(IfdIndex index, const uint8_t* raw) {
        IfdEntry e;
        e.tag = block_.U16(raw);
        e.type = block_.U16(raw + 2);
        e.count = block_.U32(raw + 4);
        const uint64_t bytes = uint64_t{e.count} * TypeSize(e.type);
        if (TypeSize(e.type) == 0 || e.count == 0) return;
        if (index == kIfd0 && limits_.tiffFile && !limits_.layoutTags && IsTiffLayoutTag(e.tag)) {
            Extra(e, raw, bytes);
            return;
        }
        if (!Value(e, raw, bytes)) return;
        if (e.tag == kTagMakerNote && index == kIfdExif)
            block_.makerNoteOrigin = bytes <= 4 ? -1 : block_.U32(raw + 8);
        if (limits_.tiffFile) e.at = -1;
        block_.ifds[index].entries.push_back(std::move(e));
    }

    bool Value(IfdEntry& e, const uint8_t* raw, uint64_t bytes) {
        if (bytes <= 4) {
            e.value.assign(raw + 8, raw + 8 + bytes);
            return true;
        }
        const uint64_t at = block_.U32(raw + 8);
        if (bytes > source_.Size() || at > source_.Size() - bytes) return false;
        if (bytes > limits_.maxValueBytes - spent_) return false;
        spent_ += bytes;
        e.value.resize(bytes);
        if (!source_.Read(at, bytes, e.value.data())) return false;
        e.at = static_cast<int64_t>(at);
        return true;
    }

    void Extra(IfdEntry& e, const uint8_t* raw, uint64_t bytes) {
        std::vector<uint8_t>* target = nullptr;
        if (extras_ != nullptr && e.tag == 0x02BC) target = &extras_->xmp;
        if (extras_ != nullptr && e.tag == 0x83BB) target = &extras_->iptc;
        if (extras_ != nullptr && e.tag == 0x8649) target = &extras_->photoshop;
        if (target != nullptr && Value(e, raw, bytes)) *target = std::move(e.value);
    }

    const ByteSource& source_;
    const ParseLimits& limits_;
    TiffBlock& block_;
    TiffFileExtras* extras_;
    std::set<uint64_t> seen_;
    uint64_t spent_ = 0;
};

}  // namespace

int TypeSize(uint16_t type) {
    static constexpr int kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

bool IsTiffLayoutTag(uint16_t tag) {
    return std::find(std::begin(kLayoutTags), std::end(kLayoutTags), tag) != std::end(kLayoutTags);
}

bool FdSource::Read(uint64_t at, std::size_t count, uint8_t* out) const {
    if (count > size_ || at > size_ - count) return false;
    while (count > 0) {
        const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(at));
        if (n <= 0) return false;
        out += n, at += static_cast<uint64_t>(n), count -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SpanSource::Read(uint64_t at, std::size_t count, uint8_t* out) const {
    if (count > bytes_.size() || at > bytes_.size() - count) return false;
    std::memcpy(out, bytes_.data() + at, count);
    return true;
}

bool TiffBlock::Empty() const {
    return std::none_of(ifds.begin(), ifds.end(), [](const Ifd& i) { return !i.entries.empty(); });
}

IfdEntry* TiffBlock::Find(IfdIndex ifd, uint16_t tag) {
    for (IfdEntry& e : ifds[ifd].entries)
        if (e.tag == tag) return &e;
    return nullptr;
}

const IfdEntry* TiffBlock::Find(IfdIndex ifd, uint16_t tag) const {
    return const_cast<TiffBlock*>(this)->Find(ifd, tag);
}

bool TiffBlock::Set(IfdIndex ifd, uint16_t tag, uint16_t type, uint32_t count,
                    std::vector<uint8_t> value) {
    if (TypeSize(type) == 0 || value.size() != uint64_t{count} * TypeSize(type)) return false;
    Ifd& d = ifds[ifd];
    d.present = true;
    auto it = std::lower_bound(d.entries.begin(), d.entries.end(), tag,
                               [](const IfdEntry& e, uint16_t t) { return e.tag < t; });
    if (it == d.entries.end() || it->tag != tag) {
        IfdEntry fresh;
        fresh.tag = tag;
        it = d.entries.insert(it, std::move(fresh));
    }
    if (it->type == type && it->count == count && it->value == value) return true;
    it->type = type;
    it->count = count;
    it->value = std::move(value);
    it->at = -1;
    return true;
}

void TiffBlock::Remove(IfdIndex ifd, uint16_t tag) {
    auto& entries = ifds[ifd].entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [tag](const IfdEntry& e) { return e.tag == tag; }),
                  entries.end());
}

void TiffBlock::DropThumbnail() {
    ifds[kIfd1] = Ifd{};
    thumbnail.clear();
    thumbnailAt = -1;
}

uint16_t TiffBlock::U16(const uint8_t* p) const {
    return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1])
                     : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t TiffBlock::U32(const uint8_t* p) const {
    const uint32_t a = U16(p), b = U16(p + 2);
    return bigEndian ? (a << 16 | b) : (b << 16 | a);
}

std::vector<uint8_t> TiffBlock::Bytes16(uint16_t v) const {
    return bigEndian ? std::vector<uint8_t>{uint8_t(v >> 8), uint8_t(v)}
                     : std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8)};
}

std::vector<uint8_t> TiffBlock::Bytes32(uint32_t v) const {
    std::vector<uint8_t> hi = Bytes16(static_cast<uint16_t>(v >> 16));
    std::vector<uint8_t> lo = Bytes16(static_cast<uint16_t>(v));
    if (bigEndian) return {hi[0], hi[1], lo[0], lo[1]};
    return {lo[0], lo[1], hi[0], hi[1]};
}

bool ParseTiffBlock(const ByteSource& source, const ParseLimits& limits, TiffBlock& out,
                    TiffFileExtras* extras) {
    out = TiffBlock{};
    uint8_t header[8];
    if (!source.Read(0, 8, header)) return false;
    if (header[0] == 'M' && header[1] == 'M') out.bigEndian = true;
    else if (header[0] != 'I' || header[1] != 'I') return false;
    if (out.U16(header + 2) != 42) return false;
    if (!limits.tiffFile) {
        if (source.Size() > limits.maxValueBytes) return false;
        out.base.resize(source.Size());
        if (!source.Read(0, out.base.size(), out.base.data())) return false;
    }
    Parser parser(source, limits, out, extras);
    uint64_t ifd1 = 0;
    parser.Directory(kIfd0, out.U32(header + 4), &ifd1);
    const auto pointer = [&](IfdIndex in, uint16_t tag) -> uint64_t {
        const IfdEntry* e = out.Find(in, tag);
        if (e == nullptr || (e->type != kLong && e->type != 13) || e->value.size() != 4) return 0;
        return out.U32(e->value.data());
    };
    parser.Directory(kIfdExif, pointer(kIfd0, kTagExifPointer));
    parser.Directory(kIfdGps, pointer(kIfd0, kTagGpsPointer));
    parser.Directory(kIfdInterop, pointer(kIfdExif, kTagInteropPointer));
    if (!limits.tiffFile) {
        parser.Directory(kIfd1, ifd1);
        const uint64_t at = pointer(kIfd1, kTagThumbnailOffset);
        const IfdEntry* length = out.Find(kIfd1, kTagThumbnailLength);
        if (at != 0 && length != nullptr && length->value.size() >= 2) {
            const uint64_t n = length->type == kShort      ? out.U16(length->value.data())
                               : length->value.size() == 4 ? out.U32(length->value.data())
                                                           : 0;
            if (n > 0 && n <= out.base.size() && at <= out.base.size() - n) {
                out.thumbnail.assign(out.base.begin() + at, out.base.begin() + at + n);
                out.thumbnailAt = static_cast<int64_t>(at);
            }
        }
    }
    return true;
}

const char* TagName(uint16_t tag) {
    switch (tag) {
        case 0x010E: return "ImageDescription";
        case 0x010F: return "Make";
        case 0x0110: return "Model";
        case 0x0131: return "Software";
        case 0x013B: return "Artist";
        case 0x8298: return "Copyright";
        case 0x927C: return "MakerNote";
        case 0x9286: return "UserComment";
        case 0xC4A5: return "PrintIM";
        case 0xA420: return "ImageUniqueID";
        case 0xEA1C: return "Padding";
        default: return nullptr;
    }
}

}  // namespace stillpix::codec
