// Hostile image files made on the spot: headers declaring far more pixels than anyone has memory
// for, padded so that every size check on the file's length passes; the large ones are sparse.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/shell.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v, bool big) {
    big ? b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)})
        : b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
}
inline void Put32(Bytes& b, uint32_t v, bool big) {
    Put16(b, big ? v >> 16 : v & 0xFFFF, big);
    Put16(b, big ? v & 0xFFFF : v >> 16, big);
}

inline uint32_t Crc32(const Bytes& bytes, std::size_t from) {
    uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

inline void PngChunk(Bytes& png, const char* type, const Bytes& data) {
    Put32(png, static_cast<uint32_t>(data.size()), true);
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    Put32(png, Crc32(png, start), true);
}

// An RGB PNG declaring `side` x `side` whose rows could come out of its size (a private chunk
// pads it), with one byte of pixel data.
inline Bytes HugePng(uint32_t side) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    Put32(header, side, true), Put32(header, side, true);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PngChunk(png, "IHDR", header);
    PngChunk(png, "paDd", Bytes((uint64_t{side} * 3 + 1) * side / 1000));
    PngChunk(png, "IDAT", {0x78, 0x01, 0x01, 0x01, 0x00, 0xFE, 0xFF, 0x00, 0x00, 0x01, 0x00, 0x01});
    PngChunk(png, "IEND", {});
    return png;
}

// A 1 x 1 frame on a `side` x `side` screen, padded by a comment as far as the screen needs.
inline Bytes HugeGif(uint16_t side) {
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(gif, side, false), Put16(gif, side, false);
    gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 255, 0, 0, 0x21, 0xFE});
    for (uint64_t n = uint64_t{side} * side / 4000; n > 0; n -= std::min<uint64_t>(n, 255)) {
        gif.push_back(static_cast<uint8_t>(std::min<uint64_t>(n, 255)));
        gif.insert(gif.end(), std::min<uint64_t>(n, 255), 'x');
    }
    gif.insert(gif.end(), {0, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'});
    return gif;
}

// A baseline JPEG header of `side` x `side` (ImageMagick's 16 x 16 red one with its frame size
// changed), padded by comments before its scan.
inline Bytes HugeJpeg(const std::string& folder, uint16_t side) {
    const std::string small = folder + "/small.jpg";
    Shell("/usr/bin/convert -size 16x16 xc:red " + ShellQuoted(small));
    Bytes jpeg = ReadFileBytes(small);
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = uint8_t(side >> 8), jpeg[i + 6] = uint8_t(side);
            jpeg[i + 7] = uint8_t(side >> 8), jpeg[i + 8] = uint8_t(side);
            break;
        }
    Bytes padding;
    for (uint64_t n = uint64_t{side} * side / 4000; n > 0; n -= std::min<uint64_t>(n, 65000)) {
        const uint16_t length = static_cast<uint16_t>(std::min<uint64_t>(n, 65000));
        padding.insert(padding.end(), {0xFF, 0xFE});
        Put16(padding, length + 2, true);
        padding.insert(padding.end(), length, 0);
    }
    jpeg.insert(jpeg.begin() + 2, padding.begin(), padding.end());
    return jpeg;
}

// A 24-bit BMP of `side` x `side` as large as it claims, sparse on disk.
inline void WriteHugeBmp(const std::string& file, uint32_t side) {
    Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0};
    Put32(bmp, side, false), Put32(bmp, side, false);
    bmp.insert(bmp.end(), {1, 0, 24, 0});
    bmp.resize(54, 0);
    WriteFileBytes(file, bmp);
    std::filesystem::resize_file(file, 54 + uint64_t{(side * 3 + 3) / 4 * 4} * side);
}

inline void WriteSparse(const std::string& file, const std::string& header, uint64_t size) {
    WriteText(file, header);
    std::filesystem::resize_file(file, size);
}

}  // namespace stillpix::test
