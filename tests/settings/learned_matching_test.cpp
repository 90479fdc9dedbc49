// Keying of learned profiles: image ids, light values, camera match scores and confidence,
// against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "learned_fixtures.h"
#include "settings/profile_matching.h"

namespace stillpix {
namespace {

using test::Descriptor;
using test::Shot;

TEST(ImageIdHash, RotatesAndAddsSignedBytes) {
    // clang-format off
    const std::pair<const char*, uint32_t> cases[] = {
        {"", 0}, {"A", 0x41}, {"AB", 0x4142}, {"ABCD", 0x41424344},
        {"ABCDE", 0x42434486},     // 0x41424344 rotated is 0x42434441, + 0x45
        {"\xff", 0xFFFFFFFF},      // byte 255 adds -1
        {"A\x80", 0x4080},         // 0x4100 - 128
        {"\xc3\xa9", 0xFFFFC3A8},  // -61 gives 0xFFFFFFC3, rotated 0xFFFFC3FF, + (-87)
    };
    // clang-format on
    for (const auto& [path, id] : cases) EXPECT_EQ(ImageId(path), id) << path;
}

TEST(LightValueOfShots, FollowsTheFormulaOrHasNone) {
    // 2.8924 ln 4 + 6.66 + 1.4462 ln 125 - 1.4662 ln 100 for the first.
    for (const auto& [shot, value] :
         {std::pair{Shot{.fNumber = 4, .exposure = 1.0 / 125, .iso = 100}, 10.9003246},
          {Shot{.fNumber = 1, .exposure = 1, .iso = 100}, -0.0921005},
          {Shot{.fNumber = 5.6, .exposure = 0.5, .iso = 3200}, 0.8117971}})
        EXPECT_NEAR(*LightValue(Descriptor(shot)), value, 1e-6) << shot.fNumber;
    EXPECT_EQ(*LightValue(Descriptor({.iso = 0})),
              *LightValue(Descriptor({.iso = 100})));  // ISO 0 counts as 100
    // Impossible shooting data (5e-324 s makes 1 / t infinite).
    for (const Shot& shot : {Shot{.fNumber = 0}, Shot{.fNumber = -2}, Shot{.exposure = 0},
                             Shot{.exposure = 5e-324}, Shot{.iso = -100}, Shot{.fNumber = NAN}})
        EXPECT_FALSE(LightValue(Descriptor(shot)).has_value())
            << shot.fNumber << " " << shot.exposure << " " << shot.iso;
}

struct MatchCase {
    const char* why;
    Shot a, b;
    int score;
};

TEST(CameraMatch, ScoresWorkedOutByHand) {
    // clang-format off
    const MatchCase cases[] = {
        {"identical", {}, {}, 100},
        // I = 100 - 100 x 100 / 500 = 80; light values 1.4662 ln 1.25 = 0.327 apart, so
        // L = trunc(100 - 16.36) = 83; 80 x 83 / 100 = 66.
        {"ISO 400 against 500", {}, {.iso = 500}, 66},
        {"ISO 800: I = 50, 1.016 apart, L = 49", {}, {.iso = 800}, 24},
        {"f/5.6: 2.8924 ln 1.4 = 0.973 apart, L = trunc(51.34)", {}, {.fNumber = 5.6}, 51},
        {"two stops: L = trunc(-0.24)", {}, {.fNumber = 8}, 0},
        {"three stops: L = trunc(-100.49)", {}, {.fNumber = 16}, -100},
        {"make in another case", {}, {.make = "CANON"}, 100},
        {"the terminator counts", {}, {.make = "Canon Inc."}, 0},
        {"six bytes of the make", {.make = "NIKON CORPORATION"}, {.make = "nikon corp"}, 100},
        {"model case", {}, {.model = "Canon EOS 300D digital"}, 0},
        {"other software", {}, {.software = "GIMP 2.10"}, 100},
        {"an editor on one side", {}, {.software = "Adobe Photoshop 7.0"}, 0},
        {"the same editor", {.software = "Adobe Photoshop 7.0"}, {.software = "Adobe Photoshop 7.0"}, 100},
        {"another editor version", {.software = "Adobe Photoshop 7.0"}, {.software = "Adobe Photoshop 8.0"}, 0},
        {"our own software", {.software = "Veltrano Stillpix"}, {}, 0},
        {"rotated", {}, {.width = 2048, .height = 3072}, 100},
        {"another size", {}, {.width = 3072, .height = 2047}, 0},
        {"zoom 1", {}, {.zoom = 1.0}, 100},
        {"zoomed", {}, {.zoom = 1.5}, 0},
        {"zoom not a number", {.zoom = NAN}, {}, 0},
        {"no ISO", {}, {.iso = 0}, 0},
        {"no light value on one side", {}, {.exposure = 0}, 0},
        {"no light value on both", {.fNumber = 0}, {.fNumber = 0}, 0},
    };
    // clang-format on
    for (const MatchCase& c : cases)
        EXPECT_EQ(CameraMatchScore(Descriptor(c.a), Descriptor(c.b)), c.score) << c.why;

    // Texts without terminator stay in their fields.
    ImageDescriptor a = Descriptor({});
    std::memset(a.model, 'M', sizeof a.model);
    std::memset(a.software, 'S', sizeof a.software);
    ImageDescriptor b = a;
    EXPECT_EQ(CameraMatchScore(a, b), 100);
    b.model[99] = 'N';
    EXPECT_EQ(CameraMatchScore(a, b), 0);
}

TEST(Qualifying, NeedsIsoAndForeignSoftware) {
    EXPECT_TRUE(ImageQualifies(Descriptor({})));
    EXPECT_FALSE(ImageQualifies(Descriptor({.iso = 0})));
    EXPECT_FALSE(ImageQualifies(Descriptor({.software = "Veltrano Stillpix Professional"})));
    EXPECT_TRUE(ImageQualifies(Descriptor({.software = "veltrano"})));  // exact case
    EXPECT_TRUE(ImageQualifies(Descriptor({.software = "Adobe Photoshop"})));
}

TEST(Confidence, CountsAgainstEachBandsDivisor) {
    NoiseProfile p;
    ResetProfile(p, false);
    EXPECT_EQ(ProfileConfidence(p), 0);
    EXPECT_EQ(ProfileConfidence(test::UniformProfile(100, 32767)), 100);  // capped at 100 per bin
    for (int k = 0; k < kProfileBins; ++k)
        for (int c = 0; c < 3; ++c)  // D = 2048: 100 each; D = 1024: 50 each
            p.bands[0].counts[k][c] = 2048, p.bands[1].counts[k][c] = 512;
    EXPECT_EQ(ProfileConfidence(p), 37);  // (33 x 100 + 33 x 50) / (3 x 44) = 4950 / 132
    p.bands[3].counts[0][0] = 256;        // D = 256
    EXPECT_EQ(ProfileConfidence(p), 38);  // 5050 / 132
    p.bands[2].counts[0][1] = 100;        // 100 x 100 / 512 = 19
    EXPECT_EQ(ProfileConfidence(p), 38);  // 5069 / 132
    p.bandCount = 1;
    EXPECT_EQ(ProfileConfidence(p), 100);
    p.bandCount = 0;
    EXPECT_EQ(ProfileConfidence(p), 0);
    p.bandCount = 99;  // damaged: only the five slots exist
    EXPECT_GE(ProfileConfidence(p), 0);
}

}  // namespace
}  // namespace stillpix
