// BMP files, read by hand: OS/2 and Windows headers (up to version 5), 1, 4 and 8 bits with a
// palette (also run-length coded), 16 and 32 bits with bit masks, 24 bits. Alpha is ignored, as
// BMP writers rarely mean anything by it.
#include <algorithm>
#include <bit>
#include <functional>

#include "codec/c_file.h"
#include "codec/formats.h"
#include "engine/little_endian.h"

namespace stillpix::codec {
namespace {

// Headers up to version 5 with masks and a 256-entry palette fit many times over.
constexpr uint64_t kHeaderBytes = 64 * 1024;

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

class Bytes {
public:
    explicit Bytes(const std::vector<uint8_t>& data) : data_(data) {}
    bool Has(uint64_t at, uint64_t count) const {
        return at <= data_.size() && count <= data_.size() - at;
    }
    uint32_t U8(uint64_t at) const { return Has(at, 1) ? data_[at] : 0; }
    uint32_t U16(uint64_t at) const { return Has(at, 2) ? LoadLittleEndian<uint16_t>(At(at)) : 0; }
    uint32_t U32(uint64_t at) const { return Has(at, 4) ? LoadLittleEndian<uint32_t>(At(at)) : 0; }
    const uint8_t* At(uint64_t at) const { return data_.data() + at; }
    uint64_t Size() const { return data_.size(); }

private:
    const std::vector<uint8_t>& data_;
};

struct BmpHeader {
    int64_t width = 0, height = 0;
    bool topDown = false;
    uint32_t bitCount = 0, compression = kRgb, dataOffset = 0;
    uint32_t masks[3] = {};  // red, green, blue
    std::vector<PaletteEntry> palette;
};

bool ReadHeader(const Bytes& b, BmpHeader& h, std::string& error) {
    const uint32_t infoSize = b.U32(14);
    if (!b.Has(14, 4) || !b.Has(14, infoSize) || (infoSize != 12 && infoSize < 40)) {
        error = "the BMP header is damaged";
        return false;
    }
    h.dataOffset = b.U32(10);
    if (infoSize == 12) {
        h.width = b.U16(18);
        h.height = b.U16(20);
        h.bitCount = b.U16(24);
    } else {
        h.width = static_cast<int32_t>(b.U32(18));
        const int32_t height = static_cast<int32_t>(b.U32(22));
        h.topDown = height < 0;
        h.height = height < 0 ? -int64_t{height} : height;
        h.bitCount = b.U16(28);
        h.compression = b.U32(30);
    }
    uint64_t paletteAt = 14 + infoSize;
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        // A version 1 header is followed by the masks; later versions hold them inside.
        const uint64_t masksAt = infoSize == 40 ? paletteAt : 14 + 40;
        if (infoSize == 40) paletteAt += h.compression == kAlphaBitFields ? 16 : 12;
        for (int i = 0; i < 3; ++i) h.masks[i] = b.U32(masksAt + 4 * i);
    } else if (h.bitCount == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    } else if (h.bitCount == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0x00FF00, h.masks[2] = 0x0000FF;
    }
    const bool known =
        (h.compression == kRgb && (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 ||
                                   h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32)) ||
        (h.compression == kRle8 && h.bitCount == 8) ||
        (h.compression == kRle4 && h.bitCount == 4) ||
        ((h.compression == kBitFields || h.compression == kAlphaBitFields) &&
         (h.bitCount == 16 || h.bitCount == 32));
    if (!known || (h.topDown && (h.compression == kRle8 || h.compression == kRle4))) {
        error = "unsupported BMP layout (" + std::to_string(h.bitCount) + " bits, compression " +
                std::to_string(h.compression) + ")";
        return false;
    }
    if (h.bitCount <= 8) {
        const uint32_t used = infoSize >= 40 ? b.U32(46) : 0;
        const uint32_t count = used == 0 || used > (1u << h.bitCount) ? 1u << h.bitCount : used;
        const int entryBytes = infoSize == 12 ? 3 : 4;
        for (uint32_t i = 0; i < count && b.Has(paletteAt + i * entryBytes, 3); ++i) {
            const uint64_t at = paletteAt + i * entryBytes;
            h.palette.push_back({uint8_t(b.U8(at + 2)), uint8_t(b.U8(at + 1)), uint8_t(b.U8(at))});
        }
        if (h.palette.empty()) {
            error = "the BMP palette is missing";
            return false;
        }
    }
    return true;
}

// One colour channel from a masked pixel value, scaled to 8 bits.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t maxValue = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + maxValue / 2) / maxValue);
}

// Bytes from the file one at a time through stdio's buffer; past the end they read as absent.
class ByteStream {
public:
    explicit ByteStream(std::FILE* file) : file_(file) {}
    bool Next(uint32_t& value) {
        const int c = std::fgetc(file_);
        value = c == EOF ? 0 : static_cast<uint32_t>(c);
        return c != EOF;
    }

private:
    std::FILE* file_;
};

