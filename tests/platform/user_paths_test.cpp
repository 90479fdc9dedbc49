// The per-user locations follow the XDG folders, so a test can point them anywhere.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/user_paths.h"

namespace stillpix {
namespace {

TEST(UserPaths, FollowTheUsersConfigurationAndDataFolders) {
    ::setenv("XDG_CONFIG_HOME", "/tmp/stillpix-config-probe", 1);
    ::setenv("XDG_DATA_HOME", "/tmp/stillpix-data-probe", 1);
    EXPECT_EQ(UserSettingsFile(),
              std::filesystem::path(
                  "/tmp/stillpix-config-probe/Veltrano/Stillpix Professional Edition.conf"));
    EXPECT_EQ(DefaultProfileFolder(),
              std::filesystem::path(
                  "/tmp/stillpix-data-probe/Veltrano/Stillpix Professional Edition/Profiles"));
}

}  // namespace
}  // namespace stillpix
