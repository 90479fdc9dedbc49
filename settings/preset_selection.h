// The noise filter pane's side of the preset table: what choosing a slot makes current, which
// slot a (re)filled preset list selects, when the custom-filter commands are offered, and the
// value labels of the filter controls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/preset_table.h"

namespace stillpix {

// The pane's current filter and the slot its preset list selects.
struct PresetSelection {
    FilterSettings current;
    int slot = 0;
};

// All sixteen fields of `slot` become current; a slot outside the table counts as slot 0.
PresetSelection SelectPreset(const PresetTable& table, int slot);

// The slot a freshly filled list selects: the last slot named `name` (exact) when there is one,
// else `defaultSlot` (the "Default Filter Settings" option), which counts as 0 outside the table.
// After a delete the list is filled without a name.
int PresetToSelect(const PresetTable& table, int defaultSlot, std::string_view name = {});

// The list indents custom filters (slots after "Custom") by one step.
constexpr int PresetIndent(int slot) { return slot > kCustomSlot ? 1 : 0; }

// "Save Settings" needs an image; "Delete" needs an image and a custom filter selected.
constexpr bool CanSaveFilterSettings(bool imageLoaded) { return imageLoaded; }
bool CanDeleteFilterSettings(bool imageLoaded, const PresetTable& table, int selectedSlot);

inline constexpr const char* kProcessingDegreeNames[] = {"Auto", "High", "Normal", "Low"};

// The value label of field `field` (numbering of FilterSettings) at `value`: noise levels
// "+20%" (5 % a step, a plus sign from 1 up), suppression "70%", sharpening "+3", the
// processing degree by name. Fields without a control give "".
std::string FilterValueLabel(int field, int32_t value);

}  // namespace stillpix
