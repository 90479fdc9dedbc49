// stillpix-cli options: the options of the program's "Options" sheet, listed, read and changed
// by the controls' names, with the sheet's own rules, in the user's settings file.
#include <cstdio>
#include <string>

#include "app/cli_commands.h"
#include "app/cli_options.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/options_pages.h"

namespace stillpix::cli {
namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli options [list | get NAME | set NAME VALUE]\n"
    "  Lists, reads or changes the options of the program's \"Options\" sheet in the settings\n"
    "  file. NAME is a control's text as the list shows it; letter case, spaces and\n"
    "  punctuation do not matter, and a beginning that names one control will do (\"jpeg\").\n"
    "  VALUE as the sheet shows it: on or off for a check box, a list's text, a percentage or\n"
    "  \"Best Fit\" for the zoom, a filter preset's name, a number within the control's range.\n"
    "  A running window keeps the options it read and writes them back at its next change.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli options: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli options: %s\n", message.c_str());
    return 1;
}

void List(const AppOptions& options, const PresetTable& presets) {
    int page = -1;
    for (const OptionField& field : OptionFields()) {
        if (static_cast<int>(field.page) != page) {
            page = static_cast<int>(field.page);
            std::printf("%s[%s]\n", page ? "\n" : "", kOptionsPageTitles[page]);
        }
        std::printf("%s = %s\n", field.name, OptionValueText(field, options, presets).c_str());
    }
}

int RunOptionsCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, {}, error)) return UsageError(error);
    if (args.Flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (const auto unknown = args.Unknown({"help"}); !unknown.empty())
        return UsageError("unknown option " + unknown[0]);
    const auto& words = args.Positional();
    const std::string action = words.empty() ? "list" : words[0];
    const std::size_t expected = action == "list" ? 1 : action == "get" ? 2 : 3;
    if (action != "list" && action != "get" && action != "set")
        return UsageError("unknown action \"" + action + "\"");
    if (words.size() > expected || (!words.empty() && words.size() < expected))
        return UsageError(action + " takes " + std::to_string(expected - 1) + " argument(s)");

    QSettingsStore store(UserSettingsFile());
    const std::string problem = store.Problem();
    if (!problem.empty())
        std::fprintf(stderr, "stillpix-cli options: the defaults are shown: %s\n", problem.c_str());
    AppOptions options = LoadSettings(store, DefaultProfileFolder());
    PresetTable presets;
    BuildPresetTable(store, presets);
    if (action == "list") {
        List(options, presets);
        return 0;
    }
    const OptionField* field = LookUpOptionField(words[1]);
    if (!field) return Fail("\"" + words[1] + "\" names no option, or more than one");
    if (action == "set") {
        if (!SetOptionFromText(*field, words[2], options, presets, error))
            return Fail(std::string(field->name) + ": " + error);
        if (!SaveSettings(store, options))
            return Fail(problem.empty() ? "cannot write " + UserSettingsFile().string()
                                        : "cannot write " + problem);
        std::printf("%s = ", field->name);
    }
    std::printf("%s\n", OptionValueText(*field, options, presets).c_str());
    return 0;
}

CommandRegistration registration{"options", "list, read or change the program's options",
                                 RunOptionsCommand};

}  // namespace
}  // namespace stillpix::cli
