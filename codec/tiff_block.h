// Inside the codec: an EXIF TIFF block taken apart into its directories (IFD0, Exif, GPS,
// Interop, IFD1), every entry keeping its type, count and raw value bytes in the block's byte
// order. The block's own bytes are kept too, so that a save can leave everything it does not
// change at the offset it had: maker notes that count their offsets from the TIFF header (or
// point at data outside themselves) then still resolve.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace stillpix::codec {

enum IfdIndex { kIfd0, kIfdExif, kIfdGps, kIfdInterop, kIfd1, kIfdCount };

constexpr uint16_t kTagExifPointer = 0x8769;
constexpr uint16_t kTagGpsPointer = 0x8825;
constexpr uint16_t kTagInteropPointer = 0xA005;
constexpr uint16_t kTagMakerNote = 0x927C;
constexpr uint16_t kTagThumbnailOffset = 0x0201;
constexpr uint16_t kTagThumbnailLength = 0x0202;

enum TiffType : uint16_t {
    kByte = 1,
    kAscii = 2,
    kShort = 3,
    kLong = 4,
    kRational = 5,
    kUndefined = 7,
    kSLong = 9,
    kSRational = 10
};

// Bytes a component of `type` takes; 0 for a type no reader knows.
int TypeSize(uint16_t type);

struct IfdEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint8_t> value;  // count x TypeSize(type) bytes
    int64_t at = -1;             // where an out-of-line value lies in the base bytes; -1: moved
};

struct Ifd {
    bool present = false;
    std::vector<IfdEntry> entries;  // ascending tags
    int64_t at = -1;                // where the directory lies in the base bytes
    std::size_t baseCount = 0;      // its entry count there
};

// Random access to the bytes a block is read from: a JPEG segment in memory or a TIFF file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    virtual bool Read(uint64_t at, std::size_t count, uint8_t* out) const = 0;
};

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t at, std::size_t count, uint8_t* out) const override;

private:
    std::span<const uint8_t> bytes_;
};

// An open file's bytes, read where they are needed (pread); the descriptor stays the caller's.
class FdSource final : public ByteSource {
public:
    FdSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool Read(uint64_t at, std::size_t count, uint8_t* out) const override;

private:
    int fd_;
    uint64_t size_;
};

struct TiffBlock {
    bool bigEndian = false;
    std::vector<uint8_t> base;  // bytes kept at their offsets; empty for a block laid out anew
    std::array<Ifd, kIfdCount> ifds;
    std::vector<uint8_t> thumbnail;  // IFD1's JPEG
    int64_t thumbnailAt = -1;        // its place in the base bytes
    int64_t makerNoteOrigin = -1;    // where the maker note was read from (file or block)

    bool Empty() const;
    IfdEntry* Find(IfdIndex ifd, uint16_t tag);
    const IfdEntry* Find(IfdIndex ifd, uint16_t tag) const;
    // Puts the entry (a changed value leaves its old place); false for a value of the wrong size.
    bool Set(IfdIndex ifd, uint16_t tag, uint16_t type, uint32_t count, std::vector<uint8_t> value);
    void Remove(IfdIndex ifd, uint16_t tag);
    void DropThumbnail();

    uint16_t U16(const uint8_t* p) const;
    uint32_t U32(const uint8_t* p) const;
    std::vector<uint8_t> Bytes16(uint16_t v) const;
    std::vector<uint8_t> Bytes32(uint32_t v) const;
};

struct ParseLimits {
    // A TIFF file: its IFD0 layout tags are the file's own and its IFD1 is a page, so neither
    // belongs to the block, and its bytes are not kept (the block is laid out anew).
    bool tiffFile = false;
    // With tiffFile: the layout tags are wanted too (a file this program has just written).
    bool layoutTags = false;
    uint64_t maxValueBytes = uint64_t{64} << 20;  // all values together
};

// The IFD0 tags of a TIFF file that are carried apart from the EXIF block.
struct TiffFileExtras {
    std::vector<uint8_t> xmp;        // tag 700
    std::vector<uint8_t> iptc;       // tag 33723
    std::vector<uint8_t> photoshop;  // tag 34377
};

// False for bytes that are not a TIFF block; directories that are broken are left out.
bool ParseTiffBlock(const ByteSource& source, const ParseLimits& limits, TiffBlock& out,
                    TiffFileExtras* extras = nullptr);

// IFD0 tags that describe how a TIFF file stores its pixels, or carry what is handled on its
// own (ICC profile, IPTC, XMP, Photoshop resources).
bool IsTiffLayoutTag(uint16_t tag);

const char* TagName(uint16_t tag);

}  // namespace stillpix::codec
