#include "settings/learned_profile_record.h"

#include <cstring>

#include "engine/little_endian.h"

namespace stillpix {
namespace {

constexpr std::size_t kIdsOffset = offsetof(LearnedProfileRecord, imageIds);
constexpr std::size_t kProfileOffset = offsetof(LearnedProfileRecord, profile);
constexpr std::size_t kDescriptorOffset = offsetof(LearnedProfileRecord, descriptor);

}  // namespace

bool IsUsableRecord(const LearnedProfileRecord& record) {
    if (record.contributors < 1 || record.contributors > kMaxContributors) return false;
    const NoiseProfile& profile = record.profile;
    if (profile.bandCount < 1 || profile.bandCount > kProfileBandSlots) return false;
    for (int b = 0; b < profile.bandCount; ++b) {
        const ProfileBand& band = profile.bands[b];
        if (band.binCount < 1 || band.binCount > kProfileBinSlots) return false;
        for (int k = 0; k < band.binCount; ++k)
            for (int c = 0; c < 3; ++c)
                if (band.levels[k][c] < 0 || band.counts[k][c] < 0) return false;
    }
    return true;
}

std::array<uint8_t, kLearnedProfileRecordBytes> EncodeLearnedProfileRecord(
    const LearnedProfileRecord& record) {
    std::array<uint8_t, kLearnedProfileRecordBytes> bytes{};
    StoreLittleEndian(bytes.data(), record.contributors);
    const auto descriptor = EncodeImageDescriptor(record.descriptor);
    std::memcpy(bytes.data() + kDescriptorOffset, descriptor.data(), descriptor.size());
    const auto profile = EncodeNoiseProfile(record.profile);
    std::memcpy(bytes.data() + kProfileOffset, profile.data(), profile.size());
    for (int i = 0; i < kImageIdSlots; ++i)
        StoreLittleEndian(bytes.data() + kIdsOffset + 4 * i, record.imageIds[i]);
    return bytes;
}

bool DecodeLearnedProfileRecord(std::span<const uint8_t> bytes, LearnedProfileRecord& out) {
    if (bytes.size() != kLearnedProfileRecordBytes) return false;
    LearnedProfileRecord record;
    record.contributors = LoadLittleEndian<int32_t>(bytes.data());
    if (!DecodeImageDescriptor(bytes.subspan(kDescriptorOffset, kImageDescriptorBytes),
                               record.descriptor))
        return false;
    if (!DecodeNoiseProfile(bytes.subspan(kProfileOffset, kNoiseProfileBytes), record.profile))
        return false;
    for (int i = 0; i < kImageIdSlots; ++i)
        record.imageIds[i] = LoadLittleEndian<uint32_t>(bytes.data() + kIdsOffset + 4 * i);
    if (!IsUsableRecord(record)) return false;
    out = record;
    return true;
}

}  // namespace stillpix
