#include "tests/codec/codec_test_support.h"

namespace stillpix::test {

std::vector<uint16_t> MagickPixels(const std::filesystem::path& file, bool grey, int depth) {
    int status = 0;
    const std::string raw = RunShell("/usr/bin/convert " + ShellQuoted(file.string() + "[0]") +
                                         " -depth " + std::to_string(depth) + " -endian LSB " +
                                         (grey ? "gray:-" : "rgb:-") + " 2>/dev/null",
                                     &status);
    EXPECT_EQ(status, 0) << "ImageMagick cannot read " << file;
    std::vector<uint16_t> samples;
    if (depth == 8) {
        for (unsigned char c : raw) samples.push_back(c);
    } else {
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
            samples.push_back(static_cast<uint16_t>(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8));
    }
    return samples;
}

Picture NoisePicture(int width, int height, bool grey, bool sixteen, uint32_t seed) {
    Picture p{width, height, grey, sixteen, {}};
    uint32_t state = seed * 2654435761u + 12345;
    for (int i = 0; i < width * height * p.Channels(); ++i) {
        state = state * 1664525u + 1013904223u;
        p.samples.push_back(static_cast<uint16_t>(sixteen ? state >> 16 : state >> 24));
    }
    return p;
}

Picture SmoothPicture(int width, int height, bool grey) {
    Picture p{width, height, grey, false, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < p.Channels(); ++c)
                p.samples.push_back(
                    static_cast<uint16_t>(c == 0   ? 40 + 160 * x / width
                                          : c == 1 ? 30 + 180 * y / height
                                                   : 200 - 100 * (x + y) / (width + height)));
    return p;
}

CodecHandle HandOver(const Picture& picture, bool keep16) {
    CodecHandle h = cNewSession();
    cSet16BitComponentOptions(*h, keep16, keep16);
    const int channels = picture.Channels();
    bool ok = false;
    if (picture.sixteen) {
        std::vector<uint8_t> bytes;
        for (uint16_t v : picture.samples) {
            bytes.push_back(static_cast<uint8_t>(v));
            bytes.push_back(static_cast<uint8_t>(v >> 8));
        }
        ok = cLoadImage16(*h, bytes, picture.width, picture.height, picture.grey);
    } else if (picture.grey) {
        std::vector<uint8_t> rows(picture.samples.begin(), picture.samples.end());
        ok = cLoadImage8(*h, rows, picture.width, picture.height);
    } else {
        BitmapInfoHeader header;
        header.width = picture.width;
        header.height = picture.height;
        header.bitCount = 24;
        const std::size_t stride = BitmapStride(picture.width, 24);
        std::vector<uint8_t> bits(stride * picture.height, 0);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width * channels; ++x)
                bits[(picture.height - 1 - y) * stride + x] = static_cast<uint8_t>(
                    picture.samples[std::size_t(y) * picture.width * channels + x]);
        ok = cLoadDIBitmap(*h, header, bits);
    }
    EXPECT_TRUE(ok) << cGetLastError(*h);
    return h;
}

Picture ReadBack(const CodecSession& h) {
    ImageInfo info;
    if (!cGetImageInfo(h, info)) {
        ADD_FAILURE() << "no image in the handle";
        return {};
    }
    Picture p{
        info.width, info.height, info.grey, info.bitsPerPixel == 48 || info.bitsPerPixel == 16, {}};
    if (p.sixteen) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(cGetImage16(h, bytes));
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            p.samples.push_back(static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8));
        return p;
    }
    const uint8_t* bits = nullptr;
    const BitmapInfo* bitmap = nullptr;
    EXPECT_TRUE(cGetBitsPtr(h, bits));
    EXPECT_TRUE(cGetBITMAPINFOPtr(h, bitmap));
    const std::size_t stride = BitmapStride(info.width, bitmap->header.bitCount);
    for (int y = 0; y < info.height; ++y)
        for (int x = 0; x < info.width * p.Channels(); ++x)
            p.samples.push_back(bits[(info.height - 1 - y) * stride + x]);
    return p;
}

CodecHandle LoadFile(const std::filesystem::path& file, bool keep16) {
    CodecHandle h = cNewSession();
    cSet16BitComponentOptions(*h, keep16, keep16);
    EXPECT_TRUE(cLoadImage(*h, file)) << file << ": " << cGetLastError(*h);
    return h;
}

std::vector<uint16_t> InRgbOrder(const Picture& picture) {
    std::vector<uint16_t> out = picture.samples;
    if (!picture.grey)
        for (std::size_t i = 0; i + 2 < out.size(); i += 3) std::swap(out[i], out[i + 2]);
    return out;
}

}  // namespace stillpix::test
