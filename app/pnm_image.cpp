#include "app/pnm_image.h"

#include <cctype>

#include "platform/atomic_file.h"
#include "platform/memory_budget.h"
#include "platform/regular_file.h"

namespace stillpix::cli {

namespace {

constexpr uint64_t kMaxPixels = uint64_t{1} << 30;
// The largest file such an image makes: 16-bit RGB samples and a generous header.
constexpr uint64_t kMaxFileBytes = kMaxPixels * 6 + 4096;
// The file's bytes, the samples and the 8-bit view together stay within this many times the
// file's size; the measuring engine's tiles come on top.
constexpr uint64_t kBytesPerFileByte = 3;
constexpr uint64_t kEngineBytes = uint64_t{256} << 20;

// Reads one header number, skipping white space and comments.
bool HeaderNumber(const std::vector<uint8_t>& bytes, std::size_t& pos, uint64_t& value) {
    for (;;) {
        while (pos < bytes.size() && std::isspace(bytes[pos])) ++pos;
        if (pos < bytes.size() && bytes[pos] == '#') {
            while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            continue;
        }
        break;
    }
    if (pos >= bytes.size() || !std::isdigit(bytes[pos])) return false;
    value = 0;
    while (pos < bytes.size() && std::isdigit(bytes[pos])) {
        value = value * 10 + (bytes[pos++] - '0');
        if (value > kMaxPixels) return false;
    }
    return true;
}

}  // namespace

void MakeDisplayView(EngineImage& image) {
    const std::size_t rowSamples = std::size_t(image.width) * image.channels;
    image.display.assign(std::size_t(image.stride8) * image.height, 0);
    for (int y = 0; y < image.height; ++y) {
        const uint16_t* in = image.samples.data() + rowSamples * (image.height - 1 - y);
        uint8_t* out = image.display.data() + std::size_t(image.stride8) * y;
        for (std::size_t i = 0; i < rowSamples; ++i) out[i] = static_cast<uint8_t>(in[i] >> 8);
    }
}

bool ReadPnm(const std::filesystem::path& path, EngineImage& image, std::string& error) {
    // /dev/zero, a FIFO or a file of any size never gets read without limit.
    uint64_t size = 0;
    std::string why;
    if (!CheckRegularFile(path, error, &size)) return false;
    if (size <= kMaxFileBytes && !FitsInMemory(size * kBytesPerFileByte + kEngineBytes, why)) {
        error = path.string() + ": not enough memory to measure it: " + why;
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxFileBytes, bytes, error)) return false;
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) {
        error = path.string() + " is not a binary PPM or PGM file";
        return false;
    }
    std::size_t pos = 2;
    uint64_t width = 0, height = 0, maxValue = 0;
    if (!HeaderNumber(bytes, pos, width) || !HeaderNumber(bytes, pos, height) ||
        !HeaderNumber(bytes, pos, maxValue) || pos >= bytes.size() || !std::isspace(bytes[pos]) ||
        width == 0 || height == 0 || maxValue == 0 || maxValue > 65535 ||
        width * height > kMaxPixels) {
        error = path.string() + " has a malformed or unsupported header";
        return false;
    }
    ++pos;
    const int channels = bytes[1] == '6' ? 3 : 1;
    const bool sixteen = maxValue > 255;
    const uint64_t dataBytes = width * height * channels * (sixteen ? 2 : 1);
    if (bytes.size() - pos < dataBytes) {
        error = path.string() + " is truncated";
        return false;
    }
    image = EngineImage{};
    image.width = int(width);
    image.height = int(height);
    image.channels = channels;
    image.sixteenBit = sixteen;
    image.stride8 = int((width * channels + 3) / 4 * 4);
    const uint8_t* data = bytes.data() + pos;
    const std::size_t rowSamples = std::size_t(width) * channels;
    if (sixteen) {
        image.samples.resize(rowSamples * height);
        for (std::size_t y = 0; y < height; ++y)
            for (std::size_t x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c) {
                    // File order R, G, B big-endian; engine order B, G, R.
                    const std::size_t from = (y * rowSamples + x * channels + c) * 2;
                    const int to = channels == 3 ? 2 - c : 0;
                    image.samples[y * rowSamples + x * channels + to] =
                        uint16_t((data[from] << 8) | data[from + 1]);
                }
        MakeDisplayView(image);
        return true;
    }
    image.display.assign(std::size_t(image.stride8) * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        const uint8_t* row = data + y * rowSamples;
        uint8_t* out = image.display.data() + std::size_t(image.stride8) * (height - 1 - y);
        for (std::size_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                out[x * channels + (channels == 3 ? 2 - c : 0)] = row[x * channels + c];
    }
    return true;
}

bool WritePnm(const std::filesystem::path& path, const EngineImage& image, std::string& error) {
    const std::size_t rowSamples = std::size_t(image.width) * image.channels;
    const int sampleBytes = image.sixteenBit ? 2 : 1;
    std::string header = std::string(image.channels == 3 ? "P6\n" : "P5\n") +
                         std::to_string(image.width) + " " + std::to_string(image.height) + "\n" +
                         (image.sixteenBit ? "65535" : "255") + "\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.reserve(bytes.size() + rowSamples * image.height * sampleBytes);
    for (int y = 0; y < image.height; ++y) {
        for (std::size_t x = 0; x < std::size_t(image.width); ++x)
            for (int c = 0; c < image.channels; ++c) {
                const std::size_t from = x * image.channels + (image.channels == 3 ? 2 - c : 0);
                if (image.sixteenBit) {
                    const uint16_t v = image.samples[std::size_t(y) * rowSamples + from];
                    bytes.push_back(uint8_t(v >> 8));
                    bytes.push_back(uint8_t(v));
                } else {
                    bytes.push_back(
                        image.display[std::size_t(image.stride8) * (image.height - 1 - y) + from]);
                }
            }
    }
    return WriteFileAtomically(path, bytes, &error);
}

}  // namespace stillpix::cli
