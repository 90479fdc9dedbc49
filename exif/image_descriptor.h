// The 400-byte block of an image's shooting data on which learned profiles are keyed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace stillpix {

struct ImageDescriptor {
    char make[100] = {};  // zero-terminated, at most 99 characters
    char model[100] = {};
    int32_t width = 0;
    int32_t height = 0;
    double fNumber = 0.0;
    double exposureTime = 0.0;  // seconds
    double shutterSpeedApex = 0.0;
    double exposureTime2 = 0.0;  // second copy, seconds
    double exposureBias = 0.0;   // as read (thousandths of an EV)
    double xResolution = 0.0;
    double yResolution = 0.0;
    int32_t isoSpeed = 0;
    char dateTime[20] = {};  // zero-terminated
    char software[100] = {};
    int32_t zero = 0;
    double digitalZoom = 0.0;
};
static_assert(sizeof(ImageDescriptor) == 400);
static_assert(offsetof(ImageDescriptor, width) == 200);
static_assert(offsetof(ImageDescriptor, fNumber) == 208);
static_assert(offsetof(ImageDescriptor, isoSpeed) == 264);
static_assert(offsetof(ImageDescriptor, dateTime) == 268);
static_assert(offsetof(ImageDescriptor, software) == 288);
static_assert(offsetof(ImageDescriptor, zero) == 388);
static_assert(offsetof(ImageDescriptor, digitalZoom) == 392);

constexpr std::size_t kImageDescriptorBytes = 400;

// Little-endian bytes of the block as laid out above.
std::array<uint8_t, kImageDescriptorBytes> EncodeImageDescriptor(const ImageDescriptor& d);
// False unless exactly 400 bytes.
bool DecodeImageDescriptor(std::span<const uint8_t> bytes, ImageDescriptor& out);

}  // namespace stillpix
