#include "settings/batch_settings.h"

#include <climits>
#include <cstring>

#include "settings/record_fields.h"

namespace stillpix {
namespace {

#define FIELD(member, low, high, otherwise)                                           \
    IntField<BatchSettings> {                                                         \
        offsetof(BatchSettings, member), &BatchSettings::member, low, high, otherwise \
    }
// Other destinations name no folder: the source's own. Other formats are written as JPEG, and
// other depths as 24 bits.
// clang-format off
const IntField<BatchSettings> kBatchFields[] = {
    FIELD(destination, kSameAsSource, kOtherLocation, kSameAsSource),
    FIELD(outputFormat, kFormatKeep, kFormatTiff, kFormatJpeg),
    FIELD(jpegQuality, 0, 100, kClampToRange),
    FIELD(reserved332, 0, 0, kClampToRange),
    FIELD(tiffDepth, kTiffDepth24, kTiffDepth48, kTiffDepth24),
};
// clang-format on
#undef FIELD

// Negative slots would index before the list; huge ones could not take the stored +100.
int32_t FilterSlot(int32_t slot) {
    return slot < 0 || slot > INT32_MAX - 100 ? kUseCurrentFilter : slot;
}

}  // namespace

BatchSettings DefaultBatchSettings(const AppSettings& options) {
    BatchSettings settings;
    SetFieldText(std::span<char>(settings.suffix).first(kMaxBatchSuffixChars + 1),
                 FieldText(options.defaultSuffix));
    settings.jpegQuality = std::clamp(options.jpegQuality, 0, 100);
    settings.filter = FilterSlot(options.defaultFilterSlot);
    return settings;
}

std::array<uint8_t, sizeof(BatchSettings)> EncodeBatchSettings(const BatchSettings& in) {
    BatchSettings settings = in;
    NormaliseFieldText(settings.destinationPath, kMaxBatchPathChars);
    NormaliseFieldText(settings.suffix, kMaxBatchSuffixChars);
    std::array<uint8_t, sizeof(BatchSettings)> bytes{};
    PutFields(settings, kBatchFields, bytes);
    PutText(bytes, offsetof(BatchSettings, destinationPath), settings.destinationPath);
    PutText(bytes, offsetof(BatchSettings, suffix), settings.suffix);
    PutI32(bytes, offsetof(BatchSettings, filter), StoredSlot(FilterSlot(settings.filter)));
    PutI32(bytes, 0, static_cast<int32_t>(RecordChecksum(bytes, kBatchSettingsRun)));
    return bytes;
}

bool DecodeBatchSettings(std::span<const uint8_t> bytes, BatchSettings& out) {
    if (!RecordIsIntact(bytes, sizeof(BatchSettings), kBatchSettingsRun)) return false;
    BatchSettings settings;
    GetFields(bytes, kBatchFields, settings);
    std::memcpy(settings.destinationPath, bytes.data() + offsetof(BatchSettings, destinationPath),
                sizeof settings.destinationPath);
    std::memcpy(settings.suffix, bytes.data() + offsetof(BatchSettings, suffix),
                sizeof settings.suffix);
    NormaliseFieldText(settings.destinationPath, kMaxBatchPathChars);
    NormaliseFieldText(settings.suffix, kMaxBatchSuffixChars);
    settings.filter = FilterSlot(MigratedSlot(GetI32(bytes, offsetof(BatchSettings, filter))));
    settings.checksum = GetI32(bytes, 0);
    out = settings;
    return true;
}

}  // namespace stillpix
