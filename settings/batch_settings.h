// The batch settings record: how a batch run filters, names and writes every queued file.
// Persisted whole as the "Batch" value; the filter slot is stored as slot + 100.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "settings/app_settings.h"

namespace stillpix {

constexpr int32_t kUseCurrentFilter = 255;

// The record's destination and format codes, as stored.
enum BatchDestination : int32_t { kSameAsSource = 0, kSubfolder = 1, kOtherLocation = 2 };
enum BatchFormat : int32_t { kFormatKeep = 0, kFormatPng = 1, kFormatJpeg = 2, kFormatTiff = 3 };

struct BatchSettings {
    int32_t checksum = 0;
    uint8_t reserved4[32] = {};
    int32_t destination = kSubfolder;
    char destinationPath[260] = "Filtered";  // at most 259 characters
    char suffix[24] = {};                    // at most 20 characters; empty = same name
    int32_t outputFormat = kFormatKeep;
    int32_t jpegQuality = 90;  // 0..100
    int32_t reserved332 = 0;
    int32_t filter = 0;  // preset slot, or kUseCurrentFilter
    int32_t tiffDepth = kTiffDepth48;
};
static_assert(sizeof(BatchSettings) == 344);
static_assert(std::is_trivially_copyable_v<BatchSettings>);
static_assert(offsetof(BatchSettings, destination) == 36);
static_assert(offsetof(BatchSettings, destinationPath) == 40);
static_assert(offsetof(BatchSettings, suffix) == 300);
static_assert(offsetof(BatchSettings, outputFormat) == 324);
static_assert(offsetof(BatchSettings, filter) == 336);
static_assert(offsetof(BatchSettings, tiffDepth) == 340);

constexpr std::size_t kBatchSettingsRun = 336;  // the TIFF depth is stored but not summed
constexpr std::size_t kMaxBatchSuffixChars = 20;
constexpr std::size_t kMaxBatchPathChars = 259;

// The record used when nothing valid is stored: suffix, JPEG quality and filter follow the
// general and noise filter options.
BatchSettings DefaultBatchSettings(const AppSettings& options);

std::array<uint8_t, sizeof(BatchSettings)> EncodeBatchSettings(const BatchSettings& settings);
// False, with `out` untouched, unless the bytes have the record's size and checksum. An unknown
// destination reads as the source's folder, an unknown format as JPEG, a TIFF depth other than 1
// as 24 bits. A filter slot below 0 reads as "Use Current"; slots past the filter list are kept
// (they behave as "Use Current" when the batch runs).
bool DecodeBatchSettings(std::span<const uint8_t> bytes, BatchSettings& out);

}  // namespace stillpix
