// Canon and Nikon type 3 maker notes laid out as cameras store them, in both byte orders, and
// notes that lie about their counts and offsets.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exif/exif_formatter.h"
#include "exif/makernote_canon.h"
#include "exif/makernote_nikon3.h"
#include "tests/exif/fake_exif_source.h"
#include "tests/exif/maker_note_layouts.h"

namespace stillpix {
namespace {

using test::CanonLists;
using test::Entries;
using test::FakeExifSource;
using test::Rows;
using test::RowsOf;
using test::TiffBlockWriter;
using EntryMaker = std::function<Entries(const TiffBlockWriter&)>;
using Bytes = std::vector<uint8_t>;

const auto kOrderName = [](const auto& info) {
    return std::string(std::get<1>(info.param).name) +
           (std::get<0>(info.param) ? "_Motorola" : "_Intel");
};

// A TIFF block with IFD0 (make, model) and then the note, whose offsets count from the TIFF header.
FakeExifSource CanonExif(bool bigEndian, const EntryMaker& noteEntries) {
    TiffBlockWriter w(bigEndian);
    w.TiffHeader();
    w.Directory({w.Ascii(0x010F, "Canon"), w.Ascii(0x0110, "Canon EOS 5D")}, 0);
    const std::size_t noteStart = w.Size();
    w.Directory(noteEntries(w), 0);
    FakeExifSource exif;
    exif.make = "Canon", exif.model = "Canon EOS 5D", exif.bigEndian = bigEndian;
    exif.makerNote =
        Bytes(w.Bytes().begin() + static_cast<std::ptrdiff_t>(noteStart), w.Bytes().end());
    exif.makerNoteOffset = static_cast<int32_t>(noteStart + 12);
    return exif;
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
    const bool bigEndian = std::get<0>(GetParam());
    const CanonCase& c = std::get<1>(GetParam());
    FakeExifSource exif = CanonExif(bigEndian, [&](const TiffBlockWriter& w) {
        Entries e = CanonLists(w, c.contrast, c.saturation, c.sharpness, c.isoCode, c.whiteBalance);
        e.insert(e.end(), {w.Ascii(0x0006, "IMG:EOS 5D JPEG"), w.Ascii(0x0007, "abc")});
        return e;
    });
    exif.iso = c.standardIso;
    CExifFormatter f;
    f.Set(exif, 64, 48);
    Rows expected = {
        {"Make", "Canon"}, {"Model", "Canon EOS 5D"}, {"Width", "64"}, {"Height", "48"}};
    expected.insert(expected.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(RowsOf(f), expected);
    EXPECT_EQ(f.IsoSpeed(), c.iso);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(HandWorked, CanonNote, ::testing::Combine(::testing::Bool(), ::testing::Values(
    CanonCase{"Iso100", 65535, 1, 0, 17, 1, std::nullopt, 100, {{"ISO Speed", "ISO 100"}, {"White Balance", "Sunny"},
              {"Sharpness", "Normal"}, {"Contrast", "Low"}, {"Saturation", "High"}}},
    CanonCase{"StandardIsoWins", 0, 0, 0, 17, 4, 200, 200, {{"ISO Speed", "ISO 200"}, {"White Balance", "Flourescent"},
              {"Sharpness", "Normal"}, {"Contrast", "Normal"}, {"Saturation", "Normal"}}},
    CanonCase{"UnknownLevelsGiveNoRow", 2, 3, 1, 19, 6, std::nullopt, 400,
              {{"ISO Speed", "ISO 400"}, {"White Balance", "Custom"}, {"Sharpness", "High"}}},
    CanonCase{"AutoIso", 1, 65535, 65535, 15, 9, std::nullopt, 0, {{"ISO Speed", "Auto"}, {"White Balance", "Unknown"},
              {"Sharpness", "Low"}, {"Contrast", "High"}, {"Saturation", "Low"}}},
    CanonCase{"IsoCodeZeroAndUnknown", 7, 7, 7, 0, 0, std::nullopt, 0, {{"White Balance", "Auto"}}},
    CanonCase{"UnknownIsoCode", 7, 7, 7, 0x4064, 2, std::nullopt, 0, {{"White Balance", "Cloudy"}}},
    CanonCase{"Iso50", 7, 7, 7, 16, 5, std::nullopt, 50, {{"ISO Speed", "ISO 50"}, {"White Balance", "Flash"}}},
    CanonCase{"Iso200", 7, 7, 7, 18, 3, std::nullopt, 200, {{"ISO Speed", "ISO 200"}, {"White Balance", "Tungsten"}}})),
    kOrderName);
// clang-format on

class CanonDirectory : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<CCanonTagDirectory> Read(const Bytes& note, int32_t offset) {
        exif_.bigEndian = GetParam();
        auto directory = std::make_unique<CCanonTagDirectory>(parent_, exif_, note, offset);
        directory->Format();
        return directory;
    }
    std::unique_ptr<CCanonTagDirectory> Read(const EntryMaker& entries) {
        const FakeExifSource exif = CanonExif(GetParam(), entries);
        return Read(*exif.makerNote, *exif.makerNoteOffset);
    }
    CExifFormatter parent_;
    FakeExifSource exif_;
};

TEST_P(CanonDirectory, ReadsValuesFromTheTiffHeaderOffsetsAndKeysListElements) {
    const auto d = Read([](const TiffBlockWriter& w) {
        Entries e = CanonLists(w, 65535, 1, 0, 17, 1);
        e.insert(e.end(), {w.Ascii(0x0006, "IMG:EOS 5D JPEG"), w.Long(0x0008, {1234567}),
                           w.Rational(0x0010, 7, 3), w.Long(0x0011, {5, 6, 7})});
        return e;
    });
    ASSERT_NE(d->Find(0x0006), nullptr);
    EXPECT_EQ(d->Find(0x0006)->text, "IMG:EOS 5D JPEG");
    EXPECT_EQ(d->Find(0x0008)->integers, std::vector<uint32_t>{1234567});
    EXPECT_EQ(d->Find(0x0010)->numerator, 7u);
    EXPECT_EQ(d->Find(0x0010)->denominator, 3u);
    EXPECT_EQ(d->Find(0x0011)->integers, (std::vector<uint32_t>{5, 6, 7}));
    // The lists are keyed element by element; element 0 is their length, not data.
    for (int key : {0x0001, 0xC100, 0xC119}) EXPECT_EQ(d->Find(key), nullptr) << key;
    EXPECT_EQ(d->Find(0xC10D)->integers, std::vector<uint32_t>{65535});
    EXPECT_EQ(d->Find(0xC118)->integers, std::vector<uint32_t>{0});
    EXPECT_EQ(d->Find(0xC209)->integers, std::vector<uint32_t>{0xBEEF});
}

// A settings list that does not start with its byte count is read from the wrong bytes (another
// layout): the note shows nothing rather than garbage.
TEST_P(CanonDirectory, ListNotStartingWithItsByteCountIgnoresTheNote) {
    const auto d = Read([](const TiffBlockWriter& w) {
        Entries e = CanonLists(w, 65535, 1, 0, 17, 1);
        std::vector<uint16_t> shifted(25, 17);
        e[0] = w.Short(0x0001, shifted);
        return e;
    });
    EXPECT_TRUE(RowsOf(*d).empty());
    EXPECT_EQ(parent_.IsoSpeed(), 0);
}

TEST_P(CanonDirectory, NotesShorterThanTheirDirectoryYieldNothing) {
    // Guards: a count claiming more entries than the note holds, in a note far into the block (so
    // measuring the count against the note's position plus its length would let it pass).
    TiffBlockWriter w(GetParam());
    w.Raw(std::string(900, '\0'));
    const std::size_t start = w.Size();
    w.Directory(CanonLists(w, 0, 0, 0, 17, 1), 0);
    Bytes lying(w.Bytes().begin() + static_cast<std::ptrdiff_t>(start), w.Bytes().end());
    lying[GetParam() ? 1 : 0] = 9;  // 9 entries claimed
    lying.resize(2 + 12 * 8 + 4);
    for (const auto& [note, offset] :
         {std::pair{lying, static_cast<int32_t>(start + 12)}, {Bytes{}, 40}, {Bytes{1}, 40}}) {
        const auto d = Read(note, offset);
        EXPECT_TRUE(d->Tags().empty());
        EXPECT_TRUE(d->Labels().empty());
    }
    EXPECT_EQ(parent_.IsoSpeed(), 0);
}

TEST_P(CanonDirectory, SkipsEntriesOfUnknownTypeOrOutsideTheNote) {
    const auto d = Read([](const TiffBlockWriter& w) {
        const auto inside = static_cast<uint32_t>(w.Size()) + 2;  // the note starts at w.Size()
        return Entries{
            w.Ascii(0x0006, "kept"),
            w.Pointing(0x0007, 13, 1, 0),                // type 13 is not a TIFF type
            w.Pointing(0x0009, 2, 32, 0xFFFFFFF0u),      // value offset past the note
            w.Pointing(0x000A, 2, 32, 4),                // value offset before the note
            w.Pointing(0x000B, 3, 0x40000000u, inside),  // count far beyond the note
            w.Pointing(0x000C, 4, 0xFFFFFFFFu, inside),  // byte count overflowing 32 bits
            w.Pointing(0x000D, 5, 0x20000000u, inside),
            w.Long(0x000E, {42}),
        };
    });
    ASSERT_NE(d->Find(0x0006), nullptr);
    EXPECT_EQ(d->Find(0x0006)->text, "kept");
    for (int tag : {0x07, 0x09, 0x0A, 0x0B, 0x0C, 0x0D}) EXPECT_EQ(d->Find(tag), nullptr) << tag;
    EXPECT_EQ(d->Find(0x000E)->integers, std::vector<uint32_t>{42});
}

// Guards: offsets pointing back into the directory itself, and a next link naming the same
// directory again: read once, no loop.
TEST_P(CanonDirectory, ReadsASelfReferringDirectoryOnce) {
    TiffBlockWriter w(GetParam());
    w.TiffHeader();
    const auto start = static_cast<uint32_t>(w.Size());
    w.Directory({w.Pointing(0x0001, 3, 8, start + 2), w.Pointing(0x0002, 4, 3, start)}, 0);
    w.PatchU32(start + 2 + 2 * 12, start);
    const auto d =
        Read(Bytes(w.Bytes().begin() + start, w.Bytes().end()), static_cast<int32_t>(start + 12));
    ASSERT_NE(d->Find(0x0002), nullptr);
    EXPECT_EQ(d->Find(0x0002)->integers.size(), 3u);
    // Tag 1 read over the directory itself does not start with its byte count: not keyed.
    EXPECT_EQ(d->Find(0xC101), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, CanonDirectory, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Motorola" : "Intel"; });

// ---- Nikon type 3 ----

using test::kNikonSignature;

struct NikonCase {
    const char* name;
    EntryMaker entries;
    std::optional<int32_t> standardIso;
    int32_t iso;
    const char* isoText;  // empty: no ISO row
    std::string signature = kNikonSignature;
    bool countPastTheNote = false;  // the directory claims one entry more than the note holds
};

class NikonNote3 : public ::testing::TestWithParam<std::tuple<bool, NikonCase>> {};

TEST_P(NikonNote3, GivesTheIsoSpeed) {
    const auto& [noteBigEndian, c] = GetParam();
    Bytes note = test::NikonNote(noteBigEndian, c.entries, c.signature);
    if (c.countPastTheNote) {
        const int count = note[noteBigEndian ? 19 : 18]++;
        note.resize(18 + 2 + 12 * count + 4);
    }
    FakeExifSource exif;
    exif.make = "NIKON CORPORATION", exif.makerNote = note, exif.makerNoteOffset = 400;
    exif.bigEndian = !noteBigEndian;  // the note's own header decides
    exif.iso = c.standardIso;
    CExifFormatter f;
    f.Set(exif, 10, 20);
    Rows expected = {{"Make", "NIKON CORPORATION"}, {"Width", "10"}, {"Height", "20"}};
    if (*c.isoText) expected.emplace_back("ISO Speed", c.isoText);
    EXPECT_EQ(RowsOf(f), expected);
    EXPECT_EQ(f.IsoSpeed(), c.iso);
}

Entries NikonIso(const TiffBlockWriter& w) { return {w.Short(0x0002, {0, 400})}; }

// clang-format off
INSTANTIATE_TEST_SUITE_P(HandWorked, NikonNote3, ::testing::Combine(::testing::Bool(), ::testing::Values(
    NikonCase{"Tag2", [](const TiffBlockWriter& w) { return Entries{w.Ascii(0x0001, "021"), w.Short(0x0002, {0, 400})}; },
              std::nullopt, 400, "ISO 400"},
    NikonCase{"SingleElementSkipped",
              [](const TiffBlockWriter& w) { return Entries{w.Short(0x0002, {400}), w.Short(0x0013, {0, 800})}; },
              std::nullopt, 800, "ISO 800"},
    NikonCase{"OutOfLineFromInnerHeader",
              [](const TiffBlockWriter& w) { return Entries{w.Ascii(0x0004, "FINE  "), w.Short(0x0013, {0, 640, 0})}; },
              std::nullopt, 640, "ISO 640"},
    NikonCase{"IsoZeroSkipped",
              [](const TiffBlockWriter& w) { return Entries{w.Short(0x0002, {0, 0}), w.Short(0x0013, {0, 800})}; },
              std::nullopt, 800, "ISO 800"},
    NikonCase{"OnlyIsoZero", [](const TiffBlockWriter& w) { return Entries{w.Short(0x0002, {0, 0})}; },
              std::nullopt, 0, ""},
    NikonCase{"HighIso", [](const TiffBlockWriter& w) { return Entries{w.Short(0x0002, {0, 51200})}; },
              std::nullopt, 51200, "ISO 51200"},
    NikonCase{"StandardIsoWins", NikonIso, 200, 200, "ISO 200"},
    NikonCase{"NoIsoTag", [](const TiffBlockWriter& w) { return Entries{w.Short(0x0005, {0, 400})}; },
              std::nullopt, 0, ""},
    NikonCase{"Version1", NikonIso, std::nullopt, 0, "", std::string("Nikon\0\x01\x00\0\0", 10)},
    NikonCase{"UpperCaseSignature", NikonIso, std::nullopt, 0, "", std::string("NIKON\0\x02\x10\0\0", 10)},
    NikonCase{"SignatureOnly", NikonIso, std::nullopt, 0, "", "Nikon"},
    NikonCase{"CountPastTheNote",
              [](const TiffBlockWriter& w) { return Entries{w.Short(0x0002, {0, 400}), w.Short(0x0013, {0, 800})}; },
              std::nullopt, 0, "", kNikonSignature, true})),
    kOrderName);
// clang-format on

// ---- choosing a directory ----

struct MakeCase {
    const char* make;
    int32_t iso;  // 400 from the Canon note, 800 from the Nikon one, 0 when neither is read
};
class MakerNoteChoice : public ::testing::TestWithParam<MakeCase> {};

TEST_P(MakerNoteChoice, FollowsTheMake) {
    FakeExifSource exif =
        CanonExif(false, [](const TiffBlockWriter& w) { return CanonLists(w, 0, 0, 0, 19, 0); });
    const std::string make = GetParam().make;
    if (make.starts_with("NIKON") || make.starts_with("nikon"))
        exif.makerNote = test::NikonNote(false, [](const TiffBlockWriter& w) {
            return Entries{w.Short(0x0002, {0, 800})};
        });
    exif.make = make;
    CExifFormatter f;
    f.Set(exif, 1, 1);
    EXPECT_EQ(f.IsoSpeed(), GetParam().iso);
    exif.makerNoteOffset.reset();  // the note alone, without its offset, is not read
    f.Set(exif, 1, 1);
    EXPECT_EQ(f.IsoSpeed(), 0);
}

// clang-format off
const MakeCase kMakes[] = {{"Canon", 400}, {"CANON", 400}, {"canon", 400}, {"canon inc.", 0},
    {"Canon ", 0}, {"NIKON CORPORATION", 800}, {"nikon", 800}, {"NIKO", 0}, {"Pentax", 0}};
// clang-format on
INSTANTIATE_TEST_SUITE_P(HandWorked, MakerNoteChoice, ::testing::ValuesIn(kMakes));

}  // namespace
}  // namespace stillpix
