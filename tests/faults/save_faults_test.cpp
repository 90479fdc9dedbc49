// Every writer against every fault: a disk already full or filling during the save, a
// read-only folder or file, a process killed in the middle of the save and an injected write
// failure. In each the old file stays byte for byte, nothing partial lands under its name, no
// temporary is left behind (except by a killed process), and the failure is reported. And every
// writer replaces a file as its user would expect: through a symbolic link, keeping hard links,
// mode, owner and group.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/faults/fault_support.h"
#include "tests/faults/writers.h"
#include "tests/support/unprivileged.h"

namespace stillpix::test {
namespace {

namespace fs = std::filesystem;

class SaveFaults : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { writer_ = MakeWriter(GetParam()); }

    // The save fails, says so, and leaves the folder holding the old file and nothing new.
    void ExpectRefusedCleanly(const fs::path& folder, const std::vector<std::string>& before) {
        std::string error;
        EXPECT_FALSE(writer_->SaveNew(folder, error)) << "a failed save reported success";
        if (writer_->ReportsMessage()) {
            EXPECT_FALSE(error.empty()) << "a failed save gave no message";
        }
        EXPECT_TRUE(writer_->HoldsOld(folder)) << "the old file was damaged";
        EXPECT_EQ(FolderNames(folder), before) << "the failed save left files behind";
    }

    std::unique_ptr<Writer> writer_;
};

// Full before the save starts, or filling up while it writes.
TEST_P(SaveFaults, DiskFull) {
    for (const bool alreadyFull : {true, false}) {
        SCOPED_TRACE(alreadyFull ? "already full" : "fills during the save");
        SmallDisk disk(16u << 10);
        if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
        ASSERT_TRUE(writer_->WriteOld(disk.Path()));
        std::vector<std::string> before = {writer_->Target()};
        if (alreadyFull) {
            std::ofstream(disk.Path() / "filler") << std::string(16u << 10, 'x');
            before.push_back("filler");
            std::sort(before.begin(), before.end());  // as FolderNames gives them
        }
        ExpectRefusedCleanly(disk.Path(), before);
    }
}

TEST_P(SaveFaults, ReadOnlyFolder) {
    bool written = false;
    ReadOnlyFolder folder([&](const fs::path& path) { written = writer_->WriteOld(path); });
    if (!folder.Ready()) GTEST_SKIP() << folder.Why();
    ASSERT_TRUE(written);
    ExpectRefusedCleanly(folder.Path(), {writer_->Target()});
}

TEST_P(SaveFaults, FileItsUserCannotWrite) {
    // The folder is the user's own, so only the file's permission can stop the save.
    const int result = test::RunUnprivileged([&] {
        const std::unique_ptr<Writer> writer = MakeWriter(GetParam());
        TempFolder folder;
        if (!writer->WriteOld(folder.Path())) return 10;
        ::chmod((folder.Path() / writer->Target()).c_str(), 0444);
        std::string error;
        if (writer->SaveNew(folder.Path(), error)) return 1;
        if (writer->ReportsMessage() && error.empty()) return 2;
        if (!writer->HoldsOld(folder.Path())) return 3;
        return FolderNames(folder.Path()) == std::vector<std::string>{writer->Target()} ? 0 : 4;
    });
    if (result < 0) GTEST_SKIP() << "no unprivileged child process";
    EXPECT_EQ(result, 0) << "1 replaced a read-only file, 2 said nothing, 3 damaged it, "
                            "4 left files, 10 could not write the old version";
}

// Saved through a symbolic link, the linked file is replaced (a new inode) and keeps its mode,
// owner and group.
TEST_P(SaveFaults, ThroughSymbolicLinkTheFileIsReplacedKeepingModeOwnerAndGroup) {
    TempFolder real, linked;
    ASSERT_TRUE(writer_->WriteOld(real.Path()));
    const fs::path target = real.Path() / writer_->Target(),
                   link = linked.Path() / writer_->Target();
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    fs::create_symlink(fs::relative(target, linked.Path()), link);
    std::string error;
    ASSERT_TRUE(writer_->SaveNew(linked.Path(), error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_FALSE(writer_->HoldsOld(real.Path())) << "the linked file kept its old contents";
    EXPECT_EQ(FolderNames(real.Path()), std::vector<std::string>{writer_->Target()});
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not rewritten in place
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
}

TEST_P(SaveFaults, HardLinkedFileIsRewrittenForEveryName) {
    TempFolder folder, other;
    ASSERT_TRUE(writer_->WriteOld(folder.Path()));
    const fs::path target = folder.Path() / writer_->Target();
    fs::create_hard_link(target, other.Path() / "second name");
    std::string error;
    ASSERT_TRUE(writer_->SaveNew(folder.Path(), error)) << error;
    EXPECT_FALSE(writer_->HoldsOld(folder.Path()));
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(ReadFileBytes(other.Path() / "second name"), ReadFileBytes(target));
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{writer_->Target()});
}

TEST_P(SaveFaults, InjectedWriteFailure) {
    TempFolder folder;
    ASSERT_TRUE(writer_->WriteOld(folder.Path()));
    InjectWriteFailureAfter(1);
    ExpectRefusedCleanly(folder.Path(), {writer_->Target()});
    InjectWriteFailureAfter(0);
}

TEST_P(SaveFaults, KilledDuringSave) {
    TempFolder folder;
    const auto save = [&] {
        std::string error;
        return writer_->SaveNew(folder.Path(), error);
    };
    // A save that ends before it is caught has replaced the old file; start again then.
    KillOutcome outcome = KillOutcome::kFinished;
    for (int attempt = 0; attempt < 3 && outcome == KillOutcome::kFinished; ++attempt) {
        ASSERT_TRUE(writer_->WriteOld(folder.Path()));
        outcome = KillDuringSave(save, folder.Path(), FolderNames(folder.Path()));
    }
    if (outcome == KillOutcome::kNoProcess) GTEST_SKIP() << "no child process can be started";
    if (outcome == KillOutcome::kFinished)
        GTEST_SKIP() << "every save finished before it could be interrupted";

    EXPECT_TRUE(writer_->HoldsOld(folder.Path())) << "the killed save damaged the old file";
    // Only the killed process's own hidden temporary may remain beside the target, and the
    // settings file's lock, which the next writer takes over as stale. The next save is not
    // hindered by them, and takes the leftovers of saves killed before its process began (as
    // this one would be to the next run) away.
    for (const std::string& name : FolderNames(folder.Path()))
        if (name != writer_->Target()) {
            if (name != writer_->Target() + ".lock") {
                EXPECT_EQ(name.front(), '.') << name;
            }
            fs::last_write_time(folder.Path() / name,
                                fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
    std::string error;
    EXPECT_TRUE(writer_->SaveNew(folder.Path(), error)) << error;
    EXPECT_FALSE(writer_->HoldsOld(folder.Path()));
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{writer_->Target()});
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveFaults, ::testing::ValuesIn(WriterNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace stillpix::test
