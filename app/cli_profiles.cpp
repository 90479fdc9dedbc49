// stillpix-cli profiles: the learned noise profiles of the profile folder, and deleting them all.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/cli_commands.h"
#include "app/cli_options.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/persisted_settings.h"
#include "settings/profile_matching.h"
#include "settings/profile_store.h"
#include "settings/record_codec.h"

namespace stillpix::cli {
namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli profiles [--delete-all]\n"
    "  Lists the learned noise profiles in the profile folder (the \"Profile\" option of the\n"
    "  settings file): camera, image size, ISO, light value, contributing images, confidence.\n"
    "  --delete-all  delete every learned profile (the file then holds an empty store)\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli profiles: %s\n", message.c_str());
    return 1;
}

void PrintRecords(const LearnedProfileStore& store) {
    std::printf(
        "  #  camera                                  size         ISO  light  images  "
        "confidence\n");
    int index = 0;
    for (const LearnedProfileRecord& r : store.Records()) {
        const ImageDescriptor& d = r.descriptor;
        const std::string camera =
            std::string(FieldText(d.make)) + " " + std::string(FieldText(d.model));
        const std::string size = std::to_string(d.width) + " x " + std::to_string(d.height);
        const auto light = LightValue(d);
        char lightText[16] = "-";
        if (light) std::snprintf(lightText, sizeof lightText, "%.2f", *light);
        std::printf("%3d  %-38s  %-11s %5d  %5s  %6d  %10d\n", ++index, camera.c_str(),
                    size.c_str(), d.isoSpeed, lightText, r.contributors,
                    ProfileConfidence(r.profile));
    }
}

int RunProfilesCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, {}, error)) {
        std::fprintf(stderr, "stillpix-cli profiles: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (args.Flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "delete-all"});
    if (!unknown.empty() || !args.Positional().empty()) {
        std::fprintf(
            stderr, "stillpix-cli profiles: %s\n%s",
            unknown.empty() ? "takes no file arguments" : ("unknown option " + unknown[0]).c_str(),
            kUsage);
        return 2;
    }

    QSettingsStore settings(UserSettingsFile());
    const AppOptions options = LoadSettings(settings, DefaultProfileFolder());
    LearnedProfileStore store(options.profileFolder);
    const std::filesystem::path file = ProfileFilePath(options.profileFolder);
    std::error_code ignored;
    const bool exists = std::filesystem::exists(file, ignored);
    const bool loaded = store.LoadProfileStore();

    if (args.Flag("delete-all")) {
        const int32_t count = store.Count();
        if (!store.ClearAndSave()) return Fail("cannot write " + file.string());
        std::printf("deleted %d learned profile(s) from %s\n", count, file.c_str());
        return 0;
    }
    std::printf("profile file: %s\n", file.c_str());
    if (!exists) {
        std::printf("no learned profiles yet\n");
        return 0;
    }
    if (!loaded)
        return Fail(file.string() +
                    " is damaged or not a profile file; the program ignores it and "
                    "replaces it at the next learning");
    std::printf("%d learned profile(s)\n", store.Count());
    if (store.Count() > 0) PrintRecords(store);
    return 0;
}

CommandRegistration registration{"profiles", "list the learned noise profiles, or delete them all",
                                 RunProfilesCommand};

}  // namespace
}  // namespace stillpix::cli
