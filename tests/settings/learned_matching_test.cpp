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
    EXPECT_EQ(ImageId(""), 0u);
    EXPECT_EQ(ImageId("A"), 0x41u);
    EXPECT_EQ(ImageId("AB"), 0x4142u);
    EXPECT_EQ(ImageId("ABCD"), 0x41424344u);
    EXPECT_EQ(ImageId("ABCDE"), 0x42434486u);   // 0x41424344 rotated is 0x42434441, + 0x45
    EXPECT_EQ(ImageId("\xff"), 0xFFFFFFFFu);    // byte 255 adds -1
    EXPECT_EQ(ImageId("A\x80"), 0x4080u);       // 0x4100 - 128
    EXPECT_EQ(ImageId("\xc3\xa9"), 0xFFFFC3A8u);   // -61 gives 0xFFFFFFC3, rotated 0xFFFFC3FF, + (-87)
}

TEST(LightValueOfShots, FollowsTheFormula) {
    // 2.8924 ln 4 + 6.66 + 1.4462 ln 125 - 1.4662 ln 100
    EXPECT_NEAR(*LightValue(Descriptor({.fNumber = 4, .exposure = 1.0 / 125, .iso = 100})), 10.9003246, 1e-6);
    EXPECT_NEAR(*LightValue(Descriptor({.fNumber = 1, .exposure = 1, .iso = 100})), -0.0921005, 1e-6);
    EXPECT_NEAR(*LightValue(Descriptor({.fNumber = 5.6, .exposure = 0.5, .iso = 3200})), 0.8117971, 1e-6);
    // ISO 0 counts as 100.
    EXPECT_EQ(*LightValue(Descriptor({.iso = 0})), *LightValue(Descriptor({.iso = 100})));
}

TEST(LightValueOfShots, ImpossibleShootingDataHasNone) {
    EXPECT_FALSE(LightValue(Descriptor({.fNumber = 0})).has_value());
    EXPECT_FALSE(LightValue(Descriptor({.fNumber = -2})).has_value());
    EXPECT_FALSE(LightValue(Descriptor({.exposure = 0})).has_value());
    EXPECT_FALSE(LightValue(Descriptor({.exposure = 5e-324})).has_value());   // 1 / t is infinite
    EXPECT_FALSE(LightValue(Descriptor({.iso = -100})).has_value());
    EXPECT_FALSE(LightValue(Descriptor({.fNumber = NAN})).has_value());
    const ImageDescriptor good = Descriptor({});
    EXPECT_EQ(CameraMatchScore(good, Descriptor({.exposure = 0})), 0);
    EXPECT_EQ(CameraMatchScore(Descriptor({.fNumber = 0}), Descriptor({.fNumber = 0})), 0);
}

TEST(CameraMatch, IdenticalAndNearShots) {
    const ImageDescriptor a = Descriptor({});
    EXPECT_EQ(CameraMatchScore(a, a), 100);
    // ISO 400 against 500: I = 100 - 100 x 100 / 500 = 80; the light values differ by
    // 1.4662 ln 1.25 = 0.327, so L = trunc(100 - 16.36) = 83; 80 x 83 / 100 = 66.
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.iso = 500})), 66);
    // ISO 800 against 400: I = 50, light apart by 1.4662 ln 2 = 1.016, L = 49; 2450 / 100.
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.iso = 800})), 24);
    // f/4 against f/5.6 (2.8924 ln 1.4 = 0.973): L = trunc(51.34) = 51.
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.fNumber = 5.6})), 51);
    // Two stops apart (2.8924 ln 2 = 2.005): L = trunc(-0.24) = 0; three: trunc(-100.49) = -100.
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.fNumber = 8})), 0);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.fNumber = 16})), -100);
}

TEST(CameraMatch, MakeModelSoftwareSizeZoomAndIso) {
    const ImageDescriptor a = Descriptor({});
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.make = "CANON"})), 100);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.make = "Canon Inc."})), 0);   // the terminator counts
    EXPECT_EQ(CameraMatchScore(Descriptor({.make = "NIKON CORPORATION"}), Descriptor({.make = "nikon corp"})), 100);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.model = "Canon EOS 300D digital"})), 0);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.software = "GIMP 2.10"})), 100);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.software = "Adobe Photoshop 7.0"})), 0);
    EXPECT_EQ(CameraMatchScore(Descriptor({.software = "Adobe Photoshop 7.0"}),
                               Descriptor({.software = "Adobe Photoshop 7.0"})),
              100);
    EXPECT_EQ(CameraMatchScore(Descriptor({.software = "Adobe Photoshop 7.0"}),
                               Descriptor({.software = "Adobe Photoshop 8.0"})),
              0);
    EXPECT_EQ(CameraMatchScore(Descriptor({.software = "Veltrano Stillpix"}), a), 0);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.width = 2048, .height = 3072})), 100);   // rotated
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.width = 3072, .height = 2047})), 0);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.zoom = 1.0})), 100);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.zoom = 1.5})), 0);
    EXPECT_EQ(CameraMatchScore(Descriptor({.zoom = NAN}), a), 0);
    EXPECT_EQ(CameraMatchScore(a, Descriptor({.iso = 0})), 0);
}

TEST(CameraMatch, TextsWithoutTerminatorStayInTheirFields) {
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
    EXPECT_TRUE(ImageQualifies(Descriptor({.software = "veltrano"})));   // exact case
    EXPECT_TRUE(ImageQualifies(Descriptor({.software = "Adobe Photoshop"})));
}

TEST(Confidence, CountsAgainstEachBandsDivisor) {
    NoiseProfile p;
    ResetProfile(p, false);
    EXPECT_EQ(ProfileConfidence(p), 0);
    EXPECT_EQ(ProfileConfidence(test::UniformProfile(100, 32767)), 100);   // capped at 100 per bin
    for (int k = 0; k < kProfileBins; ++k)
        for (int c = 0; c < 3; ++c) {
            p.bands[0].counts[k][c] = 2048;   // D = 2048: 100 each
            p.bands[1].counts[k][c] = 512;    // D = 1024: 50 each
        }
    // (33 x 100 + 33 x 50) / (3 x 44) = 4950 / 132
    EXPECT_EQ(ProfileConfidence(p), 37);
    p.bands[3].counts[0][0] = 256;   // D = 256
    EXPECT_EQ(ProfileConfidence(p), 38);   // 5050 / 132
    p.bands[2].counts[0][1] = 100;   // 100 x 100 / 512 = 19
    EXPECT_EQ(ProfileConfidence(p), 38);   // 5069 / 132
    p.bandCount = 1;
    EXPECT_EQ(ProfileConfidence(p), 100);
    p.bandCount = 0;
    EXPECT_EQ(ProfileConfidence(p), 0);
    p.bandCount = 99;   // damaged: only the five slots exist
    EXPECT_GE(ProfileConfidence(p), 0);
}

}  // namespace
}  // namespace stillpix
