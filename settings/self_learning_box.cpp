#include "settings/self_learning_box.h"

#include "settings/custom_filters.h"
#include "settings/record_codec.h"

namespace stillpix {

SelfLearningBoxState SelfLearningBox(const SelfLearningFacts& f) {
    const bool cannotLearn = f.imageLoaded && !f.qualifies;
    return {cannotLearn || f.usesIndividualProfile || !f.selfLearning,
            f.imageLoaded && f.profileReady};
}

SelfLearningStep SelfLearningBoxClicked(bool checkedNow, const SelfLearningFacts& f) {
    using enum SelfLearningStep;
    if (!f.imageLoaded) return kNone;
    if (!checkedNow) {
        if (!f.qualifies) return kRefuse;
        if (!f.selfLearning) return kAskEnable;
    } else if (!f.individualProfileBuilt) {
        return kAskBuild;
    }
    return kSwitch;
}

std::string SelfLearningRefusedText(const ImageDescriptor& d) {
    std::string text = WithName(kSelfLearningRefusedFormat,
                                d.isoSpeed >= 1 ? std::to_string(d.isoSpeed) : "Unknown");
    if (const std::string_view software = FieldText(d.software); !software.empty())
        text += WithName(kSelfLearningRefusedSoftware, software);
    return text;
}

std::string ProfileSectionText(bool imageLoaded, bool profileReady) {
    if (!imageLoaded) return kNoImageText;
    return profileReady ? std::string() : kProfileBeingBuiltText;
}

}  // namespace stillpix
