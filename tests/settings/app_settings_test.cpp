// The option and batch records: default bytes and checksums worked out by hand, hand-made
// records, range clamping, damage and slot migration.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "settings/app_settings.h"
#include "settings/batch_settings.h"
#include "settings/record_codec.h"

namespace stillpix {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Sealed(Bytes bytes, std::size_t run) {
    PutI32(bytes, 0, static_cast<int32_t>(RecordChecksum(bytes, run)));
    return bytes;
}

std::string TextAt(std::span<const uint8_t> bytes, std::size_t at) {
    return reinterpret_cast<const char*>(&bytes[at]);
}

TEST(AppSettingsRecord, DefaultBytesAndChecksumWorkedOutByHand) {
    const auto bytes = EncodeAppSettings(AppSettings{});
    // 1 + 1 + 1 (offsets 8, 16, 20) + "_filtered" (942) + 90 + 1 + 1 + 100 (slot 0 stored as 100)
    // + 1 + 1 + 2 + 2 + 2.
    const std::pair<int, int32_t> fields[] = {
        {0, 1145}, {4, 0},    {8, 1},  {12, 0}, {16, 1}, {20, 1}, {48, 90}, {52, 0}, {56, 1},
        {60, 1},   {64, 100}, {68, 1}, {72, 1}, {76, 0}, {80, 2}, {84, 2},  {88, 2}, {92, 0}};
    for (const auto& [at, value] : fields) EXPECT_EQ(GetI32(bytes, at), value) << at;
    EXPECT_EQ(TextAt(bytes, 24), "_filtered");
    for (int i = 24 + 9; i < 48; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(AppSettingsRecord, HandMadeRecordsDecodeToTheirValues) {
    Bytes s3(44, 0);  // recent length, batch view large, notice hidden, low priority
    s3[4] = 3, s3[8] = 2, s3[16] = 1, s3[20] = 1, s3[0] = 7;
    AppSettings3 three;
    ASSERT_TRUE(DecodeAppSettings3(s3, three));
    EXPECT_EQ(std::vector<int32_t>({three.recentLength, three.batchView, three.browserView,
                                    three.hideAutoPreviewNotice, three.batchPriority}),
              std::vector<int32_t>({3, 2, 0, 1, 1}));

    Bytes s2(48, 0);  // always build, ICC not applied, both right panes; TIFF 24 bits
    s2[28] = 1, s2[44] = 2, s2[16] = 3, s2[0] = 6;
    AppSettings2 two;
    ASSERT_TRUE(DecodeAppSettings2(s2, two));
    EXPECT_EQ(std::vector<int32_t>({two.tiffDepth, two.selfLearning, two.alwaysBuildImageProfile,
                                    two.iccHandling, two.rightPanes, two.learnWhileBatch}),
              std::vector<int32_t>({0, 0, 1, 2, 3, 0}));
}

TEST(AppSettingsRecord, OnlyTheRunIsSummed) {
    const auto bytes = EncodeAppSettings(AppSettings{});
    AppSettings decoded;
    for (int at : {93, 94, 95, 1, 4, 30, 64, 92}) {
        Bytes changed(bytes.begin(), bytes.end());
        changed[at] ^= at > 92 ? 0x5A : 0x01;
        EXPECT_EQ(DecodeAppSettings(changed, decoded), at > 92) << at;
    }
    const auto encoded = EncodeBatchSettings(BatchSettings{});
    Bytes batch(encoded.begin(), encoded.end());
    BatchSettings decodedBatch;
    batch[340] = 0;  // the TIFF depth lies after the run
    ASSERT_TRUE(DecodeBatchSettings(batch, decodedBatch));
    EXPECT_EQ(decodedBatch.tiffDepth, kTiffDepth24);
    batch[339] ^= 1;
    EXPECT_FALSE(DecodeBatchSettings(batch, decodedBatch));
}

TEST(AppSettingsRecord, OutOfRangeValuesAreBroughtIntoRange) {
    const auto encoded = EncodeAppSettings(AppSettings{});
    Bytes bytes(encoded.begin(), encoded.end());
    PutI32(bytes, 48, 500);                   // JPEG quality
    PutI32(bytes, 60, 0);                     // preview delay
    PutI32(bytes, 64, 145);                   // slot 45: past the table
    PutI32(bytes, 4, -3);                     // a flag
    PutI32(bytes, 8, 77);                     // reserved
    std::memset(bytes.data() + 24, 'x', 21);  // suffix without terminator
    AppSettings s;
    ASSERT_TRUE(DecodeAppSettings(Sealed(bytes, kAppSettingsRun), s));
    EXPECT_EQ(std::tuple(s.jpegQuality, s.previewDelay, s.defaultFilterSlot,
                         s.showOpenDialogAtStart, s.reserved8),
              std::tuple(100, 1, 0, 0, 1));
    EXPECT_EQ(FieldText(s.defaultSuffix), std::string(20, 'x'));
    // Written back as described, so the stored record is an ordinary one again.
    const auto again = EncodeAppSettings(s);
    EXPECT_EQ(std::tuple(GetI32(again, 8), int(again[44])), std::tuple(1, 0));

    Bytes s3(44, 0);
    PutI32(s3, 4, 99), PutI32(s3, 8, -1);
    AppSettings3 three;
    ASSERT_TRUE(DecodeAppSettings3(Sealed(s3, kAppSettings3Run), three));
    EXPECT_EQ(three.recentLength, 10);
}

// Stored values outside their range that the options name a meaning for take that meaning;
// only the others are clamped.
struct FallbackCase {
    const char* name;
    int record;  // 1 "Settings", 2 "Settings2", 3 "Settings3", 4 "Batch"
    std::size_t offset;
    int32_t stored, read;
};

// The value as it reads and as it is written back.
template <class Record, std::size_t Size>
int32_t ReadBack(const FallbackCase& c, std::array<uint8_t, Size> (*encode)(const Record&),
                 bool (*decode)(std::span<const uint8_t>, Record&), std::size_t run) {
    Record record;
    const auto encoded = encode(record);
    Bytes bytes(encoded.begin(), encoded.end());
    PutI32(bytes, c.offset, c.stored);
    EXPECT_TRUE(decode(Sealed(bytes, run), record));
    return GetI32(encode(record), c.offset);
}

class OutOfRange : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(OutOfRange, ReadsAsItsDescribedMeaning) {
    const FallbackCase& c = GetParam();
    const int32_t read =
        c.record == 1   ? ReadBack(c, EncodeAppSettings, DecodeAppSettings, kAppSettingsRun)
        : c.record == 2 ? ReadBack(c, EncodeAppSettings2, DecodeAppSettings2, kAppSettings2Run)
        : c.record == 3 ? ReadBack(c, EncodeAppSettings3, DecodeAppSettings3, kAppSettings3Run)
                        : ReadBack(c, EncodeBatchSettings, DecodeBatchSettings, kBatchSettingsRun);
    EXPECT_EQ(read, c.read);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, OutOfRange,
    ::testing::Values(FallbackCase{"TypedZoomStays", 1, 12, 150, 150},
                      FallbackCase{"ZoomChoiceStays", 1, 12, 400, 400},
                      FallbackCase{"NegativeZoomIsBestFit", 1, 12, -800, 0},
                      FallbackCase{"TiffDepthOtherThanOneIs24Bits", 2, 8, 2, 0},
                      FallbackCase{"NegativeTiffDepthIs24Bits", 2, 8, -1, 0},
                      FallbackCase{"UnknownTiffCompressionIsDeflate", 2, 4, 3, 0},
                      FallbackCase{"PaneSectionsOtherwiseNone", 2, 20, 9, 0},
                      FallbackCase{"BatchViewOtherwiseMedium", 3, 8, 4, 1},
                      FallbackCase{"BrowserViewOtherwiseMedium", 3, 12, -1, 1},
                      FallbackCase{"PriorityAboveZeroIsLow", 3, 20, 5, 1},
                      FallbackCase{"UnknownDestinationIsTheSourceFolder", 4, 36, 3, 0},
                      FallbackCase{"UnknownFormatIsJpeg", 4, 324, 4, 2},
                      FallbackCase{"NegativeFormatIsJpeg", 4, 324, -2, 2},
                      FallbackCase{"BatchTiffDepthOtherThanOneIs24Bits", 4, 340, 2, 0},
                      FallbackCase{"BatchQualityIsClamped", 4, 328, 101, 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AppSettingsRecord, SlotMigrationBothWays) {
    for (auto [stored, slot] :
         {std::pair{3, 4}, {103, 3}, {100, 0}, {99, 100}, {255, 155}})  // below 100: older layout
        EXPECT_EQ(MigratedSlot(stored), slot) << stored;

    const auto encoded = EncodeAppSettings(AppSettings{});
    Bytes bytes(encoded.begin(), encoded.end());
    AppSettings s;
    for (auto [stored, slot] : {std::pair{3, 4}, {103, 3}, {0, 1}, {139, 39}}) {
        PutI32(bytes, 64, stored);
        ASSERT_TRUE(DecodeAppSettings(Sealed(bytes, kAppSettingsRun), s));
        EXPECT_EQ(s.defaultFilterSlot, slot) << stored;
        EXPECT_EQ(GetI32(EncodeAppSettings(s), 64), slot + 100);
    }

    const auto encodedBatch = EncodeBatchSettings(BatchSettings{});
    Bytes batch(encodedBatch.begin(), encodedBatch.end());
    BatchSettings b;
    // clang-format off
    for (auto [stored, slot] :
         {std::pair{355, kUseCurrentFilter}, {255, 155}, {5, 6}, {100, 0}, {-7, kUseCurrentFilter}}) {
        // clang-format on
        PutI32(batch, 336, stored);
        ASSERT_TRUE(DecodeBatchSettings(Sealed(batch, kBatchSettingsRun), b));
        EXPECT_EQ(b.filter, slot) << stored;
    }
    b.filter = kUseCurrentFilter;
    EXPECT_EQ(GetI32(EncodeBatchSettings(b), 336), 355);
}

TEST(BatchSettingsRecord, DefaultsFollowTheGeneralOptions) {
    AppSettings options;
    SetFieldText(options.defaultSuffix, "_clean");
    options.jpegQuality = 75, options.defaultFilterSlot = 3;
    const auto bytes = EncodeBatchSettings(DefaultBatchSettings(options));
    // Destination "subfolder" "Filtered", format "keep", the option's quality and filter (slot
    // 3 stored as 103), 48-bit TIFF.
    for (const auto& [at, value] : {std::pair{36, 1}, {324, 0}, {328, 75}, {336, 103}, {340, 1}})
        EXPECT_EQ(GetI32(bytes, at), value) << at;
    EXPECT_EQ(TextAt(bytes, 40), "Filtered");
    EXPECT_EQ(TextAt(bytes, 300), "_clean");
}

TEST(BatchSettingsRecord, TextsAreCutToWholeCharactersAndTheirTailsCleared) {
    BatchSettings b;
    SetFieldText(b.suffix, std::string(25, 's'));  // typed 25, kept 20
    SetFieldText(b.destinationPath, std::string(300, 'p'));
    b.destinationPath[5] = '\0';  // a stale tail after an early end
    const auto bytes = EncodeBatchSettings(b);
    BatchSettings back;
    ASSERT_TRUE(DecodeBatchSettings(bytes, back));
    EXPECT_EQ(FieldText(back.suffix), std::string(20, 's'));
    EXPECT_EQ(FieldText(back.destinationPath), "ppppp");
    for (int i = 40 + 5; i < 300; ++i) ASSERT_EQ(bytes[i], 0) << i;
    for (int i = 300 + 20; i < 324; ++i) ASSERT_EQ(bytes[i], 0) << i;
    // Only whole UTF-8 characters are kept.
    char field[6];
    SetFieldText(field, "ab\xc3\xa9\xc3\xa9");  // "abéé", 6 bytes into room for 5
    EXPECT_EQ(FieldText(field), "ab\xc3\xa9");
    EXPECT_EQ(Utf8Length("ab\xc3\xa9\xc3\xa9"), 4u);
}

}  // namespace
}  // namespace stillpix
