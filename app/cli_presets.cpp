// stillpix-cli presets: the filter preset table as the program builds it, with the custom
// filters of the user's settings file; saves and deletes custom filters.
#include <cstdio>
#include <string>

#include "app/cli_commands.h"
#include "app/cli_options.h"
#include "app/filter_choice.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/custom_filters.h"
#include "settings/preset_table.h"

namespace stillpix::cli {
namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli presets [--save NAME [--from NAME|SLOT] [--overwrite] [FIELD OPTIONS]]\n"
    "                            [--delete NAME]\n"
    "  Without options, lists the built-in presets, \"Custom\" and the custom filters saved in\n"
    "  the settings file (~/.config/Veltrano/Stillpix Professional Edition.conf).\n"
    "  --save NAME       save a custom filter: the settings of --from (default \"Custom\"),\n"
    "                    changed by any field options\n"
    "  --from NAME|SLOT  the preset to start from (slot:N for slot N whatever the names)\n"
    "  --overwrite       replace a custom filter of the same name\n"
    "  --delete NAME     delete the custom filter NAME\n"
    "  field options (one step is 5 %):\n";

void PrintUsage(std::FILE* out) {
    std::fputs(kUsage, out);
    PrintFilterFieldUsage(out);
}

// The dialog's texts break lines the way message boxes do.
std::string ForTerminal(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "\n");
    return text;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli presets: %s\n", ForTerminal(message).c_str());
    return 1;
}

void PrintTable(const PresetTable& table) {
    std::printf(
        "slot  name                                 deg  lum  col high  mid  low vlow sharp |"
        "  sup: lum  col high  mid  low vlow\n");
    for (int i = 0; i < table.count; ++i) {
        const FilterPreset& preset = table.slots[i];
        const auto v = FilterFieldValues(preset.settings);
        std::printf("%4d  %-35s %4d %4d %4d %4d %4d %4d %4d %5d |       %4d %4d %4d %4d %4d %4d\n",
                    i, preset.name.c_str(), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[10],
                    v[11], v[12], v[13], v[14], v[15]);
    }
    std::printf("%d custom filter(s) of at most %d\n", table.count - kFirstCustomFilterSlot,
                kMaxCustomFilters);
}

int Save(SettingsStore& store, PresetTable& table, const CliArgs& args, const std::string& name) {
    const std::string fromText = args.Value("from").value_or("Custom");
    const auto from = FindPreset(table, fromText);
    if (!from) return Fail("no preset \"" + fromText + "\"");
    FilterSettings settings = table.slots[*from].settings;
    std::string error;
    if (!ApplyFilterFieldOptions(args, settings, error)) return Fail(error);
    // As in the pane: changed settings are "Custom", and that slot is what gets saved.
    const int slot = NoteSettingsChange(table, *from, settings);
    const SaveFilterResult result =
        SaveCustomFilter(store, table, name, slot, args.Flag("overwrite"));
    switch (result.outcome) {
        case SaveFilterOutcome::kSaved:
            std::printf("saved custom filter \"%s\" in slot %d\n", name.c_str(), result.slot);
            return 0;
        case SaveFilterOutcome::kConfirmOverwrite:
            return Fail(result.message + "\n(give --overwrite to replace it)");
        case SaveFilterOutcome::kWriteFailed:
            return Fail("cannot write the settings file " + UserSettingsFile().string());
        case SaveFilterOutcome::kNoSuchSlot: return Fail("no preset \"" + fromText + "\"");
        default: return Fail(result.message);
    }
}

int Delete(SettingsStore& store, PresetTable& table, const std::string& name) {
    bool found = false;
    for (int i = kFirstCustomFilterSlot; i < table.count; ++i)
        found = found || table.slots[i].name == name;
    if (!found) return Fail("no custom filter \"" + name + "\"");
    if (!DeleteCustomFilter(store, table, name))
        return Fail("cannot write the settings file " + UserSettingsFile().string());
    std::printf("deleted custom filter \"%s\"\n", name.c_str());
    return 0;
}

int RunPresetsCommand(int argc, char** argv) {
    std::vector<std::string> valueOptions = {"save", "from", "delete"};
    valueOptions.insert(valueOptions.end(), kFilterChoiceOptions.begin() + 1,
                        kFilterChoiceOptions.end());
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, valueOptions, error)) {
        std::fprintf(stderr, "stillpix-cli presets: %s\n", error.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (args.Flag("help")) {
        PrintUsage(stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "overwrite"});
    const auto save = args.Value("save"), remove = args.Value("delete");
    bool fieldsGiven = args.Value("from").has_value() || args.Flag("overwrite");
    for (const FilterFieldInfo& field : kFilterFieldTable)
        fieldsGiven = fieldsGiven || args.Value(field.key);
    const char* problem = !unknown.empty()             ? "unknown option"
                          : !args.Positional().empty() ? "takes no file arguments"
                          : save && remove             ? "--save and --delete exclude each other"
                          : fieldsGiven && !save
                              ? "field options, --from and --overwrite need --save"
                              : nullptr;
    if (problem) {
        std::fprintf(stderr, "stillpix-cli presets: %s%s\n", problem,
                     unknown.empty() ? "" : (" " + unknown[0]).c_str());
        PrintUsage(stderr);
        return 2;
    }

    QSettingsStore store(UserSettingsFile());
    PresetTable table;
    const bool readable = BuildPresetTable(store, table);
    if (!readable && (save || remove))
        return Fail("cannot read the settings file " + store.File().string());
    if (save) return Save(store, table, args, *save);
    if (remove) return Delete(store, table, *remove);
    if (!readable)
        std::fprintf(stderr,
                     "stillpix-cli presets: cannot read the settings file %s; built-ins only\n",
                     store.File().c_str());
    PrintTable(table);
    return 0;
}

CommandRegistration registration{
    "presets", "list the filter presets; save and delete custom filters", RunPresetsCommand};

}  // namespace
}  // namespace stillpix::cli
