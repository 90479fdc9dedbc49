#include "settings/image_profile_choice.h"

#include "settings/profile_matching.h"

namespace stillpix {
namespace {

bool UseLearnedWithoutMeasuring(int confidence, const ProfileChoiceOptions& options) {
    if (confidence < kSufficientConfidence || !options.selfLearning) return false;
    if (options.kind == ProfileRunKind::kBatchImage) return options.skipBuildWhenSufficient;
    return !options.alwaysBuildImageProfile && !options.buildRequested;
}

}  // namespace

bool ChooseImageProfile(const ImageDescriptor& descriptor, std::string_view imagePath,
                        const ProfileChoiceOptions& options, LearnedProfileStore& store,
                        const MeasureImageProfile& measure, ProfileChoice& out) {
    out = ProfileChoice{};
    NoiseProfile& profile = out.profile;
    ResetProfile(profile, false);
    store.BuildLearnedProfile(descriptor, profile, options.selfLearning);
    out.confidence = ProfileConfidence(profile);

    if (UseLearnedWithoutMeasuring(out.confidence, options)) {
        out.individual = profile;
    } else {
        // A complete learned profile is not improved by this image: measure, but do not learn.
        const bool complete = out.confidence == 100;
        ResetProfile(profile, false);
        out.measured = true;
        const bool finished = measure && measure(profile);
        out.individual = profile;
        if (!finished) return false;
        out.individualProfileBuilt = !complete;
        const bool learnHere =
            options.kind == ProfileRunKind::kSingleImage || options.learnWhileBatch;
        if (!complete && options.selfLearning && learnHere) {
            out.learned =
                store.LearnFromImage(imagePath, descriptor, profile, options.selfLearning);
            if (ImageQualifies(descriptor)) {
                NoiseProfile combined;
                ResetProfile(combined, false);
                if (store.BuildLearnedProfile(descriptor, combined, options.selfLearning))
                    profile = combined;
            }
        }
    }
    SmoothProfile(out.individual);
    SmoothProfile(out.profile);
    return true;
}

}  // namespace stillpix
