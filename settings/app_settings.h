// The three option records, each persisted whole as one raw-bytes value led by its checksum.
// In memory the default filter slot is the real slot; the stored form carries slot + 100.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace stillpix {

struct AppSettings {  // "Settings"
    int32_t checksum = 0;
    int32_t showOpenDialogAtStart = 0;  // 0/1
    int32_t reserved8 = 1;
    int32_t defaultZoom = 0;  // percent, 0 = best fit
    int32_t reserved16 = 1;
    int32_t appendSuffix = 1;              // 0/1
    char defaultSuffix[21] = "_filtered";  // at most 20 characters
    uint8_t alignment[3] = {};
    int32_t jpegQuality = 90;  // 0..100
    int32_t autoPreview = 0;   // 0/1
    int32_t reserved56 = 1;
    int32_t previewDelay = 1;       // seconds, 1..10
    int32_t defaultFilterSlot = 0;  // preset slot ("Default")
    int32_t resetFilterOnOpen = 1;  // 0/1
    int32_t showSummary = 1;        // 0/1
    int32_t reserved76 = 0;
    int32_t reserved80 = 2;
    int32_t reserved84 = 2;
    int32_t reserved88 = 2;
    int32_t reserved92 = 0;
};
static_assert(sizeof(AppSettings) == 96);
static_assert(offsetof(AppSettings, defaultSuffix) == 24);
static_assert(offsetof(AppSettings, jpegQuality) == 48);
static_assert(offsetof(AppSettings, defaultFilterSlot) == 64);
static_assert(offsetof(AppSettings, reserved92) == 92);

// TIFF depth codes of "Settings2" and the batch record.
constexpr int32_t kTiffDepth24 = 0;  // "24(8) bpp"
constexpr int32_t kTiffDepth48 = 1;  // "48(16) bpp*"

// TIFF compression codes of "Settings2". The field was reserved (0) before, so 0 is the default.
constexpr int32_t kTiffDeflate = 0;  // "Deflate"
constexpr int32_t kTiffLzw = 1;      // "LZW"
constexpr int32_t kTiffNone = 2;     // "None"

struct AppSettings2 {  // "Settings2"
    int32_t checksum = 0;
    int32_t tiffCompression = kTiffDeflate;
    int32_t tiffDepth = kTiffDepth48;
    int32_t leftPaneVisible = 0;            // 0/1
    int32_t rightPanes = 0;                 // bit 0 image browser, bit 1 batch pane
    int32_t leftPaneSections = 0;           // bit 0 "EXIF", bit 1 "Noise Profile"
    int32_t selfLearning = 1;               // 0/1
    int32_t alwaysBuildImageProfile = 0;    // 0/1
    int32_t learnWhileBatch = 1;            // 0/1
    int32_t batchSkipBuildWhenLearned = 1;  // 0/1
    int32_t showBatchAddedNotice = 1;       // 0/1
    int32_t iccHandling = 0;                // 0 ask, 1 apply on open, 2 do not apply
};
static_assert(sizeof(AppSettings2) == 48);
static_assert(offsetof(AppSettings2, tiffCompression) == 4);
static_assert(offsetof(AppSettings2, selfLearning) == 24);
static_assert(offsetof(AppSettings2, iccHandling) == 44);

struct AppSettings3 {  // "Settings3"
    int32_t checksum = 0;
    int32_t recentLength = 5;           // 1..10
    int32_t batchView = 1;              // 0 small, 1 medium, 2 large, 3 details
    int32_t browserView = 1;            // same coding
    int32_t hideAutoPreviewNotice = 0;  // 0/1
    int32_t batchPriority = 0;          // 0 "Normal", 1 "Low"
    int32_t reserved[5] = {};
};
static_assert(sizeof(AppSettings3) == 44);
static_assert(offsetof(AppSettings3, batchPriority) == 20);

static_assert(std::is_trivially_copyable_v<AppSettings>);
static_assert(std::is_trivially_copyable_v<AppSettings2>);
static_assert(std::is_trivially_copyable_v<AppSettings3>);

// Bytes summed by each record's checksum, from offset 4 on.
constexpr std::size_t kAppSettingsRun = 89;
constexpr std::size_t kAppSettings2Run = 44;
constexpr std::size_t kAppSettings3Run = 40;

// A stored preset slot: below 100 an older layout's (slot = value + 1), else slot + 100.
int32_t MigratedSlot(int32_t stored);
constexpr int32_t StoredSlot(int32_t slot) { return slot + 100; }

// The stored form: every field in range, reserved fields and text tails as their defaults,
// the checksum filled in.
std::array<uint8_t, sizeof(AppSettings)> EncodeAppSettings(const AppSettings& settings);
std::array<uint8_t, sizeof(AppSettings2)> EncodeAppSettings2(const AppSettings2& settings);
std::array<uint8_t, sizeof(AppSettings3)> EncodeAppSettings3(const AppSettings3& settings);

// False, with `out` untouched, unless the bytes have the record's size and checksum. A field
// outside its range takes the value that stands for every other one where there is one (TIFF
// depth: 24 bits; pane sections: none; views: Medium; a default filter slot outside the table:
// 0); the others are brought to the nearest end of their range. The default zoom keeps any
// percentage the user typed: its users read an unknown one as Best Fit.
bool DecodeAppSettings(std::span<const uint8_t> bytes, AppSettings& out);
bool DecodeAppSettings2(std::span<const uint8_t> bytes, AppSettings2& out);
bool DecodeAppSettings3(std::span<const uint8_t> bytes, AppSettings3& out);

}  // namespace stillpix
