// One learned noise profile: the shooting data of its first image, the merged profile and the
// ids of the images that contributed. The file holds exactly these 1816 bytes per record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/noise_profile.h"
#include "exif/image_descriptor.h"

namespace stillpix {

constexpr int kMaxContributors = 99;
constexpr int kImageIdSlots = 100;

struct LearnedProfileRecord {
    int32_t contributors = 0;    // 1..99
    int32_t reserved = 0;        // written 0
    ImageDescriptor descriptor;  // of the first image
    NoiseProfile profile;
    uint32_t link = 0;  // the in-memory list link of the record; written 0, ignored on reading
    uint32_t imageIds[kImageIdSlots] = {};  // the first `contributors` are in use
};
static_assert(sizeof(LearnedProfileRecord) == 1816);
static_assert(offsetof(LearnedProfileRecord, descriptor) == 8);
static_assert(offsetof(LearnedProfileRecord, profile) == 408);
static_assert(offsetof(LearnedProfileRecord, link) == 1412);
static_assert(offsetof(LearnedProfileRecord, imageIds) == 1416);

constexpr std::size_t kLearnedProfileRecordBytes = 1816;

// True when the record is one the store can hold: 1..99 contributors, 1..5 bands of 1..16 bins,
// and no negative level or count in a bin in use. Everything the store keeps or writes passes it.
bool IsUsableRecord(const LearnedProfileRecord& record);

// Little-endian bytes; reserved and link are written as 0.
std::array<uint8_t, kLearnedProfileRecordBytes> EncodeLearnedProfileRecord(
    const LearnedProfileRecord& record);
// False, with `out` untouched, unless exactly 1816 bytes of a usable record.
bool DecodeLearnedProfileRecord(std::span<const uint8_t> bytes, LearnedProfileRecord& out);

}  // namespace stillpix
