// The EXIF rows and descriptor for whole blocks and for single fields, texts worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "exif/exif_formatter.h"
#include "tests/exif/fake_exif_source.h"

namespace stillpix {
namespace {

using test::FakeExifSource;
using test::Rows;
using test::RowsOf;

FakeExifSource FullBlock() {
    FakeExifSource exif;
    exif.make = "Canon";
    exif.model = "Canon EOS 5D";
    exif.software = "Firmware 1.1.1";
    exif.iso = 400;
    exif.exposureTime = 0.004;
    exif.apertureValue = 3.0;
    exif.fNumber = 2.8;
    exif.exposureBias = -670;
    exif.xResolution = 72;
    exif.yResolution = 300;
    exif.resolutionUnit = 2;
    exif.digitalZoom = 1.5;
    exif.dateTime = "2024:05:06 07:08:09";
    exif.dateTimeOriginal = "2023:01:01 00:00:00";
    exif.dateTimeDigitized = "2022:01:01 00:00:00";
    exif.bigEndian = true;
    return exif;
}

TEST(ExifFormatter, FullBlockGivesEveryRowInOrder) {
    CExifFormatter f;
    f.SetColorProfile("sRGB IEC61966-2.1");
    f.SetColorDepth(24);
    f.Set(FullBlock(), 640, 480);
    const Rows expected = {
        {"Make", "Canon"},          {"Model", "Canon EOS 5D"},
        {"Width", "640"},           {"Height", "480"},
        {"X Resolution", "72 dpi"}, {"Y Resolution", "300 dpi"},
        {"ISO Speed", "ISO 400"},   {"Aperture", "f2.8"},
        {"Shutter Speed", "1/250"}, {"Exposure Bias", "-0.67"},
        {"Date Created", "2024:05:06 07:08:09"}, {"Software", "Firmware 1.1.1"},
        {"Color Profile", "sRGB IEC61966-2.1"}, {"Color Depth", "24 bpp"},
    };
    EXPECT_EQ(RowsOf(f), expected);
    EXPECT_EQ(f.Texts().digitalZoom, "1.5");  // kept, never shown
    EXPECT_EQ(f.IsoSpeed(), 400);

    const ImageDescriptor& d = f.Descriptor();
    EXPECT_STREQ(d.make, "Canon");
    EXPECT_STREQ(d.model, "Canon EOS 5D");
    EXPECT_EQ(d.width, 640);
    EXPECT_EQ(d.height, 480);
    EXPECT_DOUBLE_EQ(d.fNumber, 2.8);
    EXPECT_DOUBLE_EQ(d.exposureTime, 0.004);
    EXPECT_DOUBLE_EQ(d.shutterSpeedApex, -std::log2(0.004));
    EXPECT_DOUBLE_EQ(d.exposureTime2, 0.004);
    EXPECT_DOUBLE_EQ(d.exposureBias, -670.0);
    EXPECT_DOUBLE_EQ(d.xResolution, 72.0);
    EXPECT_DOUBLE_EQ(d.yResolution, 300.0);
    EXPECT_EQ(d.isoSpeed, 400);
    EXPECT_STREQ(d.dateTime, "2024:05:06 07:08:09");
    EXPECT_STREQ(d.software, "Firmware 1.1.1");
    EXPECT_EQ(d.zero, 0);
    EXPECT_DOUBLE_EQ(d.digitalZoom, 1.5);
}

TEST(ExifFormatter, MostlyEmptyBlockGivesFewRowsAndAZeroDescriptor) {
    FakeExifSource exif;
    exif.model = "DSC-1";
    CExifFormatter f;
    f.Set(exif, 3, 2);
    EXPECT_EQ(RowsOf(f), (Rows{{"Model", "DSC-1"}, {"Width", "3"}, {"Height", "2"}}));
    EXPECT_EQ(f.IsoSpeed(), 0);

    ImageDescriptor expected;
    std::memcpy(expected.model, "DSC-1", 5);
    expected.width = 3;
    expected.height = 2;
    EXPECT_EQ(EncodeImageDescriptor(f.Descriptor()), EncodeImageDescriptor(expected));
}

TEST(ExifFormatter, NoBlockAtAllStillShowsTheSize) {
    FakeExifSource exif;
    CExifFormatter f;
    f.Set(exif, 0, 0);
    EXPECT_EQ(RowsOf(f), (Rows{{"Width", "0"}, {"Height", "0"}}));
}

TEST(ExifFormatter, SettingAgainStartsAfreshButKeepsTheColourTexts) {
    CExifFormatter f;
    f.SetColorDepth(48);
    f.Set(FullBlock(), 10, 10);
    FakeExifSource sparse;
    sparse.make = "Other";
    f.Set(sparse, 5, 6);
    EXPECT_EQ(RowsOf(f), (Rows{{"Make", "Other"}, {"Width", "5"}, {"Height", "6"}, {"Color Depth", "48 bpp"}}));
    EXPECT_EQ(f.IsoSpeed(), 0);
    EXPECT_DOUBLE_EQ(f.Descriptor().fNumber, 0.0);
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
    const std::string label = GetParam().label;
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.first == label; });
    if (GetParam().shown == nullptr) {
        EXPECT_EQ(row, rows.end()) << row->second;
    } else {
        ASSERT_NE(row, rows.end());
        EXPECT_EQ(row->second, GetParam().shown);
    }
    for (const auto& [l, value] : rows) {
        EXPECT_EQ(value.find("inf"), std::string::npos) << l;
        EXPECT_EQ(value.find("nan"), std::string::npos) << l;
    }
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// clang-format off
INSTANTIATE_TEST_SUITE_P(HandWorked, ExifField, ::testing::Values(
    FieldCase{"Exposure250", [](auto& e) { e.exposureTime = 0.004; }, "Shutter Speed", "1/250"},
    FieldCase{"ExposureLong", [](auto& e) { e.exposureTime = 2.5; }, "Shutter Speed", "2.5"},
    FieldCase{"ExposureThird", [](auto& e) { e.exposureTime = 1.0 / 3; }, "Shutter Speed", "1/ 3"},
    FieldCase{"ExposureOne", [](auto& e) { e.exposureTime = 1.0; }, "Shutter Speed", "1.0"},
    FieldCase{"ExposureZero", [](auto& e) { e.exposureTime = 0.0; }, "Shutter Speed", nullptr},
    FieldCase{"ExposureNegative", [](auto& e) { e.exposureTime = -0.5; }, "Shutter Speed", nullptr},
    FieldCase{"ExposureTiny", [](auto& e) { e.exposureTime = 1e-320; }, "Shutter Speed", nullptr},
    FieldCase{"ExposureNan", [](auto& e) { e.exposureTime = kNan; }, "Shutter Speed", nullptr},
    FieldCase{"ShutterWins", [](auto& e) { e.exposureTime = 0.004; e.shutterSpeed = 8; }, "Shutter Speed", "1/256"},
    FieldCase{"ShutterLong", [](auto& e) { e.shutterSpeed = -1; }, "Shutter Speed", "2.0"},
    FieldCase{"ShutterOne", [](auto& e) { e.shutterSpeed = 0; }, "Shutter Speed", "1.0"},
    FieldCase{"ShutterHuge", [](auto& e) { e.shutterSpeed = 5000; }, "Shutter Speed", nullptr},
    FieldCase{"ShutterInf", [](auto& e) { e.shutterSpeed = -kInf; }, "Shutter Speed", nullptr},
    FieldCase{"Aperture4", [](auto& e) { e.apertureValue = 4; }, "Aperture", "f4.0"},
    FieldCase{"FNumberWins", [](auto& e) { e.apertureValue = 4; e.fNumber = 2.8; }, "Aperture", "f2.8"},
    FieldCase{"FNumber11", [](auto& e) { e.fNumber = 11; }, "Aperture", "f11.0"},
    FieldCase{"ApertureHuge", [](auto& e) { e.apertureValue = 1e6; }, "Aperture", nullptr},
    FieldCase{"BiasZero", [](auto& e) { e.exposureBias = 0; }, "Exposure Bias", "+0.00"},
    FieldCase{"BiasMinus", [](auto& e) { e.exposureBias = -670; }, "Exposure Bias", "-0.67"},
    FieldCase{"BiasPlus", [](auto& e) { e.exposureBias = 1330; }, "Exposure Bias", "+1.33"},
    FieldCase{"BiasNan", [](auto& e) { e.exposureBias = kNan; }, "Exposure Bias", nullptr},
    FieldCase{"ResolutionDpi", [](auto& e) { e.xResolution = 72; e.resolutionUnit = 2; }, "X Resolution", "72 dpi"},
    FieldCase{"ResolutionDpc", [](auto& e) { e.xResolution = 72; e.resolutionUnit = 3; }, "X Resolution", "72 dpc"},
    FieldCase{"ResolutionUnitOne", [](auto& e) { e.yResolution = 72; e.resolutionUnit = 1; }, "Y Resolution", "72 dpc"},
    FieldCase{"UnitWithoutResolutionX", [](auto& e) { e.resolutionUnit = 2; }, "X Resolution", " dpi"},
    FieldCase{"UnitWithoutResolutionY", [](auto& e) { e.resolutionUnit = 2; }, "Y Resolution", " dpi"},
    FieldCase{"ResolutionWithoutUnit", [](auto& e) { e.xResolution = 72; }, "X Resolution", "72"},
    FieldCase{"ResolutionWide", [](auto& e) { e.xResolution = 123456; }, "X Resolution", "123456"},
    FieldCase{"ResolutionRounded", [](auto& e) { e.yResolution = 299.6; }, "Y Resolution", "300"},
    FieldCase{"IsoHigh", [](auto& e) { e.iso = 51200; }, "ISO Speed", "ISO 51200"},
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

TEST(ExifFormatter, ShutterSpeedValueWinsInTheDescriptor) {
    FakeExifSource exif;
    exif.exposureTime = 0.004;
    exif.shutterSpeed = 8;
    CExifFormatter f;
    f.Set(exif, 1, 1);
    EXPECT_DOUBLE_EQ(f.Descriptor().exposureTime, 1.0 / 256);
    EXPECT_DOUBLE_EQ(f.Descriptor().shutterSpeedApex, 8.0);
    EXPECT_DOUBLE_EQ(f.Descriptor().exposureTime2, 1.0 / 256);
}

TEST(ExifFormatter, DescriptorTextsAreCutAndZeroFilled) {
    FakeExifSource exif;
    exif.make = std::string(150, 'M');
    exif.software = std::string("Tool\0\x7f\x7f", 7);
    exif.dateTime = "2024:05:06 07:08:09.123";
    exif.digitalZoom = 2.0;
    CExifFormatter f;
    f.Set(exif, 1, 1);
    const ImageDescriptor& d = f.Descriptor();
    EXPECT_EQ(std::string(d.make), std::string(99, 'M'));
    EXPECT_EQ(f.Texts().make.size(), 150u);  // the row keeps the whole text
    EXPECT_STREQ(d.dateTime, "2024:05:06 07:08:09");
    EXPECT_EQ(f.Texts().dateCreated, "2024:05:06 07:08:09.123");
    EXPECT_STREQ(d.software, "Tool");
    for (std::size_t i = 4; i < sizeof d.software; ++i) EXPECT_EQ(d.software[i], '\0') << i;
    EXPECT_DOUBLE_EQ(d.digitalZoom, 2.0);
    EXPECT_DOUBLE_EQ(d.exposureBias, 0.0);
}

}  // namespace
}  // namespace stillpix
