// Hostile files of one format, opened as the document opens them. The target is built once a
// format; an input that does not start with the format's signature gets it put in front, so the
// fuzzer spends its time inside that one reader.
#include <cstring>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "fuzz/image_checks.h"

namespace {

struct Format {
    const char* extension;
    std::string_view magic;
    std::string_view otherMagic;
};

// clang-format off
constexpr Format kFormats[] = {
    {"jpg", {"\xFF\xD8\xFF", 3},          {}},
    {"png", {"\x89PNG\r\n\x1A\n", 8},     {}},
    {"tif", {"II*\0", 4},                 {"MM\0*", 4}},
    {"bmp", {"BM", 2},                    {}},
    {"gif", {"GIF89a", 6},                {"GIF87a", 6}},
};
// clang-format on
constexpr Format kFormat = kFormats[STILLPIX_FUZZ_FORMAT];

bool StartsWith(const uint8_t* data, std::size_t size, std::string_view magic) {
    return !magic.empty() && size >= magic.size() &&
           std::memcmp(data, magic.data(), magic.size()) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace stillpix::fuzz;
    if (size > kMaxInputBytes) return -1;
    std::vector<uint8_t> bytes;
    if (!StartsWith(data, size, kFormat.magic) && !StartsWith(data, size, kFormat.otherMagic))
        bytes.assign(kFormat.magic.begin(), kFormat.magic.end());
    bytes.insert(bytes.end(), data, data + size);
    const auto file = WriteScratch(std::string("input.") + kFormat.extension, bytes);
    // Both ways of loading: 16-bit samples kept (the document) and reduced to 8 bits.
    OpenAndInspect(file, size % 2 == 0);
    return 0;
}
