// The noise filter pane's "Turn off self-learning for this image" box: its state, when it is
// enabled, what a click leads to, and the texts of its prompts and of the profile section.
#pragma once

#include <string>

#include "exif/image_descriptor.h"

namespace stillpix {

inline constexpr char kSelfLearningBoxText[] = "Turn off self-learning for this image";
inline constexpr char kSelfLearningRefusedFormat[] =
    "The Self-Learning Noise Profiling cannot be enabled for this image because of one of the "
    "following parameters\r\n - ISO Speed: %s";
inline constexpr char kSelfLearningRefusedSoftware[] = "\r\n - Software: %s";
inline constexpr char kSelfLearningEnableQuestion[] =
    "The Self-Learning Noise Profiling is disabled.\r\nDo you want to enable it?";
inline constexpr char kBuildOwnProfileQuestion[] =
    "The individual Noise Profile for the loaded image has not been build yet.\r\n"
    "Do you want to start building it?";
// Shown in the profile section instead of the graph.
inline constexpr char kProfileBeingBuiltText[] =
    "Please wait while noise profile is being built...";
inline constexpr char kNoImageText[] = "No image";

struct SelfLearningFacts {
    bool imageLoaded = false;
    bool qualifies = false;              // ImageQualifies of the image's shooting data
    bool selfLearning = false;           // the option "Enable Profile Self-Learning"
    bool usesIndividualProfile = false;  // the document filters with the image's own profile
    bool individualProfileBuilt = false;
    bool profileReady = false;
};

struct SelfLearningBoxState {
    bool checked = false;
    bool enabled = false;
};

// Set for an image whose shooting data cannot take part in learning, else while the image's
// own profile is used or self-learning is off; enabled only once the profile is ready.
SelfLearningBoxState SelfLearningBox(const SelfLearningFacts& facts);

enum class SelfLearningStep {
    kNone,       // no image: nothing happens
    kRefuse,     // set the box again and warn with SelfLearningRefusedText
    kAskEnable,  // Yes: self-learning on and saved, then kSwitch; No: set the box again
    kAskBuild,   // Yes: build the image's own profile; No: clear the box again
    kSwitch,     // filter with the image's own profile (box set) or the learned one (cleared)
};

// What the user's click leaves to do; `checkedNow` is the box's state after the click.
SelfLearningStep SelfLearningBoxClicked(bool checkedNow, const SelfLearningFacts& facts);

// The warning for an image that cannot learn: its ISO speed ("Unknown" without one) and,
// when it has one, the software that wrote it.
std::string SelfLearningRefusedText(const ImageDescriptor& descriptor);

// The text shown instead of the graph, or "" when the profile is ready to be drawn.
std::string ProfileSectionText(bool imageLoaded, bool profileReady);

}  // namespace stillpix
