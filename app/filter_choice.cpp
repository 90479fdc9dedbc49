#include "app/filter_choice.h"

namespace stillpix::cli {

namespace {

std::vector<std::string> FilterChoiceOptions() {
    std::vector<std::string> options = {"preset"};
    for (const FilterFieldInfo& field : kFilterFieldTable)
        if (EditableFilterField(field)) options.push_back(field.key);
    return options;
}

}  // namespace

const std::vector<std::string> kFilterChoiceOptions = FilterChoiceOptions();

bool EditableFilterField(const FilterFieldInfo& field) { return field.low != field.high; }

bool ApplyFilterFieldOptions(const CliArgs& args, FilterSettings& settings, std::string& error) {
    auto values = FilterFieldValues(settings);
    for (int i = 0; i < kFilterFields; ++i) {
        const FilterFieldInfo& field = kFilterFieldTable[i];
        if (!EditableFilterField(field)) continue;
        std::optional<int> value;
        if (!args.IntValue(field.key, field.low, field.high, value, error)) return false;
        if (value) values[i] = *value;
    }
    settings = FilterSettingsFromValues(values);
    return true;
}

bool ChooseFilterSettings(const CliArgs& args, const PresetTable& table, int defaultSlot,
                          FilterSettings& out, std::string& error) {
    int slot = defaultSlot;
    if (const auto name = args.Value("preset")) {
        const auto found = FindPreset(table, *name);
        if (!found) {
            error = "no preset \"" + *name + "\" (stillpix-cli presets lists them)";
            return false;
        }
        slot = *found;
    }
    // A stored default may name a custom filter deleted since.
    if (slot < 0 || slot >= table.count) slot = 0;
    out = table.slots[slot].settings;
    return ApplyFilterFieldOptions(args, out, error);
}

void PrintFilterFieldUsage(std::FILE* out) {
    for (const FilterFieldInfo& field : kFilterFieldTable)
        if (EditableFilterField(field))
            std::fprintf(out, "    --%-22s %d..%d (neutral %d)\n", field.key, field.low, field.high,
                         field.neutral);
}

void PrintFilterChoiceUsage(std::FILE* out) {
    std::fputs(
        "  --preset NAME|SLOT    the filter preset (default: the \"Default Filter Settings\" "
        "option);\n"
        "                        a custom filter's name comes before a built-in's and a slot\n"
        "                        number; slot:N is always slot N\n"
        "  field options, each replacing one field of the preset (one step is 5 %):\n",
        out);
    PrintFilterFieldUsage(out);
}

}  // namespace stillpix::cli
