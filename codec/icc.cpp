#include "codec/icc.h"

#include <lcms2.h>

#include <algorithm>
#include <memory>
#include <new>

namespace stillpix::codec {
namespace {

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using ProfilePtr = std::unique_ptr<void, ProfileCloser>;
struct TransformCloser {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using TransformPtr = std::unique_ptr<void, TransformCloser>;

ProfilePtr Open(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > UINT32_MAX) return nullptr;
    return ProfilePtr(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

ProfilePtr SrgbToneGrey() {
    // The sRGB curve: linear near black, a 2.4 power above.
    const cmsFloat64Number parameters[] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    if (curve == nullptr) return nullptr;
    ProfilePtr grey(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return grey;
}

enum class Space { kGrey, kRgb, kOther };
Space SpaceOf(void* profile) {
    // Kept as a number: a file's colour space can be any value, not only one the enum names.
    const uint32_t space = cmsGetColorSpace(profile);
    return space == cmsSigGrayData  ? Space::kGrey
           : space == cmsSigRgbData ? Space::kRgb
                                    : Space::kOther;
}

// Runs the transform over every row; grey pixels are widened to B, G, R for an RGB source and
// narrowed back (taking green, which a neutral colour shares with red and blue) from an RGB target.
template <class Sample>
void TransformRows(void* transform, int width, int height, bool greyPixels, bool rgbIn, bool rgbOut,
                   Sample* (*row)(DecodedImage&, int), DecodedImage& image) {
    const int inChannels = rgbIn ? 3 : 1, outChannels = rgbOut ? 3 : 1;
    std::vector<Sample> in(std::size_t(width) * inChannels), out(std::size_t(width) * outChannels);
    for (int y = 0; y < height; ++y) {
        Sample* pixels = row(image, y);
        if (greyPixels && rgbIn) {
            for (int x = 0; x < width; ++x) in[3 * x] = in[3 * x + 1] = in[3 * x + 2] = pixels[x];
        } else {
            std::copy_n(pixels, in.size(), in.begin());
        }
        cmsDoTransform(transform, in.data(), out.data(), static_cast<cmsUInt32Number>(width));
        if (greyPixels && rgbOut) {
            for (int x = 0; x < width; ++x) pixels[x] = out[3 * x + 1];
        } else {
            std::copy_n(out.begin(), out.size(), pixels);
        }
    }
}

}  // namespace

bool ProfileName(std::span<const uint8_t> profile, std::string& name) {
    const ProfilePtr handle = Open(profile);
    if (handle == nullptr) return false;
    const cmsUInt32Number size =
        cmsGetProfileInfoASCII(handle.get(), cmsInfoDescription, "en", "US", nullptr, 0);
    if (size == 0) {
        name.clear();
        return true;
    }
    std::string text(size, '\0');
    cmsGetProfileInfoASCII(handle.get(), cmsInfoDescription, "en", "US", text.data(), size);
    name = text.substr(0, text.find('\0'));
    return true;
}

const std::vector<uint8_t>& BuiltInSrgb() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> out;
        ProfilePtr srgb(cmsCreate_sRGBProfile());
        if (srgb == nullptr) return out;
        // Version 2 keeps the description readable by older programs.
        cmsSetProfileVersion(srgb.get(), 2.1);
        cmsMLU* description = cmsMLUalloc(nullptr, 1);
        cmsMLUsetASCII(description, "en", "US", "sRGB IEC61966-2.1");
        cmsWriteTag(srgb.get(), cmsSigProfileDescriptionTag, description);
        cmsMLUfree(description);
        cmsUInt32Number size = 0;
        if (!cmsSaveProfileToMem(srgb.get(), nullptr, &size) || size == 0) return out;
        out.resize(size);
        if (!cmsSaveProfileToMem(srgb.get(), out.data(), &size)) out.clear();
        out.resize(size);
        return out;
    }();
    return bytes;
}

bool ConvertPixels(DecodedImage& image, std::span<const uint8_t> source,
                   std::span<const uint8_t> target, std::string& error) {
    ProfilePtr from =
        source.empty() ? (image.grey ? SrgbToneGrey() : Open(BuiltInSrgb())) : Open(source);
    ProfilePtr to = Open(target);
    if (from == nullptr || to == nullptr) {
        error = "the ICC profile cannot be read";
        return false;
    }
    const Space fromSpace = SpaceOf(from.get()), toSpace = SpaceOf(to.get());
    if (fromSpace == Space::kOther || toSpace == Space::kOther ||
        (!image.grey && (fromSpace == Space::kGrey || toSpace == Space::kGrey))) {
        error = "the ICC profile does not fit the image's colours";
        return false;
    }
    const bool rgbIn = fromSpace == Space::kRgb, rgbOut = toSpace == Space::kRgb;
    const bool sixteen = image.has16;
    const cmsUInt32Number inFormat =
        sixteen ? (rgbIn ? TYPE_BGR_16 : TYPE_GRAY_16) : (rgbIn ? TYPE_BGR_8 : TYPE_GRAY_8);
    const cmsUInt32Number outFormat =
        sixteen ? (rgbOut ? TYPE_BGR_16 : TYPE_GRAY_16) : (rgbOut ? TYPE_BGR_8 : TYPE_GRAY_8);
    cmsUInt32Number intent = cmsGetHeaderRenderingIntent(from.get());
    // The header's intent is any 32-bit value a file holds; lcms2 indexes its tables with it.
    if (intent > INTENT_ABSOLUTE_COLORIMETRIC ||
        !cmsIsIntentSupported(from.get(), intent, LCMS_USED_AS_INPUT))
        intent = INTENT_PERCEPTUAL;
    TransformPtr transform(
        cmsCreateTransform(from.get(), inFormat, to.get(), outFormat, intent, 0));
    if (transform == nullptr) {
        error = "the ICC profiles cannot be combined";
        return false;
    }
    try {
        if (sixteen) {
            TransformRows<uint16_t>(
                transform.get(), image.width, image.height, image.grey, rgbIn, rgbOut,
                [](DecodedImage& i, int y) { return i.SampleRow(y); }, image);
            image.DisplayFromSamples();
        } else {
            TransformRows<uint8_t>(
                transform.get(), image.width, image.height, image.grey, rgbIn, rgbOut,
                [](DecodedImage& i, int y) { return i.DisplayRow(y); }, image);
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory to convert the image";
        return false;
    }
    return true;
}

CmykToSrgb::~CmykToSrgb() {
    if (transform_ != nullptr) cmsDeleteTransform(transform_);
}

bool CmykToSrgb::Load(std::span<const uint8_t> profile, bool inverted) {
    ProfilePtr cmyk = Open(profile);
    ProfilePtr srgb = Open(BuiltInSrgb());
    if (cmyk == nullptr || srgb == nullptr || cmsGetColorSpace(cmyk.get()) != cmsSigCmykData)
        return false;
    transform_ = cmsCreateTransform(cmyk.get(), inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                                    srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    return transform_ != nullptr;
}

void CmykToSrgb::Row(const uint8_t* cmyk, uint8_t* bgr, unsigned width) const {
    cmsDoTransform(transform_, cmyk, bgr, width);
}

}  // namespace stillpix::codec
