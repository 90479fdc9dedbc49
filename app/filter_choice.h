// The filter a processing command runs with: a preset of the table, changed by field options,
// as the noise filter pane would give it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "settings/filter_settings.h"
#include "settings/preset_table.h"

namespace stillpix::cli {

// "preset" and one option per editable field of the record (kFilterFieldTable's keys).
extern const std::vector<std::string> kFilterChoiceOptions;

// The fields a user can set; the channel weights are fixed.
bool EditableFilterField(const FilterFieldInfo& field);

// --preset NAME|SLOT (default `defaultSlot`), then every field option given replaces that field.
bool ChooseFilterSettings(const CliArgs& args, const PresetTable& table, int defaultSlot,
                          FilterSettings& out, std::string& error);

// Field options given on the line replace the fields of `settings`.
bool ApplyFilterFieldOptions(const CliArgs& args, FilterSettings& settings, std::string& error);

// One usage line per field option.
void PrintFilterFieldUsage(std::FILE* out);
// The usage lines of --preset and the field options.
void PrintFilterChoiceUsage(std::FILE* out);

}  // namespace stillpix::cli
