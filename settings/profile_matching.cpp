#include "settings/profile_matching.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace stillpix {
namespace {

// Descriptor texts come from files: never read past the field, terminator or not.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return std::string_view(field, ::strnlen(field, N));
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Up to 6 bytes, the terminator taking part: "Canon" matches "CANON" but not "Canon Inc.".
bool MakesMatch(std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < 6; ++i) {
        const char ca = i < a.size() ? a[i] : '\0';
        const char cb = i < b.size() ? b[i] : '\0';
        if (LowerAscii(ca) != LowerAscii(cb)) return false;
        if (ca == '\0') return true;
    }
    return true;
}

bool IsOwnOrEditorSoftware(std::string_view software) {
    return software.starts_with("Adobe") || software.starts_with("Veltrano");
}

bool SizesMatch(const ImageDescriptor& a, const ImageDescriptor& b) {
    return (a.width == b.width && a.height == b.height) ||
           (a.width == b.height && a.height == b.width);
}

}  // namespace

uint32_t ImageId(std::string_view path) {
    uint32_t h = 0;
    for (const char c : path) h = std::rotl(h, 8) + static_cast<uint32_t>(static_cast<int8_t>(c));
    return h;
}

std::optional<double> LightValue(const ImageDescriptor& d) {
    if (!(d.fNumber > 0.0) || !(d.exposureTime > 0.0) || d.isoSpeed < 0) return std::nullopt;
    const double iso = d.isoSpeed == 0 ? 100.0 : static_cast<double>(d.isoSpeed);
    const double value = 2.8924 * std::log(d.fNumber) + 6.66 +
                         1.4462 * std::log(1.0 / d.exposureTime) - 1.4662 * std::log(iso);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

int CameraMatchScore(const ImageDescriptor& a, const ImageDescriptor& b) {
    if (!MakesMatch(FieldText(a.make), FieldText(b.make))) return 0;
    if (FieldText(a.model) != FieldText(b.model)) return 0;
    const std::string_view softwareA = FieldText(a.software), softwareB = FieldText(b.software);
    if ((IsOwnOrEditorSoftware(softwareA) || IsOwnOrEditorSoftware(softwareB)) &&
        softwareA != softwareB)
        return 0;
    if (!SizesMatch(a, b)) return 0;
    if (!(a.digitalZoom <= 1.0) || !(b.digitalZoom <= 1.0)) return 0;
    if (a.isoSpeed < 1 || b.isoSpeed < 1) return 0;
    const auto lightA = LightValue(a), lightB = LightValue(b);
    if (!lightA || !lightB) return 0;

    const int64_t isoA = a.isoSpeed, isoB = b.isoSpeed;
    const int64_t isoScore = 100 - (std::llabs(isoA - isoB) * 100) / std::max(isoA, isoB);
    // Light values of real shooting data stay within a few thousand, so this never clips.
    const double light = std::clamp(100.0 - 50.0 * std::fabs(*lightA - *lightB), -1e9, 1e9);
    const int64_t lightScore = static_cast<int64_t>(std::trunc(light));
    return static_cast<int>(isoScore * lightScore / 100);
}

int ProfileConfidence(const NoiseProfile& profile) {
    const int bands = std::clamp(profile.bandCount, 0, kProfileBandSlots);
    int64_t sum = 0;
    int64_t bins = 0;
    for (int b = 0; b < bands; ++b) {
        const ProfileBand& band = profile.bands[b];
        const int32_t divisor = 1 << (11 - b);
        const int binCount = std::clamp(band.binCount, 0, kProfileBinSlots);
        for (int k = 0; k < binCount; ++k)
            for (int c = 0; c < 3; ++c)
                sum += std::clamp(band.counts[k][c] * 100 / divisor, 0, 100);
        bins += binCount;
    }
    return bins == 0 ? 0 : static_cast<int>(sum / (3 * bins));
}

bool ImageQualifies(const ImageDescriptor& d) {
    return d.isoSpeed >= 1 && !FieldText(d.software).starts_with("Veltrano");
}

}  // namespace stillpix
