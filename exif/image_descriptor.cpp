#include "exif/image_descriptor.h"

#include "engine/little_endian.h"

namespace stillpix {
namespace {

// One field list for both directions keeps the two in step.
template <class Io, class Descriptor>
void Fields(Io& io, Descriptor& d) {
    io.Chars(d.make, sizeof d.make);
    io.Chars(d.model, sizeof d.model);
    io.Field(d.width);
    io.Field(d.height);
    io.Field(d.fNumber);
    io.Field(d.exposureTime);
    io.Field(d.shutterSpeedApex);
    io.Field(d.exposureTime2);
    io.Field(d.exposureBias);
    io.Field(d.xResolution);
    io.Field(d.yResolution);
    io.Field(d.isoSpeed);
    io.Chars(d.dateTime, sizeof d.dateTime);
    io.Chars(d.software, sizeof d.software);
    io.Field(d.zero);
    io.Field(d.digitalZoom);
}

}  // namespace

std::array<uint8_t, kImageDescriptorBytes> EncodeImageDescriptor(const ImageDescriptor& d) {
    std::array<uint8_t, kImageDescriptorBytes> out{};
    LittleEndianWriter writer(out);
    Fields(writer, d);
    return out;
}

bool DecodeImageDescriptor(std::span<const uint8_t> bytes, ImageDescriptor& out) {
    if (bytes.size() != kImageDescriptorBytes) return false;
    LittleEndianReader reader(bytes);
    ImageDescriptor d;
    Fields(reader, d);
    // A stored text without its terminator must not run on.
    d.make[sizeof d.make - 1] = d.model[sizeof d.model - 1] = '\0';
    d.dateTime[sizeof d.dateTime - 1] = d.software[sizeof d.software - 1] = '\0';
    out = d;
    return true;
}

}  // namespace stillpix
