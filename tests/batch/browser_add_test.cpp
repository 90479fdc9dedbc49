// "Add To Batch" from the image browser: the counting rule and the four notices.
#include <gtest/gtest.h>

#include "batch/browser_add.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {
namespace {

const char kTail[] =
    "It can be removed from the batch at any time by selecting 'Exclude' from the Batch window.";

TEST(BrowserAdd, AFolderTwiceIsQueuedOnceButCountedEachTime) {
    TempFolder folder;
    const std::string a = folder / "a", b = folder / "b";
    for (const std::string& sub : {a, b}) std::filesystem::create_directories(sub);
    WriteText(folder.Path() / "a" / "x.jpg", "x");
    BatchQueue queue;
    BrowserAddResult one = AddBrowserFolder(queue, a, {});
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.notice, "The folder '" + a + "' has been added to the batch. " + kTail);
    // With its subfolders (a queued already still counts).
    BrowserAddResult three = AddBrowserFolder(queue, folder.Path().string(), {a, b});
    EXPECT_EQ(three.count, 3);
    EXPECT_EQ(three.notice.substr(0, 42), "3 folders have been added to the batch. Th");
    EXPECT_EQ(queue.FolderPaths().size(), 3u);
    EXPECT_EQ(queue.QueuedImageCount(), 1);
}

TEST(BrowserAdd, FilesAreQueuedAgainAndTheNoticeNamesTheLastOne) {
    BatchQueue queue;
    EXPECT_EQ(AddBrowserFiles(queue, {"/p/a.jpg"}).notice,
              std::string("The file '/p/a.jpg' has been added to the batch. ") + kTail);
    const BrowserAddResult two = AddBrowserFiles(queue, {"/p/a.jpg", "/p/b.jpg"});
    EXPECT_EQ(two.notice.substr(0, 36), "2 files have been added to the batch");
    EXPECT_EQ(queue.QueuedImageCount(), 3);
    EXPECT_TRUE(queue.SingleFilePaths().empty());  // a later Add Files does not see them
    EXPECT_TRUE(AddBrowserFiles(queue, {}).notice.empty());
}

}  // namespace
}  // namespace stillpix::test
