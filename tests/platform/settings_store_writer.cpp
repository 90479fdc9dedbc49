// Writes COUNT raw-bytes values "<prefix><i>" into group "Options" of FILE, one write at a time,
// as a second running instance of the program would. Exit status 0 when every write succeeded.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/qsettings_store.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: settings_store_writer FILE PREFIX COUNT\n");
        return 2;
    }
    stillpix::QSettingsStore store(argv[1]);
    const int count = std::atoi(argv[3]);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string(argv[2]) + std::to_string(i);
        const std::vector<uint8_t> bytes = {static_cast<uint8_t>(i), 0, 0xFF,
                                            static_cast<uint8_t>(argv[2][0])};
        if (!store.WriteBytes("Options", name, bytes)) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
