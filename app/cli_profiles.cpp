// stillpix-cli profiles: the learned noise profiles of the profile folder: listing, deleting,
// moving them between machines and merging stores learned apart.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/cli_commands.h"
#include "app/cli_options.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/learned_profile_merge.h"
#include "settings/persisted_settings.h"
#include "settings/profile_matching.h"
#include "settings/profile_store.h"
#include "settings/record_codec.h"

namespace stillpix::cli {
namespace {

constexpr const char* kUsage =
    "usage: stillpix-cli profiles [--delete-all]\n"
    "       stillpix-cli profiles --export FILE.sxp\n"
    "       stillpix-cli profiles --import FILE.sxp...\n"
    "       stillpix-cli profiles --merge FILE.sxp... -o OUT.sxp\n"
    "  Lists the learned noise profiles in the profile folder (the \"Profile\" option of the\n"
    "  settings file): camera, image size, ISO, light value, contributing images, confidence.\n"
    "  --delete-all          delete every learned profile (the file then holds an empty store)\n"
    "  --export FILE         copy the learned profiles to FILE, for another machine to import\n"
    "  --import FILE...      merge profile files into the learned profiles, as --merge does\n"
    "  --merge FILE... -o OUT  merge profile files (learned on other machines, or by the shards\n"
    "                        of a run) into OUT: profiles of the same camera, ISO and light value\n"
    "                        merge as learning merges images, an image counts once, a profile\n"
    "                        takes at most 99 images, and the order of the files does not\n"
    "                        change OUT\n"
    "  --profile-folder DIR  the learned profiles of DIR instead of the \"Profile\" option's\n"
    "  A damaged profile file is refused with the reason, and nothing is written.\n";

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

int UsageError(const std::string& message) {
    std::fprintf(stderr, "stillpix-cli profiles: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// Every file read whole, or the first one's damage; its records appended to `records`.
bool ReadInputs(const std::vector<std::string>& files, std::vector<LearnedProfileRecord>& records,
                std::string& error) {
    for (const std::string& file : files) {
        std::vector<LearnedProfileRecord> read;
        if (!ReadLearnedProfileFile(file, read, DamagedRecords::kRefuse, &error)) {
            error = file + ": " + error + "; nothing was written";
            return false;
        }
        records.insert(records.end(), read.begin(), read.end());
    }
    return true;
}

int MergeFiles(const std::vector<std::string>& files, const std::string& out) {
    std::vector<std::vector<LearnedProfileRecord>> stores(files.size());
    std::string error;
    std::size_t total = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!ReadInputs({files[i]}, stores[i], error)) return Fail(error);
        total += stores[i].size();
    }
    const std::vector<LearnedProfileRecord> merged = MergeLearnedStores(stores);
    if (!WriteLearnedProfileFile(out, merged, &error)) return Fail(error);
    std::printf("merged %zu learned profile(s) of %zu file(s) into %s: %zu learned profile(s)\n",
                total, files.size(), out.c_str(), merged.size());
    return 0;
}

int RunProfilesCommand(int argc, char** argv) {
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, {"export", "o", "profile-folder"}, error)) return UsageError(error);
    if (args.Flag("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto unknown = args.Unknown({"help", "delete-all", "merge", "import"});
    if (!unknown.empty()) return UsageError("unknown option " + unknown[0]);
    const bool merge = args.Flag("merge"), import = args.Flag("import");
    const int modes = merge + import + args.Flag("delete-all") + args.Value("export").has_value();
    if (modes > 1)
        return UsageError("--delete-all, --export, --import and --merge exclude each other");
    if (!merge && !import && !args.Positional().empty())
        return UsageError("takes no file arguments");
    if ((merge || import) && args.Positional().empty()) return UsageError("names no profile files");
    if (merge != args.Value("o").has_value()) return UsageError("--merge and -o go together");
    if (merge) return MergeFiles(args.Positional(), *args.Value("o"));

    QSettingsStore settings(UserSettingsFile());
    const AppOptions options = LoadSettings(settings, DefaultProfileFolder());
    const std::string folder = args.Value("profile-folder").value_or(options.profileFolder);
    LearnedProfileStore store(folder);
    const std::filesystem::path file = ProfileFilePath(folder);
    std::error_code ignored;
    const bool exists = std::filesystem::exists(file, ignored);

    if (import) {
        std::vector<LearnedProfileRecord> records;
        if (!ReadInputs(args.Positional(), records, error) || !store.ImportRecords(records, error))
            return Fail(error);
        std::printf("imported %zu learned profile(s) into %s: %d learned profile(s)\n",
                    records.size(), file.c_str(), store.Count());
        return 0;
    }
    if (const auto out = args.Value("export")) {
        std::vector<LearnedProfileRecord> records;
        if (exists && !ReadLearnedProfileFile(file, records, DamagedRecords::kRefuse, &error))
            return Fail(file.string() + ": " + error + "; nothing was written");
        if (!WriteLearnedProfileFile(*out, records, &error)) return Fail(error);
        std::printf("exported %zu learned profile(s) to %s\n", records.size(), out->c_str());
        return 0;
    }
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

CommandRegistration registration{"profiles",
                                 "list, delete, export, import or merge the learned noise profiles",
                                 RunProfilesCommand};

}  // namespace
}  // namespace stillpix::cli
