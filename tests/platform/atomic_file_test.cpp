// The file-replacement routine on the shapes a target can take: links followed (chained,
// dangling, looping), things that are not files, the mode a new file gets, a hard-linked file
// whose overwrite fails half-way, and the leftovers of killed saves. Plain files, a relative link
// and killed saves under every writer: tests/faults.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "platform/atomic_file.h"
#include "tests/support/temp_folder.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const Bytes kOld{'o', 'l', 'd'};
const Bytes kNew{'n', 'e', 'w', '!'};

struct ShapeCase {
    const char* name;
    std::function<void(const fs::path& folder)> make;  // builds "target" (and what it names)
    const char* written;  // the file holding the new bytes afterwards; null: refused
};

std::vector<ShapeCase> ShapeCases() {
    auto file = [](const fs::path& path) { test::WriteFileBytes(path, kOld); };
    return {
        {"NewFile", [](const fs::path&) {}, "target"},
        {"ChainOfLinks",
         [&](const fs::path& f) {
             file(f / "photo");
             fs::create_symlink(f / "photo", f / "middle");
             fs::create_symlink("middle", f / "target");
         },
         "photo"},
        {"DanglingLinkMakesItsFile",
         [](const fs::path& f) { fs::create_symlink("made", f / "target"); }, "made"},
        {"LinkLoop",
         [](const fs::path& f) {
             fs::create_symlink("other", f / "target");
             fs::create_symlink("target", f / "other");
         },
         nullptr},
        {"Folder", [](const fs::path& f) { fs::create_directory(f / "target"); }, nullptr},
        {"Fifo", [](const fs::path& f) { ::mkfifo((f / "target").c_str(), 0644); }, nullptr},
    };
}

class TargetShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(TargetShapes, NewBytesLandInTheFileTheTargetNames) {
    const ShapeCase& c = GetParam();
    test::TempFolder folder;
    c.make(folder.Path());
    const auto before = test::FolderNames(folder.Path());
    std::string error;
    const bool written = WriteFileAtomically(folder.Path() / "target", kNew, &error);
    ASSERT_EQ(written, c.written != nullptr) << error;
    if (!written) {
        EXPECT_NE(error.find("target"), std::string::npos) << error;
        EXPECT_EQ(test::FolderNames(folder.Path()), before) << "a refused save left files";
        return;
    }
    EXPECT_EQ(test::ReadFileBytes(folder.Path() / c.written), kNew);
    for (const std::string& name : test::FolderNames(folder.Path()))
        EXPECT_EQ(name.find(kTemporaryMark), std::string::npos) << name;
}

INSTANTIATE_TEST_SUITE_P(Shapes, TargetShapes, ::testing::ValuesIn(ShapeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFile, NewFileTakesItsModeFromTheUmask) {
    test::TempFolder folder;
    const mode_t previous = ::umask(027);
    const bool written = WriteFileAtomically(folder.Path() / "a", kNew);
    ::umask(previous);
    ASSERT_TRUE(written);
    struct stat st {};
    ASSERT_EQ(::stat((folder.Path() / "a").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFile, FailedOverwriteOfHardLinkedFilePutsTheOldBytesBack) {
    test::TempFolder folder;
    const fs::path target = folder.Path() / "target", second = folder.Path() / "second";
    test::WriteFileBytes(target, kOld);
    fs::create_hard_link(target, second);
    // Writes: the temporary (1), the commit (2), the copy of the old bytes (3), the overwrite (4).
    InjectWriteFailureAfter(4);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target, kNew, &error));
    InjectWriteFailureAfter(0);
    EXPECT_NE(error.find("old contents were put back"), std::string::npos) << error;
    EXPECT_EQ(test::ReadFileBytes(second), kOld);
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(test::FolderNames(folder.Path()), (std::vector<std::string>{"second", "target"}));
}

TEST(AtomicFile, LeftoversOfKilledSavesGoWithTheNextSaveToTheirFolder) {
    test::TempFolder folder;
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    auto leftover = [&](const std::string& name, bool old) {
        test::WriteFileBytes(folder.Path() / name, kOld);
        if (old) fs::last_write_time(folder.Path() / name, hourAgo);
    };
    leftover(".a.jpg.stillpix-Xy12Zq", true);    // killed before this process began
    leftover(".b.png.stillpix-AAAAAA", false);   // may be a save of this process
    leftover(".c.jpg.stillpix-lock3d", true);    // another process is writing it
    leftover(".c.jpg.stillpix-toolong1", true);  // not a name this program makes
    leftover(".hidden", true);
    const int busy = ::open((folder.Path() / ".c.jpg.stillpix-lock3d").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    ASSERT_TRUE(WriteFileAtomically(folder.Path() / "other.jpg", kNew));
    ::close(busy);
    EXPECT_EQ(test::FolderNames(folder.Path()),
              (std::vector<std::string>{".b.png.stillpix-AAAAAA", ".c.jpg.stillpix-lock3d",
                                        ".c.jpg.stillpix-toolong1", ".hidden", "other.jpg"}));
}

}  // namespace
}  // namespace stillpix
