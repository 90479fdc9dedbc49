// Canon and Nikon type 3 maker notes laid out as cameras store them, in both byte orders, and
// notes that lie about their counts and offsets.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "exif/exif_formatter.h"
#include "exif/makernote_canon.h"
#include "exif/makernote_nikon3.h"
#include "tests/exif/fake_exif_source.h"
#include "tests/exif/tiff_block_writer.h"

namespace stillpix {
namespace {

using test::FakeExifSource;
using test::TestEntry;
using test::TiffBlockWriter;
using test::Rows;
using test::RowsOf;
using EntryMaker = std::function<std::vector<TestEntry>(const TiffBlockWriter&)>;

// A TIFF block with IFD0 (make, model) and then the note, whose offsets count from the TIFF header.
FakeExifSource CanonExif(bool bigEndian, const EntryMaker& noteEntries, std::size_t* noteStartOut = nullptr) {
    TiffBlockWriter w(bigEndian);
    w.TiffHeader();
    w.Directory({w.Ascii(0x010F, "Canon"), w.Ascii(0x0110, "Canon EOS 5D")}, 0);
    const std::size_t noteStart = w.Size();
    w.Directory(noteEntries(w), 0);
    if (noteStartOut) *noteStartOut = noteStart;

    FakeExifSource exif;
    exif.make = "Canon";
    exif.model = "Canon EOS 5D";
    exif.bigEndian = bigEndian;
    exif.makerNote = std::vector<uint8_t>(w.Bytes().begin() + static_cast<std::ptrdiff_t>(noteStart), w.Bytes().end());
    exif.makerNoteOffset = static_cast<int32_t>(noteStart + 12);
    return exif;
}

std::vector<uint16_t> CameraSettings(uint16_t contrast, uint16_t saturation, uint16_t sharpness, uint16_t isoCode) {
    std::vector<uint16_t> values(25, 0);
    values[0] = 50;  // the list's own length in bytes
    values[13] = contrast;
    values[14] = saturation;
    values[15] = sharpness;
    values[16] = isoCode;
    return values;
}

std::vector<uint16_t> ShotInformation(uint16_t whiteBalance) {
    std::vector<uint16_t> values(10, 0);
    values[0] = 20;
    values[7] = whiteBalance;
    values[9] = 0xBEEF;
    return values;
}

struct CanonCase {
    const char* name;
    uint16_t contrast, saturation, sharpness, isoCode, whiteBalance;
    std::optional<int32_t> standardIso;
    int32_t iso;
    Rows rows;  // from "ISO Speed" on
};

class CanonNote : public ::testing::TestWithParam<std::tuple<bool, CanonCase>> {};

TEST_P(CanonNote, GivesIsoAndPictureSettings) {
    const auto& [bigEndian, c] = GetParam();
    FakeExifSource exif = CanonExif(bigEndian, [&](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{
            w.Short(0x0001, CameraSettings(c.contrast, c.saturation, c.sharpness, c.isoCode)),
            w.Short(0x0004, ShotInformation(c.whiteBalance)),
            w.Ascii(0x0006, "IMG:EOS 5D JPEG"),
            w.Ascii(0x0007, "abc"),
        };
    });
    exif.iso = c.standardIso;
    CExifFormatter f;
    f.Set(exif, 64, 48);

    Rows expected = {{"Make", "Canon"}, {"Model", "Canon EOS 5D"}, {"Width", "64"}, {"Height", "48"}};
    expected.insert(expected.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(RowsOf(f), expected);
    EXPECT_EQ(f.IsoSpeed(), c.iso);
    EXPECT_EQ(f.Descriptor().isoSpeed, c.iso);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, CanonNote,
    ::testing::Combine(
        ::testing::Bool(),
        ::testing::Values(
            CanonCase{"Iso100", 65535, 1, 0, 17, 1, std::nullopt, 100,
                      {{"ISO Speed", "ISO 100"}, {"White Balance", "Sunny"}, {"Sharpness", "Normal"},
                       {"Contrast", "Low"}, {"Saturation", "High"}}},
            CanonCase{"StandardIsoWins", 0, 0, 0, 17, 4, 200, 200,
                      {{"ISO Speed", "ISO 200"}, {"White Balance", "Flourescent"}, {"Sharpness", "Normal"},
                       {"Contrast", "Normal"}, {"Saturation", "Normal"}}},
            CanonCase{"UnknownLevelsGiveNoRow", 2, 3, 1, 19, 6, std::nullopt, 400,
                      {{"ISO Speed", "ISO 400"}, {"White Balance", "Custom"}, {"Sharpness", "High"}}},
            CanonCase{"AutoIso", 1, 65535, 65535, 15, 9, std::nullopt, 0,
                      {{"ISO Speed", "Auto"}, {"White Balance", "Unknown"}, {"Sharpness", "Low"},
                       {"Contrast", "High"}, {"Saturation", "Low"}}},
            CanonCase{"IsoCodeZeroAndUnknown", 7, 7, 7, 0, 0, std::nullopt, 0, {{"White Balance", "Auto"}}},
            CanonCase{"UnknownIsoCode", 7, 7, 7, 0x4064, 2, std::nullopt, 0, {{"White Balance", "Cloudy"}}},
            CanonCase{"Iso50", 7, 7, 7, 16, 5, std::nullopt, 50,
                      {{"ISO Speed", "ISO 50"}, {"White Balance", "Flash"}}},
            CanonCase{"Iso200", 7, 7, 7, 18, 3, std::nullopt, 200,
                      {{"ISO Speed", "ISO 200"}, {"White Balance", "Tungsten"}}})),
    [](const auto& info) {
        return std::string(std::get<1>(info.param).name) + (std::get<0>(info.param) ? "_Motorola" : "_Intel");
    });

class CanonDirectory : public ::testing::TestWithParam<bool> {
protected:
    // Builds the note, then runs the directory over it as the formatter would.
    CTagValue const* Run(const EntryMaker& entries) {
        exif_ = CanonExif(GetParam(), entries, &noteStart_);
        directory_ = std::make_unique<CCanonTagDirectory>(parent_, exif_, *exif_.makerNote, *exif_.makerNoteOffset);
        directory_->Format();
        return directory_->Find(0x0006);
    }
    CExifFormatter parent_;
    FakeExifSource exif_;
    std::size_t noteStart_ = 0;
    std::unique_ptr<CCanonTagDirectory> directory_;
};

TEST_P(CanonDirectory, ReadsOutOfLineValuesFromTheTiffHeaderOffsets) {
    const CTagValue* imageType = Run([](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{w.Ascii(0x0006, "IMG:EOS 5D JPEG"), w.Long(0x0008, {1234567}),
                                      w.Rational(0x0010, 7, 3), w.Long(0x0011, {5, 6, 7})};
    });
    ASSERT_NE(imageType, nullptr);
    EXPECT_EQ(imageType->text, "IMG:EOS 5D JPEG");
    EXPECT_EQ(directory_->Find(0x0008)->integers, std::vector<uint32_t>{1234567});
    EXPECT_EQ(directory_->Find(0x0010)->numerator, 7u);
    EXPECT_EQ(directory_->Find(0x0010)->denominator, 3u);
    EXPECT_EQ(directory_->Find(0x0011)->integers, (std::vector<uint32_t>{5, 6, 7}));
}

TEST_P(CanonDirectory, KeysTheSettingListsElementByElement) {
    Run([](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{w.Short(0x0001, CameraSettings(65535, 1, 0, 17)),
                                      w.Short(0x0004, ShotInformation(1))};
    });
    EXPECT_EQ(directory_->Find(0x0001), nullptr);
    EXPECT_EQ(directory_->Find(0xC100), nullptr);  // element 0 is the list's length
    EXPECT_EQ(directory_->Find(0xC10D)->integers, std::vector<uint32_t>{65535});
    EXPECT_EQ(directory_->Find(0xC118)->integers, std::vector<uint32_t>{0});
    EXPECT_EQ(directory_->Find(0xC119), nullptr);
    EXPECT_EQ(directory_->Find(0xC209)->integers, std::vector<uint32_t>{0xBEEF});
    EXPECT_EQ(directory_->Contrast().text, "Low");
    EXPECT_EQ(directory_->Iso().value, 100u);
}

// Guards: a count claiming more entries than the note holds, in a note far into the block (so
// measuring the count against the note's position plus its length would let it pass).
TEST_P(CanonDirectory, IgnoresADirectoryThatRunsPastTheNote) {
    TiffBlockWriter w(GetParam());
    w.Raw(std::string(900, '\0'));
    const std::size_t noteStart = w.Size();
    w.Directory({w.Short(0x0001, CameraSettings(0, 0, 0, 17)), w.Short(0x0004, ShotInformation(1))}, 0);
    std::vector<uint8_t> note(w.Bytes().begin() + static_cast<std::ptrdiff_t>(noteStart), w.Bytes().end());
    note[GetParam() ? 1 : 0] = 9;  // 9 entries claimed
    note.resize(2 + 12 * 8 + 4);
    exif_.bigEndian = GetParam();
    CCanonTagDirectory directory(parent_, exif_, note, static_cast<int32_t>(noteStart + 12));
    directory.Format();
    EXPECT_TRUE(directory.Tags().empty());
    EXPECT_TRUE(directory.Labels().empty());
    EXPECT_EQ(parent_.IsoSpeed(), 0);
}

TEST_P(CanonDirectory, SkipsEntriesOfUnknownTypeOrOutsideTheNote) {
    const CTagValue* kept = Run([](const TiffBlockWriter& w) {
        const auto inside = static_cast<uint32_t>(w.Size()) + 2;  // the note starts at w.Size()
        return std::vector<TestEntry>{
            w.Ascii(0x0006, "kept"),
            w.Pointing(0x0007, 13, 1, 0),                   // type 13 is not a TIFF type
            w.Pointing(0x0009, 2, 32, 0xFFFFFFF0u),         // value offset past the note
            w.Pointing(0x000A, 2, 32, 4),                   // value offset before the note
            w.Pointing(0x000B, 3, 0x40000000u, inside),     // count far beyond the note
            w.Pointing(0x000C, 4, 0xFFFFFFFFu, inside),     // byte count overflowing 32 bits
            w.Pointing(0x000D, 5, 0x20000000u, inside),
            w.Long(0x000E, {42}),
        };
    });
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->text, "kept");
    for (int tag : {0x07, 0x09, 0x0A, 0x0B, 0x0C, 0x0D}) EXPECT_EQ(directory_->Find(tag), nullptr) << tag;
    EXPECT_EQ(directory_->Find(0x000E)->integers, std::vector<uint32_t>{42});
}

// Guards: offsets pointing back into the directory itself, and a next link naming the same
// directory again: read once, no loop.
TEST_P(CanonDirectory, ReadsASelfReferringDirectoryOnce) {
    TiffBlockWriter w(GetParam());
    w.TiffHeader();
    const std::size_t noteStart = w.Size();
    w.Directory({w.Pointing(0x0001, 3, 8, static_cast<uint32_t>(noteStart + 2)),
                 w.Pointing(0x0002, 4, 3, static_cast<uint32_t>(noteStart))}, 0);
    std::vector<uint8_t> note(w.Bytes().begin() + static_cast<std::ptrdiff_t>(noteStart), w.Bytes().end());
    TiffBlockWriter link(GetParam());
    link.U32(static_cast<uint32_t>(noteStart));
    std::copy(link.Bytes().begin(), link.Bytes().end(), note.begin() + 2 + 2 * 12);
    exif_.bigEndian = GetParam();
    CCanonTagDirectory directory(parent_, exif_, note, static_cast<int32_t>(noteStart + 12));
    directory.Format();
    ASSERT_NE(directory.Find(0x0002), nullptr);
    EXPECT_EQ(directory.Find(0x0002)->integers.size(), 3u);
    EXPECT_EQ(directory.Find(0xC101)->integers, std::vector<uint32_t>{3});  // the entry's type, read as data
}

TEST_P(CanonDirectory, ShortNotesYieldNothing) {
    for (const std::vector<uint8_t>& note : {std::vector<uint8_t>{}, std::vector<uint8_t>{0x01}}) {
        exif_.bigEndian = GetParam();
        CCanonTagDirectory directory(parent_, exif_, note, 40);
        directory.Format();
        EXPECT_TRUE(directory.Tags().empty());
        EXPECT_TRUE(directory.Labels().empty());
    }
}

// Guards: any damage to a note's bytes or offset reads as missing data, never outside the note
// (the sanitizer build turns a stray read into a failure).
TEST_P(CanonDirectory, SurvivesDamagedNotes) {
    const FakeExifSource good = CanonExif(GetParam(), [](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{w.Short(0x0001, CameraSettings(1, 1, 1, 17)),
                                      w.Short(0x0004, ShotInformation(1)), w.Ascii(0x0006, "IMG:EOS 5D JPEG"),
                                      w.Rational(0x0010, 1, 3)};
    });
    const std::vector<uint8_t> goodNote = good.makerNote.value();
    std::mt19937 random(GetParam() ? 11 : 12);
    const int32_t offsets[] = {*good.makerNoteOffset, 0, -5, 6, INT32_MIN, INT32_MAX};
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> note = goodNote;
        for (int k = 0; k < 1 + round % 8; ++k) note[random() % note.size()] = static_cast<uint8_t>(random());
        if (round % 5 == 0) note.resize(random() % note.size());
        FakeExifSource exif = good;
        exif.makerNote = std::move(note);
        exif.makerNoteOffset = offsets[round % std::size(offsets)];
        CExifFormatter f;
        f.Set(exif, 8, 8);
        EXPECT_GE(f.Labels().size(), 4u);
        EXPECT_EQ(f.Labels().size(), f.Values().size());
    }
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, CanonDirectory, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Motorola" : "Intel"; });

// ---- Nikon type 3 ----

// "Nikon", NUL, version 2.10, two zero bytes, then a TIFF header of the note's own at 10 whose
// byte order need not be the EXIF block's, and the directory at 18.
std::vector<uint8_t> NikonNote(bool bigEndian, const EntryMaker& entries, const std::string& signature = std::string("Nikon\0\x02\x10\0\0", 10)) {
    TiffBlockWriter w(bigEndian);
    w.Raw(signature);
    w.TiffHeader();
    w.Directory(entries(w), 10);
    return w.Bytes();
}

struct NikonCase {
    const char* name;
    EntryMaker entries;
    std::optional<int32_t> standardIso;
    int32_t iso;
    const char* isoText;  // empty: no ISO row
};

class NikonNote3 : public ::testing::TestWithParam<std::tuple<bool, NikonCase>> {};

TEST_P(NikonNote3, GivesTheIsoSpeed) {
    const auto& [noteBigEndian, c] = GetParam();
    FakeExifSource exif;
    exif.make = "NIKON CORPORATION";
    exif.bigEndian = !noteBigEndian;  // the note's own header decides
    exif.makerNote = NikonNote(noteBigEndian, c.entries);
    exif.makerNoteOffset = 400;
    exif.iso = c.standardIso;
    CExifFormatter f;
    f.Set(exif, 10, 20);
    Rows expected = {{"Make", "NIKON CORPORATION"}, {"Width", "10"}, {"Height", "20"}};
    if (*c.isoText) expected.emplace_back("ISO Speed", c.isoText);
    EXPECT_EQ(RowsOf(f), expected);
    EXPECT_EQ(f.IsoSpeed(), c.iso);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, NikonNote3,
    ::testing::Combine(
        ::testing::Bool(),
        ::testing::Values(
            NikonCase{"Tag2",
                      [](const TiffBlockWriter& w) {
                          return std::vector<TestEntry>{w.Ascii(0x0001, "021"), w.Short(0x0002, {0, 400})};
                      },
                      std::nullopt, 400, "ISO 400"},
            NikonCase{"SingleElementSkipped",
                      [](const TiffBlockWriter& w) {
                          return std::vector<TestEntry>{w.Short(0x0002, {400}), w.Short(0x0013, {0, 800})};
                      },
                      std::nullopt, 800, "ISO 800"},
            NikonCase{"OutOfLineFromInnerHeader",
                      [](const TiffBlockWriter& w) {
                          return std::vector<TestEntry>{w.Ascii(0x0004, "FINE  "), w.Short(0x0013, {0, 640, 0})};
                      },
                      std::nullopt, 640, "ISO 640"},
            NikonCase{"HighIso",
                      [](const TiffBlockWriter& w) { return std::vector<TestEntry>{w.Short(0x0002, {0, 51200})}; },
                      std::nullopt, 51200, "ISO 51200"},
            NikonCase{"StandardIsoWins",
                      [](const TiffBlockWriter& w) { return std::vector<TestEntry>{w.Short(0x0002, {0, 400})}; },
                      200, 200, "ISO 200"},
            NikonCase{"NoIsoTag",
                      [](const TiffBlockWriter& w) { return std::vector<TestEntry>{w.Short(0x0005, {0, 400})}; },
                      std::nullopt, 0, ""})),
    [](const auto& info) {
        return std::string(std::get<1>(info.param).name) + (std::get<0>(info.param) ? "_Motorola" : "_Intel");
    });

TEST(NikonNote3, OtherLayoutsAreNotRead) {
    const EntryMaker iso = [](const TiffBlockWriter& w) { return std::vector<TestEntry>{w.Short(0x0002, {0, 400})}; };
    for (const std::string& signature :
         {std::string("Nikon\0\x01\x00\0\0", 10), std::string("NIKON\0\x02\x10\0\0", 10), std::string("Nikon")}) {
        FakeExifSource exif;
        exif.make = "NIKON";
        exif.makerNote = NikonNote(false, iso, signature);
        exif.makerNoteOffset = 100;
        CExifFormatter f;
        f.Set(exif, 1, 1);
        EXPECT_EQ(f.IsoSpeed(), 0);
        EXPECT_TRUE(f.Texts().isoSpeed.empty());
    }
}

TEST(NikonNote3, IgnoresADirectoryThatRunsPastTheNote) {
    std::vector<uint8_t> note = NikonNote(false, [](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{w.Short(0x0002, {0, 400}), w.Short(0x0013, {0, 800})};
    });
    note[18] = 3;
    note.resize(18 + 2 + 12 * 2 + 4);
    FakeExifSource exif;
    CExifFormatter parent;
    CNikon3TagDirectory directory(parent, exif, note);
    directory.Format();
    EXPECT_TRUE(directory.Tags().empty());
}

// ---- choosing a directory ----

struct MakeCase {
    const char* make;
    int32_t iso;
};
class MakerNoteChoice : public ::testing::TestWithParam<MakeCase> {};

TEST_P(MakerNoteChoice, FollowsTheMake) {
    // Both notes give an ISO, so the ISO tells which (if any) directory read its note.
    FakeExifSource exif = CanonExif(false, [](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{w.Short(0x0001, CameraSettings(0, 0, 0, 19))};
    });
    const std::string make = GetParam().make;
    if (make.substr(0, 5) == "NIKON" || make.substr(0, 5) == "nikon")
        exif.makerNote = NikonNote(false, [](const TiffBlockWriter& w) {
            return std::vector<TestEntry>{w.Short(0x0002, {0, 800})};
        });
    exif.make = make;
    CExifFormatter f;
    f.Set(exif, 1, 1);
    EXPECT_EQ(f.IsoSpeed(), GetParam().iso);
}

INSTANTIATE_TEST_SUITE_P(HandWorked, MakerNoteChoice,
                         ::testing::Values(MakeCase{"Canon", 400}, MakeCase{"CANON", 400}, MakeCase{"canon", 400},
                                           MakeCase{"canon inc.", 0}, MakeCase{"Canon ", 0},
                                           MakeCase{"NIKON CORPORATION", 800}, MakeCase{"nikon", 800},
                                           MakeCase{"NIKO", 0}, MakeCase{"Pentax", 0}));

TEST(MakerNoteChoice, NeedsBothTheNoteAndItsOffset) {
    FakeExifSource exif = CanonExif(true, [](const TiffBlockWriter& w) {
        return std::vector<TestEntry>{w.Short(0x0001, CameraSettings(0, 0, 0, 19))};
    });
    exif.makerNoteOffset.reset();
    CExifFormatter f;
    f.Set(exif, 1, 1);
    EXPECT_EQ(f.IsoSpeed(), 0);
}

}  // namespace
}  // namespace stillpix
