// The profile stage over the engine's measurement; the only part of the store's code that needs
// the tile loop, so the rules above it link and test without it.
#include "settings/image_profile_choice.h"

namespace stillpix {

bool ObtainImageProfile(const ImageDescriptor& descriptor, std::string_view imagePath,
                        const ProfileImageView& image, TileGrid& tiles,
                        const ProfileCallbacks& callbacks, const ProfileChoiceOptions& options,
                        LearnedProfileStore& store, ProfileChoice& out) {
    return ChooseImageProfile(
        descriptor, imagePath, options, store,
        [&](NoiseProfile& profile) {
            return BuildImageProfile(tiles, image.width, image.height, image.stride,
                                     image.bitsPerPixel, image.bits, profile, callbacks.callerData,
                                     callbacks.tileCallback, callbacks.tileBufferCallback);
        },
        out);
}

}  // namespace stillpix
