// The option records: defaults, byte layout and checksum worked out by hand, damage, migration.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/app_settings.h"
#include "settings/batch_settings.h"
#include "settings/persisted_settings.h"
#include "settings/record_codec.h"
#include "temp_folder.h"

namespace stillpix {
namespace {

using test::StoreTest;

std::vector<uint8_t> Bytes(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

void Reseal(std::vector<uint8_t>& bytes, std::size_t run) {
    PutI32(bytes, 0, static_cast<int32_t>(RecordChecksum(bytes, run)));
}

TEST(AppSettingsRecord, DefaultBytesAndChecksumWorkedOutByHand) {
    const auto bytes = EncodeAppSettings(AppSettings{});
    // 1 + 1 + 1 (offsets 8, 16, 20) + "_filtered" (942) + 90 + 1 + 1 + 100 (slot 0 stored as 100)
    // + 1 + 1 + 2 + 2 + 2.
    EXPECT_EQ(GetI32(bytes, 0), 1145);
    EXPECT_EQ(GetI32(bytes, 8), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 24)), "_filtered");
    for (int i = 24 + 9; i < 48; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(GetI32(bytes, 48), 90);
    EXPECT_EQ(GetI32(bytes, 64), 100);
    EXPECT_EQ(GetI32(bytes, 80), 2);
    EXPECT_EQ(GetI32(bytes, 88), 2);
    EXPECT_EQ(GetI32(bytes, 92), 0);
}

TEST(AppSettingsRecord, HandMadeRecordsDecodeToTheirValues) {
    std::vector<uint8_t> s3(44, 0);
    s3[4] = 3;    // recent length
    s3[8] = 2;    // batch view large
    s3[16] = 1;   // notice hidden
    s3[20] = 1;   // low priority
    s3[0] = 7;    // 3 + 2 + 1 + 1
    AppSettings3 three;
    ASSERT_TRUE(DecodeAppSettings3(s3, three));
    EXPECT_EQ(three.recentLength, 3);
    EXPECT_EQ(three.batchView, 2);
    EXPECT_EQ(three.browserView, 0);
    EXPECT_EQ(three.hideAutoPreviewNotice, 1);
    EXPECT_EQ(three.batchPriority, 1);

    std::vector<uint8_t> s2(48, 0);
    s2[8] = 0;    // TIFF 24 bits
    s2[24] = 0;   // self-learning off
    s2[28] = 1;   // always build
    s2[44] = 2;   // ICC: do not apply
    s2[16] = 3;   // both right panes
    s2[0] = 6;
    AppSettings2 two;
    ASSERT_TRUE(DecodeAppSettings2(s2, two));
    EXPECT_EQ(two.tiffDepth, 0);
    EXPECT_EQ(two.selfLearning, 0);
    EXPECT_EQ(two.alwaysBuildImageProfile, 1);
    EXPECT_EQ(two.iccHandling, 2);
    EXPECT_EQ(two.rightPanes, 3);
    EXPECT_EQ(two.learnWhileBatch, 0);
}

TEST(AppSettingsRecord, OnlyTheRunIsSummed) {
    auto bytes = Bytes(EncodeAppSettings(AppSettings{}));
    AppSettings decoded;
    for (int at : {93, 94, 95}) {
        auto changed = bytes;
        changed[at] ^= 0x5A;
        EXPECT_TRUE(DecodeAppSettings(changed, decoded)) << at;
    }
    for (int at : {1, 4, 30, 64, 92}) {
        auto changed = bytes;
        changed[at] ^= 0x01;
        EXPECT_FALSE(DecodeAppSettings(changed, decoded)) << at;
    }
    auto batch = Bytes(EncodeBatchSettings(BatchSettings{}));
    BatchSettings decodedBatch;
    batch[340] = 0;   // the TIFF depth lies after the run
    ASSERT_TRUE(DecodeBatchSettings(batch, decodedBatch));
    EXPECT_EQ(decodedBatch.tiffDepth, 0);
    batch[339] ^= 1;
    EXPECT_FALSE(DecodeBatchSettings(batch, decodedBatch));
}

TEST(AppSettingsRecord, OutOfRangeValuesAreBroughtIntoRange) {
    auto bytes = Bytes(EncodeAppSettings(AppSettings{}));
    PutI32(bytes, 48, 500);     // JPEG quality
    PutI32(bytes, 60, 0);       // preview delay
    PutI32(bytes, 64, 145);     // slot 45: past the table
    PutI32(bytes, 4, -3);       // a flag
    PutI32(bytes, 8, 77);       // reserved
    std::memset(bytes.data() + 24, 'x', 21);   // suffix without terminator
    Reseal(bytes, kAppSettingsRun);
    AppSettings s;
    ASSERT_TRUE(DecodeAppSettings(bytes, s));
    EXPECT_EQ(s.jpegQuality, 100);
    EXPECT_EQ(s.previewDelay, 1);
    EXPECT_EQ(s.defaultFilterSlot, 0);
    EXPECT_EQ(s.showOpenDialogAtStart, 0);
    EXPECT_EQ(s.reserved8, 1);
    EXPECT_EQ(FieldText(s.defaultSuffix), std::string(20, 'x'));
    // Written back as described, so the stored record is an ordinary one again.
    const auto again = EncodeAppSettings(s);
    EXPECT_EQ(GetI32(again, 8), 1);
    EXPECT_EQ(again[44], 0);

    std::vector<uint8_t> s3(44, 0);
    PutI32(s3, 4, 99);
    PutI32(s3, 8, -1);
    Reseal(s3, kAppSettings3Run);
    AppSettings3 three;
    ASSERT_TRUE(DecodeAppSettings3(s3, three));
    EXPECT_EQ(three.recentLength, 10);
    EXPECT_EQ(three.batchView, 0);
}

TEST(AppSettingsRecord, SlotMigrationBothWays) {
    EXPECT_EQ(MigratedSlot(3), 4);     // older layout
    EXPECT_EQ(MigratedSlot(103), 3);
    EXPECT_EQ(MigratedSlot(100), 0);
    EXPECT_EQ(MigratedSlot(99), 100);
    EXPECT_EQ(MigratedSlot(255), 155);

    auto bytes = Bytes(EncodeAppSettings(AppSettings{}));
    AppSettings s;
    for (auto [stored, slot] : {std::pair{3, 4}, {103, 3}, {0, 1}, {139, 39}}) {
        PutI32(bytes, 64, stored);
        Reseal(bytes, kAppSettingsRun);
        ASSERT_TRUE(DecodeAppSettings(bytes, s));
        EXPECT_EQ(s.defaultFilterSlot, slot) << stored;
        EXPECT_EQ(GetI32(EncodeAppSettings(s), 64), slot + 100);
    }

    auto batch = Bytes(EncodeBatchSettings(BatchSettings{}));
    BatchSettings b;
    for (auto [stored, slot] : {std::pair{355, kUseCurrentFilter}, {255, 155}, {5, 6}, {100, 0}, {-7, kUseCurrentFilter}}) {
        PutI32(batch, 336, stored);
        Reseal(batch, kBatchSettingsRun);
        ASSERT_TRUE(DecodeBatchSettings(batch, b));
        EXPECT_EQ(b.filter, slot) << stored;
    }
    b.filter = kUseCurrentFilter;
    EXPECT_EQ(GetI32(EncodeBatchSettings(b), 336), 355);
}

TEST(BatchSettingsRecord, DefaultsFollowTheGeneralOptions) {
    AppSettings options;
    SetFieldText(options.defaultSuffix, "_clean");
    options.jpegQuality = 75;
    options.defaultFilterSlot = 3;
    const BatchSettings b = DefaultBatchSettings(options);
    EXPECT_EQ(b.destination, 1);
    EXPECT_EQ(FieldText(b.destinationPath), "Filtered");
    EXPECT_EQ(FieldText(b.suffix), "_clean");
    EXPECT_EQ(b.outputFormat, 0);
    EXPECT_EQ(b.jpegQuality, 75);
    EXPECT_EQ(b.filter, 3);
    EXPECT_EQ(b.tiffDepth, 1);

    const auto bytes = EncodeBatchSettings(b);
    EXPECT_EQ(GetI32(bytes, 36), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 40)), "Filtered");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 300)), "_clean");
    EXPECT_EQ(GetI32(bytes, 328), 75);
    EXPECT_EQ(GetI32(bytes, 336), 103);
    EXPECT_EQ(GetI32(bytes, 340), 1);
}

