#include "settings/app_settings.h"

#include <climits>
#include <cstring>

#include "settings/preset_table.h"
#include "settings/record_fields.h"

namespace stillpix {
namespace {

#define FIELD(Record, member, low, high) \
    IntField<Record> { offsetof(Record, member), &Record::member, low, high }
#define FIELD_OR(Record, member, low, high, otherwise) \
    IntField<Record> { offsetof(Record, member), &Record::member, low, high, otherwise }

// clang-format off
const IntField<AppSettings> kSettingsFields[] = {
    FIELD(AppSettings, showOpenDialogAtStart, 0, 1),
    FIELD(AppSettings, reserved8, 1, 1),
    // Kept as typed ("150%" stays 150); the view takes a value other than its steps as Best Fit.
    FIELD(AppSettings, defaultZoom, 0, INT32_MAX),
    FIELD(AppSettings, reserved16, 1, 1),
    FIELD(AppSettings, appendSuffix, 0, 1),
    FIELD(AppSettings, jpegQuality, 0, 100),
    FIELD(AppSettings, autoPreview, 0, 1),
    FIELD(AppSettings, reserved56, 1, 1),
    FIELD(AppSettings, previewDelay, 1, 10),
    FIELD(AppSettings, resetFilterOnOpen, 0, 1),
    FIELD(AppSettings, showSummary, 0, 1),
    FIELD(AppSettings, reserved76, 0, 0),
    FIELD(AppSettings, reserved80, 2, 2),
    FIELD(AppSettings, reserved84, 2, 2),
    FIELD(AppSettings, reserved88, 2, 2),
    FIELD(AppSettings, reserved92, 0, 0),
};
const IntField<AppSettings2> kSettings2Fields[] = {
    FIELD_OR(AppSettings2, tiffCompression, kTiffDeflate, kTiffNone, kTiffDeflate),
    FIELD_OR(AppSettings2, tiffDepth, kTiffDepth24, kTiffDepth48, kTiffDepth24),
    FIELD(AppSettings2, leftPaneVisible, 0, 1),
    FIELD(AppSettings2, rightPanes, 0, 3),
    FIELD_OR(AppSettings2, leftPaneSections, 0, 3, 0),   // other values open neither
    FIELD(AppSettings2, selfLearning, 0, 1),
    FIELD(AppSettings2, alwaysBuildImageProfile, 0, 1),
    FIELD(AppSettings2, learnWhileBatch, 0, 1),
    FIELD(AppSettings2, batchSkipBuildWhenLearned, 0, 1),
    FIELD(AppSettings2, showBatchAddedNotice, 0, 1),
    FIELD(AppSettings2, iccHandling, 0, 2),
};
const IntField<AppSettings3> kSettings3Fields[] = {   // the five reserved words stay 0
    FIELD(AppSettings3, recentLength, 1, 10),
    FIELD_OR(AppSettings3, batchView, 0, 3, 1),          // other values: Medium
    FIELD_OR(AppSettings3, browserView, 0, 3, 1),
    FIELD(AppSettings3, hideAutoPreviewNotice, 0, 1),
    FIELD(AppSettings3, batchPriority, 0, 1),
};
// clang-format on

#undef FIELD
#undef FIELD_OR

int32_t SlotInTable(int32_t slot) { return slot >= 0 && slot < kPresetSlots ? slot : 0; }

template <std::size_t Size>
void Seal(std::array<uint8_t, Size>& bytes, std::size_t run) {
    PutI32(bytes, 0, static_cast<int32_t>(RecordChecksum(bytes, run)));
}

}  // namespace

int32_t MigratedSlot(int32_t stored) { return stored < 100 ? stored + 1 : stored - 100; }

std::array<uint8_t, sizeof(AppSettings)> EncodeAppSettings(const AppSettings& settings) {
    std::array<uint8_t, sizeof(AppSettings)> bytes{};
    PutFields(settings, kSettingsFields, bytes);
    PutText(bytes, offsetof(AppSettings, defaultSuffix), settings.defaultSuffix);
    PutI32(bytes, offsetof(AppSettings, defaultFilterSlot),
           StoredSlot(SlotInTable(settings.defaultFilterSlot)));
    Seal(bytes, kAppSettingsRun);
    return bytes;
}

std::array<uint8_t, sizeof(AppSettings2)> EncodeAppSettings2(const AppSettings2& settings) {
    std::array<uint8_t, sizeof(AppSettings2)> bytes{};
    PutFields(settings, kSettings2Fields, bytes);
    Seal(bytes, kAppSettings2Run);
    return bytes;
}

std::array<uint8_t, sizeof(AppSettings3)> EncodeAppSettings3(const AppSettings3& settings) {
    std::array<uint8_t, sizeof(AppSettings3)> bytes{};
    PutFields(settings, kSettings3Fields, bytes);
    Seal(bytes, kAppSettings3Run);
    return bytes;
}

bool DecodeAppSettings(std::span<const uint8_t> bytes, AppSettings& out) {
    if (!RecordIsIntact(bytes, sizeof(AppSettings), kAppSettingsRun)) return false;
    AppSettings settings;
    GetFields(bytes, kSettingsFields, settings);
    std::memcpy(settings.defaultSuffix, bytes.data() + offsetof(AppSettings, defaultSuffix),
                sizeof settings.defaultSuffix);
    NormaliseFieldText(settings.defaultSuffix, sizeof settings.defaultSuffix - 1);
    settings.defaultFilterSlot =
        SlotInTable(MigratedSlot(GetI32(bytes, offsetof(AppSettings, defaultFilterSlot))));
    settings.checksum = GetI32(bytes, 0);
    out = settings;
    return true;
}

bool DecodeAppSettings2(std::span<const uint8_t> bytes, AppSettings2& out) {
    if (!RecordIsIntact(bytes, sizeof(AppSettings2), kAppSettings2Run)) return false;
    AppSettings2 settings;
    GetFields(bytes, kSettings2Fields, settings);
    settings.checksum = GetI32(bytes, 0);
    out = settings;
    return true;
}

bool DecodeAppSettings3(std::span<const uint8_t> bytes, AppSettings3& out) {
    if (!RecordIsIntact(bytes, sizeof(AppSettings3), kAppSettings3Run)) return false;
    AppSettings3 settings;
    GetFields(bytes, kSettings3Fields, settings);
    settings.checksum = GetI32(bytes, 0);
    out = settings;
    return true;
}

}  // namespace stillpix