// Decodes run-length coded indices straight into the picture (rows from the bottom, pixels not
// coded keep palette entry 0); false when the data ends before the end-of-bitmap code.
bool DecodeRle(ByteStream& in, const BmpHeader& h,
               const std::function<void(int64_t x, int64_t row, uint32_t index)>& put) {
    const bool four = h.compression == kRle4;
    const int64_t w = h.width, ht = h.height;
    int64_t x = 0, y = 0;
    auto emit = [&](uint32_t index) {
        if (x < w && y < ht) put(x, y, index);
        ++x;
    };
    uint32_t count = 0, value = 0;
    while (in.Next(count) && in.Next(value)) {
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i)
                emit(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            uint32_t dx = 0, dy = 0;
            if (!in.Next(dx) || !in.Next(dy)) return false;
            x += dx;
            y += dy;
        } else {
            const uint32_t bytes = four ? (value + 1) / 2 : value;
            uint32_t byte = 0;
            for (uint32_t i = 0; i < value; ++i) {
                if ((!four || i % 2 == 0) && !in.Next(byte)) return false;
                emit(four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
            }
            if (bytes % 2 == 1 && !in.Next(byte)) return false;  // runs are padded to 16 bits
        }
        if (y > ht) return true;
    }
    return false;
}

}  // namespace

bool ReadBmp(const std::filesystem::path& path, const ReadOptions& options, DecodedImage& image,
             std::string& error) {
    FilePtr file = OpenForReading(path, error);
    if (file == nullptr) return false;
    // The headers, masks and palette lie in the first few hundred bytes; the pixels are read a
    // row at a time, so the file is never held whole.
    std::vector<uint8_t> data(std::min<uint64_t>(options.fileSize, kHeaderBytes));
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
        error = "cannot read " + path.string();
        return false;
    }
    const Bytes b(data);
    BmpHeader h;
    if (!ReadHeader(b, h, error)) return false;
    if (!CheckImageSize(h.width, h.height, options.fileSize, error)) return false;
    const bool grey = !h.palette.empty() && PaletteIsGrey(h.palette);

    image =
        DecodedImage::Header(static_cast<int>(h.width), static_cast<int>(h.height), grey, false);
    if (options.infoOnly) return true;
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    const uint64_t stride = (static_cast<uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
    const uint64_t fileSize = options.fileSize;
    if (h.dataOffset > fileSize ||
        (!rle && stride * static_cast<uint64_t>(h.height) > fileSize - h.dataOffset)) {
        error = "the BMP file is too short for its declared size";
        return false;
    }
    if (!image.Allocate(static_cast<int>(h.width), static_cast<int>(h.height), grey, false, error))
        return false;
    if (std::fseek(file.get(), static_cast<long>(h.dataOffset), SEEK_SET) != 0) {
        error = "cannot read " + path.string();
        image = DecodedImage{};
        return false;
    }

    const auto putIndex = [&](uint8_t* out, int64_t x, uint32_t index) {
        const PaletteEntry& c = index < h.palette.size() ? h.palette[index] : h.palette[0];
        if (grey) {
            out[x] = c.red;
        } else {
            out[3 * x] = c.blue, out[3 * x + 1] = c.green, out[3 * x + 2] = c.red;
        }
    };
    if (rle) {
        for (int y = 0; y < image.height; ++y)
            for (int64_t x = 0; x < h.width; ++x) putIndex(image.DisplayRow(y), x, 0);
        ByteStream in(file.get());
        // File rows run from the bottom.
        const auto put = [&](int64_t x, int64_t row, uint32_t index) {
            putIndex(image.DisplayRow(static_cast<int>(h.height - 1 - row)), x, index);
        };
        if (!DecodeRle(in, h, put)) {
            error = "the BMP file's run-length data is cut short";
            image = DecodedImage{};
            return false;
        }
        return true;
    }
    std::vector<uint8_t> rowBytes(stride);
    for (int64_t row = 0; row < h.height; ++row) {
        if (std::fread(rowBytes.data(), 1, rowBytes.size(), file.get()) != rowBytes.size()) {
            error = "the BMP file is too short for its declared size";
            image = DecodedImage{};
            return false;
        }
        // File rows run from the bottom unless the height was negative.
        const int y = static_cast<int>(h.topDown ? row : h.height - 1 - row);
        uint8_t* out = image.DisplayRow(y);
        const uint8_t* in = rowBytes.data();
        for (int64_t x = 0; x < h.width; ++x) {
            switch (h.bitCount) {
                case 1: putIndex(out, x, in[x / 8] >> (7 - x % 8) & 1); break;
                case 4: putIndex(out, x, in[x / 2] >> (x % 2 == 0 ? 4 : 0) & 15); break;
                case 8: putIndex(out, x, in[x]); break;
                case 24: std::copy_n(in + 3 * x, 3, out + 3 * x); break;
                default: {
                    const uint32_t pixel = h.bitCount == 16
                                               ? LoadLittleEndian<uint16_t>(in + 2 * x)
                                               : LoadLittleEndian<uint32_t>(in + 4 * x);
                    out[3 * x] = MaskedChannel(pixel, h.masks[2]);
                    out[3 * x + 1] = MaskedChannel(pixel, h.masks[1]);
                    out[3 * x + 2] = MaskedChannel(pixel, h.masks[0]);
                }
            }
        }
    }
    return true;
}

}  // namespace stillpix::codec
