// Points the per-user folders of every test in this binary (and of the programs it starts) at a
// temporary folder before any test runs, so no test can reach the user's real settings.
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

struct IsolatedHome {
    IsolatedHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "stillpix-home-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) ::abort();
        path = pattern;
        ::setenv("HOME", pattern.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (pattern + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (pattern + "/data").c_str(), 1);
    }
    ~IsolatedHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const IsolatedHome kHome;

}  // namespace