TEST(BatchSettingsRecord, TextsAreCutAndTheirTailsCleared) {
    BatchSettings b;
    SetFieldText(b.suffix, std::string(25, 's'));          // typed 25, kept 20
    SetFieldText(b.destinationPath, std::string(300, 'p'));
    b.destinationPath[5] = '\0';                           // a stale tail after an early end
    const auto bytes = EncodeBatchSettings(b);
    BatchSettings back;
    ASSERT_TRUE(DecodeBatchSettings(bytes, back));
    EXPECT_EQ(FieldText(back.suffix), std::string(20, 's'));
    EXPECT_EQ(FieldText(back.destinationPath), "ppppp");
    for (int i = 40 + 5; i < 300; ++i) ASSERT_EQ(bytes[i], 0) << i;
    for (int i = 300 + 20; i < 324; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(RecordText, CutsWholeUtf8Characters) {
    char field[6];
    SetFieldText(field, "ab\xc3\xa9\xc3\xa9");   // "abéé", 6 bytes into room for 5
    EXPECT_EQ(FieldText(field), "ab\xc3\xa9");
    EXPECT_EQ(Utf8Length("ab\xc3\xa9\xc3\xa9"), 4u);
}

// Every record through the real store: absent, intact, damaged.
struct RecordCase {
    const char* value;
    std::size_t size;
};

class StoredRecords : public StoreTest, public ::testing::WithParamInterface<RecordCase> {
protected:
    // The record's bytes as the program writes them, with some non-default values.
    std::vector<uint8_t> Sample() {
        const std::string name = GetParam().value;
        if (name == kSettingsValue) {
            AppSettings s;
            s.jpegQuality = 77;
            s.defaultFilterSlot = 9;
            SetFieldText(s.defaultSuffix, "_nr");
            return Bytes(EncodeAppSettings(s));
        }
        if (name == kSettings2Value) {
            AppSettings2 s;
            s.selfLearning = 0;
            s.iccHandling = 1;
            return Bytes(EncodeAppSettings2(s));
        }
        if (name == kSettings3Value) {
            AppSettings3 s;
            s.recentLength = 8;
            return Bytes(EncodeAppSettings3(s));
        }
        BatchSettings b;
        b.destination = 2;
        SetFieldText(b.destinationPath, "/srv/out");
        b.filter = 16;
        return Bytes(EncodeBatchSettings(b));
    }
    // What the store gives back, re-encoded the way the program would save it.
    std::vector<uint8_t> Reloaded() {
        const AppOptions options = LoadSettings(store_, folder_.Path() / "Profiles");
        const std::string name = GetParam().value;
        if (name == kSettingsValue) return Bytes(EncodeAppSettings(options.settings));
        if (name == kSettings2Value) return Bytes(EncodeAppSettings2(options.settings2));
        if (name == kSettings3Value) return Bytes(EncodeAppSettings3(options.settings3));
        return Bytes(EncodeBatchSettings(LoadBatchSettings(store_, options.settings)));
    }
    std::vector<uint8_t> Defaults() {
        const std::string name = GetParam().value;
        if (name == kSettingsValue) return Bytes(EncodeAppSettings(AppSettings{}));
        if (name == kSettings2Value) return Bytes(EncodeAppSettings2(AppSettings2{}));
        if (name == kSettings3Value) return Bytes(EncodeAppSettings3(AppSettings3{}));
        return Bytes(EncodeBatchSettings(DefaultBatchSettings(AppSettings{})));
    }
    void Store(const std::vector<uint8_t>& bytes) { ASSERT_TRUE(store_.WriteBytes(kOptionsGroup, GetParam().value, bytes)); }
};

TEST_P(StoredRecords, AbsentGivesDefaults) { EXPECT_EQ(Reloaded(), Defaults()); }

TEST_P(StoredRecords, RoundTripsByteExact) {
    const auto sample = Sample();
    ASSERT_EQ(sample.size(), GetParam().size);
    ASSERT_NE(sample, Defaults());
    Store(sample);
    EXPECT_EQ(Reloaded(), sample);
}

TEST_P(StoredRecords, FlippedShortAndLongFallBackToDefaults) {
    auto flipped = Sample();
    flipped[10] ^= 0x10;
    Store(flipped);
    EXPECT_EQ(Reloaded(), Defaults());
    auto shorter = Sample();
    shorter.pop_back();
    Store(shorter);
    EXPECT_EQ(Reloaded(), Defaults());
    auto longer = Sample();
    longer.push_back(0);
    Store(longer);
    EXPECT_EQ(Reloaded(), Defaults());
    ASSERT_TRUE(store_.WriteText(kOptionsGroup, GetParam().value, "not bytes"));
    EXPECT_EQ(Reloaded(), Defaults());
}

INSTANTIATE_TEST_SUITE_P(Records, StoredRecords,
                         ::testing::Values(RecordCase{kSettingsValue, 96}, RecordCase{kSettings2Value, 48},
                                           RecordCase{kSettings3Value, 44}, RecordCase{kBatchValue, 344}));

}  // namespace
}  // namespace stillpix
