// A settings store on a file inside a fresh temporary folder per test.
#pragma once

#include <gtest/gtest.h>

#include "platform/qsettings_store.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {

class StoreTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::filesystem::path file_ = folder_.Path() / "settings.conf";
    QSettingsStore store_{file_};
};

}  // namespace stillpix::test
