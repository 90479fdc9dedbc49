// The profile stage of a processing run: a profile combined from the learned store when it is
// confident enough, otherwise one measured from the image, learned back into the store while
// self-learning is on. The single-image worker and the batch runner both call it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/engine.h"
#include "exif/image_descriptor.h"
#include "settings/profile_store.h"

namespace stillpix {

constexpr int kSufficientConfidence = 70;

enum class ProfileRunKind { kSingleImage, kBatchImage };

struct ProfileChoiceOptions {
    ProfileRunKind kind = ProfileRunKind::kSingleImage;
    bool selfLearning = true;  // "Enable Profile Self-Learning"
    // Single image: "Always Build Noise Profile for the Loaded Image", and the user's request
    // to build this image's own profile.
    bool alwaysBuildImageProfile = false;
    bool buildRequested = false;
    // Batch: "Do not build image profile if sufficient data is available as a result of
    // Self-Learning" and "Enable Self-Learning Profile Builder while processing the Batch".
    bool skipBuildWhenSufficient = true;
    bool learnWhileBatch = true;
};

// The 8-bit bottom-up display bitmap that is measured (24, 32 or 8 bits per pixel).
struct ProfileImageView {
    const uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitsPerPixel = 0;
};

struct ProfileCallbacks {
    void* callerData = nullptr;
    TileCallback tileCallback = nullptr;
    TileBufferCallback tileBufferCallback = nullptr;
};

struct ProfileChoice {
    int confidence = 0;  // of the learned profile found before measuring
    bool measured = false;
    bool individualProfileBuilt = false;  // measured while the learned data was not complete
    LearnResult learned;
    NoiseProfile individual;  // the image's own profile (the learned one when not measured)
    NoiseProfile profile;     // the one to filter with unless the user turns learning off
};

// Builds the image's own profile into `profile` (reset by the caller); false when measuring
// did not finish (stopped or skipped).
using MeasureImageProfile = std::function<bool(NoiseProfile& profile)>;

// The profile stage: combines the learned profiles of `descriptor`'s camera, measures through
// `measure` when they are not confident enough (or the options ask for it), and learns a
// measured profile back into the store. Fills `out`; both profiles are smoothed on success.
// False when measuring did not finish: `out.profile` and `out.individual` then hold what
// measuring left, unsmoothed, and nothing was learned.
bool ChooseImageProfile(const ImageDescriptor& descriptor, std::string_view imagePath,
                        const ProfileChoiceOptions& options, LearnedProfileStore& store,
                        const MeasureImageProfile& measure, ProfileChoice& out);

// ChooseImageProfile measuring `image` with the engine's BuildImageProfile over `tiles`.
bool ObtainImageProfile(const ImageDescriptor& descriptor, std::string_view imagePath,
                        const ProfileImageView& image, TileGrid& tiles,
                        const ProfileCallbacks& callbacks, const ProfileChoiceOptions& options,
                        LearnedProfileStore& store, ProfileChoice& out);

}  // namespace stillpix
