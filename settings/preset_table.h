// The table of named filters: 14 built-in presets, "Custom" in slot 14 holding the last
// hand-made settings, and up to 25 custom filters read from the "FilterSettings" group.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"
#include "settings/filter_settings.h"

namespace stillpix {

constexpr int kPresetSlots = 40;
constexpr int kBuiltInPresets = 14;
constexpr int kCustomSlot = 14;
constexpr int kFirstCustomFilterSlot = 15;
constexpr int kMaxCustomFilters = kPresetSlots - kFirstCustomFilterSlot;  // 25
constexpr int kMaxFilterNameChars = 64;
constexpr int kCustomFilterImage = 5;

inline constexpr char kFilterSettingsGroup[] = "FilterSettings";

// Indices into the strip of small preset pictures.
enum PresetImage : int32_t {
    kImageGeneral = 0,
    kImageLandscape = 1,
    kImageNightScene = 2,
    kImagePortrait = 3,
    kImageFullSuppression = 4,
    kImageCustom = 5,
    kImageFilmGrain = 6,
};

struct FilterPreset {
    std::string name;  // at most 64 characters
    FilterSettings settings;
    int32_t imageIndex = 0;
};

struct PresetTable {
    std::array<FilterPreset, kPresetSlots> slots;
    int32_t count = 0;  // 15..40
};

// Slots 0..14 from the built-in table, then the custom filters in the order they were saved
// (OrderedCustomFilterNames). False
// (and only the built-ins and "Custom") when the store cannot be read. Stored filters whose
// data is not at least 64 raw bytes, or whose name cannot be a filter name, are left out; an
// empty value ends the reading, as a value without data always has.
bool BuildPresetTable(SettingsStore& store, PresetTable& table);

// The slot named by "slot:N", by the exact name of a custom filter, of a built-in, or by a
// number ("3"), in that order of preference; the first slot of a name wins.
std::optional<int> FindPreset(const PresetTable& table, std::string_view nameOrSlot);

// After the current settings changed: when they differ from the selected slot's, "Custom" takes
// them and becomes the selection. Returns the slot selected now.
int NoteSettingsChange(PresetTable& table, int selectedSlot, const FilterSettings& current);

}  // namespace stillpix
