// The EXIF rows and descriptor for whole blocks and for single fields, texts worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "exif/exif_formatter.h"
#include "tests/exif/fake_exif_source.h"

namespace stillpix {
namespace {

using test::FakeExifSource;
using test::Rows;
using test::RowsOf;

void ExpectDescriptor(const CExifFormatter& f, const ImageDescriptor& expected) {
    EXPECT_EQ(EncodeImageDescriptor(f.Descriptor()), EncodeImageDescriptor(expected));
}

FakeExifSource FullBlock() {
    FakeExifSource e;
    e.make = "Canon", e.model = "Canon EOS 5D", e.software = "Firmware 1.1.1", e.iso = 400;
    e.exposureTime = 0.004, e.apertureValue = 3.0, e.fNumber = 2.8, e.exposureBias = -670;
    e.xResolution = 72, e.yResolution = 300, e.resolutionUnit = 2, e.digitalZoom = 1.5;
    e.dateTime = "2024:05:06 07:08:09", e.dateTimeOriginal = "2023:01:01 00:00:00";
    e.dateTimeDigitized = "2022:01:01 00:00:00", e.bigEndian = true;
    return e;
}

TEST(ExifFormatter, FullBlockGivesEveryRowInOrderAndItsDescriptor) {
    CExifFormatter f;
    f.SetColorProfile("sRGB IEC61966-2.1");
    f.SetColorDepth(24);
    f.Set(FullBlock(), 640, 480);
    // clang-format off
    EXPECT_EQ(RowsOf(f), (Rows{{"Make", "Canon"}, {"Model", "Canon EOS 5D"}, {"Width", "640"},
        {"Height", "480"}, {"X Resolution", "72 dpi"}, {"Y Resolution", "300 dpi"},
        {"ISO Speed", "ISO 400"}, {"Aperture", "f2.8"}, {"Shutter Speed", "1/250"},
        {"Exposure Bias", "-0.67"}, {"Date Created", "2024:05:06 07:08:09"},
        {"Software", "Firmware 1.1.1"}, {"Color Profile", "sRGB IEC61966-2.1"},
        {"Color Depth", "24 bpp"}}));
    // clang-format on
    EXPECT_EQ(f.Texts().digitalZoom, "1.5");  // kept, never shown
    ImageDescriptor d;
    std::strcpy(d.make, "Canon"), std::strcpy(d.model, "Canon EOS 5D"),
        std::strcpy(d.software, "Firmware 1.1.1");
    std::strcpy(d.dateTime, "2024:05:06 07:08:09");
    d.width = 640, d.height = 480, d.fNumber = 2.8, d.exposureTime = d.exposureTime2 = 0.004;
    d.shutterSpeedApex = -std::log2(0.004), d.exposureBias = -670, d.xResolution = 72,
    d.yResolution = 300;
    d.isoSpeed = 400, d.digitalZoom = 1.5;
    ExpectDescriptor(f, d);
}

TEST(ExifFormatter, SparseBlocksGiveFewRowsAndEachSetStartsAfresh) {
    CExifFormatter f;
    f.Set(FakeExifSource{}, 0, 0);
    EXPECT_EQ(RowsOf(f), (Rows{{"Width", "0"}, {"Height", "0"}}));
    FakeExifSource sparse;
    sparse.model = "DSC-1";
    f.SetColorDepth(48);
    f.Set(FullBlock(), 10, 10);
    f.Set(sparse, 3, 2);  // nothing of the full block stays, the colour texts do
    EXPECT_EQ(
        RowsOf(f),
        (Rows{{"Model", "DSC-1"}, {"Width", "3"}, {"Height", "2"}, {"Color Depth", "48 bpp"}}));
    ImageDescriptor expected;
    std::strcpy(expected.model, "DSC-1");
    expected.width = 3, expected.height = 2;
    ExpectDescriptor(f, expected);
}

TEST(ExifFormatter, DescriptorTakesTheWinningValuesAndCutsItsTexts) {
    FakeExifSource e;
    e.exposureTime = 0.004, e.shutterSpeed = 8;  // the shutter speed value wins
    e.make = std::string(150, 'M'), e.software = std::string("Tool\0\x7f\x7f", 7);
    e.dateTime = "2024:05:06 07:08:09.123", e.digitalZoom = 2.0;
    CExifFormatter f;
    f.Set(e, 1, 1);
    ImageDescriptor d;
    std::memset(d.make, 'M', 99), std::strcpy(d.software, "Tool"),
        std::strcpy(d.dateTime, "2024:05:06 07:08:09");
    d.width = d.height = 1, d.exposureTime = d.exposureTime2 = 1.0 / 256, d.shutterSpeedApex = 8,
    d.digitalZoom = 2.0;
    ExpectDescriptor(f, d);
    EXPECT_EQ(f.Texts().make.size(), 150u);  // the row keeps the whole text
    EXPECT_EQ(f.Texts().dateCreated, "2024:05:06 07:08:09.123");
}

struct FieldCase {
    const char* name;
    std::function<void(FakeExifSource&)> tags;
    const char* label;
    const char* shown;  // nullptr: no such row
};

class ExifField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ExifField, ShowsTheHandWorkedText) {
    FakeExifSource exif;
    GetParam().tags(exif);
    CExifFormatter f;
    f.Set(exif, 1, 1);
    const Rows rows = RowsOf(f);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const auto& r) { return r.first == GetParam().label; });
    if (GetParam().shown == nullptr) {
        EXPECT_EQ(row, rows.end()) << row->second;
    } else {
        ASSERT_NE(row, rows.end());
        EXPECT_EQ(row->second, GetParam().shown);
    }
    for (const auto& [label, value] : rows)
        EXPECT_TRUE(value.find("inf") == std::string::npos &&
                    value.find("nan") == std::string::npos)
            << label;
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// clang-format off
INSTANTIATE_TEST_SUITE_P(HandWorked, ExifField, ::testing::Values(
    FieldCase{"ExposureLong", [](auto& e) { e.exposureTime = 2.5; }, "Shutter Speed", "2.5"},
    FieldCase{"ExposureThird", [](auto& e) { e.exposureTime = 1.0 / 3; }, "Shutter Speed", "1/ 3"},
    FieldCase{"ExposureOne", [](auto& e) { e.exposureTime = 1.0; }, "Shutter Speed", "1.0"},
    FieldCase{"ExposureZero", [](auto& e) { e.exposureTime = 0.0; }, "Shutter Speed", nullptr},
    FieldCase{"ExposureTiny", [](auto& e) { e.exposureTime = 1e-320; }, "Shutter Speed", nullptr},
    FieldCase{"ExposureNan", [](auto& e) { e.exposureTime = kNan; }, "Shutter Speed", nullptr},
    FieldCase{"ShutterWins", [](auto& e) { e.exposureTime = 0.004; e.shutterSpeed = 8; }, "Shutter Speed", "1/256"},
    FieldCase{"ShutterLong", [](auto& e) { e.shutterSpeed = -1; }, "Shutter Speed", "2.0"},
    FieldCase{"ShutterOne", [](auto& e) { e.shutterSpeed = 0; }, "Shutter Speed", "1.0"},
    FieldCase{"ShutterHuge", [](auto& e) { e.shutterSpeed = 5000; }, "Shutter Speed", nullptr},
    FieldCase{"ShutterInf", [](auto& e) { e.shutterSpeed = -kInf; }, "Shutter Speed", nullptr},
    FieldCase{"Aperture4", [](auto& e) { e.apertureValue = 4; }, "Aperture", "f4.0"},
    FieldCase{"FNumber11", [](auto& e) { e.fNumber = 11; }, "Aperture", "f11.0"},
    FieldCase{"ApertureHuge", [](auto& e) { e.apertureValue = 1e6; }, "Aperture", nullptr},
    FieldCase{"BiasZero", [](auto& e) { e.exposureBias = 0; }, "Exposure Bias", "+0.00"},
    FieldCase{"BiasPlus", [](auto& e) { e.exposureBias = 1330; }, "Exposure Bias", "+1.33"},
    FieldCase{"BiasNan", [](auto& e) { e.exposureBias = kNan; }, "Exposure Bias", nullptr},
    FieldCase{"ResolutionDpc", [](auto& e) { e.xResolution = 72; e.resolutionUnit = 3; }, "X Resolution", "72 dpc"},
    FieldCase{"ResolutionUnitOne", [](auto& e) { e.yResolution = 72; e.resolutionUnit = 1; }, "Y Resolution", "72 dpc"},
    FieldCase{"UnitWithoutResolutionX", [](auto& e) { e.resolutionUnit = 2; }, "X Resolution", " dpi"},
    FieldCase{"ResolutionWithoutUnit", [](auto& e) { e.xResolution = 72; }, "X Resolution", "72"},
    FieldCase{"ResolutionWide", [](auto& e) { e.xResolution = 123456; }, "X Resolution", "123456"},
    FieldCase{"ResolutionRounded", [](auto& e) { e.yResolution = 299.6; }, "Y Resolution", "300"},
    FieldCase{"IsoZero", [](auto& e) { e.iso = 0; }, "ISO Speed", "ISO 0"},
    FieldCase{"IsoNegative", [](auto& e) { e.iso = -5; }, "ISO Speed", nullptr},
    FieldCase{"DateOriginal", [](auto& e) { e.dateTimeOriginal = "2001:02:03 04:05:06"; e.dateTimeDigitized = "x"; },
              "Date Created", "2001:02:03 04:05:06"},
    FieldCase{"DateDigitized", [](auto& e) { e.dateTimeDigitized = "2001:02:03 04:05:07"; }, "Date Created",
              "2001:02:03 04:05:07"},
    FieldCase{"DateEmptyFallsBack", [](auto& e) { e.dateTime = std::string(1, '\0'); e.dateTimeOriginal = "B"; },
              "Date Created", "B"},
    FieldCase{"DateUnchanged", [](auto& e) { e.dateTime = "2024:05:06 07:08:09+02:00"; }, "Date Created",
              "2024:05:06 07:08:09+02:00"},
    FieldCase{"MakeStopsAtNul", [](auto& e) { e.make = std::string("Canon\0junk", 10); }, "Make", "Canon"},
    FieldCase{"MakeLoneNul", [](auto& e) { e.make = std::string(1, '\0'); }, "Make", nullptr},
    FieldCase{"SoftwareEmpty", [](auto& e) { e.software = ""; }, "Software", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace stillpix
