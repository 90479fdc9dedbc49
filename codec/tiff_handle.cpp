#include "codec/tiff_handle.h"

#include <cstdarg>
#include <cstdio>

namespace stillpix::codec {
namespace {

// libtiff's own buffers (strips, tiles) never need more; larger requests come from lying headers.
constexpr tmsize_t kMaxTiffAllocation = tmsize_t{2} << 30;

int OnError(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto& errors = *static_cast<std::string*>(user);
    if (!errors.empty()) return 1;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    errors = module != nullptr && *module != '\0' ? std::string(module) + ": " + text : text;
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

}  // namespace

TiffPtr OpenTiff(const std::filesystem::path& path, const char* mode, std::string& errors) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (options == nullptr) {
        errors = "not enough memory";
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxTiffAllocation);
    return TiffPtr(TIFFOpenExt(path.c_str(), mode, options.get()));
}

}  // namespace stillpix::codec
